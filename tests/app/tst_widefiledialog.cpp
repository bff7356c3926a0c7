#include <memory>

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QUrl>

#include "app/pickertree.h"
#include "app/widefiledialog.h"
#include "tests/support/widgettest.h"

using namespace Qt::StringLiterals;

// Readable failures.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

void Touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

QStringList Names(const TPickerNode *node)
{
    QStringList names;
    for (const auto &child : node->Children)
        names.append(child->DisplayName);
    return names;
}

TPickerNode *ChildNamed(TPickerNode *node, const QString &name)
{
    for (const auto &child : node->Children) {
        if (child->DisplayName == name)
            return child.get();
    }
    return nullptr;
}

// A temporary folder that stands for the home folder and is a volume of its own.
class PickerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_root = m_dir.path() + u'/';
        m_volumes = {{u"/"_s, u"/dev/sda1"_s, QString()},
                     {m_dir.path(), u"/dev/sdb1"_s, u"DATA"_s}};
    }

    TPickerPlaces Places()
    {
        TPickerPlaces places;
        places.Home = m_dir.path();
        places.Volumes = [this] { return m_volumes; };
        return places;
    }

    TPickerNode *Home(TPickerTree &tree)
    {
        tree.EnsureListed(tree.Desktop());
        TPickerNode *home = tree.Desktop()->Children.front().get();
        tree.EnsureListed(home);
        return home;
    }

    QTemporaryDir m_dir;
    QString m_root; // with its trailing "/"
    QList<TPickerVolume> m_volumes;
};

// ----- the tree without widgets ------------------------------------------------------------

TEST_F(PickerTest, ListingFiltersFilesZipFoldersAndHiddenItemsAndSortsFoldersFirst)
{
    for (const char *name : {"a.AVI", "b.mkv", "c.txt", "readme", "x10.mkv", "X9.mkv", ".h.avi"})
        Touch(m_root + QLatin1StringView(name));
    Touch(m_root + u"Films.zip/inner.avi"_s);
    Touch(m_root + u".hidden/inner.avi"_s);
    Touch(m_root + u"Sub/s.avi"_s);

    TPickerTree tree(Places(), false);
    tree.SetExtensions(u"*.avi; .mkv"_s);
    TPickerNode *home = Home(tree);
    EXPECT_EQ(
        Names(home),
        QStringList({u"Sub"_s, u"a.AVI"_s, u"b.mkv"_s, u"readme"_s, u"X9.mkv"_s, u"x10.mkv"_s}));
    EXPECT_EQ(home->ParsingName, m_root);
    EXPECT_EQ(home->Children.front()->ParsingName, m_root + u"Sub/"_s);

    // The folder stands for its files, in tree order (the sub-folder's first).
    const QStringList expected{m_root + u"Sub/s.avi"_s,
                               m_root + u"a.AVI"_s,
                               m_root + u"b.mkv"_s,
                               m_root + u"readme"_s,
                               m_root + u"X9.mkv"_s,
                               m_root + u"x10.mkv"_s};
    EXPECT_EQ(tree.Collect({home}), expected);

    // An empty folder is listed once and has nothing afterwards.
    QDir().mkpath(m_root + u"Empty"_s);
    TPickerTree fresh(Places(), false);
    TPickerNode *empty = ChildNamed(Home(fresh), u"Empty"_s);
    ASSERT_NE(empty, nullptr);
    EXPECT_FALSE(fresh.EnsureListed(empty));
    EXPECT_TRUE(empty->Listed);
}

TEST_F(PickerTest, CollectionTakesTwoLevelsBelowTheFolderInTreeOrder)
{
    Touch(m_root + u"F/z.avi"_s);
    Touch(m_root + u"F/a/w.avi"_s);
    Touch(m_root + u"F/a/b/x.avi"_s);
    Touch(m_root + u"F/a/b/c/y.avi"_s);
    Touch(m_root + u"F/a/b/c/d/e.avi"_s);

    TPickerTree tree(Places(), false);
    tree.SetExtensions(u".avi"_s);
    TPickerNode *folder = ChildNamed(Home(tree), u"F"_s);
    ASSERT_NE(folder, nullptr);
    const QStringList expected{
        m_root + u"F/a/b/x.avi"_s, m_root + u"F/a/w.avi"_s, m_root + u"F/z.avi"_s};
    EXPECT_EQ(tree.Collect({folder}), expected);

    // Selected items are visited in tree order, not in the order they were selected; the
    // levels count from each selected folder.
    TPickerNode *z = ChildNamed(folder, u"z.avi"_s);
    TPickerNode *a = ChildNamed(folder, u"a"_s);
    EXPECT_EQ(tree.Collect({z, a}),
              QStringList({m_root + u"F/a/b/c/y.avi"_s,
                           m_root + u"F/a/b/x.avi"_s,
                           m_root + u"F/a/w.avi"_s,
                           m_root + u"F/z.avi"_s}));

    // The folder to remember is the focused item's parent, unless nothing was chosen or
    // the parent is a virtual one.
    EXPECT_EQ(TPickerTree::LastFolder(z, true, u"/start/"_s), m_root + u"F/"_s);
    EXPECT_EQ(TPickerTree::LastFolder(z, false, u"/start/"_s), u"/start/"_s);
    ASSERT_TRUE(tree.EnsureListed(tree.Drives()));
    TPickerNode *volume = tree.Drives()->Children.front().get();
    EXPECT_EQ(TPickerTree::LastFolder(volume, true, u"/start/"_s), u"/start/"_s);

    // OK needs a file-system item.
    EXPECT_FALSE(TPickerTree::OkAllowed(nullptr));
    EXPECT_FALSE(TPickerTree::OkAllowed(tree.Desktop()));
    EXPECT_FALSE(TPickerTree::OkAllowed(tree.Drives()));
    EXPECT_TRUE(TPickerTree::OkAllowed(volume));
    EXPECT_TRUE(TPickerTree::OkAllowed(z));
}

TEST_F(PickerTest, FloppyDrivesOnlyWithShowFloppy)
{
    Touch(m_root + u"floppy/disk.avi"_s);
    m_volumes.append({m_root + u"floppy"_s, u"/dev/fd0"_s, QString()});

    TPickerTree hidden(Places(), false);
    EXPECT_EQ(Names(hidden.Drives()).size(), 0); // not listed yet
    hidden.EnsureListed(hidden.Drives());
    EXPECT_EQ(Names(hidden.Drives()), QStringList({u"/"_s, u"DATA ("_s + m_dir.path() + u')'}));
    EXPECT_EQ(ChildNamed(Home(hidden), u"floppy"_s), nullptr);

    TPickerTree shown(Places(), true);
    shown.EnsureListed(shown.Drives());
    EXPECT_EQ(Names(shown.Drives()).size(), 3);
    EXPECT_NE(ChildNamed(Home(shown), u"floppy"_s), nullptr);
}

TEST(TypeAheadText, RestartsOnlyAfterMoreThan300Milliseconds)
{
    qint64 now = 1000;
    TTypeAhead typeAhead([&now] { return now; });
    EXPECT_EQ(typeAhead.Feed(u'M'), u"m"_s);
    now += 300;
    EXPECT_EQ(typeAhead.Feed(u'O'), u"mo"_s);
    now += 301;
    EXPECT_EQ(typeAhead.Feed(u'x'), u"x"_s);
    typeAhead.Clear();
    EXPECT_EQ(typeAhead.Feed(u'y'), u"y"_s);
}

// ----- the window --------------------------------------------------------------------------

// The whole tree stays in the temporary folder here: the model tester lists every folder it
// can reach when it is attached (and cannot follow later lazy listings, so only one test
// attaches it).
class PickerDialogTest : public PickerTest
{
protected:
    void SetUp() override
    {
        PickerTest::SetUp();
        m_volumes.removeFirst();
    }
    std::unique_ptr<TWideFileDialog>
    MakeDialog(const QString &start, const QString &extensions, bool testModel = false)
    {
        TPickerOptions options;
        options.StartFolder = start;
        TPickerPlaces places = Places();
        places.FileSystemRoot = m_dir.path();
        auto dialog = std::make_unique<TWideFileDialog>(options, nullptr, places);
        dialog->SetExtensions(extensions);
        if (testModel)
            m_tester = std::make_unique<QAbstractItemModelTester>(
                dialog->View()->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        return dialog;
    }
    TPickerNode *Current(TWideFileDialog &dialog)
    {
        return dialog.NodeAt(dialog.View()->currentIndex());
    }

    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

TEST_F(PickerDialogTest, OpensAtTheStartFolderThroughItsVolume)
{
    Touch(m_root + u"F/a/b/x.avi"_s);
    Touch(m_root + u"G/g.avi"_s);

    auto dialog = MakeDialog(m_root + u"F/a"_s, u".avi"_s, true);
    dialog->show();
    TPickerNode *found = Current(*dialog);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->ParsingName, m_root + u"F/a/"_s);
    const QModelIndex index = dialog->View()->currentIndex();
    EXPECT_TRUE(dialog->View()->isExpanded(index));
    EXPECT_TRUE(dialog->View()->isExpanded(index.parent()));
    EXPECT_EQ(dialog->View()->selectionModel()->selectedRows(), QModelIndexList({index}));
    // The walk went through the volume that holds the folder.
    EXPECT_EQ(found->Parent->Parent->Kind, TPickerNode::TKind::Volume);
    EXPECT_TRUE(Child<QPushButton>(dialog.get(), "OKBtn")->isEnabled());

    // Selection stays within one folder: taking an item elsewhere drops the others.
    TPickerNode *g = dialog->Tree().FindStartFolder(m_root + u"G"_s);
    ASSERT_NE(g, nullptr);
    dialog->View()->selectionModel()->setCurrentIndex(dialog->IndexOf(g),
                                                      QItemSelectionModel::Select);
    EXPECT_EQ(dialog->View()->selectionModel()->selectedRows(),
              QModelIndexList({dialog->IndexOf(g)}));

    // A deeper part that does not exist ends the walk at the last folder found.
    auto partial = MakeDialog(m_root + u"F/a/nothing/here/"_s, u".avi"_s);
    partial->show();
    ASSERT_NE(Current(*partial), nullptr);
    EXPECT_EQ(Current(*partial)->ParsingName, m_root + u"F/a/"_s);

    // Network and relative folders leave the tree at the desktop.
    for (const QString &start : {u"//server/share"_s, u"relative/folder"_s}) {
        auto network = MakeDialog(start, u".avi"_s);
        network->show();
        EXPECT_EQ(Current(*network), nullptr) << start.toStdString();
        EXPECT_TRUE(network->View()->isExpanded(network->View()->model()->index(0, 0)));
        EXPECT_FALSE(Child<QPushButton>(network.get(), "OKBtn")->isEnabled());
    }
}

TEST_F(PickerDialogTest, TypeAheadFollowsThe300MillisecondRule)
{
    for (const char *name : {"abc.avi", "mango.avi", "movie.avi", "zeta.avi"})
        Touch(m_root + u"T/"_s + QLatin1StringView(name));
    auto dialog = MakeDialog(m_root + u"T"_s, u".avi"_s);
    qint64 now = 5000;
    dialog->SetClock([&now] { return now; });
    dialog->show();
    QTreeView *view = dialog->View();
    auto name = [&] { return Current(*dialog) ? Current(*dialog)->DisplayName : QString(); };

    // The focused folder is open: the search runs over its children.
    QTest::keyClicks(view, u"m"_s);
    EXPECT_EQ(name(), u"mango.avi"_s);
    now += 100;
    QTest::keyClicks(view, u"O"_s);
    EXPECT_EQ(name(), u"movie.avi"_s);
    now += 301;
    QTest::keyClicks(view, u"z"_s);
    EXPECT_EQ(name(), u"zeta.avi"_s);
    // Within 300 ms the text grows to "za", which nothing matches: nothing changes.
    now += 300;
    QTest::keyClicks(view, u"a"_s);
    EXPECT_EQ(name(), u"zeta.avi"_s);
    // After a pause the search starts anew and wraps to the first sibling.
    now += 301;
    QTest::keyClicks(view, u"a"_s);
    EXPECT_EQ(name(), u"abc.avi"_s);
    EXPECT_EQ(view->selectionModel()->selectedRows().size(), 1);
}

TEST_F(PickerDialogTest, VolumeChangesUpdateTheDrivesFolder)
{
    Touch(m_root + u"usb/u.avi"_s);
    Touch(m_root + u"cd/c.avi"_s);
    m_volumes.append({m_root + u"usb"_s, u"/dev/sdc1"_s, u"STICK"_s});
    auto dialog = MakeDialog(QString(), u".avi"_s);
    dialog->show();
    TPickerNode *drives = dialog->Tree().Drives();
    QTreeView *view = dialog->View();
    view->expand(dialog->IndexOf(dialog->Tree().Desktop()));
    view->expand(dialog->IndexOf(drives));
    TPickerNode *data = ChildNamed(drives, u"DATA ("_s + m_dir.path() + u')');
    ASSERT_NE(data, nullptr);
    view->expand(dialog->IndexOf(data));
    ASSERT_TRUE(data->Listed);
    view->setCurrentIndex(dialog->IndexOf(ChildNamed(data, u"usb"_s)));

    // The stick goes, a disc arrives, and another medium appears in the data volume's place.
    m_volumes.removeLast();
    m_volumes[0].Device = u"/dev/sdd1"_s;
    m_volumes.append({m_root + u"cd"_s, u"/dev/sr0"_s, u"DISC"_s});
    dialog->CheckVolumes();
    EXPECT_EQ(Names(drives),
              QStringList({u"DATA ("_s + m_dir.path() + u')', u"DISC ("_s + m_root + u"cd)"_s}));
    data = drives->Children[0].get();
    EXPECT_FALSE(data->Listed);
    EXPECT_FALSE(view->isExpanded(dialog->IndexOf(data)));
    EXPECT_TRUE(view->model()->hasChildren(dialog->IndexOf(data)));
    // The focus fell back from the discarded item; OK follows it.
    EXPECT_EQ(Child<QPushButton>(dialog.get(), "OKBtn")->isEnabled(),
              TPickerTree::OkAllowed(Current(*dialog)));
}

TEST_F(PickerDialogTest, PathBoxOpensTypedFoldersAndTakesTypedFiles)
{
    Touch(m_root + u"F/a/film.avi"_s);
    Touch(m_root + u"F/a/notes.txt"_s);
    Touch(m_root + u"F/.hidden/my film.avi"_s);
    auto dialog = MakeDialog(QString(), u".avi"_s);
    dialog->show();
    auto *edit = Child<QLineEdit>(dialog.get(), "PathEdit");
    auto *error = Child<QLabel>(dialog.get(), "PathError");
    const auto enter = [edit](const QString &text) {
        edit->clear();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    };

    // A folder opens in the tree; Enter is the box's, not the OK button's.
    enter(u"  "_s + m_root + u"F/a  "_s);
    ASSERT_NE(Current(*dialog), nullptr);
    EXPECT_EQ(Current(*dialog)->ParsingName, m_root + u"F/a/"_s);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(error->isHidden());

    // Relative paths start from the focused folder; what cannot be taken is explained.
    const std::pair<QString, QString> refused[] = {
        {u"missing.avi"_s, m_root + u"F/a/missing.avi does not exist."_s},
        {u"notes.txt"_s, m_root + u"F/a/notes.txt cannot be chosen here."_s},
        {u"/"_s, u"/ is not on any drive the tree shows."_s},
        {u"../.hidden"_s, m_root + u"F/.hidden is not in the tree; the nearest folder is shown."_s},
    };
    for (const auto &[typed, message] : refused) {
        enter(typed);
        EXPECT_TRUE(dialog->isVisible()) << typed.toStdString();
        EXPECT_FALSE(error->isHidden()) << typed.toStdString();
        EXPECT_EQ(error->text(), message);
    }
    EXPECT_EQ(Current(*dialog)->ParsingName, m_root + u"F/"_s);

    // A file address pasted from a file manager is taken at once, even in a hidden folder.
    enter(QUrl::fromLocalFile(m_root + u"F/.hidden/my film.avi"_s).toString());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->Result(), m_root + u"F/.hidden/my film.avi"_s);
    EXPECT_EQ(dialog->LastFolder(), m_root + u"F/.hidden/"_s);
}

// ----- PickFiles ---------------------------------------------------------------------------

TEST_F(PickerDialogTest, PickFilesReturnsPathsAndTheAppendBoxOnlyOnOk)
{
    Touch(m_root + u"F/a/one.avi"_s);
    Touch(m_root + u"F/a/two.mkv"_s);
    Touch(m_root + u"F/a/skip.txt"_s);
    TPickerOptions options;
    options.StartFolder = m_root + u"F/a"_s;

    for (const bool allow : {true, false}) {
        WhenModal([](QWidget *modal) {
            EXPECT_TRUE(Child<QCheckBox>(modal, "AppendBox")->isChecked());
            QTest::mouseClick(Child<QPushButton>(modal, "OKBtn"), Qt::LeftButton);
        });
        bool append = true;
        QString result = u"old"_s;
        QString lastFolder;
        EXPECT_TRUE(PickFiles(nullptr, options, allow, append, u".avi;.mkv"_s, result, lastFolder));
        EXPECT_EQ(result, m_root + u"F/a/one.avi|"_s + m_root + u"F/a/two.mkv"_s);
        EXPECT_EQ(append, allow);
        EXPECT_EQ(lastFolder, m_root + u"F/"_s);
    }

    WhenModal([](QWidget *modal) {
        QTest::mouseClick(Child<QPushButton>(modal, "CancelBtn"), Qt::LeftButton);
    });
    bool append = true;
    QString result = u"old"_s;
    QString lastFolder = u"kept"_s;
    EXPECT_FALSE(PickFiles(nullptr, options, false, append, u".avi"_s, result, lastFolder));
    EXPECT_TRUE(result.isEmpty());
    EXPECT_TRUE(append);
    EXPECT_EQ(lastFolder, u"kept"_s);
}

TEST_F(PickerDialogTest, DoubleClickOnAFileTakesIt)
{
    Touch(m_root + u"D/film.avi"_s);
    auto dialog = MakeDialog(m_root + u"D"_s, u".avi"_s);
    dialog->show();
    TPickerNode *film = ChildNamed(Current(*dialog), u"film.avi"_s);
    ASSERT_NE(film, nullptr);
    const QRect rect = dialog->View()->visualRect(dialog->IndexOf(film));
    QTest::mouseClick(dialog->View()->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(dialog->View()->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->Result(), m_root + u"D/film.avi"_s);
}

} // namespace
