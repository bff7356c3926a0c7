// The catalog session without a window: what opening a file decides, what the save commands
// do with a read-only catalog, and what the host hears and when.
#include <chrono>
#include <deque>

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "app/catalogsession.h"
#include "catalog/cataloglock.h"
#include "catalog/videodatabase.h"
#include "logic/settings.h"
#include "tests/support/fakemaindialogs.h"

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

// Records what the session tells the window; catalogs are plain ones.
class TFakeHost : public ISessionHost
{
public:
    std::unique_ptr<TVideoDatabase> MakeCatalog(const QString &fileName) override
    {
        return std::make_unique<TVideoDatabase>(fileName);
    }
    void Log(const QString &) override {}
    void ShowStatusText(const QString &) override {}
    void StoreEdits() override { events.append(u"store"_s); }
    bool WorkInProgress() const override { return busy; }
    QString InitialFolder(int) const override { return {}; }
    void RememberFolder(int, const QString &) override {}
    void CatalogClosing() override { events.append(u"closing"_s); }
    void CatalogRead() override { events.append(u"read"_s); }
    void ReadOnlyDecided() override { events.append(u"decided"_s); }
    void CatalogOpened() override { events.append(u"opened"_s); }
    void CatalogReplaced() override { events.append(u"replaced"_s); }
    void RecentChanged() override { events.append(u"recent"_s); }
    void ProtectionChanged() override { events.append(u"protection"_s); }
    void AppendStarting() override { events.append(u"appending"_s); }
    void RecordsAppended() override { events.append(u"appended"_s); }

    QStringList events;
    bool busy = false;
};

class TNoPasswords : public IPasswordPrompt
{
public:
    std::optional<QString> AskPassword(const QString &, bool) override { return std::nullopt; }
};

enum class TFile { Current, Newer, WriteProtected, HeldElsewhere, Foreign };

class CatalogSessionTest : public ::testing::Test
{
protected:
    // A catalog with one movie; `file` says how it differs from a plain current one.
    QString MakeFile(const QString &name, TFile file)
    {
        const QString path = root.filePath(name);
        if (file == TFile::Foreign) {
            QFile text(path);
            EXPECT_TRUE(text.open(QIODevice::WriteOnly));
            text.write("just some text\n");
            return path;
        }
        {
            TVideoDatabase db(path);
            EXPECT_TRUE(db.Open().ok);
            db.AddRecord(0);
            db.SetModified(true);
            EXPECT_TRUE(db.Save(false).Ok());
        }
        if (file == TFile::Newer) {
            QFile catalog(path);
            EXPECT_TRUE(catalog.open(QIODevice::ReadOnly));
            QByteArray bytes = catalog.readAll();
            catalog.close();
            EXPECT_TRUE(bytes.contains("0.9.6"));
            bytes.replace("0.9.6", "0.9.7");
            EXPECT_TRUE(catalog.open(QIODevice::WriteOnly | QIODevice::Truncate));
            catalog.write(bytes);
        } else if (file == TFile::WriteProtected) {
            QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadUser);
        } else if (file == TFile::HeldElsewhere) {
            other = std::make_unique<TCatalogLock>(path);
            EXPECT_EQ(other->Lock(0ms), TCatalogLock::TState::Held);
        }
        return path;
    }

    QTemporaryDir root;
    TFakeHost host;
    TFakeDialogs dialogs;
    TNoPasswords passwords;
    TSettings settings;
    TAppFolders folders;
    TCatalogSession session{host,
                            dialogs,
                            passwords,
                            settings,
                            folders,
                            [](int, const QString &text) { return text; },
                            nullptr};
    std::unique_ptr<TCatalogLock> other;
};

TEST_F(CatalogSessionTest, OpeningDecidesReadOnlyAndTellsTheHostInOrder)
{
    const QStringList opened{u"store"_s,
                             u"recent"_s,
                             u"closing"_s,
                             u"read"_s,
                             u"decided"_s,
                             u"opened"_s,
                             u"protection"_s,
                             u"replaced"_s};
    struct TCase
    {
        const char *name;
        TFile file;
        std::deque<bool> answers; // to the newer-version question
        bool readOnly;            // a foreign file leaves the open catalog's
        int questions;
        int warnings; // another program holds the file
        int errors;
    };
    const TCase cases[] = {
        {"current", TFile::Current, {}, false, 0, 0, 0},
        {"newer, Yes", TFile::Newer, {true}, true, 1, 0, 0},
        {"newer, No", TFile::Newer, {false}, false, 1, 0, 0},
        {"write-protected", TFile::WriteProtected, {}, true, 0, 0, 0},
        {"held elsewhere", TFile::HeldElsewhere, {}, true, 0, 1, 0},
        {"foreign", TFile::Foreign, {}, false, 0, 0, 1},
    };
    int n = 0;
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = MakeFile(u"case%1.rkd"_s.arg(n++), c.file);
        dialogs.yesNoAnswers = c.answers;
        dialogs.questions.clear();
        dialogs.messages.clear();
        dialogs.errors.clear();
        host.events.clear();
        const QString before = session.Database() ? session.Database()->FileName() : QString();
        const bool readOnlyBefore = session.ReadOnly();

        const bool foreign = c.file == TFile::Foreign;
        EXPECT_EQ(session.OpenCatalog(path), !foreign);
        EXPECT_EQ(session.ReadOnly(), foreign ? readOnlyBefore : c.readOnly);
        EXPECT_EQ(dialogs.questions.size(), c.questions);
        EXPECT_EQ(dialogs.messages.size(), c.warnings);
        EXPECT_EQ(dialogs.errors.size(), c.errors);
        // A refused file leaves the open catalog and the host alone.
        EXPECT_EQ(host.events, foreign ? QStringList() : opened);
        EXPECT_EQ(session.Database()->FileName(), foreign ? before : path);
        if (foreign)
            continue;
        EXPECT_EQ(settings.FileName, path);
        EXPECT_EQ(session.Database()->MovieCount(), 1);
        session.Database()->SetModified(true);
        EXPECT_EQ(session.SaveCatalog(), !c.readOnly);
        EXPECT_EQ(session.Database()->Modified(), c.readOnly);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        other.reset();
    }
}

TEST_F(CatalogSessionTest, SaveAsLeavesReadOnlyAndAutoSaveWaitsForWork)
{
    const QString newer = MakeFile(u"newer.rkd"_s, TFile::Newer);
    const QString held = MakeFile(u"held.rkd"_s, TFile::HeldElsewhere);
    dialogs.yesNoAnswers = {true};
    ASSERT_TRUE(session.OpenCatalog(newer));
    ASSERT_TRUE(session.ReadOnly());
    session.AppendCatalog(); // refused without a question
    EXPECT_TRUE(dialogs.openFolders.isEmpty());

    // Another program's file is no target; the catalog stays where it was.
    dialogs.saveAnswers = {held};
    EXPECT_FALSE(session.SaveCatalogAs());
    EXPECT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(session.Database()->FileName(), newer);

    const QString copy = root.filePath(u"copy.rkd"_s);
    dialogs.saveAnswers = {copy};
    host.events.clear();
    ASSERT_TRUE(session.SaveCatalogAs());
    EXPECT_FALSE(session.ReadOnly());
    EXPECT_EQ(host.events, (QStringList{u"recent"_s, u"decided"_s}));
    EXPECT_EQ(settings.FileName, copy);
    EXPECT_EQ(session.Recent().Expand(0, QString()), newer);

    // Armed by an idle moment, the tick waits while the host is busy.
    session.Database()->SetModified(true);
    session.OnIdle();
    host.busy = true;
    session.OnAutoSaveTimer();
    EXPECT_TRUE(session.Database()->Modified());
    host.busy = false;
    session.OnAutoSaveTimer();
    EXPECT_FALSE(session.Database()->Modified());
}

} // namespace
