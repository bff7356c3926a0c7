// The shipped export plug-ins from the window's Export menu.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTreeView>

#include "tests/support/mainfixture.h"
#include "tests/support/samplecatalog.h"

using namespace Qt::StringLiterals;

namespace {

using MainExportTest = MainWindowFixture;

TEST_F(MainExportTest, ExportMenuWritesTheSelectionAsTableAndPage)
{
    QDir(Program()).mkpath(u"Plugins"_s);
    for (const QString &plugin :
         {QStringLiteral(RK_CSVEXPORT_PATH), QStringLiteral(RK_HTMLEXPORT_PATH)}) {
        ASSERT_TRUE(QFile::copy(
            plugin, QDir(Program()).filePath(u"Plugins/"_s + QFileInfo(plugin).fileName())));
    }
    Start(Nineties);
    auto *list = window->findChild<QTreeView *>(u"MovieList"_s);
    ASSERT_NE(list, nullptr);
    list->selectAll();
    auto *exportMenu = window->findChild<QMenu *>(u"ExportMenu"_s);
    ASSERT_NE(exportMenu, nullptr);
    ASSERT_EQ(exportMenu->actions().size(), 2);

    for (QAction *action : exportMenu->actions()) {
        ASSERT_TRUE(action->isEnabled());
        const bool csv = action->text().contains(u"CSV"_s);
        const QString output = root.filePath(csv ? u"films.csv"_s : u"films.html"_s);
        dialogs->saveAnswers.push_back(output);
        action->trigger();
        QFile out(output);
        ASSERT_TRUE(out.open(QIODevice::ReadOnly)) << action->text().toStdString();
        const QString text = QString::fromUtf8(out.readAll());
        for (const auto &[title, genre, year] : Nineties)
            EXPECT_TRUE(text.contains(title)) << title.toStdString();
        if (csv) {
            EXPECT_EQ(text.count(u"\r\n"_s), 1 + Nineties.size());
        } else {
            EXPECT_TRUE(text.startsWith(u"<!DOCTYPE html>"_s));
            EXPECT_EQ(text.count(u"<article class=\"card\">"_s), Nineties.size());
        }
    }
}

// A record the plug-in refuses (a full disk) ends the export with an error naming the file.
TEST_F(MainExportTest, RefusedRecordShowsAnErrorNamingTheFile)
{
    QDir(Program()).mkpath(u"Plugins"_s);
    ASSERT_TRUE(QFile::copy(QStringLiteral(RK_TEST_PLUGINS_DIR "/testexport.so"),
                            QDir(Program()).filePath(u"Plugins/testexport.so"_s)));
    qputenv("RK_TEST_EXPORT_FAIL_AT", "2");
    Start(Nineties, {u"Ann"_s, u"Bob"_s, u"Cy"_s});
    for (const bool people : {false, true}) {
        if (people != window->PeopleMode())
            Trigger("dbModeAct");
        window->Shown().List()->selectAll();
        auto *exportMenu = window->findChild<QMenu *>(u"ExportMenu"_s);
        ASSERT_TRUE(exportMenu && exportMenu->actions().size() == 1);
        const QString output = root.filePath(people ? u"people.txt"_s : u"films.txt"_s);
        dialogs->saveAnswers.push_back(output);
        dialogs->errors.clear();
        exportMenu->actions().constFirst()->trigger();
        ASSERT_EQ(dialogs->errors.size(), 1) << "people " << people;
        EXPECT_TRUE(dialogs->errors.constFirst().contains(QDir::toNativeSeparators(output)))
            << dialogs->errors.constFirst().toStdString();
    }
    qunsetenv("RK_TEST_EXPORT_FAIL_AT");
}

// A shipped plug-in that cannot create its file (a missing folder) reports it too.
TEST_F(MainExportTest, MissingFolderShowsAnErrorNamingTheFile)
{
    QDir(Program()).mkpath(u"Plugins"_s);
    for (const QString &plugin :
         {QStringLiteral(RK_CSVEXPORT_PATH), QStringLiteral(RK_HTMLEXPORT_PATH)}) {
        ASSERT_TRUE(QFile::copy(
            plugin, QDir(Program()).filePath(u"Plugins/"_s + QFileInfo(plugin).fileName())));
    }
    Start(Nineties);
    window->Shown().List()->selectAll();
    auto *exportMenu = window->findChild<QMenu *>(u"ExportMenu"_s);
    ASSERT_TRUE(exportMenu && exportMenu->actions().size() == 2);
    for (QAction *action : exportMenu->actions()) {
        const QString output = root.filePath(u"missing/films"_s);
        dialogs->saveAnswers.push_back(output);
        dialogs->errors.clear();
        action->trigger();
        ASSERT_EQ(dialogs->errors.size(), 1) << action->text().toStdString();
        EXPECT_TRUE(dialogs->errors.constFirst().contains(QDir::toNativeSeparators(output)))
            << dialogs->errors.constFirst().toStdString();
    }
}

} // namespace
