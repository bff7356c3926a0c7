// The filters, the quick search and the web search box on the lists without the window.
#include <ostream>

#include <gtest/gtest.h>

#include <QAction>
#include <QHash>
#include <QLineEdit>
#include <QMenu>
#include <QToolBar>

#include "app/filtercontroller.h"
#include "tests/support/commandfixture.h"
#include "views/languagewide.h"

namespace {

class FilterControllerTest : public CommandFixture
{
protected:
    // Alien, Clerks and Fargo seen; Brazil and Dogma not.
    void StartFilters()
    {
        Start({{u"Alien"_s, u"Horror"_s, 1979},
               {u"Brazil"_s, u"Comedy"_s, 1985},
               {u"Clerks"_s, u"Comedy"_s, 1994},
               {u"Dogma"_s, u"Comedy"_s, 1999},
               {u"Fargo"_s, u"Crime"_s, 1996}});
        MovieTitled(u"Brazil"_s)->SetViewed(false);
        MovieTitled(u"Dogma"_s)->SetViewed(false);
        filters = std::make_unique<TFilterController>(*host, settings, language);
        filters->CreateActions([this](const QString &name, int, const QString &caption) {
            auto *action = new QAction(caption, &host->window);
            actions.insert(name, action);
            return action;
        });
        auto *tools = new QMenu(&host->window);
        webMenu = tools->addMenu(u"Web search"_s);
        filters->CreateBar(new QToolBar(&host->window), new QMenu(&host->window), tools, webMenu);
        for (TListController *lists : host->lists)
            lists->SetFilter(&filters->State());
        filters->ApplyMode();
    }
    QLineEdit *Box(const char *name) const
    {
        return host->window.findChild<QLineEdit *>(QString::fromLatin1(name));
    }

    TWideLanguage language;
    std::unique_ptr<TFilterController> filters;
    QHash<QString, QAction *> actions;
    QMenu *webMenu = nullptr;
};

struct TFilterCase
{
    const char *filter; // the View menu's entry chosen
    int field;          // the search field
    const char *text;   // typed into the search box
    QStringList shown;
    bool keepsFocus; // Clerks, focused before, stays the card's record
};

void PrintTo(const TFilterCase &c, std::ostream *os)
{
    *os << c.filter << " field " << c.field << " \"" << c.text << '"';
}

class FilterChoiceTest : public FilterControllerTest,
                         public ::testing::WithParamInterface<TFilterCase>
{};

TEST_P(FilterChoiceTest, ShowsExactlyThePassingRecords)
{
    const TFilterCase &c = GetParam();
    StartFilters();
    TMovie *clerks = MovieTitled(u"Clerks"_s);
    Focus(clerks);
    actions.value(QString::fromLatin1(c.filter))->trigger();
    filters->ChooseSearchField(TRecordKind::Movie, c.field);
    Box("SearchEdit")->setText(QString::fromLatin1(c.text));
    // Nothing shown: no record for the card.
    EXPECT_EQ(host->Edit().EditState() == TEditState::Empty, c.shown.isEmpty());
    Movies()->FlushFocus();
    EXPECT_EQ(TopRows(), c.shown);
    EXPECT_EQ(MovieLists().Current() == clerks, c.keepsFocus);
}

INSTANTIATE_TEST_SUITE_P(
    Filters,
    FilterChoiceTest,
    ::testing::Values(
        TFilterCase{"SeenOnlyAct", 0, "", {u"Alien"_s, u"Clerks"_s, u"Fargo"_s}, true},
        TFilterCase{"SeenNotAct", 0, "", {u"Brazil"_s, u"Dogma"_s}, false},
        TFilterCase{"SeenOnlyAct", 6, "comedy", {u"Clerks"_s}, true},
        TFilterCase{"SeenAllAct", 5, "1990-1999", {u"Clerks"_s, u"Dogma"_s, u"Fargo"_s}, true},
        TFilterCase{"SeenNotAct", 2, "zz", {}, false}));

// A field already chosen, or one that does not exist, leaves the filter and the rows alone
// even where a re-apply would show more.
TEST_F(FilterControllerTest, ChoosingTheSameOrNoFieldChangesNothing)
{
    StartFilters();
    filters->SetSearchField(TRecordKind::Movie, 6, u"Comedy"_s);
    const QStringList comedies{u"Brazil"_s, u"Clerks"_s, u"Dogma"_s};
    ASSERT_EQ(TopRows(), comedies);
    MovieTitled(u"Alien"_s)->SetGenre(u"Comedy"_s);
    for (const int field : {6, -2, MovieSearchFieldCount}) {
        filters->ChooseSearchField(TRecordKind::Movie, field);
        EXPECT_EQ(filters->State().MovieField, 6) << field;
        EXPECT_EQ(TopRows(), comedies) << field;
    }
    EXPECT_EQ(Box("SearchEdit")->text(), u"Comedy"_s);
    filters->ReapplyFilters();
    EXPECT_EQ(TopRows().size(), 4);
}

// Typing narrows and widens the list; the rows stand as a fresh build would place them,
// also after a record changed between keystrokes, and the focused record stays.
TEST_F(FilterControllerTest, TypingKeepsTheBuiltOrderFoldsAccentsAndKeepsTheFocus)
{
    prepare = [](TVideoDatabase &catalog) {
        for (const char16_t *title : {u"Caf\u00e9 Society", u"Cafe Noir", u"Scarface", u"Arcade"})
            static_cast<TMovie *>(catalog.AddRecord(0))->SetTitle(QString::fromUtf16(title));
    };
    StartFilters();
    TMovie *society = MovieTitled(u"Caf\u00e9 Society"_s);
    Focus(society);
    const auto expectBuiltOrder = [this](const QString &typed) {
        const QStringList typedRows = TopRows();
        MovieLists().Build();
        EXPECT_EQ(typedRows, TopRows()) << typed.toStdString();
    };
    const QStringList typing = {u"c"_s, u"ca"_s, u"caf"_s, u"cafe"_s, u"caf"_s, u"c"_s, QString()};
    for (const QString &typed : typing) {
        Box("SearchEdit")->setText(typed);
        expectBuiltOrder(typed);
        EXPECT_EQ(MovieLists().Current(), society) << typed.toStdString();
        if (typed == u"cafe"_s) {
            EXPECT_EQ(TopRows(), QStringList({u"Cafe Noir"_s, u"Caf\u00e9 Society"_s}));
        }
    }
    MovieTitled(u"Alien"_s)->SetTitle(u"Cafe Zulu"_s);
    Box("SearchEdit")->setText(u"cafe"_s);
    expectBuiltOrder(u"cafe after a change"_s);
    EXPECT_EQ(TopRows().size(), 3);
}

TEST_F(FilterControllerTest, WebSearchUsesTheFirstEngineAndNeedsText)
{
    settings.SearchNames = {u"-"_s, u"Alpha"_s, u"Beta"_s};
    settings.SearchUrls = {QString(), u"https://a.example/?q=%s"_s, u"https://b.example/?q=%s"_s};
    StartFilters();
    filters->RebuildWebSearchMenus();
    EXPECT_EQ(filters->WebEngine(), 1);
    QAction *go = actions.value(u"WebSearchAct"_s);
    ASSERT_TRUE(go->isEnabled());
    go->trigger();
    EXPECT_TRUE(dialogs.opened.isEmpty());
    filters->SetWebSearchText(u"Fargo"_s);
    go->trigger();
    EXPECT_EQ(dialogs.opened, QStringList{u"https://a.example/?q=Fargo"_s});
    EXPECT_EQ(webMenu->actions().size(), 3); // the separator and both engines

    settings.SearchNames.clear();
    filters->RebuildWebSearchMenus();
    EXPECT_EQ(filters->WebEngine(), -1);
    EXPECT_FALSE(go->isEnabled());
}

} // namespace
