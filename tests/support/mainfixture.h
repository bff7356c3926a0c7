#pragma once

// The window program started on a generated catalog in a temporary program folder, with
// dialogs answered by the test and recording cards beside the lists.

#include <functional>
#include <memory>
#include <tuple>

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include "app/cardedit.h"
#include "app/catalogsession.h"
#include "app/catalogview.h"
#include "app/filtercontroller.h"
#include "app/listcontroller.h"
#include "app/listmodel.h"
#include "app/mainwindow.h"
#include "app/recordcard.h"
#include "app/webcontroller.h"
#include "catalog/actor.h"
#include "catalog/movie.h"
#include "catalog/version.h"
#include "catalog/videodatabase.h"
#include "logic/filters.h"
#include "logic/settingsfile.h"
#include "tests/support/fakemaindialogs.h"
#include "tests/support/samplecatalog.h"
#include "views/mvframe.h"

// Test code only: the fixture is written with the string literals the tests use.
using namespace Qt::StringLiterals;

// Records what the window asks of a card.
class TTestCard : public IRecordCard
{
public:
    void ShowRecord(TDBItem *record, bool edit) override
    {
        shown = record;
        editing = edit;
        ++shows;
    }
    void StoreEdits(TDBItem *record) override
    {
        stored.append(record);
        if (record && !pendingTitle.isEmpty() && record->Kind() == TRecordKind::Movie)
            static_cast<TBaseMovie *>(record)->SetTitle(pendingTitle);
        pendingTitle.clear();
    }
    void FocusTitle() override { ++titleFocus; }
    void RefreshMarks() override {}
    void AddLinkToMovie(TBaseMovie *movie) override { links.append(movie); }
    bool ScrollPage() override
    {
        if (pagesLeft == 0)
            return false;
        --pagesLeft;
        return true;
    }
    void ScrollHome() override { ++homes; }
    bool HasKeyboardFocus() const override { return focused; }

    TDBItem *shown = nullptr;
    bool editing = false;
    int shows = 0;
    int titleFocus = 0;
    QString pendingTitle;
    int pagesLeft = 0;
    int homes = 0;
    bool focused = false;
    QList<TDBItem *> stored;
    QList<TBaseMovie *> links;
};

class MainWindowFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        QDir(root.path()).mkpath(u"program"_s);
        ASSERT_TRUE(
            QFile::copy(QStringLiteral(RK_LANG_FILE), QDir(Program()).filePath(u"lang.txt"_s)));
        qputenv("HOME", root.filePath(u"home"_s).toUtf8());
        qputenv("XDG_CONFIG_HOME", root.filePath(u"home/.config"_s).toUtf8());
        dialogs = std::make_shared<TFakeDialogs>();
        settings.WriteInteger(u"Application"_s, u"Version"_s, ProgramVersionNumber);
        settings.WriteBool(u"Internet"_s, u"DoUpdates"_s, false);
        settings.WriteBool(u"Position"_s, u"Maximized"_s, false);
        settings.WriteInteger(u"Dialogs"_s, u"Language"_s, 9);
    }
    void TearDown() override
    {
        window.reset();
        qunsetenv("HOME");
        qunsetenv("XDG_CONFIG_HOME");
    }
    QString Program() const { return root.filePath(u"program"_s); }

    // A catalog of movies (title, genre, year) and people, then the window on it.
    void Start(const QList<std::tuple<QString, QString, int>> &movies,
               const QStringList &people = {})
    {
        const QString file = root.filePath(u"lists.rkd"_s);
        {
            TVideoDatabase db(file);
            ASSERT_TRUE(db.Open().ok);
            for (const auto &[title, genre, year] : movies) {
                auto *movie = static_cast<TMovie *>(db.AddRecord(0));
                movie->SetTitle(title);
                movie->SetGenre(genre);
                movie->SetYear(year);
                movie->SetViewed(true);
            }
            for (const QString &name : people)
                db.AddRecord(1, name);
            if (prepare)
                prepare(db);
            db.SetModified(true);
            ASSERT_TRUE(db.Save(false).Ok());
        }
        settings.WriteString(u"DataBase"_s, u"FileName"_s, file);
        ASSERT_TRUE(settings.Save(QDir(Program()).filePath(u"config.ini"_s)).Ok());
        TMainOptions options;
        options.programFolder = Program();
        options.arguments = arguments;
        options.dialogs = dialogs;
        options.useIdleEvents = idleEvents;
        window = std::make_unique<TMain>(options);
        if (!realCards) {
            window->Movies().SetCard(&movieCard);
            window->People().SetCard(&peopleCard);
        }
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        // The catalog is read once the event loop runs.
        ASSERT_TRUE(QTest::qWaitFor([this] { return window->Database() != nullptr; }));
    }
    // A file of a few bytes in the temporary folder, standing in for a video or other file.
    QString SmallFile(const QString &name) const { return SmallFileIn(root, name); }
    TCatalogList *Movies() const { return window->Movies().List(); }
    TListModel *Model() const { return window->Movies().Model(); }
    QStringList TopRows(int column = 2) const
    {
        QStringList texts;
        for (int row = 0; row < Model()->rowCount(); ++row)
            texts.append(Model()->index(row, column).data().toString());
        return texts;
    }
    TMovie *MovieTitled(const QString &title) const
    {
        TVideoDatabase *db = window->Database();
        for (int i = 0; i < db->MovieCount(); ++i) {
            if (db->Movie(i)->Title() == title)
                return db->Movie(i);
        }
        return nullptr;
    }
    void Trigger(const char *name)
    {
        QAction *action = window->Action(QString::fromLatin1(name));
        ASSERT_TRUE(action && action->isEnabled()) << name;
        action->trigger();
    }
    void ClickHeader(int column)
    {
        QHeaderView *header = Movies()->header();
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    }

    QTemporaryDir root;
    TSettingsFile settings;
    // The command line, and whether the window reacts to idle time as the program does.
    QStringList arguments{u"-portable"_s};
    bool idleEvents = false;
    // The window's own cards instead of the recording ones.
    bool realCards = false;
    // Runs on the catalog before it is saved and opened, for what the lists above miss.
    std::function<void(TVideoDatabase &)> prepare;
    std::shared_ptr<TFakeDialogs> dialogs;
    TTestCard movieCard;
    TTestCard peopleCard;
    std::unique_ptr<TMain> window;
};

// The window with its own movie and person cards instead of the recording ones.
class CardWindowFixture : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        realCards = true;
    }
    TmvFrame *MovieCard() const { return window->findChild<TmvFrame *>(u"MovieCard"_s); }
    // Makes a record current at once, without the lists' focus delay.
    void Focus(TDBItem *record)
    {
        ASSERT_TRUE(window->SelectRecord(record));
        Movies()->FlushFocus();
        window->People().List()->FlushFocus();
    }
};
