// Ending the window program without losing work: closing while a card is edited, signals,
// the recovery copy a refused save leaves and the next start's offer of it, and the real
// program ending on SIGTERM.
#include <csignal>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>

#include "tests/support/mainfixture.h"
#include "tests/support/widgettest.h"

namespace {

class ShutdownTest : public CardWindowFixture
{
protected:
    void SetUp() override
    {
        CardWindowFixture::SetUp();
        idleEvents = true;
    }
    QString Catalog() const { return root.filePath(u"lists.rkd"_s); }
    // Edits Alien's year and country in its card as a user types them, without applying.
    void EditAlien()
    {
        Focus(MovieTitled(u"Alien"_s));
        Trigger("EditVidAct");
        for (const auto &[name, text] : {std::pair{"YearEdit", "1986"}, {"CountryEdit", "UK"}}) {
            auto *edit = Child<QLineEdit>(MovieCard(), name);
            edit->setFocus();
            edit->selectAll();
            QTest::keyClicks(edit, QString::fromLatin1(text));
        }
    }
    // The year and country of the movie titled Alien in the catalog file.
    static std::pair<int, QString> AlienInFile(const QString &file)
    {
        TVideoDatabase db(file);
        EXPECT_TRUE(db.Open().ok);
        for (int i = 0; i < db.MovieCount(); ++i) {
            if (db.Movie(i)->Title() == u"Alien"_s)
                return {db.Movie(i)->Year(), db.Movie(i)->Country()};
        }
        return {};
    }
    // The window again on the same program folder and settings, as at the next start.
    void Restart()
    {
        window.reset();
        TMainOptions options;
        options.programFolder = Program();
        options.arguments = arguments;
        options.dialogs = dialogs;
        window = std::make_unique<TMain>(options);
        window->show();
        ASSERT_TRUE(QTest::qWaitFor([this] { return window->Database() != nullptr; }));
    }
};

TEST_F(ShutdownTest, ExitWhileEditingStoresTheCardsInput)
{
    Start({{u"Alien"_s, u"Horror"_s, 1979}});
    EditAlien();
    Trigger("ExitAct");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(AlienInFile(Catalog()), std::pair(1986, u"UK"_s));
}

TEST_F(ShutdownTest, SigtermSavesThePendingEditAndTheSettings)
{
    Start({{u"Alien"_s, u"Horror"_s, 1979}});
    window->CatchSessionEnd();
    window->resize(window->width() + 20, window->height());
    const int width = window->width();
    EditAlien();
    std::raise(SIGTERM);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }));
    EXPECT_EQ(AlienInFile(Catalog()), std::pair(1986, u"UK"_s));
    TSettingsFile written;
    ASSERT_TRUE(written.Load(QDir(Program()).filePath(u"config.ini"_s)));
    EXPECT_EQ(written.ReadInteger(u"Position"_s, u"Width"_s, 0), width);
    EXPECT_FALSE(QFile::exists(window->Database()->RecoveryFileName()));
}

TEST_F(ShutdownTest, TheSessionsEndSavesTheEditAndKeepsTheWindow)
{
    Start({{u"Alien"_s, u"Horror"_s, 1979}});
    EditAlien();
    window->CommitData();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(AlienInFile(Catalog()), std::pair(1986, u"UK"_s));
}

TEST_F(ShutdownTest, ARefusedSaveLeavesARecoveryCopyThatTheNextStartRestores)
{
    Start({{u"Alien"_s, u"Horror"_s, 1979}});
    window->CatchSessionEnd();
    EditAlien();
    // Write-protected behind the window's back: the save at the end is refused.
    QFile file(Catalog());
    const QFileDevice::Permissions permissions = file.permissions();
    ASSERT_TRUE(file.setPermissions(QFileDevice::ReadOwner));
    std::raise(SIGTERM);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }));
    const QString copy = window->Database()->RecoveryFileName();
    EXPECT_EQ(AlienInFile(Catalog()), std::pair(1979, QString()));
    EXPECT_EQ(AlienInFile(copy), std::pair(1986, u"UK"_s));

    ASSERT_TRUE(file.setPermissions(permissions));
    // The first start is declined: the copy stays and is offered again.
    dialogs->yesNoAnswers = {false};
    Restart();
    ASSERT_EQ(dialogs->questions.size(), 1);
    EXPECT_TRUE(dialogs->questions[0].contains(copy)) << dialogs->questions[0].toStdString();
    EXPECT_EQ(MovieTitled(u"Alien"_s)->Year(), 1979);
    EXPECT_TRUE(QFile::exists(copy));

    dialogs->yesNoAnswers = {true};
    Restart();
    EXPECT_EQ(MovieTitled(u"Alien"_s)->Country(), u"UK"_s);
    EXPECT_FALSE(window->Database()->Modified());
    EXPECT_EQ(AlienInFile(Catalog()), std::pair(1986, u"UK"_s));
    EXPECT_FALSE(QFile::exists(copy));
}

// The real program, started on a catalog named on the command line and ended by SIGTERM.
class ShutdownProcessTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        QDir().mkpath(Config() + u"/Reelkeep"_s);
        TSettingsFile settings;
        settings.WriteBool(u"Internet"_s, u"DoUpdates"_s, false);
        ASSERT_TRUE(settings.Save(Config() + u"/Reelkeep/config.ini"_s).Ok());
    }
    QString Catalog() const { return root.filePath(u"movies.rkd"_s); }
    QString Config() const { return root.filePath(u"config"_s); }
    QByteArray CatalogBytes() const
    {
        QFile file(Catalog());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Starts the program, sends SIGTERM once it catches it and expects a clean end.
    void RunAndTerminate()
    {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        environment.insert(u"HOME"_s, root.path());
        environment.insert(u"XDG_CONFIG_HOME"_s, Config());
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(RK_REELKEEP_PATH), {Catalog()});
        ASSERT_TRUE(program.waitForStarted());
        // Up once it catches SIGTERM (bit 15 of the caught-signals mask).
        const QString status = u"/proc/%1/status"_s.arg(program.processId());
        auto catchesTerm = [&] {
            QFile file(status);
            if (!file.open(QIODevice::ReadOnly))
                return false;
            for (const QByteArray &line : file.readAll().split('\n')) {
                if (line.startsWith("SigCgt:"))
                    return ((line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1)
                           != 0;
            }
            return false;
        };
        ASSERT_TRUE(QTest::qWaitFor(catchesTerm, 20000));
        ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
        ASSERT_TRUE(program.waitForFinished(20000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
        TSettingsFile written;
        ASSERT_TRUE(written.Load(Config() + u"/Reelkeep/config.ini"_s));
        EXPECT_EQ(written.ReadString(u"DataBase"_s, u"FileName"_s, QString()), Catalog());
    }

    QTemporaryDir root;
};

TEST_F(ShutdownProcessTest, AnUnmodifiedCatalogIsLeftAsItWas)
{
    {
        TVideoDatabase db(Catalog());
        ASSERT_TRUE(db.Open().ok);
        static_cast<TMovie *>(db.AddRecord(0))->SetTitle(u"Alien"_s);
        ASSERT_TRUE(db.Save(true).Ok());
    }
    const QByteArray bytes = CatalogBytes();
    RunAndTerminate();
    EXPECT_EQ(CatalogBytes(), bytes);
}

TEST_F(ShutdownProcessTest, UnsavedChangesAreSaved)
{
    // A catalog of an older version: opening it moves its picture paths into the new form,
    // a change held only in memory until the catalog is saved.
    QFile file(Catalog());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<xml>\r\n<reelkeep><version>0.9.5</version>\r\n<movie><title>Alien</title>\r\n"
               "<coverformat>3</coverformat>\r\n<coverpath>movies/Posters/A.jpg</coverpath>\r\n"
               "</movie>\r\n</reelkeep>\r\n");
    file.close();
    RunAndTerminate();
    const QByteArray saved = CatalogBytes();
    EXPECT_TRUE(saved.contains("<coverpath>A.jpg</coverpath>")) << saved.toStdString();
    EXPECT_TRUE(saved.contains("<version>0.9.6</version>"));
}

} // namespace
