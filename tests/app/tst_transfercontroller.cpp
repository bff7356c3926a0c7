// The import and export runs on the lists without the window, with the test plug-ins.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include "app/transfercontroller.h"
#include "catalog/actor.h"
#include "host/pluginregistry.h"
#include "tests/support/commandfixture.h"
#include "tests/support/turncounter.h"
#include "views/languagewide.h"

namespace {

// The dialog folders the runs remember, and the web plug-ins they hand on.
class TFakeTransferHost : public ITransferHost
{
public:
    QString InitialFolder(int slot) const override { return folders.value(slot); }
    void RememberFolder(int slot, const QString &folder) override { folders[slot] = folder; }
    void RunWebPlugin(int index) override { webRuns.append(index); }
    void UpdateCardButtons() override {}

    QHash<int, QString> folders;
    QList<int> webRuns;
};

class TransferControllerTest : public CommandFixture
{
protected:
    // The controller over the catalog of `movies`, with the test import and export plug-ins.
    void StartWith(const QList<std::tuple<QString, QString, int>> &movies)
    {
        Start(movies);
        const QString plugins = root.filePath(u"Plugins"_s);
        ASSERT_TRUE(QDir().mkpath(plugins));
        for (const QString &name : {u"testexport.so"_s, u"testimport.so"_s})
            ASSERT_TRUE(
                QFile::copy(QStringLiteral(RK_TEST_PLUGINS_DIR "/") + name, plugins + u'/' + name));
        registry.Discover(plugins, RK_LANG_ENGLISH);
        ASSERT_EQ(registry.Count(), 2);
        auto owned = std::make_unique<TFakeTransferHost>();
        transferHost = owned.get();
        transfers = std::make_unique<TTransferController>(
            *host, std::move(owned), registry, settings, language);
    }
    void TearDown() override
    {
        transfers.reset();
        CommandFixture::TearDown();
    }
    QString Write(const QString &name, const QByteArray &content) const
    {
        QFile file(root.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return file.fileName();
    }

    // Registry order is file-name order.
    static constexpr int ExportPlugin = 0;
    static constexpr int ImportPlugin = 1;
    TPluginRegistry registry;
    TWideLanguage language;
    TFakeTransferHost *transferHost = nullptr;
    std::unique_ptr<TTransferController> transfers;
};

TEST_F(TransferControllerTest, ImportOfOnlyPeopleShowsThePeopleWithTheFirstSelected)
{
    StartWith({{u"Alien"_s, u"Horror"_s, 1979}});
    const QString input = Write(u"people.txt"_s, "H\t0=Ridley Scott\nH\t0=Akira Kurosawa\n");
    // The named file is read without the file question; a busy window refuses the run.
    host->busy = true;
    transfers->RunImportPlugin(ImportPlugin, input);
    EXPECT_EQ(db->PersonCount(), 0);
    host->busy = false;
    transfers->RunImportPlugin(ImportPlugin, input);

    ASSERT_EQ(db->PersonCount(), 2);
    EXPECT_FALSE(host->busy);
    EXPECT_EQ(host->mode, TRecordKind::Person);
    const QList<TDBItem *> selected = host->lists[1]->SelectedRecords();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(static_cast<TActor *>(selected.first())->Name(), u"Ridley Scott"_s);
    EXPECT_EQ(host->status, u"2 people imported, 0 merged, 0 skipped"_s);
    EXPECT_EQ(transferHost->folders.value(5), root.path());
}

TEST_F(TransferControllerTest, ImportTurnsTheEventLoopRarelyAndBuildsEachListOnce)
{
    StartWith({{u"Alien"_s, u"Horror"_s, 1979}});
    QByteArray lines;
    for (int i = 0; i < 400; ++i)
        lines +=
            "M\t1=Movie " + QByteArray::number(i) + "\nH\t0=Person " + QByteArray::number(i) + '\n';
    const QString input = Write(u"many.txt"_s, lines);
    int resets[2] = {0, 0};
    for (int kind : {0, 1})
        QObject::connect(host->lists[kind]->Model(),
                         &QAbstractItemModel::modelReset,
                         host->lists[kind]->Model(),
                         [&resets, kind] { ++resets[kind]; });
    TTurnCounter counter;
    QElapsedTimer elapsed;
    elapsed.start();
    transfers->RunImportPlugin(ImportPlugin, input);

    ASSERT_EQ(db->MovieCount(), 401);
    EXPECT_EQ(host->lists[0]->Model()->rowCount(), 401);
    EXPECT_EQ(host->lists[1]->Model()->rowCount(), 400);
    EXPECT_EQ(resets[0], 1);
    EXPECT_EQ(resets[1], 1);
    // The wait window's own paints and a turn every 100 ms, not one per record.
    EXPECT_LE(counter.turns, 4 + elapsed.elapsed() / 100);
}

TEST_F(TransferControllerTest, ExportWritesTheSelectionAndRemembersItsFolder)
{
    StartWith({{u"Alien"_s, u"Horror"_s, 1979}, {u"Brazil"_s, u"Comedy"_s, 1985}});
    const QString output = root.filePath(u"out/export.txt"_s);
    ASSERT_TRUE(QDir().mkpath(root.filePath(u"out"_s)));
    Focus(MovieTitled(u"Brazil"_s));
    dialogs.saveAnswers.push_back(output);
    // An import plug-in's tag does not export.
    transfers->RunExportPlugin(ImportPlugin);
    EXPECT_EQ(dialogs.saveAnswers.size(), 1u);
    transfers->RunExportPlugin(ExportPlugin);

    QFile out(output);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    const QByteArray exported = out.readAll();
    EXPECT_TRUE(exported.contains("Brazil"));
    EXPECT_FALSE(exported.contains("Alien"));
    EXPECT_EQ(transferHost->folders.value(4), root.filePath(u"out"_s));
}

} // namespace
