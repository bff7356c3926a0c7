// The window program started as a user starts it: temporary home, settings and program
// folders, the file commands driven through their actions with the dialogs answered here.
#include <deque>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QTreeView>

#include "app/catalogsession.h"
#include "app/listcontroller.h"
#include "app/listmodel.h"
#include "app/logform.h"
#include "app/maindialogs.h"
#include "app/mainwindow.h"
#include "app/passdlg.h"
#include "catalog/cataloglock.h"
#include "catalog/movie.h"
#include "catalog/version.h"
#include "catalog/videodatabase.h"
#include "logic/mainlogic.h"
#include "logic/settings.h"
#include "logic/settingsfile.h"
#include "tests/support/amcwriter.h"
#include "tests/support/fakemaindialogs.h"
#include "tests/support/widgettest.h"
#include "views/screenmaker.h"

using namespace Qt::StringLiterals;

namespace {

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        QDir(root.path()).mkpath(u"program"_s);
        QDir(root.path()).mkpath(u"home"_s);
        // An installed program has its texts beside it.
        ASSERT_TRUE(
            QFile::copy(QStringLiteral(RK_LANG_FILE), QDir(Program()).filePath(u"lang.txt"_s)));
        qputenv("HOME", Path(u"home"_s).toUtf8());
        qputenv("XDG_CONFIG_HOME", Path(u"home/.config"_s).toUtf8());
        qunsetenv("XDG_DOCUMENTS_DIR");
        dialogs = std::make_shared<TFakeDialogs>();
    }
    void TearDown() override
    {
        window.reset();
        qunsetenv("HOME");
        qunsetenv("XDG_CONFIG_HOME");
    }

    QString Path(const QString &relative) const { return root.filePath(relative); }
    QString Program() const { return Path(u"program"_s); }

    void Start(const QStringList &arguments = {}, const QString &workingFolder = {})
    {
        TMainOptions options;
        options.programFolder = Program();
        options.arguments = arguments;
        options.workingFolder = workingFolder;
        options.dialogs = dialogs;
        options.useIdleEvents = idleEvents;
        window = std::make_unique<TMain>(options);
        // The catalog is read once the event loop runs.
        ASSERT_TRUE(QTest::qWaitFor([this] { return window->Database() != nullptr; }));
    }
    // Closes the window as the user does; the window stays until the fixture ends.
    void Close() { ASSERT_TRUE(window->close()); }
    // A catalog file with one movie per title.
    QString
    MakeCatalog(const QString &name, const QStringList &titles, const QString &password = {})
    {
        const QString file = Path(name);
        TVideoDatabase db(file);
        EXPECT_TRUE(db.Open().ok);
        for (const QString &title : titles) {
            auto *movie = static_cast<TMovie *>(db.AddRecord(0));
            movie->SetTitle(title);
        }
        if (!password.isEmpty())
            db.SetPassword(password);
        db.SetModified(true);
        EXPECT_TRUE(db.Save(false).Ok());
        return file;
    }
    // Points the settings at `catalog` in portable mode (program folder config.ini).
    void PortableSettings(const QString &catalog, const QStringList &recent = {})
    {
        TSettingsFile file;
        file.WriteInteger(u"Application"_s, u"Version"_s, ProgramVersionNumber);
        file.WriteString(u"DataBase"_s, u"FileName"_s, catalog);
        file.WriteList(u"DataBase"_s, u"RecentFiles"_s, recent, u'|');
        file.WriteBool(u"Internet"_s, u"DoUpdates"_s, false);
        ASSERT_TRUE(file.Save(QDir(Program()).filePath(u"config.ini"_s)).Ok());
    }
    void Trigger(const char *action)
    {
        QAction *found = window->Action(QString::fromLatin1(action));
        ASSERT_NE(found, nullptr) << action;
        ASSERT_TRUE(found->isEnabled()) << action;
        found->trigger();
    }

    QTemporaryDir root;
    // Most tests here drive the window without idle events; those on them set this.
    bool idleEvents = false;
    std::shared_ptr<TFakeDialogs> dialogs;
    std::unique_ptr<TMain> window;
};

TEST_F(MainWindowTest, FirstStartOpensDefaultCatalogAndWritesSettingsOnClose)
{
    Start();
    const QString expected = Path(u"home/Documents/Reelkeep/movies.rkd"_s);
    ASSERT_NE(window->Database(), nullptr);
    EXPECT_EQ(window->Database()->FileName(), expected);
    EXPECT_TRUE(window->Settings().Maximized);
    EXPECT_EQ(window->Settings().Splitter, 180);
    EXPECT_EQ(window->windowTitle(), u"Reelkeep (movies) - Movies"_s);
    EXPECT_FALSE(window->ReadOnly());
    ASSERT_FALSE(window->LogForm()->Lines().isEmpty());
    EXPECT_TRUE(window->LogForm()->Lines().constLast().startsWith(u"Load time: "_s));
    EXPECT_TRUE(window->LogForm()->Lines().constLast().endsWith(u"ms"_s));
    // Nothing in the catalog yet: it is not written, but the settings are.
    Close();
    const QString userConfig = Path(u"home/.config/Reelkeep/config.ini"_s);
    ASSERT_TRUE(QFile::exists(userConfig));
    // The program folder belongs to every user of the machine.
    EXPECT_FALSE(QFile::exists(QDir(Program()).filePath(u"config.ini"_s)));
    EXPECT_EQ(QFile::permissions(userConfig) & (QFile::ReadOther | QFile::ReadGroup), 0);
    TSettingsFile written;
    ASSERT_TRUE(written.Load(userConfig));
    EXPECT_EQ(written.ReadInteger(u"Application"_s, u"Version"_s, 0), ProgramVersionNumber);
    EXPECT_EQ(written.ReadString(u"DataBase"_s, u"FileName"_s, {}), expected);
    EXPECT_FALSE(QFile::exists(expected));
}

TEST_F(MainWindowTest, PortableModeKeepsSettingsInProgramFolderOnly)
{
    Start({u"-PORTABLE"_s});
    EXPECT_EQ(window->Database()->FileName(), QDir(Program()).filePath(u"movies.rkd"_s));
    Close();
    EXPECT_TRUE(QFile::exists(QDir(Program()).filePath(u"config.ini"_s)));
    EXPECT_FALSE(QFile::exists(Path(u"home/.config/Reelkeep/config.ini"_s)));
}

TEST_F(MainWindowTest, SecondUserGetsTheDefaultCatalogNotTheFirstUsersSettings)
{
    // The first user's settings beside the program (as older versions also wrote them).
    PortableSettings(MakeCatalog(u"first.rkd"_s, {u"Alien"_s}));
    Start();
    EXPECT_EQ(window->Database()->FileName(), Path(u"home/Documents/Reelkeep/movies.rkd"_s));
    EXPECT_EQ(window->Database()->MovieCount(), 0);
}

TEST_F(MainWindowTest, CatalogNamedOnTheCommandLineOpensAndTheLastGoesToRecent)
{
    const QString last = MakeCatalog(u"last.rkd"_s, {u"Alien"_s});
    const QString named = MakeCatalog(u"named.rkd"_s, {u"Brazil"_s, u"Clerks"_s});
    PortableSettings(last);
    Start({u"-portable"_s, u"named.rkd"_s}, root.path());
    EXPECT_EQ(window->Database()->FileName(), named);
    EXPECT_EQ(window->Database()->MovieCount(), 2);
    EXPECT_EQ(window->Session().Recent().Names(), QStringList{u"../last.rkd"_s});
    window.reset();

    // A folder is no catalog: said so, and the last catalog opens.
    Start({u"-portable"_s, root.path()});
    EXPECT_EQ(window->Database()->FileName(), named);
    QTest::qWait(1);
    ASSERT_EQ(dialogs->errors.size(), 1);
    EXPECT_TRUE(dialogs->errors.first().contains(QDir::toNativeSeparators(root.path())));
}

TEST_F(MainWindowTest, ForeignCatalogOnTheCommandLineOffersItsImport)
{
    QDir(Program()).mkpath(u"Plugins"_s);
    ASSERT_TRUE(QFile::copy(QStringLiteral(RK_TEST_PLUGINS_DIR "/testimport.so"),
                            QDir(Program()).filePath(u"Plugins/testimport.so"_s)));
    PortableSettings(MakeCatalog(u"mine.rkd"_s, {u"Alien"_s}));
    const QString input = Path(u"theirs.amc"_s);
    QFile in(input);
    ASSERT_TRUE(in.open(QIODevice::WriteOnly));
    in.write("M\t1=Brazil\n");
    in.close();

    for (const bool yes : {false, true}) {
        dialogs->yesNoAnswers = {yes};
        Start({u"-portable"_s, input});
        EXPECT_EQ(window->Database()->FileName(), Path(u"mine.rkd"_s));
        QTest::qWait(1);
        EXPECT_TRUE(dialogs->yesNoAnswers.empty());
        EXPECT_EQ(window->Database()->MovieCount(), yes ? 2 : 1);
        window.reset();
    }
}

TEST_F(MainWindowTest, OpenSaveAsAndNewUpdateTitleAndRecentFiles)
{
    const QString first = MakeCatalog(u"first.rkd"_s, {u"Alien"_s});
    const QString second = MakeCatalog(u"second.rkd"_s, {u"Brazil"_s, u"Casablanca"_s});
    PortableSettings(first);
    Start({u"-portable"_s});
    EXPECT_EQ(window->Database()->MovieCount(), 1);
    EXPECT_EQ(window->windowTitle(), u"Reelkeep (first) - Movies"_s);
    EXPECT_FALSE(window->Action(u"SaveDBAct"_s)->isEnabled());

    dialogs->openAnswers.push_back(second);
    Trigger("OpenDBAct");
    EXPECT_EQ(window->Database()->FileName(), second);
    EXPECT_EQ(window->Database()->MovieCount(), 2);
    EXPECT_EQ(window->windowTitle(), u"Reelkeep (second) - Movies"_s);
    EXPECT_EQ(window->Session().Recent().Names(), QStringList{u"../first.rkd"_s});
    // The open dialog remembers its folder (slot 0, "last used").
    EXPECT_EQ(window->Settings().InitDir[0], root.path());

    // Save as: the old name goes to the front, the new file is written.
    const QString third = Path(u"third.rkd"_s);
    dialogs->saveAnswers.push_back(third);
    Trigger("SaveAsDBAct");
    EXPECT_TRUE(QFile::exists(third));
    EXPECT_EQ(window->Database()->FileName(), third);
    EXPECT_EQ(window->windowTitle(), u"Reelkeep (third) - Movies"_s);
    EXPECT_EQ(window->Session().Recent().Names(),
              (QStringList{u"../second.rkd"_s, u"../first.rkd"_s}));
    EXPECT_EQ(dialogs->saveFolders.constLast(), root.path());

    // New: an empty catalog of this version; nothing written until something changes.
    const QString fresh = Path(u"fresh.rkd"_s);
    dialogs->saveAnswers.push_back(fresh);
    Trigger("NewDBAct");
    EXPECT_EQ(window->Database()->FileName(), fresh);
    EXPECT_EQ(window->Database()->MovieCount(), 0);
    EXPECT_EQ(window->Database()->Version(), ProgramVersionNumber);
    EXPECT_FALSE(QFile::exists(fresh));
    EXPECT_EQ(window->Session().Recent().Names().constFirst(), u"../third.rkd"_s);

    // The File menu lists the recent files; choosing one opens it and it leaves the list.
    QAction *entry = window->findChild<QAction *>(u"RecentFile1"_s);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->text(), u".../second.rkd"_s);
    entry->trigger();
    EXPECT_EQ(window->Database()->FileName(), second);
    EXPECT_FALSE(window->Session().Recent().Names().contains(u"../second.rkd"_s));
    EXPECT_EQ(window->Session().Recent().Names().constFirst(), u"../fresh.rkd"_s);

    // Cancelled dialogs change nothing.
    Trigger("OpenDBAct");
    EXPECT_EQ(window->Database()->FileName(), second);
    Close();
    TSettingsFile written;
    ASSERT_TRUE(written.Load(QDir(Program()).filePath(u"config.ini"_s)));
    EXPECT_EQ(written.ReadString(u"DataBase"_s, u"FileName"_s, {}), u"../second.rkd"_s);
    EXPECT_EQ(written.ReadString(u"DataBase"_s, u"RecentFiles"_s, {}),
              u"../fresh.rkd|../third.rkd|../first.rkd"_s);
}

TEST_F(MainWindowTest, CatalogOpenInAnotherProgramIsOfferedReadOnly)
{
    using namespace std::chrono_literals;
    const QString first = MakeCatalog(u"first.rkd"_s, {u"Alien"_s});
    const QByteArray before = [&] {
        QFile file(first);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    PortableSettings(first);
    // The other program: a lock held by this test process.
    TCatalogLock other(first);
    ASSERT_EQ(other.Lock(0ms), TCatalogLock::TState::Held);
    Start({u"-portable"_s});
    EXPECT_TRUE(window->ReadOnly());
    EXPECT_TRUE(dialogs->questions.isEmpty());
    ASSERT_EQ(dialogs->messages.size(), 1);
    EXPECT_TRUE(dialogs->messages[0].contains(u"first.rkd"_s)) << qPrintable(dialogs->messages[0]);
    EXPECT_TRUE(
        dialogs->messages[0].contains(u"(process %1)"_s.arg(QCoreApplication::applicationPid())))
        << qPrintable(dialogs->messages[0]);
    EXPECT_TRUE(window->windowTitle().endsWith(u" - Read-only"_s));

    // Save As onto a catalog another program holds is refused before anything is written.
    const QString held = Path(u"held.rkd"_s);
    TCatalogLock heldLock(held);
    ASSERT_EQ(heldLock.Lock(0ms), TCatalogLock::TState::Held);
    dialogs->saveAnswers.push_back(held);
    Trigger("SaveAsDBAct");
    ASSERT_EQ(dialogs->errors.size(), 1);
    EXPECT_TRUE(dialogs->errors[0].contains(u"held.rkd"_s)) << qPrintable(dialogs->errors[0]);
    EXPECT_FALSE(QFile::exists(held));
    EXPECT_TRUE(window->ReadOnly());

    // Save As a free name: the copy is this window's, locked against others.
    const QString copy = Path(u"copy.rkd"_s);
    dialogs->saveAnswers.push_back(copy);
    Trigger("SaveAsDBAct");
    EXPECT_FALSE(window->ReadOnly());
    EXPECT_EQ(window->Database()->FileName(), copy);
    TCatalogLock probe(copy);
    EXPECT_EQ(probe.Lock(0ms), TCatalogLock::TState::Busy);
    Close();
    window.reset();
    EXPECT_EQ(probe.Lock(0ms), TCatalogLock::TState::Held) << "the window let go on closing";
    QFile file(first);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
}

TEST_F(MainWindowTest, ReadOnlyCatalogIsNeverWrittenEvenWhenChangedInMemory)
{
    using namespace std::chrono_literals;
    const QString first = MakeCatalog(u"first.rkd"_s, {u"Alien"_s});
    QFile file(first);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    PortableSettings(first);
    TCatalogLock other(first);
    ASSERT_EQ(other.Lock(0ms), TCatalogLock::TState::Held);
    Start({u"-portable"_s});
    ASSERT_TRUE(window->ReadOnly());
    // Whatever marked it modified, the other program's file stays as it was, also through
    // the catalog's last-resort save when the window goes.
    window->Database()->SetModified(true);
    window.reset();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
}

TEST_F(MainWindowTest, FileThatIsNoCatalogIsRefusedAndADamagedOneOpensReadOnly)
{
    auto bytes = [](const QString &name) {
        QFile file(name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    // A text file under a catalog's name, and a catalog cut short.
    const QString notes = Path(u"notes.rkd"_s);
    ASSERT_TRUE(QFile::copy(QStringLiteral(RK_CATALOG_DATA "/notes.txt"), notes));
    const QString cut = Path(u"cut.rkd"_s);
    ASSERT_TRUE(QFile::copy(QStringLiteral(RK_CATALOG_DATA "/cut_short.rkd"), cut));
    const QByteArray notesBefore = bytes(notes);
    const QByteArray cutBefore = bytes(cut);

    // The last catalog turned into a text file: told once the window is up, nothing to save.
    PortableSettings(notes);
    idleEvents = true;
    Start({u"-portable"_s});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs->errors.isEmpty(); }));
    EXPECT_TRUE(dialogs->errors[0].contains(u"notes.rkd"_s)) << qPrintable(dialogs->errors[0]);
    EXPECT_TRUE(window->ReadOnly());
    EXPECT_EQ(window->Database()->MovieCount(), 0);
    EXPECT_FALSE(window->Action(u"SaveAsDBAct"_s)->isEnabled());

    // Opening it from another catalog is refused, and that catalog stays open.
    const QString first = MakeCatalog(u"first.rkd"_s, {u"Alien"_s});
    dialogs->openAnswers.push_back(first);
    Trigger("OpenDBAct");
    dialogs->openAnswers.push_back(notes);
    Trigger("OpenDBAct");
    ASSERT_EQ(dialogs->errors.size(), 2);
    EXPECT_TRUE(dialogs->errors[1].contains(u"notes.rkd"_s)) << qPrintable(dialogs->errors[1]);
    EXPECT_EQ(window->Database()->FileName(), first);
    EXPECT_FALSE(window->ReadOnly());

    // The damaged catalog opens read-only with what was read; Save As keeps it elsewhere.
    dialogs->openAnswers.push_back(cut);
    Trigger("OpenDBAct");
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs->errors.size() == 3; }));
    EXPECT_TRUE(dialogs->errors[2].contains(u"cut.rkd"_s)) << qPrintable(dialogs->errors[2]);
    EXPECT_TRUE(window->ReadOnly());
    EXPECT_EQ(window->Database()->MovieCount(), 3);
    const QString rescued = Path(u"rescued.rkd"_s);
    dialogs->saveAnswers.push_back(rescued);
    Trigger("SaveAsDBAct");
    EXPECT_TRUE(QFile::exists(rescued));
    EXPECT_FALSE(window->ReadOnly());
    Close();
    window.reset();
    EXPECT_EQ(bytes(notes), notesBefore);
    EXPECT_EQ(bytes(cut), cutBefore);
    EXPECT_FALSE(QFile::exists(notes + u".bak"_s));
    EXPECT_FALSE(QFile::exists(cut + u".bak"_s));
}

TEST_F(MainWindowTest, AppendMarksModifiedAndSaveWritesIt)
{
    const QString first = MakeCatalog(u"first.rkd"_s, {u"Alien"_s});
    const QString second = MakeCatalog(u"second.rkd"_s, {u"Brazil"_s});
    PortableSettings(first);
    Start({u"-portable"_s});
    dialogs->openAnswers.push_back(second);
    Trigger("AppendAct");
    EXPECT_EQ(window->Database()->MovieCount(), 2);
    EXPECT_TRUE(window->Database()->Modified());
    EXPECT_EQ(window->windowTitle(), u"Reelkeep (first) - Movies*"_s);
    Trigger("SaveDBAct");
    EXPECT_FALSE(window->Database()->Modified());
    EXPECT_FALSE(window->Action(u"SaveDBAct"_s)->isEnabled());
    EXPECT_EQ(window->windowTitle(), u"Reelkeep (first) - Movies"_s);
    TVideoDatabase reread(first);
    ASSERT_TRUE(reread.Open().ok);
    EXPECT_EQ(reread.MovieCount(), 2);
}

TEST_F(MainWindowTest, ClosingSavesTheModifiedCatalog)
{
    const QString first = MakeCatalog(u"first.rkd"_s, {u"Alien"_s});
    const QString second = MakeCatalog(u"second.rkd"_s, {u"Brazil"_s});
    PortableSettings(first);
    Start({u"-portable"_s});
    dialogs->openAnswers.push_back(second);
    Trigger("AppendAct");
    Close();
    TVideoDatabase reread(first);
    ASSERT_TRUE(reread.Open().ok);
    EXPECT_EQ(reread.MovieCount(), 2);
}

TEST_F(MainWindowTest, ProtectAndOpenProtectedCatalogThroughPasswordDialog)
{
    const QString first = MakeCatalog(u"first.rkd"_s, {u"Alien"_s});
    PortableSettings(first);
    Start({u"-portable"_s});
    EXPECT_EQ(window->Action(u"ProtectAct"_s)->text(), u"Pass&word Protect"_s);
    dialogs->passwordAnswers.push_back(u"secret"_s);
    Trigger("ProtectAct");
    EXPECT_TRUE(window->Database()->Modified());
    EXPECT_EQ(window->Action(u"ProtectAct"_s)->text(), u"Remove Pass&word Protection"_s);
    Close();
    window.reset();

    // The next start asks with the real dialog: a wrong password, then the right one.
    QStringList typed{u"wrong"_s, u"secret"_s};
    std::function<void(QWidget *)> answer = [&](QWidget *modal) {
        auto *dialog = dynamic_cast<TPassDlg *>(modal);
        ASSERT_NE(dialog, nullptr);
        QTest::keyClicks(dialog->findChild<QLineEdit *>(), typed.takeFirst());
        dialog->accept();
        if (!typed.isEmpty())
            WhenModal(answer);
    };
    WhenModal(answer);
    Start({u"-portable"_s});
    EXPECT_TRUE(typed.isEmpty());
    ASSERT_EQ(window->Database()->MovieCount(), 1);
    EXPECT_EQ(window->Database()->Movie(0)->Title(), u"Alien"_s);
    EXPECT_FALSE(window->ReadOnly());
    EXPECT_EQ(window->Action(u"ProtectAct"_s)->text(), u"Remove Pass&word Protection"_s);

    // Two empty texts remove the protection.
    dialogs->passwordAnswers.push_back(QString());
    Trigger("ProtectAct");
    EXPECT_EQ(window->Action(u"ProtectAct"_s)->text(), u"Pass&word Protect"_s);

    // The dialog hears the current kind; a password simple protection cannot hold is refused.
    dialogs->passwordAnswers.push_back(TNewPassword(u"密码"_s, TProtection::Simple));
    Trigger("ProtectAct");
    EXPECT_EQ(dialogs->passwordKindsShown.back(), TProtection::None);
    ASSERT_FALSE(dialogs->errors.isEmpty());
    EXPECT_TRUE(dialogs->errors.back().contains(u"Windows-1252"_s));
    EXPECT_EQ(window->Action(u"ProtectAct"_s)->text(), u"Pass&word Protect"_s);
}

TEST_F(MainWindowTest, CancelledPasswordOpensReadOnly)
{
    const QString first = MakeCatalog(u"first.rkd"_s, {u"Alien"_s}, u"secret"_s);
    QFile file(first);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    PortableSettings(first);
    WhenModal([](QWidget *modal) { static_cast<QDialog *>(modal)->reject(); });
    Start({u"-portable"_s});
    EXPECT_TRUE(window->ReadOnly());
    EXPECT_EQ(window->windowTitle(), u"Reelkeep (first) - Movies - Read-only"_s);
    // The empty window is explained: the catalog was not opened.
    QCoreApplication::processEvents();
    ASSERT_EQ(dialogs->errors.size(), 1);
    EXPECT_TRUE(dialogs->errors[0].contains(first)) << dialogs->errors[0].toStdString();
    EXPECT_TRUE(dialogs->errors[0].contains(u"not opened"_s));
    EXPECT_FALSE(window->Action(u"AppendAct"_s)->isEnabled());
    EXPECT_FALSE(window->Action(u"ProtectAct"_s)->isEnabled());
    EXPECT_FALSE(window->Action(u"SaveAsDBAct"_s)->isEnabled());
    Close();
    window.reset();
    // The unread file is left as it was.
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
}

TEST_F(MainWindowTest, WriteProtectedCatalogIsReadOnlyWithoutQuestion)
{
    const QString first = MakeCatalog(u"first.rkd"_s, {u"Alien"_s});
    QFile::setPermissions(first, QFile::ReadOwner | QFile::ReadUser);
    PortableSettings(first);
    Start({u"-portable"_s});
    EXPECT_TRUE(window->ReadOnly());
    EXPECT_TRUE(dialogs->questions.isEmpty());
    EXPECT_TRUE(window->windowTitle().endsWith(u" - Read-only"_s));
    EXPECT_EQ(window->Database()->MovieCount(), 1);
    // A window that writes nothing keeps no other program out.
    TCatalogLock other(first);
    EXPECT_EQ(other.Lock(std::chrono::milliseconds(0)), TCatalogLock::TState::Held);
    QFile::setPermissions(first, QFile::ReadOwner | QFile::WriteOwner);
}

TEST_F(MainWindowTest, NewerCatalogAsksOnceAndYesMeansReadOnly)
{
    const QString first = MakeCatalog(u"first.rkd"_s, {u"Alien"_s});
    // Mark the file as written by a later version.
    QFile file(first);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    file.close();
    ASSERT_TRUE(bytes.contains("0.9.6"));
    bytes.replace("0.9.6", "0.9.7");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();

    PortableSettings(first);
    dialogs->yesNoAnswers.push_back(true);
    Start({u"-portable"_s});
    EXPECT_EQ(dialogs->questions.size(), 1);
    EXPECT_TRUE(window->ReadOnly());

    // No: the catalog opens for writing.
    window.reset();
    dialogs->questions.clear();
    dialogs->yesNoAnswers.push_back(false);
    Start({u"-portable"_s});
    EXPECT_EQ(dialogs->questions.size(), 1);
    EXPECT_FALSE(window->ReadOnly());
}

TEST_F(MainWindowTest, AutoSaveWaitsForTheIntervalAfterIdle)
{
    const QString first = MakeCatalog(u"first.rkd"_s, {u"Alien"_s});
    const QString second = MakeCatalog(u"second.rkd"_s, {u"Brazil"_s});
    PortableSettings(first);
    Start({u"-portable"_s});
    // Not modified: idle moments arm nothing and the timer does not save.
    window->OnIdle();
    window->Session().OnAutoSaveTimer();
    dialogs->openAnswers.push_back(second);
    Trigger("AppendAct");
    ASSERT_TRUE(window->Database()->Modified());
    // The timer only saves once an idle moment armed it.
    window->Session().OnAutoSaveTimer();
    EXPECT_TRUE(window->Database()->Modified());
    window->OnIdle();
    window->Session().OnAutoSaveTimer();
    EXPECT_FALSE(window->Database()->Modified());
    TVideoDatabase reread(first);
    ASSERT_TRUE(reread.Open().ok);
    EXPECT_EQ(reread.MovieCount(), 2);
}

// Idle events as the program runs them: the window at rest lets the event loop wait, yet a
// due version check starts and a modified catalog still arms auto-save.
TEST_F(MainWindowTest, IdleWindowLetsTheLoopWaitAndStillDoesItsIdleWork)
{
    struct TCounting : IVersionCheck
    {
        void StartVersionCheck() override { ++started; }
        int started = 0;
    } check;
    SetVersionCheck(&check);
    const auto unregister = qScopeGuard([] { SetVersionCheck(nullptr); });
    const QString first = MakeCatalog(u"first.rkd"_s, {u"Alien"_s});
    const QString second = MakeCatalog(u"second.rkd"_s, {u"Brazil"_s});
    TSettingsFile file;
    file.WriteInteger(u"Application"_s, u"Version"_s, ProgramVersionNumber);
    file.WriteString(u"DataBase"_s, u"FileName"_s, first);
    file.WriteBool(u"Internet"_s, u"DoUpdates"_s, true);
    file.WriteFloat(u"Internet"_s, u"LastUpdate"_s, 0);
    file.WriteBool(u"Misc"_s, u"AutoSave"_s, true);
    ASSERT_TRUE(file.Save(QDir(Program()).filePath(u"config.ini"_s)).Ok());
    idleEvents = true;
    Start({u"-portable"_s});

    // Waiting in the loop as the program does, not polling it.
    const auto rest = [](int milliseconds) {
        QEventLoop loop;
        QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
        loop.exec();
    };
    int turns = 0;
    QObject::connect(QAbstractEventDispatcher::instance(),
                     &QAbstractEventDispatcher::aboutToBlock,
                     window.get(),
                     [&turns] { ++turns; });
    rest(1000);
    EXPECT_LT(turns, 40);
    EXPECT_EQ(check.started, 1);

    // A command run from the loop, as a click is: the idle moment after it arms auto-save.
    dialogs->openAnswers.push_back(second);
    QTimer::singleShot(0, window.get(), [this] { Trigger("AppendAct"); });
    rest(200);
    ASSERT_TRUE(window->Database()->Modified());
    window->Session().OnAutoSaveTimer();
    EXPECT_FALSE(window->Database()->Modified());
    EXPECT_EQ(check.started, 1);
}

TEST_F(MainWindowTest, SwitchingModeChangesTitleMenuAndHidesMovieCommands)
{
    const QString first = MakeCatalog(u"first.rkd"_s, {u"Alien"_s});
    PortableSettings(first);
    Start({u"-portable"_s});
    EXPECT_FALSE(window->PeopleMode());
    EXPECT_EQ(window->Action(u"dbModeAct"_s)->text(), u"Switch to &people"_s);
    Trigger("dbModeAct");
    EXPECT_TRUE(window->PeopleMode());
    EXPECT_EQ(window->windowTitle(), u"Reelkeep (first) - People"_s);
    EXPECT_EQ(window->Action(u"dbModeAct"_s)->text(), u"Switch to &movies"_s);
    EXPECT_FALSE(window->Action(u"NewEpAct"_s)->isVisible());
    EXPECT_EQ(window->findChild<QMenu *>(u"MovieMenu"_s)->title(), u"People"_s);
    Trigger("dbModeAct");
    EXPECT_TRUE(window->Action(u"NewEpAct"_s)->isVisible());
    Close();
    TSettingsFile written;
    ASSERT_TRUE(written.Load(QDir(Program()).filePath(u"config.ini"_s)));
    EXPECT_EQ(written.ReadInteger(u"DataBase"_s, u"Mode"_s, -1), 0);
}

TEST_F(MainWindowTest, CatalogWithOnlyPeopleStartsInPeopleMode)
{
    const QString file = Path(u"people.rkd"_s);
    {
        TVideoDatabase db(file);
        ASSERT_TRUE(db.Open().ok);
        db.AddRecord(1, u"Ridley Scott"_s);
        ASSERT_TRUE(db.Save(true).Ok());
    }
    PortableSettings(file);
    Start({u"-portable"_s});
    EXPECT_TRUE(window->PeopleMode());
}

TEST_F(MainWindowTest, ImportAndExportThroughPlugins)
{
    QDir(Program()).mkpath(u"Plugins"_s);
    ASSERT_TRUE(QFile::copy(QStringLiteral(RK_TEST_PLUGINS_DIR "/testimport.so"),
                            QDir(Program()).filePath(u"Plugins/testimport.so"_s)));
    ASSERT_TRUE(QFile::copy(QStringLiteral(RK_TEST_PLUGINS_DIR "/testexport.so"),
                            QDir(Program()).filePath(u"Plugins/testexport.so"_s)));
    const QString first = MakeCatalog(u"first.rkd"_s, {u"Alien"_s});
    PortableSettings(first);
    const QString input = Path(u"input.txt"_s);
    QFile in(input);
    ASSERT_TRUE(in.open(QIODevice::WriteOnly));
    in.write("M\t1=Brazil\nM\t1=Casablanca\n");
    in.close();

    Start({u"-portable"_s});
    auto *importMenu = window->findChild<QMenu *>(u"ImportMenu"_s);
    auto *exportMenu = window->findChild<QMenu *>(u"ExportMenu"_s);
    ASSERT_EQ(importMenu->actions().size(), 1);
    ASSERT_EQ(exportMenu->actions().size(), 1);
    // Import of type 3 works with no row selected; export needs rows. Opening selects the
    // first row.
    auto *list = window->findChild<QTreeView *>(u"MovieList"_s);
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(importMenu->actions().constFirst()->isEnabled());
    EXPECT_TRUE(exportMenu->actions().constFirst()->isEnabled());
    list->clearSelection();
    EXPECT_TRUE(importMenu->actions().constFirst()->isEnabled());
    EXPECT_FALSE(exportMenu->actions().constFirst()->isEnabled());

    dialogs->openAnswers.push_back(input);
    importMenu->actions().constFirst()->trigger();
    EXPECT_EQ(window->Database()->MovieCount(), 3);
    EXPECT_TRUE(window->Database()->Modified());
    EXPECT_EQ(window->Settings().InitDir[5], root.path());

    ASSERT_EQ(list->model()->rowCount(), 3);
    list->selectAll();
    exportMenu = window->findChild<QMenu *>(u"ExportMenu"_s);
    ASSERT_TRUE(exportMenu->actions().constFirst()->isEnabled());
    EXPECT_EQ(window->Shown().SelectedRecords().size(), 3);
    const QString output = Path(u"export.txt"_s);
    dialogs->saveAnswers.push_back(output);
    exportMenu->actions().constFirst()->trigger();
    QFile out(output);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    const QByteArray exported = out.readAll();
    EXPECT_TRUE(exported.contains("Brazil"));
    EXPECT_TRUE(exported.contains("Casablanca"));
    EXPECT_TRUE(exported.contains("Alien"));
}

TEST_F(MainWindowTest, ImportSortsFocusesTheFirstImportedAndSaysWhatItDid)
{
    QDir(Program()).mkpath(u"Plugins"_s);
    ASSERT_TRUE(QFile::copy(QStringLiteral(RK_TEST_PLUGINS_DIR "/testimport.so"),
                            QDir(Program()).filePath(u"Plugins/testimport.so"_s)));
    PortableSettings(MakeCatalog(u"first.rkd"_s, {u"Alien"_s, u"Zulu"_s}));
    const QString input = Path(u"input.txt"_s);
    QFile in(input);
    ASSERT_TRUE(in.open(QIODevice::WriteOnly));
    in.write("M\t1=Yojimbo\nM\t1=Alien\nM\t1=Brazil\nH\t0=Akira Kurosawa\n");
    in.close();
    Start({u"-portable"_s});
    window->show();

    dialogs->openAnswers.push_back(input);
    WhenModal([](QWidget *dialog) { Child<QPushButton>(dialog, "SkipBtn")->click(); });
    window->findChild<QMenu *>(u"ImportMenu"_s)->actions().constFirst()->trigger();

    auto *list = window->findChild<QTreeView *>(u"MovieList"_s);
    QStringList rows;
    for (int row = 0; row < list->model()->rowCount(); ++row) {
        const TDBItem *record = window->Movies().Model()->RecordOf(list->model()->index(row, 0));
        rows.append(record ? static_cast<const TMovie *>(record)->Title() : QString());
    }
    EXPECT_EQ(rows, (QStringList{u"Alien"_s, u"Brazil"_s, u"Yojimbo"_s, u"Zulu"_s}));
    const TDBItem *current = window->Movies().Current();
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(static_cast<const TMovie *>(current)->Title(), u"Yojimbo"_s);
    EXPECT_EQ(window->Shown().SelectedRecords(), QList<TDBItem *>{const_cast<TDBItem *>(current)});
    EXPECT_EQ(window->findChild<QLabel *>(u"StatusPanel2"_s)->text(),
              u"2 movies imported, 0 merged, 1 skipped; 1 person imported, 0 merged, 0 skipped"_s);
}

// What an Ant Movie Catalog file held beyond the record's fields is named in the status
// bar after the import, so the user knows to look in the comments.
TEST_F(MainWindowTest, ImportSaysWhereCustomFieldsAndExtrasWent)
{
    QDir(Program()).mkpath(u"Plugins"_s);
    ASSERT_TRUE(QFile::copy(QStringLiteral(RK_CATIMPORT_PATH),
                            QDir(Program()).filePath(u"Plugins/catimport.so"_s)));
    PortableSettings(MakeCatalog(u"first.rkd"_s, {u"Alien"_s}));
    TAmcHeaderTexts header;
    header.customFields = {{"S", "Shelf <b>&amp;</b>", "ftString", {}}};
    TAmcMovie movie;
    movie.number = 1;
    movie.originalTitle = "Brazil";
    movie.customValues = {"A3"};
    movie.extras = {{false, "t", "Trailer", "", "http://t", "", "", "", "", ""}};
    const std::string bytes = WriteAmcFile(42, {movie}, header);
    const QString input = Path(u"old.amc"_s);
    QFile in(input);
    ASSERT_TRUE(in.open(QIODevice::WriteOnly));
    in.write(bytes.data(), qint64(bytes.size()));
    in.close();
    Start({u"-portable"_s});

    dialogs->openAnswers.push_back(input);
    window->findChild<QMenu *>(u"ImportMenu"_s)->actions().constFirst()->trigger();

    ASSERT_EQ(window->Database()->MovieCount(), 2);
    const QLabel *panel = window->findChild<QLabel *>(u"StatusPanel2"_s);
    EXPECT_EQ(panel->text(),
              u"1 movie imported, 0 merged, 0 skipped. The custom fields (Shelf <b>&amp;</b>) were "
              u"added to the comments of 1 movie. 1 extra was listed with its title and address "
              u"in the comments."_s);
    // A summary longer than the panel can be read whole in its tooltip; names from the file
    // are never taken for markup.
    QTextDocument tip;
    tip.setHtml(panel->toolTip());
    EXPECT_EQ(tip.toPlainText(), panel->text());
    EXPECT_EQ(panel->textFormat(), Qt::PlainText);
    const TDBItem *current = window->Movies().Current();
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->Comment(), u"Shelf <b>&amp;</b>: A3\r\nExtra: Trailer - http://t"_s);
}

TEST_F(MainWindowTest, MissingTextTableIsReportedAndBuiltInTextsStay)
{
    ASSERT_TRUE(QFile::remove(QDir(Program()).filePath(u"lang.txt"_s)));
    Start();
    EXPECT_EQ(dialogs->messages, QStringList{u"Source Dll not Found!"_s});
    EXPECT_EQ(window->findChild<QMenu *>(u"FileMenu"_s)->title(), u"&File"_s);
    EXPECT_EQ(window->windowTitle(), u"Reelkeep (movies) - Movies"_s);
}

TEST_F(MainWindowTest, CommandsOfLaterWorkAreDisabledAndShortcutsSet)
{
    Start();
    EXPECT_EQ(window->Action(u"OpenDBAct"_s)->shortcut(), QKeySequence(u"Ctrl+O"_s));
    EXPECT_EQ(window->Action(u"NextBookAct"_s)->shortcut(), QKeySequence(Qt::Key_F2));
    EXPECT_EQ(window->Action(u"NewVidAct"_s)->text(), u"&New"_s);
    // An empty catalog: new records yes, commands on a current record no.
    EXPECT_TRUE(window->Action(u"NewVidAct"_s)->isEnabled());
    EXPECT_FALSE(window->Action(u"DelVidAct"_s)->isEnabled());
    EXPECT_FALSE(window->Action(u"StatsAct"_s)->isEnabled());
    EXPECT_TRUE(window->Action(u"OptsAct"_s)->isEnabled());
    EXPECT_TRUE(window->Action(u"AppendAct"_s)->isEnabled());
}

TEST_F(MainWindowTest, LanguageFromSettingsTranslatesMenus)
{
    TSettingsFile file;
    file.WriteInteger(u"Application"_s, u"Version"_s, ProgramVersionNumber);
    file.WriteInteger(u"Dialogs"_s, u"Language"_s, 7);
    ASSERT_TRUE(file.Save(QDir(Program()).filePath(u"config.ini"_s)).Ok());
    Start({u"-portable"_s});
    EXPECT_EQ(window->findChild<QMenu *>(u"FileMenu"_s)->title(), u"&Datei"_s);
    EXPECT_EQ(window->Action(u"OpenDBAct"_s)->text(), u"Ö&ffnen..."_s);
    EXPECT_EQ(window->windowTitle(), u"Reelkeep (movies) - Filme"_s);
    Close();
    TSettingsFile written;
    ASSERT_TRUE(written.Load(QDir(Program()).filePath(u"config.ini"_s)));
    EXPECT_EQ(written.ReadInteger(u"Dialogs"_s, u"Language"_s, 0), 7);
}

TEST_F(MainWindowTest, ScreenshotFormatChoiceIsKeptBetweenRuns)
{
    TSettingsFile file;
    file.WriteInteger(u"Application"_s, u"Version"_s, ProgramVersionNumber);
    file.WriteBool(u"MovieInfo"_s, u"ScreenshotsAsBitmaps"_s, true);
    ASSERT_TRUE(file.Save(QDir(Program()).filePath(u"config.ini"_s)).Ok());
    Start({u"-portable"_s});
    EXPECT_EQ(TScreenMaker::DefaultGrabFormat(), TImageFormat::Bmp);
    TScreenMaker::SetDefaultGrabFormat(TImageFormat::Jpeg); // unticked in a screenshot maker
    Close();
    TSettingsFile written;
    ASSERT_TRUE(written.Load(QDir(Program()).filePath(u"config.ini"_s)));
    EXPECT_FALSE(written.ReadBool(u"MovieInfo"_s, u"ScreenshotsAsBitmaps"_s, true));
}

// Every text the window shows in German is German: a caption that is an English text of the
// table whose German text differs (or is missing) was left untranslated.
TEST_F(MainWindowTest, GermanWindowShowsNoEnglishTableText)
{
    QHash<QString, QList<int>> english; // caption -> text numbers
    QHash<int, QString> german;
    QSet<QString> germanCaptions;
    QFile table(QStringLiteral(RK_LANG_FILE));
    ASSERT_TRUE(table.open(QIODevice::ReadOnly | QIODevice::Text));
    const auto caption = [](QString text) {
        return text.left(text.indexOf(u"{HINT}"_s)).remove(u'&').trimmed();
    };
    static const QRegularExpression line(u"^(\\d+)\t(.*)$"_s);
    for (const QString &row : QString::fromUtf8(table.readAll()).split(u'\n')) {
        const QRegularExpressionMatch match = line.match(row);
        const int number = match.hasMatch() ? match.captured(1).toInt() : 0;
        if (number > 10001 && number < 20000)
            english[caption(match.captured(2))].append(number - 10000);
        else if (number > 20001 && number < 30000) {
            german.insert(number - 20000, caption(match.captured(2)));
            germanCaptions.insert(caption(match.captured(2)));
        }
    }
    const QString catalog = MakeCatalog(u"german.rkd"_s, {u"Alien"_s});
    TSettingsFile file;
    file.WriteInteger(u"Application"_s, u"Version"_s, ProgramVersionNumber);
    file.WriteInteger(u"Dialogs"_s, u"Language"_s, 7);
    file.WriteString(u"DataBase"_s, u"FileName"_s, catalog);
    file.WriteBool(u"Internet"_s, u"DoUpdates"_s, false);
    ASSERT_TRUE(file.Save(QDir(Program()).filePath(u"config.ini"_s)).Ok());
    Start({u"-portable"_s});
    window->show();
    QApplication::processEvents();
    const auto untranslated = [&] {
        // Each text with the name of the part that shows it.
        QList<std::pair<QString, QString>> shown;
        const auto holder = [](const QObject *object) {
            for (; object; object = object->parent()) {
                if (!object->objectName().isEmpty())
                    return object->objectName();
            }
            return QString();
        };
        for (QAction *action : window->findChildren<QAction *>())
            shown << std::pair(action->text(), holder(action));
        for (QAbstractButton *button : window->findChildren<QAbstractButton *>())
            shown << std::pair(button->text(), holder(button));
        for (QLabel *label : window->findChildren<QLabel *>())
            shown << std::pair(label->text(), holder(label));
        for (QMenu *menu : window->findChildren<QMenu *>())
            shown << std::pair(menu->title(), holder(menu));
        for (QGroupBox *box : window->findChildren<QGroupBox *>())
            shown << std::pair(box->title(), holder(box));
        QStringList found;
        for (const auto &[text, name] : std::as_const(shown)) {
            const QString plain = caption(text);
            if (plain.isEmpty() || germanCaptions.contains(plain))
                continue;
            // Some English text of this caption has a German one that is not shown.
            const QList<int> numbers = english.value(plain);
            if (std::any_of(numbers.cbegin(), numbers.cend(), [&](int number) {
                    return german.value(number) != plain;
                })) {
                found << u"%1 \"%2\""_s.arg(name, plain);
            }
        }
        found.removeDuplicates();
        return found.join(u", "_s);
    };
    EXPECT_EQ(untranslated().toStdString(), "");
    // The same after switching languages while the window is open, as the preferences do.
    for (int language : {9, 7}) {
        window->Language().SetLanguage(window->Language().IndexOfLanguage(language));
        window->TranslateAll();
    }
    EXPECT_EQ(untranslated().toStdString(), "");
}

} // namespace
