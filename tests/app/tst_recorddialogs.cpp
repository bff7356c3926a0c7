#include <functional>
#include <optional>
#include <utility>

#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QCheckBox>
#include <QDBusConnection>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "app/recorddialogs.h"
#include "host/linkpolicy.h"
#include "tests/support/widgettest.h"

namespace {

using namespace Qt::StringLiterals;

void Click(QWidget *dialog, const char *button)
{
    auto *pushButton = Child<QPushButton>(dialog, button);
    ASSERT_NE(pushButton, nullptr) << button;
    pushButton->click();
}

void SetSpin(QWidget *dialog, const char *name, const QString &typed)
{
    auto *box = Child<QSpinBox>(dialog, name);
    ASSERT_NE(box, nullptr) << name;
    box->selectAll();
    QTest::keyClicks(box, typed);
}

// --- Input box --------------------------------------------------------------------------

TEST(RecordDialogs, TextBoxShowsItsPresetAndReturnsTheEditOrNothing)
{
    QString title;
    QString preset;
    WhenModal([&](QWidget *modal) {
        title = modal->windowTitle();
        auto *edit = modal->findChild<QLineEdit *>();
        ASSERT_NE(edit, nullptr);
        preset = edit->text();
        edit->setText(QStringLiteral("Épisode 12"));
        QTest::keyClick(edit, Qt::Key_Return);
    });
    EXPECT_EQ(TRecordDialogs::AskText(
                  nullptr, QStringLiteral("Movie ID"), QStringLiteral("ID:"), QStringLiteral("41")),
              QStringLiteral("Épisode 12"));
    EXPECT_EQ(title, QStringLiteral("Movie ID"));
    EXPECT_EQ(preset, QStringLiteral("41"));

    WhenModal([](QWidget *modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    EXPECT_EQ(TRecordDialogs::AskText(nullptr, QString(), QString(), QStringLiteral("41")),
              std::nullopt);
}

// --- Delete-file question ---------------------------------------------------------------

struct TDeleteCase
{
    const char *button; // nullptr: Esc
    TFileDecision decision;
};

class DeleteFileAnswers : public ::testing::TestWithParam<TDeleteCase>
{};

TEST_P(DeleteFileAnswers, EachButtonGivesItsDecision)
{
    const TDeleteCase answer = GetParam();
    QString title;
    QString text;
    WhenModal([&](QWidget *modal) {
        title = modal->windowTitle();
        text = modal->property("text").toString();
        if (answer.button)
            Click(modal, answer.button);
        else
            QTest::keyClick(modal, Qt::Key_Escape);
    });
    EXPECT_EQ(TRecordDialogs::AskDeleteFile(nullptr,
                                            QStringLiteral("Confirmation"),
                                            QStringLiteral("Delete the file a.mkv?")),
              answer.decision);
    EXPECT_EQ(title, QStringLiteral("Confirmation"));
    EXPECT_EQ(text, QStringLiteral("Delete the file a.mkv?"));
}

INSTANTIATE_TEST_SUITE_P(AllButtons,
                         DeleteFileAnswers,
                         ::testing::Values(TDeleteCase{"YesBtn", TFileDecision::Yes},
                                           TDeleteCase{"NoBtn", TFileDecision::No},
                                           TDeleteCase{"YesToAllBtn", TFileDecision::YesToAll},
                                           TDeleteCase{"NoToAllBtn", TFileDecision::NoToAll},
                                           TDeleteCase{nullptr, TFileDecision::No}));

TEST(RecordDialogs, ClosingTheDeleteQuestionCountsAsNo)
{
    WhenModal([](QWidget *modal) { modal->close(); });
    EXPECT_EQ(TRecordDialogs::AskDeleteFile(nullptr, QString(), QString()), TFileDecision::No);
}

// A dialog whose window closes while it runs is cancelled, not read after its death.
TEST(RecordDialogs, DialogsDyingWithTheirWindowAreCancelled)
{
    auto closeParent = [](QWidget *modal) { delete modal->parentWidget(); };
    WhenModal(closeParent);
    EXPECT_EQ(TRecordDialogs::AskNewEpisode(new QWidget, 3, true), std::nullopt);
    WhenModal(closeParent);
    EXPECT_EQ(TRecordDialogs::AskDeleteFile(new QWidget, QString(), QString()), TFileDecision::No);
}

// --- New episode ------------------------------------------------------------------------

TEST(RecordDialogs, NewEpisodeShowsTheProposalAndReturnsTheEdits)
{
    int shownNumber = -1;
    bool shownCopy = false;
    QString title;
    WhenModal([&](QWidget *modal) {
        title = modal->windowTitle();
        EXPECT_EQ(modal->objectName(), QStringLiteral("NewEpisodeDlg"));
        shownNumber = Child<QSpinBox>(modal, "EpisodeNumber")->value();
        shownCopy = Child<QCheckBox>(modal, "CopyData")->isChecked();
        SetSpin(modal, "EpisodeNumber", QStringLiteral("12"));
        Child<QCheckBox>(modal, "CopyData")->click();
        Click(modal, "OKBtn");
    });
    const auto answer = TRecordDialogs::AskNewEpisode(nullptr, 6, true);
    EXPECT_EQ(title, QStringLiteral("New Episode..."));
    EXPECT_EQ(shownNumber, 6);
    EXPECT_TRUE(shownCopy);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->Number, 12);
    EXPECT_FALSE(answer->CopyMovieData);

    WhenModal([](QWidget *modal) { Click(modal, "CancelBtn"); });
    EXPECT_EQ(TRecordDialogs::AskNewEpisode(nullptr, 6, false), std::nullopt);
}

TEST(RecordDialogs, EpisodeNumberStaysWithinItsLimits)
{
    // Unchanged proposals at and beyond each end come back clamped.
    const std::pair<int, int> cases[] = {
        {0, 0}, {-1, 0}, {99999999, 99999999}, {100000000, 99999999}};
    for (const auto &[proposal, expected] : cases) {
        WhenModal([](QWidget *modal) { Click(modal, "OKBtn"); });
        const auto answer = TRecordDialogs::AskNewEpisode(nullptr, proposal, false);
        ASSERT_TRUE(answer.has_value()) << proposal;
        EXPECT_EQ(answer->Number, expected) << proposal;
    }
}

// --- ID series --------------------------------------------------------------------------

TEST(RecordDialogs, IdSeriesShowsThePresetAndReturnsTheEdits)
{
    TIdSeries shown{0, 0};
    QString title;
    WhenModal([&](QWidget *modal) {
        title = modal->windowTitle();
        EXPECT_EQ(modal->objectName(), QStringLiteral("SetIdsDlg"));
        shown = {Child<QSpinBox>(modal, "StartFrom")->value(),
                 Child<QSpinBox>(modal, "Increment")->value()};
        SetSpin(modal, "StartFrom", QStringLiteral("10"));
        SetSpin(modal, "Increment", QStringLiteral("5"));
        Click(modal, "OKBtn");
    });
    const auto answer = TRecordDialogs::AskIdSeries(nullptr, TIdSeries{1, 1});
    EXPECT_EQ(title, QStringLiteral("Set IDs..."));
    EXPECT_EQ(shown.Start, 1);
    EXPECT_EQ(shown.Increment, 1);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->Start, 10);
    EXPECT_EQ(answer->Increment, 5);

    WhenModal([](QWidget *modal) { Click(modal, "CancelBtn"); });
    EXPECT_EQ(TRecordDialogs::AskIdSeries(nullptr, TIdSeries{}), std::nullopt);

    // The series never starts below zero nor steps by zero.
    WhenModal([](QWidget *modal) { Click(modal, "OKBtn"); });
    const auto clamped = TRecordDialogs::AskIdSeries(nullptr, TIdSeries{-1, 0});
    ASSERT_TRUE(clamped.has_value());
    EXPECT_EQ(clamped->Start, 0);
    EXPECT_EQ(clamped->Increment, 1);
}

// --- Date -------------------------------------------------------------------------------

TEST(RecordDialogs, DateShowsItsDayAndReturnsTheChosenOne)
{
    const QDate preset(2009, 2, 28);
    QDate shown;
    WhenModal([&](QWidget *modal) {
        EXPECT_EQ(modal->windowTitle(), QStringLiteral("Select date"));
        auto *calendar = Child<QCalendarWidget>(modal, "Calendar");
        shown = calendar->selectedDate();
        calendar->setSelectedDate(QDate(2009, 3, 1));
        Click(modal, "OKBtn");
    });
    EXPECT_EQ(TRecordDialogs::AskDate(nullptr, preset), QDate(2009, 3, 1));
    EXPECT_EQ(shown, preset);

    WhenModal([](QWidget *modal) { Click(modal, "CancelBtn"); });
    EXPECT_EQ(TRecordDialogs::AskDate(nullptr, preset), std::nullopt);

    // No day given: the calendar starts on today.
    WhenModal([&](QWidget *modal) {
        shown = Child<QCalendarWidget>(modal, "Calendar")->selectedDate();
        Click(modal, "CancelBtn");
    });
    TRecordDialogs::AskDate(nullptr, QDate());
    EXPECT_EQ(shown, QDate::currentDate());

    // A double-click (or Enter) on a day is OK.
    WhenModal([](QWidget *modal) {
        auto *calendar = Child<QCalendarWidget>(modal, "Calendar");
        calendar->setSelectedDate(QDate(2020, 1, 2));
        Q_EMIT calendar->activated(calendar->selectedDate());
    });
    EXPECT_EQ(TRecordDialogs::AskDate(nullptr, QDate(2020, 1, 1)), QDate(2020, 1, 2));
}

// --- Desktop ----------------------------------------------------------------------------

TEST(RecordDialogs, DesktopUrlTellsFilesFromAddresses)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString film = dir.filePath(QStringLiteral("Fïlm #1 (2001).mkv"));
    EXPECT_EQ(TRecordDialogs::DesktopUrl(film).toLocalFile(), film);

    const QString https = QStringLiteral("https://example.org/find?q=a%20b");
    EXPECT_EQ(TRecordDialogs::DesktopUrl(https), QUrl(https));
    EXPECT_EQ(TRecordDialogs::DesktopUrl(QStringLiteral("mailto:me@example.org")).scheme(),
              QStringLiteral("mailto"));
    EXPECT_EQ(TRecordDialogs::DesktopUrl(QStringLiteral("WWW.imdb.com/title/tt1")),
              QUrl(QStringLiteral("http://WWW.imdb.com/title/tt1")));
    EXPECT_TRUE(TRecordDialogs::DesktopUrl(QStringLiteral("www.")).isLocalFile());

    // A drive letter is no scheme; a relative name is taken from the working folder.
    EXPECT_TRUE(TRecordDialogs::DesktopUrl(QStringLiteral("C:/Movies/a.avi")).isLocalFile());
    EXPECT_EQ(TRecordDialogs::DesktopUrl(QStringLiteral("a.avi")).toLocalFile(),
              QDir::current().absoluteFilePath(QStringLiteral("a.avi")));

    // A file whose name looks like an address is still the file.
    const QString oldCurrent = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    QFile odd(dir.filePath(QStringLiteral("ab:c.mkv")));
    ASSERT_TRUE(odd.open(QIODevice::WriteOnly));
    odd.close();
    EXPECT_EQ(TRecordDialogs::DesktopUrl(QStringLiteral("ab:c.mkv")).toLocalFile(), odd.fileName());
    QDir::setCurrent(oldCurrent);

    EXPECT_TRUE(TRecordDialogs::DesktopUrl(QString()).isEmpty());
}

// Stands in for the desktop: records what it was asked to open.
class TDesktop : public QObject
{
    Q_OBJECT
public:
    TDesktop()
    {
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "Open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "Open");
    }
    ~TDesktop() override
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    }

    QList<QUrl> opened;

public Q_SLOTS:
    void Open(const QUrl &url) { opened.append(url); }
};

TEST(RecordDialogs, OpenWithDesktopHandsOverTheUrl)
{
    TDesktop desktop;
    EXPECT_TRUE(TRecordDialogs::OpenWithDesktop(QStringLiteral("/films/a b.mkv")));
    EXPECT_TRUE(TRecordDialogs::OpenWithDesktop(QStringLiteral("https://example.org/")));
    EXPECT_FALSE(TRecordDialogs::OpenWithDesktop(QString()));
    EXPECT_EQ(desktop.opened,
              (QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/films/a b.mkv")),
                           QUrl(QStringLiteral("https://example.org/"))}));
}

// The question before a catalog target opens: Enter, Esc and closing must not open it.
TEST(RecordDialogs, OpenTargetQuestionShowsTheWholeTargetAndDefaultsToNo)
{
    TLinkDecision decision;
    decision.Risk = TLinkRisk::OtherScheme;
    decision.Target = u"smb://server/"_s + QString(300, u'x') + u"/end.desktop"_s;
    const std::pair<std::function<void(QWidget *)>, bool> answers[] = {
        {[](QWidget *modal) { QTest::keyClick(modal, Qt::Key_Return); }, false},
        {[](QWidget *modal) { QTest::keyClick(modal, Qt::Key_Escape); }, false},
        {[](QWidget *modal) { modal->close(); }, false},
        {[](QWidget *modal) { Click(modal, "NoBtn"); }, false},
        {[](QWidget *modal) { Click(modal, "YesBtn"); }, true},
    };
    for (const auto &[answer, expected] : answers) {
        QString shown;
        WhenModal([&, answer = answer](QWidget *modal) {
            if (auto *target = Child<QPlainTextEdit>(modal, "TargetText"))
                shown = target->toPlainText();
            answer(modal);
        });
        EXPECT_EQ(TRecordDialogs::AskOpenTarget(nullptr, decision, nullptr), expected);
        EXPECT_EQ(shown, decision.Target);
    }
}

TEST(RecordDialogs, WithoutABusTheFolderIsOpened)
{
    TDesktop desktop;
    const QDBusConnection none = QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("rk-no-bus"));
    ASSERT_FALSE(none.isConnected());
    TRecordDialogs::ShowInFileManager(QStringLiteral("/films/a b.mkv"), none);
    TRecordDialogs::ShowInFileManager(QString(), none);
    EXPECT_EQ(desktop.opened, QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/films"))});
    QDBusConnection::disconnectFromBus(QStringLiteral("rk-no-bus"));
}

// A file manager on a private session bus.
class TFileManager : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList shown;
    QString startupId;

public Q_SLOTS:
    void ShowItems(const QStringList &uris, const QString &id)
    {
        shown += uris;
        startupId = id;
    }
};

// Runs a bus daemon of its own (no service activation, so no real file manager can start).
class PrivateBus : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            GTEST_SKIP() << "dbus-daemon is not installed";
        ASSERT_TRUE(m_dir.isValid());
        QFile config(m_dir.filePath(QStringLiteral("bus.conf")));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                     "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/"
                     "busconfig.dtd\">\n<busconfig><type>session</type><listen>unix:dir=");
        config.write(QFile::encodeName(m_dir.path()));
        config.write("</listen><policy context=\"default\"><allow send_destination=\"*\" "
                     "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/>"
                     "</policy></busconfig>\n");
        config.close();
        m_daemon.start(daemon,
                       {QStringLiteral("--nofork"),
                        QStringLiteral("--print-address"),
                        QStringLiteral("--config-file=") + config.fileName()});
        ASSERT_TRUE(m_daemon.waitForReadyRead(5000));
        const QString address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        m_client = QDBusConnection::connectToBus(address, QStringLiteral("rk-client"));
        m_service = QDBusConnection::connectToBus(address, QStringLiteral("rk-service"));
        ASSERT_TRUE(m_client.isConnected());
        ASSERT_TRUE(m_service.isConnected());
    }

    void TearDown() override
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("rk-client"));
        QDBusConnection::disconnectFromBus(QStringLiteral("rk-service"));
        m_daemon.kill();
        m_daemon.waitForFinished();
    }

    QTemporaryDir m_dir;
    QProcess m_daemon;
    QDBusConnection m_client{QString()};
    QDBusConnection m_service{QString()};
};

TEST_F(PrivateBus, TheFileManagerIsAskedToSelectTheFile)
{
    TFileManager fileManager;
    ASSERT_TRUE(m_service.registerObject(QStringLiteral("/org/freedesktop/FileManager1"),
                                         &fileManager,
                                         QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(m_service.registerService(QStringLiteral("org.freedesktop.FileManager1")));
    TDesktop desktop;

    const QString film = QStringLiteral("/films/Fïlm #1.mkv");
    TRecordDialogs::ShowInFileManager(film, m_client);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fileManager.shown.isEmpty(); }, 5000));
    EXPECT_EQ(fileManager.shown, QStringList{QUrl::fromLocalFile(film).toString()});
    EXPECT_TRUE(fileManager.startupId.isEmpty());
    // The successful call opens nothing else.
    QTest::qWait(50);
    EXPECT_TRUE(desktop.opened.isEmpty());
}

TEST_F(PrivateBus, WithoutAFileManagerTheFolderIsOpened)
{
    TDesktop desktop;
    TRecordDialogs::ShowInFileManager(QStringLiteral("/films/a.mkv"), m_client);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !desktop.opened.isEmpty(); }, 5000));
    EXPECT_EQ(desktop.opened, QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/films"))});
}

} // namespace

#include "tst_recorddialogs.moc"
