// The web controller without the window: the version check's notice and trigger, and the
// commands that must not start on a catalog that cannot take them.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QToolBar>

#include "app/webcontroller.h"
#include "catalog/daycount.h"
#include "catalog/videodatabase.h"
#include "host/downloader.h"
#include "host/pluginregistry.h"
#include "logic/settings.h"
#include "tests/support/fakemaindialogs.h"
#include "views/languagewide.h"

using namespace Qt::StringLiterals;

namespace {

// A window with no lists: records what the controller asks of it.
class TFakeWebHost : public IWebHost
{
public:
    TVideoDatabase *Catalog() const override { return catalog; }
    bool ReadOnly() const override { return readOnly; }
    bool PeopleMode() const override { return false; }
    bool Busy() const override { return busy; }
    void SetBusy(bool value) override
    {
        busy = value;
        ++busyChanges;
    }
    bool Closing() const override { return false; }
    TWaitWindow *WaitWindow() const override { return nullptr; }
    TmvFrame *MovieFrame() const override { return nullptr; }
    bool ShowFloppy() const override { return false; }
    QString InitialFolder(int) const override { return {}; }
    void RememberFolder(int, const QString &) override {}
    TDBItem *CurrentRecord(TRecordKind) const override { return nullptr; }
    QList<TDBItem *> SelectedRecords() const override { return {}; }
    TDBItem *CreateRecord(int) override { return nullptr; }
    void KeepCardInput() override {}
    void FinishEditing() override {}
    void SetMode(TRecordKind) override {}
    void FocusRecord(TDBItem &) override {}
    void ReselectRecords(const QList<TDBItem *> &) override {}
    void PlaceRecord(TDBItem &) override {}
    void FocusMovie(TBaseMovie &, bool) override {}
    void RecordChanged(TDBItem &) override {}
    void ShowCurrent() override {}
    void UpdateStatusBar() override {}
    void CommandUpdate() override {}
    void OpenAddress(const QString &address) override { opened.append(address); }
    void WebSearch(int, const QString &) override {}

    TVideoDatabase *catalog = nullptr;
    bool readOnly = false;
    bool busy = false;
    int busyChanges = 0;
    QStringList opened;
};

// Stands in for the download of the version file.
class TCountingCheck : public IVersionCheck
{
public:
    void StartVersionCheck() override { ++started; }
    int started = 0;
};

class WebControllerTest : public ::testing::Test
{
protected:
    void SetUp() override { Create(); }
    void TearDown() override
    {
        web.reset();
        SetVersionCheck(nullptr);
    }
    // A fresh controller on a fresh host.
    void Create()
    {
        web.reset();
        auto owned = std::make_unique<TFakeWebHost>();
        host = owned.get();
        web = std::make_unique<TWebController>(
            std::move(owned), &window, settings, folders, registry, menu, language, dialogs);
        web->CreateWebFlow();
    }

    QWidget window;
    TSettings settings;
    TAppFolders folders;
    TPluginRegistry registry;
    TPluginMenu menu{registry};
    TWideLanguage language;
    std::shared_ptr<TFakeDialogs> dialogs = std::make_shared<TFakeDialogs>();
    TFakeWebHost *host = nullptr;
    std::unique_ptr<TWebController> web;
};

TEST_F(WebControllerTest, VersionFileShowsTheUpdatesButtonAndOpensItsPageWhenAsked)
{
    const QByteArray program =
        QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUtf8();
    struct Case
    {
        QByteArray text;
        bool silent;
        bool shown;
        bool opened;
    };
    const Case cases[] = {
        {program + "|99.0.0|\r\n-END-\r\n", false, true, true},
        {program + "|99.0.0|\r\n-END-\r\n", true, true, false},
        {program + "|0.0.1|\r\n-END-\r\n", false, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.toStdString() + (c.silent ? " silent" : ""));
        auto *action = new QAction(&window);
        QToolBar bar;
        settings.LastUpdate = 0;
        Create();
        web->CreateUpdateCheck(action, &bar);
        EXPECT_EQ(RegisteredVersionCheck(), web.get());
        EXPECT_FALSE(action->isVisible());

        emit web->Downloader()->UpdateText(c.text, c.silent);

        // Any answer counts as a check done.
        EXPECT_GT(settings.LastUpdate, NowDays() - 1);
        EXPECT_EQ(action->isVisible(), c.shown);
        const QStringList page{UpdatePageUrl(
            settings.UpdateSite, TUpdateNotice::TTarget::Program, language.LanguageId())};
        EXPECT_EQ(host->opened, c.opened ? page : QStringList());
        if (c.shown) {
            action->trigger();
            EXPECT_EQ(host->opened.last(), page.first());
        }
    }
}

TEST_F(WebControllerTest, IdleMomentStartsTheRegisteredCheckOncePerMinuteUntilOneSucceeds)
{
    TCountingCheck check;
    SetVersionCheck(&check);
    settings.DoUpdates = true;
    settings.LastUpdate = 0;
    const double now = NowDays();
    const double minute = 1.0 / (24 * 60);

    EXPECT_TRUE(web->StartDueVersionCheck(now));
    EXPECT_FALSE(web->StartDueVersionCheck(now + minute / 2));
    EXPECT_TRUE(web->StartDueVersionCheck(now + 2 * minute));
    EXPECT_EQ(check.started, 2);

    settings.LastUpdate = now;
    EXPECT_FALSE(web->StartDueVersionCheck(now + 10 * minute));
    settings.LastUpdate = 0;
    settings.DoUpdates = false;
    EXPECT_FALSE(web->StartDueVersionCheck(now + 20 * minute));
    EXPECT_EQ(check.started, 2);
}

TEST_F(WebControllerTest, CommandsDoNothingWithoutAWritableIdleCatalog)
{
    TVideoDatabase catalog{QString()};
    struct Case
    {
        const char *name;
        TVideoDatabase *catalog;
        bool readOnly;
        bool busy;
    };
    const Case cases[] = {
        {"no catalog", nullptr, false, false},
        {"read-only", &catalog, true, false},
        {"busy", &catalog, false, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        host->catalog = c.catalog;
        host->readOnly = c.readOnly;
        host->busy = c.busy;
        host->busyChanges = 0;
        web->RunWebPlugin(0);
        web->RunCardButton(TCardButton::Information);
        web->OpenMovieMaster(u"Alien"_s, QString(), QString());
        EXPECT_EQ(host->busyChanges, 0);
        EXPECT_TRUE(dialogs->masterSetups.empty());
    }
}

} // namespace
