#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "catalog/actor.h"
#include "catalog/daycount.h"
#include "catalog/image.h"
#include "catalog/localetext.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"
#include "tests/support/widgettest.h"
#include "views/actorframe.h"
#include "views/linktext.h"
#include "views/mvframe.h"
#include "views/starpanel.h"

using namespace Qt::StringLiterals;

namespace {

// Records what the cards ask of the main window.
struct TFakeHost : ICardHost
{
    void GoToMovieById(const QString &text) override { calls << u"id:"_s + text; }
    void GoToMovieByTitle(const QString &text, bool original) override
    {
        calls << (original ? u"otitle:"_s : u"title:"_s) + text;
    }
    void GoToPersonByName(const QString &text, bool translated) override
    {
        calls << (translated ? u"tname:"_s : u"name:"_s) + text;
    }
    void SetSearchField(TRecordKind kind, int field, const QString &text) override
    {
        calls << u"search:%1:%2:%3"_s.arg(kind == TRecordKind::Person).arg(field).arg(text);
    }
    void SortByItem(TRecordKind kind, int item) override
    {
        calls << u"sort:%1:%2"_s.arg(kind == TRecordKind::Person).arg(item);
    }
    QString SearchFieldCaption(TRecordKind, int field) const override
    {
        return field == 6 ? u"Genre"_s : u"Field%1"_s.arg(field);
    }
    QString SortColumnCaption(TRecordKind, int item) const override { return u"Col%1"_s.arg(item); }
    QString Text(int number, const QString &fallback) const override
    {
        return number == 1868 ? u"Nothing here"_s : fallback;
    }
    void OpenAddress(const QString &address) override { calls << u"open:"_s + address; }
    QString AskPictureFile(bool save, const QString &proposed) override
    {
        calls << (save ? u"save:"_s : u"pick:"_s) + proposed;
        return pictureFile;
    }
    QString PickFiles(const QString &extensions) override
    {
        calls << u"files:"_s + extensions;
        return pickedFiles;
    }
    void FetchPicture(int kind) override { calls << u"fetch:%1"_s.arg(kind); }
    std::optional<QString> MakeScreenshots(const TScreenRequest &request) override
    {
        screenRequest = request;
        return screenResult;
    }
    void ShowCardError(const QString &text) override { calls << u"error:"_s + text; }
    QStringList calls;
    QString pictureFile;
    QString pickedFiles;
    TScreenRequest screenRequest;
    std::optional<QString> screenResult;
};

TCardSettings AllItems()
{
    TCardSettings settings;
    settings.ItemVisible.fill(true);
    settings.PeopleItemVisible.fill(true);
    settings.Genres = QStringList{u"Drama"_s, u"Comedy"_s};
    return settings;
}

QStringList MenuTexts(QMenu *menu)
{
    QStringList texts;
    for (QAction *action : menu->actions())
        texts << (action->isSeparator() ? u"-"_s : action->text());
    return texts;
}

QAction *MenuAction(QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

void SendMouse(QWidget *widget, QEvent::Type type, QPoint pos)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons buttons =
        type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    QMouseEvent event(type, pos, widget->mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

class CardTest : public ::testing::Test
{
protected:
    CardTest()
    {
        movieCard.SetHost(&host);
        movieCard.SetSettings(AllItems());
        movieCard.resize(800, 600);
        movieCard.show();
        personCard.SetHost(&host);
        personCard.SetSettings(AllItems());
        personCard.resize(800, 600);
        personCard.show();
    }

    TMovie *NewMovie() { return static_cast<TMovie *>(db.AddRecord(0)); }
    TActor *NewPerson(const QString &name) { return static_cast<TActor *>(db.AddRecord(1, name)); }
    template <typename T> T *Movie(const char *name) { return Child<T>(&movieCard, name); }
    template <typename T> T *Person(const char *name) { return Child<T>(&personCard, name); }
    bool MovieShows(const char *name) { return !Movie<QWidget>(name)->isHidden(); }
    bool PersonShows(const char *name) { return !Person<QWidget>(name)->isHidden(); }

    TVideoDatabase db{QString()};
    TFakeHost host;
    TmvFrame movieCard;
    TActorFrame personCard;
};

TEST_F(CardTest, MovieEditsRoundTripThroughEveryWidget)
{
    db.AddCustomField(u"Shelf"_s);
    movieCard.SetCustomFieldNames(db.CustomFieldNames());
    TMovie *movie = NewMovie();
    movieCard.ShowMovie(movie, TCardFrame::ModeEdit);

    const std::pair<const char *, const char *> lines[] = {{"TitleEdit", "Alien"},
                                                           {"OrigTitleEdit", "Alien O"},
                                                           {"YearEdit", "1979"},
                                                           {"GenreEdit", "Horror"},
                                                           {"MusicEdit", "Goldsmith"},
                                                           {"CountryEdit", "UK"},
                                                           {"CountEdit", "2"},
                                                           {"IMDBRatEdit", "8.5"},
                                                           {"ORatEdit", "7.5"},
                                                           {"RatEdit", "9.0"},
                                                           {"LengthEdit", "01:57:00"},
                                                           {"LangEdit", "English"},
                                                           {"ResEdit", "720x576"},
                                                           {"VidBpsEdit", "1800"},
                                                           {"AudioBpsEdit", "192"},
                                                           {"SizeEdit", "4400"},
                                                           {"FileEdit", "/m/alien.mkv"},
                                                           {"ReleaseEdit", "1979-05"},
                                                           {"SubsEdit", "German"},
                                                           {"RateEdit", "23.976"},
                                                           {"MLEdit", "DISC 7"},
                                                           {"StudEdit", "Fox"},
                                                           {"MPAAEdit", "R"},
                                                           {"CustomEdit0", "B2"}};
    for (const auto &[name, text] : lines)
        Movie<QLineEdit>(name)->setText(QString::fromUtf8(text));
    const std::pair<const char *, const char *> combos[] = {{"MediaCombo", "DVD"},
                                                            {"QualCombo", "DVDRip"},
                                                            {"TransCombo", "Dub"},
                                                            {"VidCodecCombo", "XviD"},
                                                            {"AudioCodecCombo", "AC3"}};
    for (const auto &[name, text] : combos)
        Movie<QComboBox>(name)->setEditText(QString::fromUtf8(text));
    const std::pair<const char *, const char *> memos[] = {{"DirectorMemo", "Scott"},
                                                           {"ActMemo", "Weaver\nHurt"},
                                                           {"TagsMemo", "space"},
                                                           {"DescMemo", "In space"},
                                                           {"URLMemo", "http://a"},
                                                           {"ProdMemo", "Carroll"},
                                                           {"ScnMemo", "O'Bannon"},
                                                           {"CommentMemo", "Classic"},
                                                           {"AwardsMemo", "Oscar"},
                                                           {"AkaMemo", "Alien 1"},
                                                           {"SloganMemo", "Scream"},
                                                           {"FeatMemo", "Trailer"},
                                                           {"LinksMemo", "Aliens"}};
    for (const auto &[name, text] : memos)
        Movie<QPlainTextEdit>(name)->setPlainText(QString::fromUtf8(text));
    movieCard.StoreEdits(movie);

    EXPECT_EQ(movie->Title(), u"Alien");
    EXPECT_EQ(movie->Origtitle(), u"Alien O");
    EXPECT_EQ(movie->Year(), 1979);
    EXPECT_EQ(movie->Genre(), u"Horror");
    EXPECT_EQ(movie->Director(), u"Scott");
    EXPECT_EQ(movie->Music(), u"Goldsmith");
    EXPECT_EQ(movie->Count(), 2);
    EXPECT_EQ(movie->Type(), u"DVD");
    EXPECT_DOUBLE_EQ(movie->Imdbrating(), 8.5);
    EXPECT_DOUBLE_EQ(movie->Orating(), 7.5);
    EXPECT_DOUBLE_EQ(movie->Rating(), 9.0);
    EXPECT_EQ(movie->Actors(), u"Weaver\r\nHurt");
    EXPECT_EQ(movie->Rip(), u"DVDRip");
    EXPECT_NEAR(movie->Length(), (60 + 57) / 1440.0, 1e-9);
    EXPECT_EQ(movie->Translation(), u"Dub");
    EXPECT_EQ(movie->Videocodec(), u"XviD");
    EXPECT_EQ(movie->Videobitrate(), 1800);
    EXPECT_EQ(movie->Audiocodec(), u"AC3");
    EXPECT_EQ(movie->Audiobitrate(), 192);
    EXPECT_EQ(movie->Size(), 4400);
    EXPECT_EQ(movie->Url(), u"http://a");
    EXPECT_EQ(movie->Path(), u"/m/alien.mkv");
    EXPECT_DOUBLE_EQ(movie->Framerate(), 23.976);
    EXPECT_EQ(movie->Label(), u"DISC 7");
    EXPECT_EQ(movie->Scenario(), u"O'Bannon");
    EXPECT_EQ(movie->Mpaa(), u"R");
    EXPECT_EQ(movie->Awards(), u"Oscar");
    EXPECT_EQ(movie->Aka(), u"Alien 1");
    EXPECT_EQ(movie->Tagline(), u"Scream");
    EXPECT_EQ(movie->Features(), u"Trailer");
    EXPECT_EQ(movie->Links(), u"Aliens");
    EXPECT_EQ(movie->CustomValue(0), u"B2");

    // Shown again, the card holds what was stored.
    movieCard.ShowMovie(movie, TCardFrame::ModeEdit);
    EXPECT_EQ(Movie<QLineEdit>("IMDBRatEdit")->text(), u"8.5");
    EXPECT_EQ(Movie<QLineEdit>("LengthEdit")->text(), u"01:57:00");
    EXPECT_EQ(Movie<QLineEdit>("RateEdit")->text(), u"23.976");
    EXPECT_EQ(Movie<QPlainTextEdit>("ActMemo")->toPlainText(), u"Weaver\nHurt");
}

TEST_F(CardTest, CustomFieldsFollowTheCatalogNames)
{
    db.AddCustomField(u"Shelf"_s);
    db.AddCustomField(u"Box"_s);
    TMovie *movie = NewMovie();
    movie->SetCustomValue(1, u"B7"_s);
    movieCard.ShowMovie(movie, TCardFrame::ModeView);
    movieCard.SetCustomFieldNames(db.CustomFieldNames());
    EXPECT_EQ(Movie<QLabel>("CustomLabel1")->text(), u"Box");
    EXPECT_TRUE(MovieShows("CustomEdit1"));
    EXPECT_FALSE(MovieShows("CustomEdit0")) << "empty values hide in view mode";

    // Fields that change while editing are not written by their old indexes.
    movieCard.ShowMovie(movie, TCardFrame::ModeEdit);
    Movie<QLineEdit>("CustomEdit0")->setText(u"typed"_s);
    db.DeleteCustomField(0);
    movieCard.SetCustomFieldNames(db.CustomFieldNames());
    movieCard.StoreEdits(movie);
    EXPECT_EQ(movie->CustomValues(), QStringList{u"B7"_s});
}

TEST_F(CardTest, UnreadableNumbersStoreZeroAndThePlaceholderIsNoText)
{
    TMovie *movie = NewMovie();
    movie->SetYear(1999);
    movie->SetImdbrating(7.25);
    movie->SetLength(0.5);
    movieCard.ShowMovie(movie, TCardFrame::ModeEdit);
    auto *links = Movie<QPlainTextEdit>("LinksMemo");
    EXPECT_EQ(links->placeholderText(), u"Type links to other movies here");
    EXPECT_TRUE(links->toPlainText().isEmpty());

    // An untouched formatted number keeps its exact value.
    movieCard.StoreEdits(movie);
    EXPECT_DOUBLE_EQ(movie->Imdbrating(), 7.25);

    for (const char *name : {"YearEdit",
                             "CountEdit",
                             "IMDBRatEdit",
                             "VidBpsEdit",
                             "SizeEdit",
                             "RateEdit",
                             "LengthEdit"})
        Movie<QLineEdit>(name)->setText(u"12x"_s);
    // Out of the 32-bit range is no number either.
    Movie<QLineEdit>("AudioBpsEdit")->setText(u"99999999999"_s);
    movieCard.StoreEdits(movie);
    EXPECT_EQ(movie->Year(), 0);
    EXPECT_EQ(movie->Count(), 0);
    EXPECT_EQ(movie->Imdbrating(), 0);
    EXPECT_EQ(movie->Videobitrate(), 0);
    EXPECT_EQ(movie->Audiobitrate(), 0);
    EXPECT_EQ(movie->Size(), 0);
    EXPECT_EQ(movie->Framerate(), 0);
    EXPECT_EQ(movie->Length(), 0);
    EXPECT_TRUE(movie->Links().isEmpty());

    // Only the record shown takes edits.
    TMovie *other = NewMovie();
    movieCard.StoreEdits(other);
    EXPECT_TRUE(other->Genre().isEmpty() && other->Title().isEmpty());
}

TEST_F(CardTest, ViewModeHidesEmptyAndRepeatedFields)
{
    TMovie *movie = NewMovie();
    movie->SetTitle(u"Alien"_s);
    movie->SetOrigtitle(u"ALIEN"_s);
    movie->SetLength(0);
    movie->SetCountry(u"UK"_s);
    movieCard.ShowMovie(movie, TCardFrame::ModeView);
    EXPECT_FALSE(MovieShows("OrigTitleEdit"));
    EXPECT_FALSE(MovieShows("OrigTitleCaption"));
    EXPECT_FALSE(MovieShows("YearEdit"));
    EXPECT_FALSE(MovieShows("LengthEdit"));
    EXPECT_FALSE(MovieShows("DirBox"));
    EXPECT_TRUE(MovieShows("CountryEdit"));
    EXPECT_TRUE(MovieShows("CountryCaption"));
    EXPECT_TRUE(Movie<QLineEdit>("CountryEdit")->isReadOnly());

    movieCard.ShowMovie(movie, TCardFrame::ModeEdit);
    EXPECT_TRUE(MovieShows("OrigTitleEdit"));
    EXPECT_TRUE(MovieShows("YearEdit"));
    EXPECT_EQ(Movie<QLineEdit>("LengthEdit")->text(), u"00:00:00");
    EXPECT_TRUE(MovieShows("DirectorMemo"));

    // The item setting hides a field in both modes.
    TCardSettings settings = AllItems();
    settings.ItemVisible[10] = false;
    movieCard.SetSettings(settings);
    EXPECT_FALSE(MovieShows("CountryEdit"));

    movieCard.ShowMovie(movie, TCardFrame::ModeMessage);
    EXPECT_TRUE(MovieShows("MessageLbl"));
    EXPECT_EQ(Movie<QLabel>("MessageLbl")->text(), u"Nothing here");
    EXPECT_FALSE(MovieShows("TitleEdit"));
}

TEST_F(CardTest, LayoutFollowsThePosterAndShowsWholeMemos)
{
    TMovie *movie = NewMovie();
    movie->SetTitle(u"Short"_s);
    movie->Lend(u"Peter"_s);
    movie->SetDirector(u"One\r\nTwo\r\nThree"_s);
    movieCard.ShowMovie(movie, TCardFrame::ModeView);
    auto *poster = Movie<QWidget>("CoverPanel");
    EXPECT_EQ(poster->size(), QSize(140, 100));
    // Few rows: the borrower lines up with the poster's bottom.
    EXPECT_EQ(Movie<QWidget>("LentToCaption")->geometry().bottom(), poster->geometry().bottom());

    TImage picture(300, 450);
    movie->SetPicture(&picture, TImageFormat::None, {}, CoverBmp);
    movieCard.ShowMovie(movie, TCardFrame::ModeEdit);
    EXPECT_EQ(poster->size(), QSize(200, 300));
    auto *director = Movie<QPlainTextEdit>("DirectorMemo");
    EXPECT_GE(director->height(), 3 * director->fontMetrics().lineSpacing());
}

TEST_F(CardTest, StarsDrawTheRatingAndStoreAClick)
{
    TMovie *movie = NewMovie();
    movie->SetImdbrating(7.3);
    movieCard.ShowMovie(movie, TCardFrame::ModeEdit);
    auto *imdb = Movie<QLineEdit>("IMDBRatEdit");
    auto *stars = Movie<TStarPanel>("StarPanelIMDB");
    EXPECT_EQ(imdb->text(), u"7.3");
    EXPECT_DOUBLE_EQ(stars->Value(), 7.3);
    EXPECT_TRUE(Movie<QLineEdit>("RatEdit")->text().isEmpty());

    // Left half of the third star proposes 2.5; leaving restores the stored value.
    const QPoint leftOfThird(2 * TStarPanel::StarSize + 2, TStarPanel::StarSize / 2);
    SendMouse(stars, QEvent::MouseMove, leftOfThird);
    EXPECT_EQ(imdb->text(), u"2.5");
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(stars, &leave);
    EXPECT_EQ(imdb->text(), u"7.3");
    EXPECT_DOUBLE_EQ(movie->Imdbrating(), 7.3);

    QSignalSpy stored(&movieCard, &TCardFrame::RatingStored);
    SendMouse(stars, QEvent::MouseButtonPress, leftOfThird);
    EXPECT_DOUBLE_EQ(movie->Imdbrating(), 2.5);
    EXPECT_EQ(stored.count(), 1);

    // Typing redraws; read-only or reading never stores.
    imdb->setText({});
    QTest::keyClicks(imdb, u"4.5"_s);
    EXPECT_DOUBLE_EQ(stars->Value(), 4.5);
    movieCard.SetReadOnly(true);
    SendMouse(stars, QEvent::MouseButtonPress, QPoint(5, 5));
    EXPECT_DOUBLE_EQ(movie->Imdbrating(), 2.5);
    movieCard.SetReadOnly(false);
    movieCard.ShowMovie(movie, TCardFrame::ModeView);
    SendMouse(stars, QEvent::MouseButtonPress, QPoint(5, 5));
    EXPECT_DOUBLE_EQ(movie->Imdbrating(), 2.5);
}

TEST_F(CardTest, FieldMenusSortAndFilterByValueParts)
{
    TMovie *movie = NewMovie();
    movie->SetTitle(u"Alien"_s);
    movie->SetGenre(u"Drama, Comedy"_s);
    movie->SetImdbrating(7.3);
    movie->SetYear(0);
    movieCard.ShowMovie(movie, TCardFrame::ModeView);

    QMenu *menu = movieCard.FieldMenu(Movie<QWidget>("GenreEdit"));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(MenuTexts(menu),
              (QStringList{u"Sort by Genre"_s,
                           u"-"_s,
                           u"Show all with Genre \"Comedy\""_s,
                           u"Show all with Genre \"Drama\""_s}));
    MenuAction(menu, u"Show all with Genre \"Comedy\""_s)->trigger();
    movieCard.FieldMenu(Movie<QWidget>("GenreEdit"))->actions().first()->trigger();
    EXPECT_EQ(host.calls, (QStringList{u"search:0:6:Comedy"_s, u"sort:0:6"_s}));

    EXPECT_EQ(MenuTexts(movieCard.FieldMenu(Movie<QWidget>("IMDBRatEdit"))).last(),
              u"Show all with Field15 \"7 - 8\"");
    EXPECT_EQ(MenuTexts(movieCard.FieldMenu(Movie<QWidget>("TitleEdit"))),
              QStringList{u"Sort by Col2"_s});
    EXPECT_EQ(movieCard.FieldMenu(Movie<QWidget>("YearEdit")), nullptr);
    movieCard.ShowMovie(movie, TCardFrame::ModeEdit);
    EXPECT_EQ(movieCard.FieldMenu(Movie<QWidget>("GenreEdit")), nullptr);
}

TEST_F(CardTest, CollapseSettingDecidesBetweenRecords)
{
    TMovie *first = NewMovie();
    TMovie *second = NewMovie();
    first->SetDescription(u"Text"_s);
    movieCard.ShowMovie(first, TCardFrame::ModeView);
    movieCard.SetExpanded(u"DescBox"_s, false);
    EXPECT_EQ(Movie<QToolButton>("DescMoreBtn")->text(), u"+");

    movieCard.ShowMovie(second, TCardFrame::ModeView);
    EXPECT_FALSE(movieCard.Expanded(u"DescBox"_s));

    TCardSettings settings = AllItems();
    settings.Collapse = false;
    movieCard.SetSettings(settings);
    movieCard.ShowMovie(second, TCardFrame::ModeView);
    EXPECT_FALSE(movieCard.Expanded(u"DescBox"_s)) << "same record: flags stay";
    movieCard.ShowMovie(first, TCardFrame::ModeView);
    for (const QString &box : movieCard.CollapsibleBoxes())
        EXPECT_TRUE(movieCard.Expanded(box)) << box.toStdString();
    EXPECT_EQ(Movie<QToolButton>("DescMoreBtn")->text(), u"-");
}

TEST_F(CardTest, ExpandingKeepsTheReaderAtTheSameShare)
{
    TMovie *movie = NewMovie();
    QStringList lines;
    for (int i = 0; i < 80; ++i)
        lines << u"Line %1 of a long description"_s.arg(i);
    movie->SetDescription(lines.join(u"\r\n"_s));
    movie->SetComment(lines.join(u"\r\n"_s));
    movieCard.ShowMovie(movie, TCardFrame::ModeView);
    movieCard.SetExpanded(u"DescBox"_s, true);
    movieCard.SetExpanded(u"ComBox"_s, true);
    const int expanded = movieCard.LayoutHeight();
    QScrollBar *bar = movieCard.verticalScrollBar();
    bar->setValue(expanded / 2);
    movieCard.SetExpanded(u"DescBox"_s, false);
    const int collapsed = movieCard.LayoutHeight();
    EXPECT_LT(collapsed, expanded);
    EXPECT_NEAR(bar->value(), collapsed / 2, 2);

    bar->setValue(bar->maximum());
    EXPECT_FALSE(movieCard.ScrollPage());
    movieCard.ScrollHome();
    EXPECT_TRUE(movieCard.ScrollPage());
    EXPECT_EQ(bar->value(), movieCard.viewport()->height());
}

TEST_F(CardTest, LinkClicksGoToTheHostByKind)
{
    TMovie *movie = NewMovie();
    movie->SetDirector(u"Ridley Scott"_s);
    movie->SetUrl(u"http://a.org/x;y http://b.org\r\nhttp://c.org"_s);
    movie->SetFeatures(u"<link id=\"4\">Extra</link>"_s);
    movie->SetLinks(u"<link=\"Aliens\">Aliens (1986)</link>"_s);
    TCardSettings settings = AllItems();
    settings.TransNames = true;
    movieCard.SetSettings(settings);
    movieCard.ShowMovie(movie, TCardFrame::ModeView);

    const auto click = [this](const char *box, int index) {
        auto *links = Movie<TLinkText>(box);
        TLink link;
        ASSERT_TRUE(links->GetLink(index, link)) << box;
        emit links->LinkClicked(link);
    };
    click("DirBox", 0);
    click("URLBox", 0);
    click("LinksBox", 0);
    click("FeatBox", 0);
    EXPECT_EQ(
        host.calls,
        (QStringList{u"tname:Ridley Scott"_s, u"open:http://a.org/x;y"_s, u"otitle:Aliens"_s}));
    EXPECT_EQ(Movie<TLinkText>("URLBox")->LinkCount(), 3);
}

TEST_F(CardTest, SeenMarkReportsClicksWithoutStoring)
{
    TMovie *movie = NewMovie();
    movie->SetViewed(true);
    movie->SetViewdate(DateToDays(QDate(2020, 3, 4)));
    movieCard.ShowMovie(movie, TCardFrame::ModeView);
    auto *label = Movie<QLabel>("seenLbl");
    EXPECT_EQ(label->text(), u"Seen ("_s + ShortDateText(movie->Viewdate()) + u')');
    EXPECT_TRUE(Movie<QCheckBox>("seenCheck")->isChecked());
    EXPECT_EQ(MenuTexts(movieCard.FieldMenu(label)).last(),
              u"Show all with Field29 \""_s + ShortDateText(movie->Viewdate()) + u'"');

    QSignalSpy seen(&movieCard, &TmvFrame::SeenToggled);
    SendMouse(label, QEvent::MouseButtonRelease, QPoint(2, 2));
    ASSERT_EQ(seen.count(), 1);
    EXPECT_FALSE(seen.at(0).at(0).toBool());
    EXPECT_TRUE(movie->Viewed());

    movie->SetViewed(false);
    movieCard.RefreshSeen();
    EXPECT_EQ(label->text(), u"Seen");
    movieCard.SetReadOnly(true);
    EXPECT_FALSE(Movie<QCheckBox>("WishCheck")->isEnabled());
}

TEST_F(CardTest, PersonViewHidesARepeatedNameAndTellsTheAge)
{
    TActor *person = NewPerson(u"Kim Novak"_s);
    person->SetTransname(u"Kim Novak"_s);
    person->SetBirthday(DateToDays(QDate(1970, 6, 15)));
    db.SetClock([] { return DateToDays(QDate(2010, 6, 14)) + 0.5; });
    personCard.ShowPerson(person, TCardFrame::ModeView);
    EXPECT_FALSE(PersonShows("TransEdit"));
    EXPECT_EQ(Person<QLabel>("AgeLbl")->text(), u"(Age: 39)");
    EXPECT_TRUE(PersonShows("AgeLbl"));
    db.SetClock([] { return DateToDays(QDate(2010, 6, 16)); });
    personCard.ShowPerson(person, TCardFrame::ModeView);
    EXPECT_EQ(Person<QLabel>("AgeLbl")->text(), u"(Age: 40)");

    personCard.ShowPerson(person, TCardFrame::ModeEdit);
    EXPECT_TRUE(PersonShows("TransEdit"));
    EXPECT_FALSE(PersonShows("AgeLbl"));

    person->SetBirthday(0);
    personCard.ShowPerson(person, TCardFrame::ModeView);
    EXPECT_FALSE(PersonShows("bdEdit"));
    EXPECT_FALSE(PersonShows("AgeLbl"));
}

TEST_F(CardTest, CareerAnchorsScrollToTheFirstMatchingLink)
{
    TActor *person = NewPerson(u"Orson Welles"_s);
    person->SetCategory(u"Actor, Director"_s);
    QStringList film;
    for (int i = 0; i < 60; ++i)
        film << u"Film %1"_s.arg(i);
    film << u"<link anchor=\"Director\">Director</link>"_s;
    film << u"<link anchor=\"Director\">Director again</link>"_s;
    person->SetFilmography(film.join(u"\r\n"_s));
    personCard.resize(600, 300);
    personCard.ShowPerson(person, TCardFrame::ModeView);

    auto *careers = Person<TLinkText>("TypeBox");
    ASSERT_EQ(careers->LinkCount(), 2);
    TLink director;
    ASSERT_TRUE(careers->GetLink(1, director));
    EXPECT_EQ(director.Value, u"Director");
    EXPECT_EQ(director.Attribute, u"anchor");
    emit careers->LinkClicked(director);

    auto *films = Person<TLinkText>("FilmBox");
    EXPECT_TRUE(personCard.Expanded(u"FilmBox"_s));
    const int expected = films->y() + 2 + 60 * films->LineHeight();
    EXPECT_EQ(personCard.verticalScrollBar()->value(),
              std::min(expected, personCard.verticalScrollBar()->maximum()));
    EXPECT_GT(personCard.verticalScrollBar()->value(), 0);
    EXPECT_TRUE(host.calls.isEmpty());
}

TEST_F(CardTest, PersonEditsRoundTrip)
{
    TActor *person = NewPerson(u"Old Name"_s);
    person->SetRating(6.25);
    personCard.ShowPerson(person, TCardFrame::ModeEdit);
    Person<QLineEdit>("NameEdit")->setText(u"New Name"_s);
    Person<QLineEdit>("TransEdit")->setText(u"Neuer Name"_s);
    Person<QLineEdit>("bdEdit")->setText(ShortDateText(DateToDays(QDate(1950, 1, 2))));
    Person<QLineEdit>("bpEdit")->setText(u"Wien"_s);
    Person<QLineEdit>("GenreEdit")->setText(u"Drama"_s);
    Person<QPlainTextEdit>("TypeMemo")->setPlainText(u"Actor"_s);
    Person<QPlainTextEdit>("FilmMemo")->setPlainText(u"A\nB"_s);
    personCard.StoreEdits(person);
    EXPECT_EQ(person->Name(), u"New Name");
    EXPECT_EQ(person->Transname(), u"Neuer Name");
    EXPECT_EQ(person->Birthday(), DateToDays(QDate(1950, 1, 2)));
    EXPECT_EQ(person->Birthplace(), u"Wien");
    EXPECT_EQ(person->Category(), u"Actor");
    EXPECT_EQ(person->Filmography(), u"A\r\nB");
    EXPECT_DOUBLE_EQ(person->Rating(), 6.25);

    Person<QLineEdit>("bdEdit")->setText(u"someday"_s);
    Person<QLineEdit>("RatEdit")->setText(u"good"_s);
    personCard.StoreEdits(person);
    // Text that is no date is refused and marked; the birthday stays.
    EXPECT_EQ(person->Birthday(), DateToDays(QDate(1950, 1, 2)));
    EXPECT_TRUE(Person<QLineEdit>("bdEdit")->property("refused").toBool());
    EXPECT_EQ(person->Rating(), 0);

    // People menus use the people fields and texts.
    personCard.ShowPerson(person, TCardFrame::ModeView);
    QMenu *menu = personCard.FieldMenu(Person<QWidget>("GenreEdit"));
    ASSERT_NE(menu, nullptr);
    menu->actions().last()->trigger();
    EXPECT_EQ(host.calls, QStringList{u"search:1:7:Drama"_s});
}

} // namespace
