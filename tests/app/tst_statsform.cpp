// Tools / Statistics in the offscreen main window: the command, the charts' pages and the
// translated window.
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QPieSeries>
#include <QPushButton>
#include <QTabWidget>

#include "app/recordcommands.h"
#include "app/statscontroller.h"
#include "app/statsform.h"
#include "tests/support/mainfixture.h"

namespace {

class StatsFormTest : public MainWindowFixture
{
protected:
    TStatsForm *Open()
    {
        Trigger("StatsAct");
        TStatsForm *form = window->Stats().StatsForm();
        EXPECT_TRUE(form && form->isVisible());
        return form;
    }
    static QPushButton *Button(TStatsForm *form, const char *name)
    {
        return form->findChild<QPushButton *>(QString::fromLatin1(name));
    }
    static QString PageLabel(TStatsForm *form)
    {
        return form->findChild<QLabel *>(u"PageLabel"_s)->text();
    }
    // The captions and values of the bars of a chart's current page, top first.
    static QStringList Bars(TStatsForm *form, TStatChart chart)
    {
        QChart *qchart = form->ChartView(chart)->chart();
        auto *series = qobject_cast<QHorizontalBarSeries *>(qchart->series().value(0));
        auto *axis = qobject_cast<QBarCategoryAxis *>(qchart->axes(Qt::Vertical).value(0));
        if (!series || !axis || series->barSets().size() != 1)
            return {u"no bar chart"_s};
        const QBarSet *set = series->barSets().first();
        QStringList bars;
        for (int i = set->count() - 1; i >= 0; --i)
            bars.append(u"%1=%2"_s.arg(axis->categories().value(i)).arg(set->at(i)));
        return bars;
    }
};

TEST_F(StatsFormTest, DirectorsArePagedMostFrequentFirst)
{
    QList<std::tuple<QString, QString, int>> movies;
    for (int i = 1; i <= 30; ++i)
        movies.append({u"Movie %1"_s.arg(i), u"Drama"_s, 2000});
    // "Dir k" directs 31 - k movies, so text order and count order differ.
    prepare = [](TVideoDatabase &db) {
        for (int i = 0; i < db.MovieCount(); ++i) {
            QStringList names;
            for (int k = 1; k <= i + 1; ++k)
                names.append(u"Dir %1"_s.arg(k));
            db.Movie(i)->SetDirector(names.join(u"\r\n"_s));
        }
        db.Movie(0)->SetSize(1536);
    };
    Start(movies, {u"Ann"_s});
    TStatsForm *form = Open();
    ASSERT_TRUE(form);

    EXPECT_EQ(form->Tabs()->count(), 13);
    EXPECT_EQ(form->TotalLabels().value(0)->text(), u"30"_s);
    EXPECT_EQ(form->TotalLabels().value(1)->text(), u"1"_s);
    EXPECT_EQ(form->TotalLabels().value(6)->text(), u"1 GB 512 MB"_s);
    EXPECT_EQ(PageLabel(form), u"Page 1 of 1"_s);
    EXPECT_FALSE(Button(form, "NextBtn")->isEnabled());

    form->ShowChart(TStatChart::Directors);
    EXPECT_EQ(PageLabel(form), u"Page 1 of 2"_s);
    EXPECT_FALSE(Button(form, "PrevBtn")->isEnabled());
    ASSERT_TRUE(Button(form, "NextBtn")->isEnabled());
    QStringList top25;
    for (int k = 1; k <= 25; ++k)
        top25.append(u"Dir %1=%2"_s.arg(k).arg(31 - k));
    EXPECT_EQ(Bars(form, TStatChart::Directors), top25);

    Button(form, "NextBtn")->click();
    EXPECT_EQ(form->CurrentPage(), 2);
    EXPECT_EQ(PageLabel(form), u"Page 2 of 2"_s);
    EXPECT_EQ(
        Bars(form, TStatChart::Directors),
        (QStringList{u"Dir 26=5"_s, u"Dir 27=4"_s, u"Dir 28=3"_s, u"Dir 29=2"_s, u"Dir 30=1"_s}));
    EXPECT_FALSE(Button(form, "NextBtn")->isEnabled());
    EXPECT_TRUE(Button(form, "PrevBtn")->isEnabled());

    // Each tab keeps its own page.
    form->ShowChart(TStatChart::Years);
    EXPECT_EQ(PageLabel(form), u"Page 1 of 1"_s);
    EXPECT_EQ(Bars(form, TStatChart::Years), QStringList{u"2000=30"_s});
    form->ShowChart(TStatChart::Directors);
    EXPECT_EQ(PageLabel(form), u"Page 2 of 2"_s);
    Button(form, "PrevBtn")->click();
    EXPECT_EQ(form->CurrentPage(), 1);

    auto *pie =
        qobject_cast<QPieSeries *>(form->ChartView(TStatChart::Rating)->chart()->series().value(0));
    ASSERT_TRUE(pie);
    ASSERT_EQ(pie->count(), 6);
    EXPECT_EQ(pie->slices().first()->value(), 30.0);

    // The window shows the moment of the command; running it again counts again and
    // starts over on the first pages.
    for (int i = 0; i < window->Database()->MovieCount(); ++i)
        window->Database()->Movie(i)->SetSize(0);
    EXPECT_EQ(form->TotalLabels().value(6)->text(), u"1 GB 512 MB"_s);
    Button(form, "NextBtn")->click();
    EXPECT_EQ(Open(), form);
    EXPECT_EQ(form->TotalLabels().value(6)->text(), QString());
    EXPECT_EQ(form->CurrentPage(), 1);

    Button(form, "CloseBtn")->click();
    EXPECT_FALSE(form->isVisible());
}

TEST_F(StatsFormTest, CommandNeedsMoviesAndWindowSpeaksTheLanguage)
{
    settings.WriteInteger(u"Dialogs"_s, u"Language"_s, 7);
    Start({});
    QAction *stats = window->Action(u"StatsAct"_s);
    EXPECT_FALSE(stats->isEnabled());
    auto *movie = static_cast<TMovie *>(window->Records().CreateRecord(0));
    ASSERT_TRUE(movie);
    EXPECT_TRUE(stats->isEnabled());

    TStatsForm *form = Open();
    ASSERT_TRUE(form);
    EXPECT_EQ(form->windowTitle(), u"Statistik"_s);
    EXPECT_EQ(form->Tabs()->tabText(0), u"\u00dcbersicht"_s);
    EXPECT_EQ(form->Tabs()->tabText(12), u"Personen"_s);
    EXPECT_EQ(Button(form, "NextBtn")->text(), u"&N\u00e4chste Seite"_s);
    EXPECT_EQ(PageLabel(form), u"Seite 1 von 1"_s);
    form->ShowChart(TStatChart::Years);
    EXPECT_EQ(Bars(form, TStatChart::Years), QStringList{u"Nicht angegeben=1"_s});
}

} // namespace
