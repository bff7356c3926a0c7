#include <functional>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/aboutbox.h"
#include "app/logform.h"
#include "app/waitwindow.h"
#include "app/windowimportui.h"
#include "catalog/version.h"
#include "tests/support/turncounter.h"
#include "tests/support/widgettest.h"
#include "views/languagewide.h"
#include "views/translate.h"

namespace {

// A translation table whose texts differ from the English defaults in the program.
class LanguageFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString path = m_dir.filePath(QStringLiteral("lang.txt"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("0\tDeutsch|5000:7;\n"
                   "6750\t&Jawohl\n"
                   "6821\t%1 / %2 gibt es schon.\n"
                   "6861\tEinlesen läuft\n"
                   "8871\t&Nicht hinzufügen\n");
        file.close();
        ASSERT_TRUE(m_language.Load(path));
        m_language.SetLanguage(0);
    }

    QTemporaryDir m_dir;
    TWideLanguage m_language;
};

// --- filter conversion ------------------------------------------------------------------

struct FilterCase
{
    const char *name;
    const char16_t *plugin;
    const char16_t *qt;
};

class QtFilterTest : public ::testing::TestWithParam<FilterCase>
{};

TEST_P(QtFilterTest, Converts)
{
    const FilterCase &c = GetParam();
    EXPECT_EQ(TWindowImportUi::QtFilter(QString::fromUtf16(c.plugin)).toStdString(),
              QString::fromUtf16(c.qt).toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    QtFilterTest,
    ::testing::Values(
        FilterCase{"OnePair", u"Ant Movie Catalog Files|*.amc", u"Ant Movie Catalog Files (*.amc)"},
        FilterCase{
            "TwoPairs", u"Text files|*.txt|All files|*.*", u"Text files (*.txt);;All files (*.*)"},
        FilterCase{"Empty", u"", u""},
        FilterCase{"OddCountDropsLoneDescription", u"CSV|*.csv|Orphan", u"CSV (*.csv)"},
        FilterCase{"OnlyDescription", u"Nothing", u""},
        FilterCase{"SeveralPatterns", u"Pages|*.htm;*.html", u"Pages (*.htm *.html)"},
        FilterCase{"EmptyPatternSkipped", u"Broken||Good|*.g", u"Good (*.g)"},
        FilterCase{"EmptyDescriptionUsesPatterns", u"|*.x", u"*.x (*.x)"},
        FilterCase{"NonAscii", u"Filmkatalog – Äpfel|*.äpf", u"Filmkatalog – Äpfel (*.äpf)"}),
    [](const ::testing::TestParamInfo<FilterCase> &info) { return std::string(info.param.name); });

// --- file dialogs -----------------------------------------------------------------------

TEST(WindowImportUi, OpenStartsInItsSlotAndRemembersTheChosenFolder)
{
    QString openFolder = QStringLiteral("/old/open");
    QString saveFolder = QStringLiteral("/old/save");
    TWindowImportUi ui(TWindowImportUi::TTask::Import, openFolder, saveFolder, nullptr);
    QString seenFolder;
    QString seenFilter;
    std::optional<QString> next = QStringLiteral("/data/films/list.amc");
    ui.SetFileChooser([&](const QString &folder, const QString &filter) {
        seenFolder = folder;
        seenFilter = filter;
        return next;
    });

    EXPECT_EQ(ui.AskOpenFile(QStringLiteral("AMC|*.amc")), QStringLiteral("/data/films/list.amc"));
    EXPECT_EQ(seenFolder, QStringLiteral("/old/open"));
    EXPECT_EQ(seenFilter, QStringLiteral("AMC (*.amc)"));
    EXPECT_EQ(openFolder, QStringLiteral("/data/films"));
    EXPECT_EQ(saveFolder, QStringLiteral("/old/save"));

    // The next dialog starts where the last file was found; Cancel changes nothing.
    next = std::nullopt;
    EXPECT_EQ(ui.AskOpenFile(QStringLiteral("AMC|*.amc")), std::nullopt);
    EXPECT_EQ(seenFolder, QStringLiteral("/data/films"));
    EXPECT_EQ(openFolder, QStringLiteral("/data/films"));

    // An empty answer is a cancelled dialog too.
    next = QString();
    EXPECT_EQ(ui.AskOpenFile(QStringLiteral("AMC|*.amc")), std::nullopt);
    EXPECT_EQ(openFolder, QStringLiteral("/data/films"));
}

TEST(WindowImportUi, SaveUsesItsOwnSlot)
{
    QTemporaryDir dir;
    const QString target = QDir(dir.path()).filePath(QStringLiteral("Ausgabe ü/export.csv"));
    QString openFolder = QStringLiteral("/old/open");
    QString saveFolder;
    TWindowImportUi ui(TWindowImportUi::TTask::Export, openFolder, saveFolder, nullptr);
    QString seenFolder = QStringLiteral("unset");
    ui.SetFileChooser([&](const QString &folder, const QString &) {
        seenFolder = folder;
        return std::optional(target);
    });

    EXPECT_EQ(ui.AskSaveFile(QStringLiteral("CSV|*.csv")), target);
    EXPECT_TRUE(seenFolder.isEmpty());
    EXPECT_EQ(saveFolder, QDir(dir.path()).filePath(QStringLiteral("Ausgabe ü")));
    EXPECT_EQ(openFolder, QStringLiteral("/old/open"));
}

// --- duplicate question -----------------------------------------------------------------

TEST(WindowImportUi, MovieDuplicateShowsTheQuestionAndBothTitles)
{
    QString openFolder;
    QString saveFolder;
    QWidget owner;
    owner.setObjectName(QStringLiteral("Owner"));
    TWindowImportUi ui(
        TWindowImportUi::TTask::Import, openFolder, saveFolder, nullptr, nullptr, &owner);
    QString shown;
    WhenModal([&](QWidget *dialog) {
        if (auto *label = Child<QLabel>(dialog, "MsgLabel"))
            shown = label->text();
        if (auto *button = Child<QPushButton>(dialog, "OverwriteBtn"))
            button->click();
    });

    const TDuplicateAnswer answer = ui.AskDuplicate(
        TRecordKind::Movie, QStringLiteral("Die Brücke"), QStringLiteral("The Bridge"));

    EXPECT_EQ(answer.choice, TDuplicateChoice::Overwrite);
    EXPECT_FALSE(answer.doNotShowAgain);
    EXPECT_TRUE(shown.startsWith(TWindowImportUi::DefaultMovieDuplicateText))
        << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("Die Brücke (The Bridge)"))) << shown.toStdString();
}

TEST(WindowImportUi, DuplicateMessageNamesEachTitleOnce)
{
    QString openFolder;
    QString saveFolder;
    TWindowImportUi ui(TWindowImportUi::TTask::Import, openFolder, saveFolder, nullptr);
    const QString &question = TWindowImportUi::DefaultPersonDuplicateText;
    const QString sep = QStringLiteral("\n\n");
    EXPECT_EQ(ui.DuplicateMessage(TRecordKind::Person, QStringLiteral("Alice"), QString()),
              question + sep + QStringLiteral("Alice"));
    EXPECT_EQ(
        ui.DuplicateMessage(TRecordKind::Person, QStringLiteral("Bob"), QStringLiteral("Bob")),
        question + sep + QStringLiteral("Bob"));
    EXPECT_EQ(ui.DuplicateMessage(TRecordKind::Person, QString(), QStringLiteral("Carol")),
              question + sep + QStringLiteral("Carol"));
    EXPECT_EQ(ui.DuplicateMessage(TRecordKind::Person, QString(), QString()), question);
}

TEST_F(LanguageFixture, PersonDuplicateUsesTheTranslatedTextAndKeepsTheCheckBox)
{
    QString openFolder;
    QString saveFolder;
    TWindowImportUi ui(
        TWindowImportUi::TTask::Import, openFolder, saveFolder, nullptr, &m_language);
    QString shown;
    QStringList buttons;
    WhenModal([&](QWidget *dialog) {
        if (auto *label = Child<QLabel>(dialog, "MsgLabel"))
            shown = label->text();
        for (const char *name : {"SkipBtn", "MergeBtn"})
            buttons.append(Child<QPushButton>(dialog, name)->text());
        if (auto *box = Child<QCheckBox>(dialog, "DontShowBox"))
            box->click();
        if (auto *button = Child<QPushButton>(dialog, "SkipBtn"))
            button->click();
    });

    const TDuplicateAnswer answer = ui.AskDuplicate(
        TRecordKind::Person, QStringLiteral("Jean Gabin"), QStringLiteral("Жан Габен"));

    EXPECT_EQ(answer.choice, TDuplicateChoice::Skip);
    EXPECT_TRUE(answer.doNotShowAgain);
    EXPECT_EQ(shown, QStringLiteral("Jean Gabin / Жан Габен gibt es schon."));
    // The buttons speak the language too; a text missing from the table stays English.
    EXPECT_EQ(buttons,
              (QStringList{QStringLiteral("&Nicht hinzufügen"), QStringLiteral("&Merge")}));
    // The movie text is missing from this table: the English one stands in.
    EXPECT_TRUE(ui.DuplicateMessage(TRecordKind::Movie, QStringLiteral("A"), QString())
                    .startsWith(TWindowImportUi::DefaultMovieDuplicateText));
}

// --- wait window ------------------------------------------------------------------------

TEST(WindowImportUi, ExportWaitCanBeCancelledFromTheWindow)
{
    QString openFolder;
    QString saveFolder;
    TWaitWindow wait;
    TWindowImportUi ui(TWindowImportUi::TTask::Export, openFolder, saveFolder, &wait);

    ui.ShowWait(true);
    ASSERT_TRUE(wait.isVisible());
    EXPECT_EQ(Child<QLabel>(&wait, "WaitLabel")->text(), TWindowImportUi::DefaultExportWaitText);
    auto *cancel = Child<QPushButton>(&wait, "CancelBtn");
    ASSERT_NE(cancel, nullptr);
    ASSERT_TRUE(cancel->isVisible());
    EXPECT_FALSE(ui.CancelRequested());

    QTest::mouseClick(cancel, Qt::LeftButton);
    ui.ProcessEvents();
    EXPECT_TRUE(ui.CancelRequested());

    ui.HideWait();
    EXPECT_FALSE(wait.isVisible());
    // A new wait starts uncancelled.
    ui.ShowWait(true);
    EXPECT_FALSE(ui.CancelRequested());
    ui.HideWait();
}

TEST(WindowImportUi, EventsTurnAtMostTenTimesASecond)
{
    QString openFolder;
    QString saveFolder;
    TWaitWindow wait;
    TWindowImportUi ui(TWindowImportUi::TTask::Import, openFolder, saveFolder, &wait);
    qint64 now = 5000;
    ui.SetClock([&now] { return now; });
    TTurnCounter counter;
    // A record a millisecond for a second.
    for (int record = 0; record < 1000; ++record, ++now)
        ui.ProcessEvents();
    EXPECT_EQ(counter.turns, 10);
}

TEST_F(LanguageFixture, ImportWaitHasTheTranslatedTextAndNoCancel)
{
    QString openFolder;
    QString saveFolder;
    TWaitWindow wait;
    TWindowImportUi ui(TWindowImportUi::TTask::Import, openFolder, saveFolder, &wait, &m_language);

    ui.ShowWait(false);
    EXPECT_EQ(Child<QLabel>(&wait, "WaitLabel")->text(), QStringLiteral("Einlesen läuft"));
    EXPECT_FALSE(Child<QPushButton>(&wait, "CancelBtn")->isVisible());
    ui.HideWait();
}

TEST(WindowImportUi, WithoutWaitWindowNothingIsCancelled)
{
    QString openFolder;
    QString saveFolder;
    TWindowImportUi ui(TWindowImportUi::TTask::Export, openFolder, saveFolder, nullptr);
    ui.ShowWait(true);
    ui.ProcessEvents();
    EXPECT_FALSE(ui.CancelRequested());
    ui.HideWait();

    // A wait window destroyed behind the object's back is no dangling pointer.
    auto *wait = new TWaitWindow;
    TWindowImportUi late(TWindowImportUi::TTask::Export, openFolder, saveFolder, wait);
    late.ShowWait(true);
    QTest::mouseClick(Child<QPushButton>(wait, "CancelBtn"), Qt::LeftButton);
    EXPECT_TRUE(late.CancelRequested());
    delete wait;
    EXPECT_FALSE(late.CancelRequested());
    late.HideWait();
}

// --- log window -------------------------------------------------------------------------

TEST(LogForm, KeepsLinesWhileHiddenAndClears)
{
    TLogForm form;
    auto *memo = Child<QPlainTextEdit>(&form, "LogMemo");
    ASSERT_NE(memo, nullptr);
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_TRUE(form.Lines().isEmpty());

    // Lines arrive before the window was ever shown.
    form.AddLine(QStringLiteral("Load time: 123ms"));
    form.show();
    form.AddLine(QStringLiteral("Poster path: /home/ü/Bilder/poster.jpg"));
    QTest::mouseClick(Child<QPushButton>(&form, "CloseBtn"), Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    form.AddLine(QString());
    form.show();

    EXPECT_EQ(form.Lines(),
              (QStringList{QStringLiteral("Load time: 123ms"),
                           QStringLiteral("Poster path: /home/ü/Bilder/poster.jpg"),
                           QString()}));

    // The user cannot type into the log.
    memo->setFocus();
    QTest::keyClicks(memo, QStringLiteral("typed"));
    EXPECT_EQ(form.Lines().size(), 3);

    QTest::mouseClick(Child<QPushButton>(&form, "ClearBtn"), Qt::LeftButton);
    EXPECT_TRUE(form.Lines().isEmpty());
    form.AddLine(QStringLiteral("after"));
    EXPECT_EQ(form.Lines(), QStringList{QStringLiteral("after")});

    // Lines logged in a burst reach the view together once the event loop turns.
    form.AddLine(QStringLiteral("one"));
    form.AddLine(QStringLiteral("two"));
    QCoreApplication::processEvents();
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("after\none\ntwo"));

    // Only the newest lines stay, whether they came in one burst or in several.
    for (int burst = 0; burst < 2; ++burst) {
        for (int i = 0; i < TLogForm::LineLimit; ++i)
            form.AddLine(QString::number(burst * TLogForm::LineLimit + i));
        QCoreApplication::processEvents();
    }
    const QStringList kept = form.Lines();
    ASSERT_EQ(kept.size(), TLogForm::LineLimit);
    EXPECT_EQ(kept.first(), QString::number(TLogForm::LineLimit));
    EXPECT_EQ(kept.last(), QString::number(2 * TLogForm::LineLimit - 1));
}

TEST(LogForm, SinkFeedsTheFormAndOutlivesIt)
{
    auto *form = new TLogForm;
    std::function<void(const QString &)> onLog = TLogSink{form};
    onLog(QStringLiteral("Load time: 7ms"));
    EXPECT_EQ(form->Lines(), QStringList{QStringLiteral("Load time: 7ms")});
    delete form;
    onLog(QStringLiteral("dropped"));
}

// --- About box --------------------------------------------------------------------------

TEST(AboutBox, ShowsNameAndVersionAndClosesWithOk)
{
    TAboutBox box;
    box.show();
    auto *name = Child<QLabel>(&box, "NameLabel");
    auto *version = Child<QLabel>(&box, "VersionLabel");
    ASSERT_NE(name, nullptr);
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(name->text(), QStringLiteral("Reelkeep"));
    EXPECT_TRUE(version->text().endsWith(QString::fromUtf16(ProgramVersionText)));
    EXPECT_FALSE(Child<QLabel>(&box, "DescLabel")->text().isEmpty());

    QTest::mouseClick(Child<QPushButton>(&box, "OKBtn"), Qt::LeftButton);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), QDialog::Accepted);
}

TEST_F(LanguageFixture, AboutBoxOkIsTranslated)
{
    TAboutBox box;
    Translate(m_language, &box);
    EXPECT_EQ(Child<QPushButton>(&box, "OKBtn")->text(), QStringLiteral("&Jawohl"));
    EXPECT_EQ(Child<QLabel>(&box, "NameLabel")->text(), QStringLiteral("Reelkeep"));
}

} // namespace
