#pragma once

// The window's command controllers on a generated catalog without the window: the two real
// lists, recording cards, the wait window, and dialogs answered by the test.

#include <array>
#include <functional>
#include <memory>
#include <tuple>

#include <gtest/gtest.h>

#include <QItemSelectionModel>
#include <QLocale>
#include <QTemporaryDir>
#include <QWidget>

#include "app/cardedit.h"
#include "app/catalogview.h"
#include "app/commandhost.h"
#include "app/grouping.h"
#include "app/listcontroller.h"
#include "app/listmodel.h"
#include "app/recordcard.h"
#include "app/recordcommands.h"
#include "app/toolscontroller.h"
#include "app/waitwindow.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"
#include "logic/filters.h"
#include "logic/settings.h"
#include "tests/support/fakemaindialogs.h"

// Test code only: the fixture is written with the string literals the tests use.
using namespace Qt::StringLiterals;

// Records the record it was asked to show; `input` stands for what was typed into it.
class TShownCard : public IRecordCard
{
public:
    void ShowRecord(TDBItem *record, bool edit) override
    {
        shown = record;
        editing = edit;
    }
    void StoreEdits(TDBItem *record) override
    {
        if (input && record)
            input(*record);
        input = nullptr;
    }
    void FocusTitle() override {}
    void RefreshMarks() override {}
    void AddLinkToMovie(TBaseMovie *) override {}
    bool ScrollPage() override { return false; }
    void ScrollHome() override {}
    bool HasKeyboardFocus() const override { return false; }

    TDBItem *shown = nullptr;
    bool editing = false;
    std::function<void(TDBItem &)> input;
};

// What the window does for the controllers, kept to what they can observe: the movie list
// is the shown one and drives the real card edit; the person list keeps its focused record
// current.
class TTestCommandHost : public ICommandHost
{
public:
    TTestCommandHost(TSettings &settings, TFakeDialogs &dialogs)
        : records(*this, settings)
        , tools(*this, settings)
        , edit(*this, records, tools)
        , m_dialogs(dialogs)
    {
        window.resize(400, 600);
        const auto text = [](int, const QString &english) { return english; };
        for (const TRecordKind kind : {TRecordKind::Movie, TRecordKind::Person}) {
            const int i = kind == TRecordKind::Person;
            lists[i] = new TListController(kind, settings, text, &window);
            lists[i]->SetFilter(&filter);
            lists[i]->SetCard(&cards[i]);
            lists[i]->List()->resize(400, 600);
            TListController *controller = lists[i];
            QObject::connect(controller->List(),
                             &TCatalogList::NodeFocused,
                             controller,
                             [this, controller](TViewNode *, TDBItem *record, bool startEditing) {
                                 if (controller == &Shown())
                                     edit.OnNodeFocused(*controller, record, startEditing);
                                 else
                                     controller->SetCurrent(record);
                             });
            QObject::connect(controller->List(),
                             &TCatalogList::FocusLeaving,
                             controller,
                             [this, controller] { edit.OnFocusLeaving(*controller); });
        }
        wait = new TWaitWindow(&window);
    }

    // Shows the catalog in both lists.
    void Open(TVideoDatabase &db)
    {
        catalog = &db;
        for (TListController *controller : lists) {
            db.AddObserver(controller->Model());
            controller->SetCatalog(&db);
            controller->ApplyGrouping(TGroupTexts());
            controller->Build();
            controller->List()->FlushFocus();
        }
    }
    void Close()
    {
        for (TListController *controller : lists) {
            controller->SetCurrent(nullptr);
            if (catalog)
                catalog->RemoveObserver(controller->Model());
            controller->SetCatalog(nullptr);
        }
        catalog = nullptr;
    }

    TVideoDatabase *Database() const override { return catalog; }
    bool ReadOnly() const override { return false; }
    bool PeopleMode() const override { return false; }
    TListController &Lists(TRecordKind kind) const override
    {
        return *lists[kind == TRecordKind::Person];
    }
    TListController &Shown() const override { return *lists[0]; }
    const TFilterState &Filter() const override { return filter; }
    TCardEdit &Edit() override { return edit; }
    void CommandUpdate() override {}
    void UpdateStatusBar() override {}
    void ShowStatusText(const QString &text) override { status = text; }
    void SetMode(TRecordKind kind) override { mode = kind; }
    void RepaintLists() override {}
    void OpenMovieMaster(const QString &title, const QString &origTitle, const QString &) override
    {
        masterTitles = {title, origTitle};
    }
    void SetWebSearchText(const QString &text) override { webSearch = text; }
    bool Busy() const override { return busy; }
    void SetBusy(bool value) override { busy = value; }
    TWaitWindow *WaitWindow() const override { return wait; }
    QString Text(int, const QString &english) const override { return english; }
    IMainDialogs &Dialogs() const override { return m_dialogs; }
    QWidget *Window() override { return &window; }

    TRecordCommands records;
    TToolsController tools;
    TCardEdit edit;
    QWidget window;
    std::array<TListController *, 2> lists{};
    std::array<TShownCard, 2> cards;
    TVideoDatabase *catalog = nullptr;
    TFilterState filter;
    TWaitWindow *wait = nullptr;
    QString status;
    TRecordKind mode = TRecordKind::Movie;
    QStringList masterTitles;
    QString webSearch;
    bool busy = false;

private:
    TFakeDialogs &m_dialogs;
};

// A catalog of movies (title, genre, year) in a temporary folder and the controllers' host
// on it; `settings` are the window's settings the lists and commands read.
class CommandFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        folders.SettingsFolder = root.path() + u'/';
    }
    void TearDown() override
    {
        if (host)
            host->Close();
        host.reset();
        db.reset();
    }

    void Start(const QList<std::tuple<QString, QString, int>> &movies)
    {
        db = std::make_unique<TVideoDatabase>(root.filePath(u"lists.rkd"_s));
        ASSERT_TRUE(db->Open().ok);
        for (const auto &[title, genre, year] : movies) {
            auto *movie = static_cast<TMovie *>(db->AddRecord(0));
            movie->SetTitle(title);
            movie->SetGenre(genre);
            movie->SetYear(year);
            movie->SetViewed(true);
        }
        if (prepare)
            prepare(*db);
        host = std::make_unique<TTestCommandHost>(settings, dialogs);
        host->Open(*db);
    }

    TListController &MovieLists() const { return *host->lists[0]; }
    TCatalogList *Movies() const { return MovieLists().List(); }
    TListModel *Model() const { return MovieLists().Model(); }
    TMovie *MovieTitled(const QString &title) const
    {
        for (int i = 0; i < db->MovieCount(); ++i) {
            if (db->Movie(i)->Title() == title)
                return db->Movie(i);
        }
        return nullptr;
    }
    QStringList TopRows(int column = 2) const
    {
        QStringList texts;
        for (int row = 0; row < Model()->rowCount(); ++row)
            texts.append(Model()->index(row, column).data().toString());
        return texts;
    }
    // Makes the record focused and current at once, without the list's delay.
    void Focus(TDBItem *record)
    {
        ASSERT_TRUE(MovieLists().SelectRecord(record));
        Movies()->FlushFocus();
        ASSERT_EQ(MovieLists().Current(), record);
    }
    void AddToSelection(TDBItem *record)
    {
        const QModelIndex row = Model()->IndexOf(Model()->FirstNodeOf(record), 2);
        Movies()->selectionModel()->select(row,
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    QTemporaryDir root;
    TSettings settings;
    TAppFolders folders;
    TFakeDialogs dialogs;
    // Runs on the catalog before the lists show it.
    std::function<void(TVideoDatabase &)> prepare;
    std::unique_ptr<TVideoDatabase> db;
    std::unique_ptr<TTestCommandHost> host;
};
