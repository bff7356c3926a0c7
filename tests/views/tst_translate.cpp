#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>

#include "host/messagesink.h"
#include "views/languagewide.h"
#include "views/translate.h"

namespace {

struct TRecordingSink : IMessageSink
{
    void ShowMessage(TMessageKind, const QString &, const QString &text) override
    {
        texts.append(text);
    }
    QStringList texts;
};

// English at base 1000 and German at base 5000; German holds only some texts.
const char *const Table = "0\tEnglish|1000:9;Deutsch|5000:7;\n"
                          "1100\tMain#13window\n"
                          "1110\t&File\n"
                          "1111\t&Open{HINT}1190\n"
                          "1112\tLeft alone\n"
                          "1120\tName:\n"
                          "1121\tSeen\n"
                          "1122\tOnly\n"
                          "1130\tGeneral\n"
                          "1131\tPictures\n"
                          "1140\tDVD\n"
                          "1142\tFile\n"
                          "1150\tTitle\n"
                          "1151\tYear\n"
                          "1160\tRoot\n"
                          "1161\tChild\n"
                          "1162\tSecond\n"
                          "1170\tNumber\n"
                          "1171\tLength\n"
                          "1180\tSave{HINT}1191\n"
                          "1181\tExcluded\n"
                          "1185\tOpen catalog\n"
                          "1186\tDialog\n"
                          "2190\tOpens a#13catalog\n"
                          "2191\tStore it\n"
                          "5100\tHauptfenster\n"
                          "5110\t&Datei\n"
                          "5120\tName:\n";

void SetTag(QObject *object, int tag)
{
    object->setProperty(TagProperty, tag);
}

class TranslateTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString path = m_dir.filePath(QStringLiteral("lang.txt"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(Table);
        file.close();
        ASSERT_TRUE(m_language.Load(path));
        BuildWindow();
    }

    // A small main window with one tagged component of each kind, in creation order.
    void BuildWindow()
    {
        SetTag(&m_window, 100);
        m_window.setWindowTitle(QStringLiteral("built-in title"));
        m_fileMenu = m_window.menuBar()->addMenu(QStringLiteral("built-in file"));
        SetTag(m_fileMenu, 110);
        m_open = new QAction(QStringLiteral("built-in open"), &m_window);
        m_open->setToolTip(QStringLiteral("built-in tip"));
        SetTag(m_open, 111);
        m_fileMenu->addAction(m_open);
        m_viewMenu = m_window.menuBar()->addMenu(QStringLiteral("built-in view"));
        m_viewAction = new QAction(QStringLiteral("built-in mode"), &m_window);
        SetTag(m_viewAction, 112);
        m_viewMenu->addAction(m_viewAction);

        auto *central = new QWidget(&m_window);
        m_window.setCentralWidget(central);
        m_label = new QLabel(QStringLiteral("built-in name"), central);
        SetTag(m_label, 120);
        m_label->setToolTip(QStringLiteral("built-in label tip"));
        m_check = new QCheckBox(QStringLiteral("built-in seen"), central);
        SetTag(m_check, 121);
        m_radio = new QRadioButton(QStringLiteral("built-in only"), central);
        SetTag(m_radio, 122);
        m_untagged = new QLabel(QStringLiteral("untagged"), central);
        m_tabs = new QTabWidget(central);
        SetTag(m_tabs, 130);
        m_tabs->addTab(new QWidget, QStringLiteral("built-in general"));
        m_tabs->addTab(new QWidget, QStringLiteral("built-in pictures"));
        m_tabs->addTab(new QWidget, QStringLiteral("built-in third"));
        m_combo = new QComboBox(central);
        SetTag(m_combo, 140);
        m_combo->addItems({QStringLiteral("dvd"), QStringLiteral("vhs"), QStringLiteral("file")});
        m_list = new QTreeWidget(central);
        SetTag(m_list, 150);
        m_list->setHeaderLabels({QStringLiteral("title"), QStringLiteral("year")});
        m_nodes = new QTreeWidget(central);
        SetTag(m_nodes, 160);
        m_nodes->setHeaderHidden(true);
        auto *root = new QTreeWidgetItem(m_nodes, {QStringLiteral("root")});
        new QTreeWidgetItem(root, {QStringLiteral("child")});
        new QTreeWidgetItem(m_nodes, {QStringLiteral("second")});
        m_view = new QTreeView(central);
        auto *model = new QStandardItemModel(0, 2, m_view);
        model->setHorizontalHeaderLabels({QStringLiteral("num"), QStringLiteral("len")});
        m_view->setModel(model);
        SetTag(m_view->header(), 170);
        m_toolButton = new QToolButton(central);
        m_toolButton->setText(QStringLiteral("built-in save"));
        SetTag(m_toolButton, 180);
        m_excluded = new QLabel(QStringLiteral("built-in excluded"), central);
        SetTag(m_excluded, 181);
        m_fileDialog = new QFileDialog(&m_window);
        SetTag(m_fileDialog, 185);
        m_dialog = new QDialog(&m_window);
        m_dialog->setWindowTitle(QStringLiteral("built-in dialog"));
        SetTag(m_dialog, 186);

        m_language.Exclude(m_viewMenu);
        m_language.Exclude(m_excluded);
    }

    QTemporaryDir m_dir;
    TRecordingSink m_sink;
    TWideLanguage m_language{&m_sink};
    QMainWindow m_window;
    QMenu *m_fileMenu = nullptr;
    QMenu *m_viewMenu = nullptr;
    QAction *m_open = nullptr;
    QAction *m_viewAction = nullptr;
    QLabel *m_label = nullptr;
    QCheckBox *m_check = nullptr;
    QRadioButton *m_radio = nullptr;
    QLabel *m_untagged = nullptr;
    QTabWidget *m_tabs = nullptr;
    QComboBox *m_combo = nullptr;
    QTreeWidget *m_list = nullptr;
    QTreeWidget *m_nodes = nullptr;
    QTreeView *m_view = nullptr;
    QToolButton *m_toolButton = nullptr;
    QLabel *m_excluded = nullptr;
    QFileDialog *m_fileDialog = nullptr;
    QDialog *m_dialog = nullptr;
};

TEST_F(TranslateTest, EveryKindGetsItsTexts)
{
    Translate(m_language, &m_window);
    EXPECT_TRUE(m_sink.texts.isEmpty());
    // The window title is taken as stored.
    EXPECT_EQ(m_window.windowTitle(), QStringLiteral("Main#13window"));
    EXPECT_EQ(m_fileMenu->title(), QStringLiteral("&File"));
    EXPECT_EQ(m_open->text(), QStringLiteral("&Open"));
    EXPECT_EQ(m_open->toolTip(), QStringLiteral("built-in tip")); // menu items have no hint
    EXPECT_EQ(m_label->text(), QStringLiteral("Name:"));
    EXPECT_EQ(m_label->toolTip(), QString()); // no "{HINT}": the hint is emptied
    EXPECT_EQ(m_check->text(), QStringLiteral("Seen"));
    EXPECT_EQ(m_radio->text(), QStringLiteral("Only"));
    EXPECT_EQ(m_untagged->text(), QStringLiteral("untagged"));
    EXPECT_EQ(m_tabs->tabText(0), QStringLiteral("General"));
    EXPECT_EQ(m_tabs->tabText(1), QStringLiteral("Pictures"));
    EXPECT_EQ(m_tabs->tabText(2), QStringLiteral("built-in third")); // text 132 missing
    EXPECT_EQ(m_combo->itemText(0), QStringLiteral("DVD"));
    EXPECT_EQ(m_combo->itemText(1), QStringLiteral("vhs"));
    EXPECT_EQ(m_combo->itemText(2), QStringLiteral("File"));
    EXPECT_EQ(m_list->headerItem()->text(0), QStringLiteral("Title"));
    EXPECT_EQ(m_list->headerItem()->text(1), QStringLiteral("Year"));
    EXPECT_EQ(m_nodes->topLevelItem(0)->text(0), QStringLiteral("Root"));
    EXPECT_EQ(m_nodes->topLevelItem(0)->child(0)->text(0), QStringLiteral("Child"));
    EXPECT_EQ(m_nodes->topLevelItem(1)->text(0), QStringLiteral("Second"));
    EXPECT_EQ(m_view->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Number"));
    EXPECT_EQ(m_view->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Length"));
    EXPECT_EQ(m_toolButton->text(), QStringLiteral("Save"));
    EXPECT_EQ(m_toolButton->toolTip(), QStringLiteral("Store it"));
    EXPECT_EQ(m_fileDialog->windowTitle(), QStringLiteral("Open catalog"));
    EXPECT_EQ(m_dialog->windowTitle(), QStringLiteral("built-in dialog")); // its own Translate
}

TEST_F(TranslateTest, ExcludedComponentsAndMenusKeepTheirTexts)
{
    Translate(m_language, &m_window);
    EXPECT_EQ(m_excluded->text(), QStringLiteral("built-in excluded"));
    EXPECT_EQ(m_viewMenu->title(), QStringLiteral("built-in view"));
    EXPECT_EQ(m_viewAction->text(), QStringLiteral("built-in mode"));
}

TEST_F(TranslateTest, SwitchingLanguagesKeepsMissingTextsFromBefore)
{
    Translate(m_language, &m_window);
    m_language.SetLanguage(m_language.IndexOfLanguage(7));
    Translate(m_language, &m_window);
    EXPECT_EQ(m_window.windowTitle(), QStringLiteral("Hauptfenster"));
    EXPECT_EQ(m_fileMenu->title(), QStringLiteral("&Datei"));
    EXPECT_EQ(m_label->text(), QStringLiteral("Name:"));
    // Texts German lacks keep what they showed: Caption's default is the current text.
    EXPECT_EQ(m_check->text(), QStringLiteral("Seen"));
    EXPECT_EQ(m_toolButton->toolTip(), QString());
}

TEST_F(TranslateTest, NothingChangesWithoutATable)
{
    m_language.Load(QString());
    Translate(m_language, &m_window);
    Translate(m_language, nullptr);
    EXPECT_EQ(m_window.windowTitle(), QStringLiteral("built-in title"));
    EXPECT_EQ(m_label->text(), QStringLiteral("built-in name"));
    EXPECT_EQ(m_label->toolTip(), QStringLiteral("built-in label tip"));
    EXPECT_TRUE(m_sink.texts.isEmpty());
}

TEST_F(TranslateTest, ToolBarGetsOnlyHintsTakenLiterally)
{
    QToolBar toolBar;
    QAction *save = toolBar.addAction(QStringLiteral("built-in save"));
    SetTag(save, 180);
    QAction *open = toolBar.addAction(QStringLiteral("built-in open"));
    SetTag(open, 111);
    Translate(m_language, &toolBar);
    EXPECT_EQ(save->toolTip(), QStringLiteral("1191"));
    EXPECT_EQ(open->toolTip(), QStringLiteral("1190"));
    EXPECT_EQ(save->text(), QStringLiteral("built-in save"));
}

TEST_F(TranslateTest, ToolBarActionInAWindowIsAButton)
{
    auto *toolBar = m_window.addToolBar(QStringLiteral("bar"));
    toolBar->addAction(m_open);
    Translate(m_language, &m_window);
    EXPECT_EQ(m_open->text(), QStringLiteral("&Open"));
    EXPECT_EQ(m_open->toolTip(), QStringLiteral("Opens a\ncatalog"));
}

TEST_F(TranslateTest, HintWithoutNumberStopsTheWalk)
{
    const QString path = m_dir.filePath(QStringLiteral("broken.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("0\tEnglish|1000:9;\n1110\tFile\n1111\tOpen{HINT}later\n1120\tName:\n");
    file.close();
    ASSERT_TRUE(m_language.Load(path));
    auto *toolBar = m_window.addToolBar(QStringLiteral("bar"));
    toolBar->addAction(m_open);
    Translate(m_language, &m_window);
    EXPECT_EQ(m_sink.texts, QStringList{QStringLiteral("Error reading from language DLL.")});
    EXPECT_EQ(m_fileMenu->title(), QStringLiteral("File"));
    EXPECT_EQ(m_label->text(), QStringLiteral("built-in name")); // after the broken text
}

} // namespace
