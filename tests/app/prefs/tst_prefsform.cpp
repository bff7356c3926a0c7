#include <functional>
#include <ostream>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "app/prefs/prefsform.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"
#include "host/pluginregistry.h"
#include "host/pluginsframe.h"
#include "tests/support/widgettest.h"
#include "views/languagewide.h"
#include "views/translate.h"

using namespace Qt::StringLiterals;

// Readable failure messages.
void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

template <typename T> T *Child(QObject *parent, const QString &name)
{
    T *child = parent->findChild<T *>(name);
    EXPECT_NE(child, nullptr) << name.toStdString();
    return child;
}

void Click(QObject *parent, const QString &name)
{
    if (auto *button = Child<QAbstractButton>(parent, name)) {
        ASSERT_TRUE(button->isEnabled()) << name.toStdString();
        button->click();
    }
}

// A list editor of the Lists pages (or the group editor of a tree page) by its key name.
QWidget *Editor(QObject *form, const QString &name)
{
    return Child<QWidget>(form, name);
}

// Values off the defaults for every key the window edits, with awkward ones where they
// matter: list items with the delimiter, non-ASCII text, a Windows system colour.
TSettings NonDefaultSettings()
{
    TSettings s;
    s.TitleFormat = u"%T (%Y)"_s;
    s.PeopleTitleFormat = u"%N / %T"_s;
    s.PrefixMode = 2;
    s.PrefixList = {u"Le"_s, u"L'"_s, u"Les, des"_s};
    s.AllCapsTitle = true;
    s.PeopleAllCapsTitle = true;
    s.MovieGroups = {3, 9, 0};
    s.PeopleGroups = {5, 4};
    s.MovieUndefinedGroup = false;
    s.PeopleUndefinedGroup = false;
    s.GridColumns[0].Visible = false;
    s.GridColumns[43].Visible = false;
    // A custom-field column behind the fixed ones is not on the page and must survive.
    s.GridColumns.append(TColumnSettings{false, 7, 123});
    s.PeopleGridColumns[13].Visible = false;
    for (size_t i = 0; i < s.ItemVisible.size(); ++i)
        s.ItemVisible[i] = !DefaultItemVisible(int(i));
    s.PeopleItemVisible.fill(true);
    s.PeopleItemVisible[12] = false;
    s.DurationInMinutes = true;
    s.TransNames = true;
    s.MaxPosterWidth = 1;
    s.MaxPosterHeight = 100;
    s.PicsInFolders = true;
    s.DefSeenState = false;
    s.Collapse = false;
    s.MaxPhotoWidth = 45;
    s.MaxPhotoHeight = 35;
    s.PeopleCollapse = false;
    s.GenresList = {u"Drama"_s, u"Sci-Fi, Fantasy"_s};
    s.MediaTypeList = {u"BD"_s};
    s.QualityList = {};
    s.TranslationList = {u"Übersetzt"_s, u"\"Quoted\""_s};
    s.VideoCodecsList = {u"x264"_s};
    s.AudioCodecsList = {u"FLAC"_s, u"Opus"_s};
    s.CareerList = {u"Actor"_s, u"Director"_s};
    s.DoListColors = false;
    s.DoMovieColors = false;
    for (int n = 0; n < TSettings::ColorCount; ++n)
        s.Colors[size_t(n)] = 0x102030 + n;
    s.Colors[0] = static_cast<int>(0x80000005u); // a Windows system colour
    s.DeleteMovieConfirm = false;
    s.DeleteMovieFilesConfirm = false;
    s.ClearMovieConfirm = false;
    s.RemoveDuplicatesConfirm = true;
    s.NewEpisodeDlg = false;
    s.CopyDataToNewEpisode = false;
    s.SameDirOpts = true;
    s.InitDir = {u"/media/a/"_s, QString(), u"relative/posters/"_s, u"/ü/"_s, QString(), u"/x/"_s};
    s.InitDirType = {1, 0, 1, 0, 1, 1};
    s.SearchNames = {u"A"_s, u"-"_s, u"B, C"_s};
    s.SearchUrls = {u"http://a/?q=%s"_s, QString(), u"http://b/?q=%s&x=1"_s};
    s.SilentMode = true;
    s.AutoAddPeople = true;
    s.PluginFields = {{u"gone.so"_s, 5}};
    s.DefaultPlugin[2] = u"gone.so"_s;
    s.UseProxy = true;
    s.ProxyServer = u"proxy.local"_s;
    s.ProxyPort = 3128;
    s.ProxyUserName = u"Jürgen"_s;
    s.ProxyPassword = u"p,w \"x\""_s;
    s.UserAgent = u"UA/1.0"_s;
    s.ConnectTimeout = 5000;
    s.ReadTimeout = 3600000;
    s.Retries = 0;
    s.DownloadTimeLimit = 3600;
    s.StallTimeLimit = 1;
    s.DoUpdates = false;
    s.ExternalPosters = false;
    s.DeleteMovieFiles = true;
    s.LoanMediaLabel = true;
    s.LoanID = false;
    s.SpaceJump = true;
    s.LabelOnlyRemovable = true;
    s.DoAutoID = true;
    s.AutoIndexMode = 2;
    s.AutoSave = false;
    s.AutoSaveInterval = 120;
    return s;
}

// `s` with every key the window owns put back to its default, so a Store that forgets a
// key leaves a difference.
TSettings WithPageKeysReset(const TSettings &s)
{
    const TSettings d;
    TSettings r = s;
    r.TitleFormat = d.TitleFormat;
    r.PeopleTitleFormat = d.PeopleTitleFormat;
    r.PrefixMode = d.PrefixMode;
    r.PrefixList = d.PrefixList;
    r.AllCapsTitle = d.AllCapsTitle;
    r.PeopleAllCapsTitle = d.PeopleAllCapsTitle;
    r.MovieGroups = d.MovieGroups;
    r.PeopleGroups = d.PeopleGroups;
    r.MovieUndefinedGroup = d.MovieUndefinedGroup;
    r.PeopleUndefinedGroup = d.PeopleUndefinedGroup;
    for (int i = 0; i < TSettings::MovieColumnCount; ++i)
        r.GridColumns[i].Visible = true;
    for (TColumnSettings &column : r.PeopleGridColumns)
        column.Visible = true;
    r.ItemVisible = d.ItemVisible;
    r.PeopleItemVisible = d.PeopleItemVisible;
    r.DurationInMinutes = d.DurationInMinutes;
    r.TransNames = d.TransNames;
    r.MaxPosterWidth = d.MaxPosterWidth;
    r.MaxPosterHeight = d.MaxPosterHeight;
    r.PicsInFolders = d.PicsInFolders;
    r.DefSeenState = d.DefSeenState;
    r.Collapse = d.Collapse;
    r.MaxPhotoWidth = d.MaxPhotoWidth;
    r.MaxPhotoHeight = d.MaxPhotoHeight;
    r.PeopleCollapse = d.PeopleCollapse;
    r.GenresList = r.MediaTypeList = r.QualityList = r.TranslationList = {};
    r.VideoCodecsList = r.AudioCodecsList = r.CareerList = {};
    r.DoListColors = d.DoListColors;
    r.DoMovieColors = d.DoMovieColors;
    r.Colors = d.Colors;
    r.DeleteMovieConfirm = d.DeleteMovieConfirm;
    r.DeleteMovieFilesConfirm = d.DeleteMovieFilesConfirm;
    r.ClearMovieConfirm = d.ClearMovieConfirm;
    r.RemoveDuplicatesConfirm = d.RemoveDuplicatesConfirm;
    r.NewEpisodeDlg = d.NewEpisodeDlg;
    r.CopyDataToNewEpisode = d.CopyDataToNewEpisode;
    r.SameDirOpts = d.SameDirOpts;
    r.InitDir = d.InitDir;
    r.InitDirType = d.InitDirType;
    r.SearchNames = r.SearchUrls = {};
    r.SilentMode = d.SilentMode;
    r.AutoAddPeople = d.AutoAddPeople;
    r.UseProxy = d.UseProxy;
    r.ProxyServer = r.ProxyUserName = r.ProxyPassword = r.UserAgent = QString();
    r.ProxyPort = d.ProxyPort;
    r.ConnectTimeout = d.ConnectTimeout;
    r.ReadTimeout = d.ReadTimeout;
    r.Retries = d.Retries;
    r.DownloadTimeLimit = d.DownloadTimeLimit;
    r.StallTimeLimit = d.StallTimeLimit;
    r.DoUpdates = d.DoUpdates;
    r.ExternalPosters = d.ExternalPosters;
    r.DeleteMovieFiles = d.DeleteMovieFiles;
    r.LoanMediaLabel = d.LoanMediaLabel;
    r.LoanID = d.LoanID;
    r.SpaceJump = d.SpaceJump;
    r.LabelOnlyRemovable = d.LabelOnlyRemovable;
    r.DoAutoID = d.DoAutoID;
    r.AutoIndexMode = d.AutoIndexMode;
    r.AutoSave = d.AutoSave;
    r.AutoSaveInterval = d.AutoSaveInterval;
    return r;
}

// --- Settings keys -----------------------------------------------------------------------

TEST(PrefsForm, LoadThenStoreWritesBackEveryKeyUnchanged)
{
    const TSettings original = NonDefaultSettings();
    TPrefsForm form;
    form.Load(original, {});

    TSettings stored = WithPageKeysReset(original);
    ASSERT_FALSE(stored == original);
    form.Store(stored);
    EXPECT_EQ(stored.PrefixList, original.PrefixList);
    EXPECT_EQ(stored.MovieGroups, original.MovieGroups);
    EXPECT_EQ(stored.GridColumns, original.GridColumns);
    EXPECT_EQ(stored.Colors, original.Colors);
    EXPECT_EQ(stored.SearchNames, original.SearchNames);
    EXPECT_EQ(stored.InitDir, original.InitDir);
    EXPECT_TRUE(stored == original);

    // A second Store of the same pages gives the same result.
    TSettings again = original;
    form.Store(again);
    EXPECT_TRUE(again == original);
}

TEST(PrefsForm, EditsOnSeveralPagesReachTheSettings)
{
    TSettings settings = NonDefaultSettings();
    TPrefsForm form;
    form.Load(settings, {});

    Child<QComboBox>(&form, u"PrefixMode"_s)->setCurrentIndex(3);
    Child<QLineEdit>(&form, u"PrefixList"_s)->setText(u" The , A,,\"Der, Die\""_s);
    // Insert puts the chosen template field at the cursor.
    auto *format = Child<QLineEdit>(&form, u"PeopleTitleFormat"_s);
    format->setCursorPosition(2);
    Child<QComboBox>(&form, u"PeopleTitleFieldCombo"_s)->setCurrentIndex(2);
    Click(&form, u"PeopleTitleInsertBtn"_s);
    Child<QListWidget>(&form, u"ItemsVisible"_s)->item(5)->setCheckState(Qt::Checked);
    Child<QListWidget>(&form, u"PeopleGridColumns"_s)->item(13)->setCheckState(Qt::Checked);
    Child<QSpinBox>(&form, u"AutoSaveInterval"_s)->setValue(45);
    Child<QComboBox>(&form, u"InitDirType1"_s)->setCurrentIndex(1);
    Child<QLineEdit>(&form, u"InitDir1"_s)->setText(u"/films/"_s);
    Child<QCheckBox>(&form, u"DoUpdates"_s)->setChecked(true);
    Child<QLineEdit>(&form, u"ProxyPassword"_s)->setText(u"geheim"_s);

    QWidget *genres = Editor(&form, u"GenresList"_s);
    Child<QLineEdit>(genres, u"ItemEdit"_s)->setText(u"  Western  "_s);
    Click(genres, u"AddBtn"_s);
    Child<QListWidget>(genres, u"ItemList"_s)->setCurrentRow(0);
    Click(genres, u"DownBtn"_s);

    auto *web = Child<QTreeWidget>(&form, u"WebSearchList"_s);
    web->setCurrentItem(web->topLevelItem(2));
    Click(&form, u"WebUpBtn"_s);
    Click(&form, u"WebSeparatorBtn"_s);

    form.Store(settings);
    EXPECT_EQ(settings.PrefixMode, 3);
    EXPECT_EQ(settings.PrefixList, QStringList({u"The"_s, u"A"_s, u"Der, Die"_s}));
    EXPECT_EQ(settings.PeopleTitleFormat, u"%N%B / %T"_s);
    EXPECT_TRUE(settings.ItemVisible[5]);
    EXPECT_TRUE(settings.PeopleGridColumns[13].Visible);
    EXPECT_EQ(settings.AutoSaveInterval, 45);
    EXPECT_EQ(settings.InitDirType[1], 1);
    EXPECT_EQ(settings.InitDir[1], u"/films/"_s);
    EXPECT_TRUE(settings.DoUpdates);
    EXPECT_EQ(settings.ProxyPassword, u"geheim"_s);
    EXPECT_EQ(settings.GenresList, QStringList({u"Sci-Fi, Fantasy"_s, u"Drama"_s, u"Western"_s}));
    EXPECT_EQ(settings.SearchNames, QStringList({u"A"_s, u"B, C"_s, u"-"_s, u"-"_s}));
    EXPECT_EQ(settings.SearchUrls,
              QStringList({u"http://a/?q=%s"_s, u"http://b/?q=%s&x=1"_s, QString(), QString()}));
}

TEST(PrefsForm, SpinBoxesHoldValuesToTheirRange)
{
    struct Case
    {
        int stored;
        int expected;
    };
    for (const Case c : {Case{2, 3}, Case{3, 3}, Case{120, 120}, Case{121, 120}, Case{-5, 3}}) {
        TSettings settings;
        settings.AutoSaveInterval = c.stored;
        TPrefsForm form;
        form.Load(settings, {});
        form.Store(settings);
        EXPECT_EQ(settings.AutoSaveInterval, c.expected) << c.stored;
    }
    // Out-of-range choices fall back to the first one rather than to nothing.
    TSettings settings;
    settings.PrefixMode = 7;
    settings.AutoIndexMode = -1;
    settings.InitDirType[0] = 5;
    TPrefsForm form;
    form.Load(settings, {});
    form.Store(settings);
    EXPECT_EQ(settings.PrefixMode, 0);
    EXPECT_EQ(settings.AutoIndexMode, 0);
    EXPECT_EQ(settings.InitDirType[0], 0);
}

TEST(PrefsForm, TreePagesLoadAndStoreTheirGroupingLevels)
{
    TSettings settings;
    settings.MovieGroups = {21, 99, 3};
    TPrefsForm form;
    form.Load(settings, {});
    EXPECT_EQ(Child<QListWidget>(Editor(&form, u"MovieGroups"_s), u"AvailableList"_s)->count(), 24);
    EXPECT_EQ(Child<QListWidget>(Editor(&form, u"PeopleGroups"_s), u"AvailableList"_s)->count(), 6);
    form.Store(settings);
    EXPECT_EQ(settings.MovieGroups, QList<int>({21, 3}));
}

TEST(PrefsForm, ColoursAreWindowsValuesWithRedInTheLowByte)
{
    TSettings settings;
    settings.Colors[3] = 0x0000FF; // red
    settings.Colors[5] = static_cast<int>(0xFF000005u);
    TPrefsForm form;
    QColor offered;
    QColor answer(0x12, 0x34, 0x56);
    form.SetColorChooser([&](const QColor &initial, const QString &title) {
        offered = initial;
        EXPECT_EQ(title, u"Loaned movie"_s);
        return answer;
    });
    form.Load(settings, {});

    Click(&form, u"Color3"_s);
    EXPECT_EQ(offered, QColor(255, 0, 0));
    // A cancelled choice leaves the colour alone.
    answer = QColor();
    Click(&form, u"Color3"_s);
    EXPECT_EQ(offered, QColor(0x12, 0x34, 0x56));

    form.Store(settings);
    EXPECT_EQ(settings.Colors[3], 0x563412);
    EXPECT_EQ(settings.Colors[5], static_cast<int>(0xFF000005u));
}

TEST(PrefsForm, CancelLeavesTheSettingsAndOkStoresThem)
{
    const TSettings original = NonDefaultSettings();
    TSettings settings = original;
    TPrefsForm form;
    WhenModal([](QWidget *modal) {
        Child<QCheckBox>(modal, u"SpaceJump"_s)->setChecked(false);
        Child<QLineEdit>(modal, u"TitleFormat"_s)->setText(u"%T"_s);
        Click(modal, u"CancelBtn"_s);
    });
    EXPECT_FALSE(form.Execute(settings, {}));
    EXPECT_TRUE(settings == original);

    WhenModal([](QWidget *modal) {
        Child<QCheckBox>(modal, u"SpaceJump"_s)->setChecked(false);
        Click(modal, u"OKBtn"_s);
    });
    EXPECT_TRUE(form.Execute(settings, {}));
    EXPECT_FALSE(settings.SpaceJump);
    // The window starts from the settings every time: the cancelled edit is gone.
    EXPECT_EQ(settings.TitleFormat, original.TitleFormat);
}

TEST(PrefsForm, PageTreeShowsTheChosenPage)
{
    TPrefsForm form;
    auto *stack = Child<QStackedWidget>(&form, u"PageStack"_s);
    form.ShowPage(TPrefsPage::Plugins);
    EXPECT_EQ(form.CurrentPage(), int(TPrefsPage::Plugins));
    EXPECT_EQ(stack->currentWidget()->objectName(), u"PluginsPage"_s);
    // A group node shows its first page.
    form.ShowPage(TPrefsPage::Lists);
    EXPECT_EQ(stack->currentWidget()->objectName(), u"GenresListPage"_s);
    form.ShowPage(TPrefsForm::PageCount);
    EXPECT_EQ(form.CurrentPage(), int(TPrefsPage::Lists));
    form.ShowPage(TPrefsPage::Misc);
    EXPECT_EQ(stack->currentWidget()->objectName(), u"MiscPage"_s);
    EXPECT_EQ(Child<QLabel>(&form, u"PageCaption"_s)->text(), u"Miscellaneous"_s);
}

// --- The catalog's custom fields and image folders ---------------------------------------

class PrefsFormCatalog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        db.Open();
        for (const QString &name : {u"Disc"_s, u"Shelf"_s, u"Box"_s})
            db.AddCustomField(name);
        movie = static_cast<TMovie *>(db.AddRecord(0));
        ASSERT_NE(movie, nullptr);
        movie->SetCustomValue(0, u"d"_s);
        movie->SetCustomValue(1, u"s"_s);
        movie->SetCustomValue(2, u"b"_s);
    }

    void SelectField(const QString &name)
    {
        auto *list = Child<QListWidget>(&form, u"CustomFields"_s);
        const QList<QListWidgetItem *> found = list->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name.toStdString();
        list->setCurrentItem(found[0]);
    }

    QTemporaryDir dir;
    TVideoDatabase db{dir.filePath(u"movies.rkd"_s)};
    TMovie *movie = nullptr;
    TSettings settings;
    TPrefsForm form;
};

TEST_F(PrefsFormCatalog, CustomFieldChangesReachTheCatalogOnlyOnStore)
{
    form.Load(settings, {&db});
    auto *name = Child<QLineEdit>(&form, u"CustomNameEdit"_s);

    SelectField(u"Shelf"_s);
    name->setText(u"Place"_s);
    Click(&form, u"CustomRenameBtn"_s);
    SelectField(u"Disc"_s);
    Click(&form, u"CustomDeleteBtn"_s);
    name->setText(u"Owner"_s);
    Click(&form, u"CustomAddBtn"_s);
    name->setText(u"Spare"_s);
    Click(&form, u"CustomAddBtn"_s);
    SelectField(u"Spare"_s);
    Click(&form, u"CustomDeleteBtn"_s);
    EXPECT_EQ(db.CustomFieldNames(), QStringList({u"Disc"_s, u"Shelf"_s, u"Box"_s}));

    form.Store(settings);
    EXPECT_EQ(db.CustomFieldNames(), QStringList({u"Place"_s, u"Box"_s, u"Owner"_s}));
    // Each value stayed with its field.
    EXPECT_EQ(movie->CustomValues(), QStringList({u"s"_s, u"b"_s, QString()}));
    form.Store(settings);
    EXPECT_EQ(db.CustomFieldCount(), 3);
}

TEST_F(PrefsFormCatalog, ARenameAloneStillReachesTheFile)
{
    db.SetModified(false);
    form.Load(settings, {&db});
    SelectField(u"Box"_s);
    auto *name = Child<QLineEdit>(&form, u"CustomNameEdit"_s);
    name->setText(u"Kiste"_s);
    Click(&form, u"CustomRenameBtn"_s);
    form.Store(settings);
    EXPECT_EQ(db.CustomFieldName(2), u"Kiste"_s);
    EXPECT_TRUE(db.Modified());
}

TEST_F(PrefsFormCatalog, CustomFieldNamesMustBeNewAndNotEmpty)
{
    form.Load(settings, {&db});
    auto *name = Child<QLineEdit>(&form, u"CustomNameEdit"_s);
    auto *add = Child<QPushButton>(&form, u"CustomAddBtn"_s);
    auto *rename = Child<QPushButton>(&form, u"CustomRenameBtn"_s);
    name->setText(u"   "_s);
    EXPECT_FALSE(add->isEnabled());
    name->setText(u"box"_s);
    EXPECT_FALSE(add->isEnabled());
    name->setText(u"Größe"_s);
    EXPECT_TRUE(add->isEnabled());
    SelectField(u"Shelf"_s);
    name->setText(u"disc"_s);
    EXPECT_FALSE(rename->isEnabled());
    // Another spelling of its own name is a rename.
    name->setText(u"SHELF"_s);
    EXPECT_TRUE(rename->isEnabled());
}

TEST_F(PrefsFormCatalog, ReadOnlyCatalogIsShownButNotChanged)
{
    form.Load(settings, {&db, true});
    EXPECT_EQ(Child<QListWidget>(&form, u"CustomFields"_s)->count(), 3);
    SelectField(u"Box"_s);
    EXPECT_FALSE(Child<QPushButton>(&form, u"CustomDeleteBtn"_s)->isEnabled());
    EXPECT_FALSE(Child<QLineEdit>(&form, u"CustomNameEdit"_s)->isEnabled());
    EXPECT_FALSE(Child<QLineEdit>(&form, u"PostersFolder"_s)->isEnabled());
    EXPECT_FALSE(Child<QLabel>(&form, u"CustomNote"_s)->isHidden());

    Child<QLineEdit>(&form, u"PostersFolder"_s)->setText(u"elsewhere/"_s);
    Child<QCheckBox>(&form, u"ImgFolders"_s)->setChecked(true);
    db.SetModified(false);
    form.Store(settings);
    EXPECT_EQ(db.CustomFieldCount(), 3);
    EXPECT_EQ(db.PostersFolder(), dir.filePath(u"movies/Posters/"_s));
    EXPECT_FALSE(db.ImgFolders());
    EXPECT_FALSE(db.Modified());
}

TEST_F(PrefsFormCatalog, ImageFoldersMoveOnlyWhenChanged)
{
    QDir(dir.path()).mkpath(u"movies/Posters"_s);
    QFile poster(dir.filePath(u"movies/Posters/a.jpg"_s));
    ASSERT_TRUE(poster.open(QIODevice::WriteOnly));
    poster.close();
    form.SetFolderChooser([this](const QString &start) {
        EXPECT_EQ(QDir::cleanPath(start), dir.filePath(u"movies/Photos"_s));
        return dir.filePath(u"faces"_s);
    });
    form.Load(settings, {&db});
    auto *posters = Child<QLineEdit>(&form, u"PostersFolder"_s);
    EXPECT_EQ(posters->text(), u"movies/Posters/"_s);

    posters->setText(u"pics"_s);
    Click(&form, u"PhotosFolderBrowse"_s);
    EXPECT_EQ(Child<QLineEdit>(&form, u"PhotosFolder"_s)->text(), u"faces/"_s);
    Child<QCheckBox>(&form, u"ImgFolders"_s)->setChecked(true);
    EXPECT_EQ(db.PostersFolder(), dir.filePath(u"movies/Posters/"_s));

    form.Store(settings);
    EXPECT_EQ(db.PostersFolder(), dir.filePath(u"pics/"_s));
    EXPECT_EQ(db.PhotosFolder(), dir.filePath(u"faces/"_s));
    EXPECT_EQ(db.CoversFolder(), dir.filePath(u"movies/Covers/"_s));
    EXPECT_TRUE(db.ImgFolders());
    EXPECT_TRUE(QFile::exists(dir.filePath(u"pics/a.jpg"_s)));
}

TEST(PrefsForm, WithoutCatalogTheCatalogPagesAreDisabled)
{
    TPrefsForm form;
    TSettings settings;
    form.Load(settings, {});
    EXPECT_EQ(Child<QListWidget>(&form, u"CustomFields"_s)->count(), 0);
    Child<QLineEdit>(&form, u"CustomNameEdit"_s)->setText(u"x"_s);
    EXPECT_FALSE(Child<QPushButton>(&form, u"CustomAddBtn"_s)->isEnabled());
    EXPECT_FALSE(Child<QCheckBox>(&form, u"ImgFolders"_s)->isEnabled());
    EXPECT_FALSE(Child<QLabel>(&form, u"ImageFoldersNote"_s)->isHidden());
    form.Store(settings);
}

// --- Translations -----------------------------------------------------------------------

class PrefsFormLanguage : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(language.Load(QStringLiteral(RK_LANG_FILE)));
        ASSERT_EQ(language.LanguageCount(), 2);
        language.SetLanguage(0);
    }

    QString TopNode(int index)
    {
        return Child<QTreeWidget>(&form, u"PageTree"_s)->topLevelItem(index)->text(0);
    }

    TWideLanguage language;
    TSettings settings;
    TPrefsForm form;
};

TEST_F(PrefsFormLanguage, ChoosingALanguageTranslatesAtOnceAndCancelReturns)
{
    TPrefsContext context;
    context.language = &language;
    form.Load(settings, context);
    auto *combo = Child<QComboBox>(&form, u"LanguageCombo"_s);
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(1), u"Deutsch"_s);
    EXPECT_EQ(TopNode(0), u"Movies"_s);

    combo->setCurrentIndex(1);
    EXPECT_EQ(language.LanguageIndex(), 1);
    EXPECT_EQ(form.windowTitle(), u"Einstellungen"_s);
    EXPECT_EQ(TopNode(0), u"Filme"_s);
    EXPECT_EQ(TopNode(9), u"Verschiedenes"_s);
    EXPECT_EQ(Child<QComboBox>(&form, u"PrefixMode"_s)->itemText(3), u"Entfernen"_s);
    // The chosen levels follow the translated field list.
    EXPECT_EQ(Child<QListWidget>(Editor(&form, u"MovieGroups"_s), u"GroupList"_s)->item(0)->text(),
              u"Anfangsbuchstabe des Titels"_s);

    form.reject();
    EXPECT_EQ(language.LanguageIndex(), 0);
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_EQ(TopNode(0), u"Movies"_s);
    EXPECT_EQ(form.windowTitle(), u"Preferences"_s);
}

TEST_F(PrefsFormLanguage, OkKeepsTheChosenLanguage)
{
    TPrefsContext context;
    context.language = &language;
    form.Load(settings, context);
    EXPECT_EQ(form.ChosenLanguage(), 0);
    Child<QComboBox>(&form, u"LanguageCombo"_s)->setCurrentIndex(1);
    form.Store(settings);
    EXPECT_EQ(settings.Language, 7);
    form.reject();
    EXPECT_EQ(language.LanguageIndex(), 1);
    EXPECT_EQ(TopNode(1), u"Personen"_s);
}

TEST_F(PrefsFormLanguage, DownloadLimitTooltipsFollowTheLanguage)
{
    language.SetLanguage(1);
    TPrefsContext context;
    context.language = &language;
    form.Load(settings, context);
    EXPECT_TRUE(Child<QSpinBox>(&form, u"DownloadTimeLimit"_s)
                    ->toolTip()
                    .startsWith(u"Die längste Zeit"_s));
    EXPECT_TRUE(Child<QSpinBox>(&form, u"StallTimeLimit"_s)->toolTip().startsWith(u"Auch"_s));
}

// The texts a tagged widget takes from the table, in the order of their numbers.
QStringList TaggedTexts(QObject *object)
{
    QStringList texts;
    if (auto *combo = qobject_cast<QComboBox *>(object)) {
        for (int i = 0; i < combo->count(); ++i)
            texts.append(combo->itemText(i));
    } else if (auto *list = qobject_cast<QListWidget *>(object)) {
        for (int i = 0; i < list->count(); ++i)
            texts.append(list->item(i)->text());
    } else if (auto *tree = qobject_cast<QTreeWidget *>(object)) {
        if (tree->isHeaderHidden()) {
            for (QTreeWidgetItemIterator it(tree); *it; ++it)
                texts.append((*it)->text(0));
        } else {
            for (int i = 0; i < tree->columnCount(); ++i)
                texts.append(tree->headerItem()->text(i));
        }
    } else if (auto *label = qobject_cast<QLabel *>(object)) {
        texts.append(label->text());
    } else if (auto *button = qobject_cast<QAbstractButton *>(object)) {
        texts.append(button->text());
    } else if (auto *group = qobject_cast<QGroupBox *>(object)) {
        texts.append(group->title());
    } else if (auto *widget = qobject_cast<QWidget *>(object); widget && widget->isWindow()) {
        texts.append(widget->windowTitle());
    }
    return texts;
}

// Every tagged text exists in both languages, and the English table says what the window
// says without it: a tag off by one shows up as a mismatch.
TEST_F(PrefsFormLanguage, EveryTaggedTextIsInBothLanguagesAndMatchesTheBuiltInEnglish)
{
    QList<QObject *> tagged = form.findChildren<QObject *>();
    tagged.prepend(&form);
    int checked = 0;
    for (QObject *object : tagged) {
        const int tag = object->property(TagProperty).toInt();
        if (tag == 0)
            continue;
        const QStringList builtIn = TaggedTexts(object);
        ASSERT_FALSE(builtIn.isEmpty()) << object->objectName().toStdString();
        for (int i = 0; i < builtIn.size(); ++i) {
            language.SetLanguage(1);
            EXPECT_FALSE(language.RawText(tag + i).isEmpty()) << "German " << tag + i;
            language.SetLanguage(0);
            EXPECT_EQ(language.RawText(tag + i), builtIn[i]) << "English " << tag + i;
            ++checked;
        }
    }
    EXPECT_GT(checked, 300);
}

// --- The plug-in page ------------------------------------------------------------------------

class TAnswer : public IYesNoQuestion
{
public:
    bool AskYesNo(const QString &, const QString &) override
    {
        ++asked;
        return true;
    }
    int asked = 0;
};

class TNoPluginSettings : public IPluginSettings
{
public:
    QString Value(const QString &) const override { return {}; }
    void SetValue(const QString &, const QString &) override {}
};

// a.so: movie information in English (configurable), b.so: people import in German.
class PrefsFormPlugins : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(dir.path()).mkdir(u"Plugins"_s));
        const QString plugins = QStringLiteral(RK_TEST_PLUGINS_DIR "/types/");
        ASSERT_TRUE(QFile::copy(plugins + u"testtype_infoen.so"_s, PluginPath(u"a.so"_s)));
        ASSERT_TRUE(QFile::copy(plugins + u"testtype_people.so"_s, PluginPath(u"b.so"_s)));
        registry.Discover(dir.filePath(u"Plugins"_s), RK_LANG_ENGLISH);
        ASSERT_EQ(registry.Count(), 2);
        registry.ReadSettings(TNoPluginSettings());
        context.registry = &registry;
        context.question = &answer;
        form.Load(settings, context);
        list = Child<QTreeWidget>(&form, u"PlugsList"_s);
    }

    QString PluginPath(const QString &name) const { return dir.filePath(u"Plugins/"_s + name); }

    QTemporaryDir dir;
    TPluginRegistry registry;
    TAnswer answer;
    TPrefsContext context;
    TSettings settings;
    TPrefsForm form;
    QTreeWidget *list = nullptr;
};

TEST_F(PrefsFormPlugins, RowsShowThePluginsWithTheDefaultInBold)
{
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(0), u"Name infoen (en)"_s);
    EXPECT_EQ(list->topLevelItem(0)->text(3), u"2.0.infoen"_s);
    EXPECT_TRUE(list->topLevelItem(0)->font(0).bold());
    EXPECT_FALSE(list->topLevelItem(1)->font(0).bold());
    EXPECT_FALSE(Child<QPushButton>(&form, u"DefBtn"_s)->isEnabled());
    EXPECT_TRUE(Child<QGroupBox>(&form, u"MIGroup"_s)->isHidden());
    EXPECT_TRUE(Child<QGroupBox>(&form, u"PIGroup"_s)->isHidden());
}

TEST_F(PrefsFormPlugins, OverwriteChecksReachTheRegistryAndSettingsOnStore)
{
    list->setCurrentItem(list->topLevelItem(0));
    EXPECT_FALSE(Child<QGroupBox>(&form, u"MIGroup"_s)->isHidden());
    EXPECT_TRUE(Child<QGroupBox>(&form, u"PIGroup"_s)->isHidden());
    EXPECT_TRUE(Child<QPushButton>(&form, u"ConfigBtn"_s)->isEnabled());
    auto *movieFields = Child<QListWidget>(&form, u"OverwriteList"_s);
    ASSERT_EQ(movieFields->count(), 21);
    movieFields->item(3)->setCheckState(Qt::Checked);

    list->setCurrentItem(list->topLevelItem(1));
    EXPECT_FALSE(Child<QGroupBox>(&form, u"PIGroup"_s)->isHidden());
    Click(&form, u"AllBtn2"_s);
    auto *personFields = Child<QListWidget>(&form, u"OverwriteList2"_s);
    ASSERT_EQ(personFields->count(), 10);
    EXPECT_EQ(personFields->item(9)->checkState(), Qt::Checked);
    Child<QCheckBox>(&form, u"SilentCheck"_s)->setChecked(true);
    EXPECT_EQ(registry.Get(0).OverwriteMask, 0u);

    form.Store(settings);
    EXPECT_EQ(registry.Get(0).OverwriteMask, 1u << 3);
    EXPECT_EQ(registry.Get(1).OverwriteMask, (1u << 10) - 1);
    EXPECT_TRUE(registry.SilentMode());
    EXPECT_EQ(settings.PluginFields.value(u"a.so"_s), 8);
    EXPECT_EQ(settings.PluginFields.value(u"b.so"_s), 1023);
    EXPECT_TRUE(settings.SilentMode);
    EXPECT_EQ(settings.DefaultPlugin[2], u"a.so"_s);
}

TEST_F(PrefsFormPlugins, SetDefaultAndUninstallActAtOnce)
{
    list->setCurrentItem(list->topLevelItem(1));
    auto *defBtn = Child<QPushButton>(&form, u"DefBtn"_s);
    EXPECT_TRUE(defBtn->text().contains(list->topLevelItem(1)->text(1)))
        << defBtn->text().toStdString();
    Click(&form, u"DefBtn"_s);
    EXPECT_TRUE(registry.Get(1).IsDefault);
    EXPECT_TRUE(list->topLevelItem(1)->font(0).bold());

    list->setCurrentItem(list->topLevelItem(0));
    Click(&form, u"DelPlugBtn"_s);
    EXPECT_EQ(answer.asked, 1);
    EXPECT_EQ(registry.Count(), 1);
    EXPECT_FALSE(QFile::exists(PluginPath(u"a.so"_s)));
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(0), registry.Get(0).Name);
    EXPECT_FALSE(Child<QPushButton>(&form, u"DelPlugBtn"_s)->isEnabled());

    // Cancel does not undo them, and the settings follow the registry on the next OK.
    form.reject();
    EXPECT_TRUE(registry.Get(0).IsDefault);
    form.Load(settings, context);
    form.Store(settings);
    EXPECT_EQ(settings.DefaultPlugin[6], u"b.so"_s);
    EXPECT_EQ(settings.DefaultPlugin[2], QString());
}

} // namespace
