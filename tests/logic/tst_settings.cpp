#include <cmath>
#include <functional>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "catalog/daycount.h"
#include "catalog/version.h"
#include "logic/loanhistory.h"
#include "logic/settings.h"
#include "logic/settingsfile.h"

using namespace Qt::StringLiterals;

namespace {

// The last update check of new settings: a week before they were made (just now).
bool AWeekAgo(double days)
{
    return std::abs(days - (NowDays() - 7)) < 1.0 / 24;
}

int Mode(const QString &path)
{
    struct stat info
    {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 07777);
}

class SettingsTest : public ::testing::Test
{
protected:
    static TSettingsDefaults Defaults()
    {
        TAppFolders folders;
        folders.ProgramFolder = u"/opt/rk/"_s;
        folders.DataFolder = u"/home/u/Documents/Reelkeep/"_s;
        return TSettingsDefaults::English(folders);
    }

    static TSettings ReadText(const QByteArray &text)
    {
        TSettingsFile file;
        file.Parse(text);
        TSettings settings;
        settings.Read(file, Defaults());
        return settings;
    }
};

// Every member away from its default, so a key that is not written or read back shows.
TSettings NonDefault()
{
    TSettings s;
    s.Version = ProgramVersionNumber;
    s.Language = 25;
    s.FileName = u"/opt/rk/cats/my, \"best\".rkd"_s;
    s.RecentFiles = {u"../a|b.rkd"_s, u"c.rkd"_s};
    s.Mode = 1;
    s.Maximized = false;
    s.Left = -10;
    s.Top = 20;
    s.Width = 1200;
    s.Height = 900;
    s.Splitter = 250;
    s.DoInfo = s.DoPoster = s.DoFile = false;
    s.DoCovers = s.DoWish = s.DoScreenshots = true;
    s.GridColumns.append(TColumnSettings{true, 44, 80}); // a custom field column
    for (int n = 0; n < s.GridColumns.size(); ++n)
        s.GridColumns[n] = TColumnSettings{n % 2 == 0, 100 - n, 30 + n};
    for (int n = 0; n < s.PeopleGridColumns.size(); ++n)
        s.PeopleGridColumns[n] = TColumnSettings{false, 20 - n, 60 + n};
    s.PlainSort = {7, 1};
    s.TreeSort = {8, 1};
    s.GridSort = {9, 1};
    s.PeoplePlainSort = {3, 1};
    s.PeopleTreeSort = {4, 1};
    s.PeopleGridSort = {5, 1};
    s.TitleFormat = u"%T (%Y)"_s;
    s.PeopleTitleFormat = u"%N – %B"_s;
    s.PrefixMode = 2;
    s.PrefixList = {u"Les"_s, u"Un,e"_s};
    s.AllCapsTitle = s.PeopleAllCapsTitle = true;
    s.DurationInMinutes = s.TransNames = s.PicsInFolders = s.ScreenshotsAsBitmaps = true;
    s.DefSeenState = false;
    s.MaxPosterWidth = 41;
    s.MaxPosterHeight = 51;
    s.MaxPhotoWidth = 31;
    s.MaxPhotoHeight = 32;
    for (bool &visible : s.ItemVisible)
        visible = !visible;
    for (bool &visible : s.PeopleItemVisible)
        visible = !visible;
    s.Collapse = s.PeopleCollapse = false;
    s.GenresList = {u"Drama"_s};
    s.MediaTypeList = {u"BD"_s};
    s.QualityList = {u"4K"_s};
    s.TranslationList = {u"Многоголосый"_s};
    s.VideoCodecsList = {u"H.264"_s};
    s.AudioCodecsList = {u"\"AAC\""_s};
    s.CareerList = {u"Actor"_s, u"Director"_s};
    s.DoListColors = s.DoMovieColors = false;
    for (int n = 0; n < TSettings::ColorCount; ++n)
        s.Colors[n] = n * 1000;
    s.DeleteMovieConfirm = s.DeleteMovieFilesConfirm = s.ClearMovieConfirm = false;
    s.NewEpisodeDlg = s.CopyDataToNewEpisode = false;
    s.RemoveDuplicatesConfirm = true;
    s.SameDirOpts = true;
    for (int n = 0; n < TSettings::FolderSlotCount; ++n) {
        s.InitDir[n] = u"/media/dir"_s + QString::number(n) + u'/';
        s.InitDirType[n] = 1;
    }
    s.SearchNames = {u"Site"_s};
    s.SearchUrls = {u"https://x.example/?q=%s&a=1,2"_s};
    s.PluginFields = {{u"webinfoa.so"_s, 0x1F}, {u"webinfob.so"_s, 3}};
    for (int n = 0; n < TSettings::PluginTypeCount; ++n)
        s.DefaultPlugin[n] = u"plugin"_s + QString::number(n) + u".so"_s;
    s.SilentMode = s.AutoAddPeople = true;
    s.MovieViewMode = 1;
    s.MovieGroups = {4, 10};
    s.MovieUndefinedGroup = false;
    s.PeopleViewMode = 2;
    s.PeopleGroups = {};
    s.PeopleUndefinedGroup = false;
    s.UseProxy = true;
    s.ProxyServer = u"proxy.local"_s;
    s.ProxyPort = 3128;
    s.ProxyUserName = u"user"_s;
    s.ProxyPassword = u"pä=ss;\"w"_s;
    s.UserAgent = u"Reelkeep/0.9.6"_s;
    s.ConnectTimeout = 5000;
    s.ReadTimeout = 7000;
    s.Retries = 3;
    s.DownloadTimeLimit = 90;
    s.StallTimeLimit = 5;
    s.DoUpdates = false;
    s.LastUpdate = 44000.123456789;
    s.ExternalPosters = s.LoanID = s.AutoSave = false;
    s.DeleteMovieFiles = s.LoanMediaLabel = s.SpaceJump = s.LabelOnlyRemovable = true;
    s.DoAutoID = true;
    s.AutoIndexMode = 2;
    s.AutoSaveInterval = 120;
    return s;
}

TEST_F(SettingsTest, EveryKeySurvivesTheRoundTrip)
{
    const TSettings written = NonDefault();
    TSettingsFile file;
    written.Write(file, u"/opt/rk/"_s);
    EXPECT_EQ(file.ReadString(u"DataBase"_s, u"FileName"_s, {}), u"cats/my, \"best\".rkd"_s);

    TSettingsFile parsed;
    parsed.Parse(file.ToBytes());
    TSettings read;
    read.Read(parsed, Defaults());
    EXPECT_TRUE(read == written);
    EXPECT_EQ(read.GridColumns, written.GridColumns);
    EXPECT_EQ(read.ItemVisible, written.ItemVisible);
    EXPECT_EQ(read.Colors, written.Colors);
    EXPECT_EQ(read.PluginFields, written.PluginFields);

    TSettingsFile again;
    read.Write(again, u"/opt/rk/"_s);
    EXPECT_EQ(again.ToBytes(), file.ToBytes());
}

TEST_F(SettingsTest, EmptyFileGivesTheTable)
{
    const TSettings s = ReadText({});
    TSettings table(Defaults());
    // Made a moment apart: the update checks a week back differ by that moment.
    table.LastUpdate = s.LastUpdate;
    EXPECT_TRUE(s == table);
    EXPECT_EQ(s.FileName, u"/home/u/Documents/Reelkeep/movies.rkd"_s);
    EXPECT_TRUE(s.Maximized);
    EXPECT_EQ(s.Splitter, 180);
    EXPECT_EQ(s.GridColumns.size(), TSettings::MovieColumnCount);
    EXPECT_EQ(s.GridColumns[7], (TColumnSettings{true, 7, 80}));
    EXPECT_EQ(s.PlainSort.SortBy, 2);
    EXPECT_EQ(s.PeopleGridSort.SortBy, 1);
    // Year and description are on the editing card from the start.
    EXPECT_TRUE(s.ItemVisible[3]);
    EXPECT_TRUE(s.ItemVisible[22]);
    EXPECT_FALSE(s.ItemVisible[23]);
    EXPECT_TRUE(s.ItemVisible[43]);
    EXPECT_EQ(s.Colors[2], 15780518);
    EXPECT_EQ(s.Colors[13], 11445088);
    EXPECT_EQ(s.PrefixList.size(), 8);
    EXPECT_EQ(s.MovieGroups, QList<int>{1});
    EXPECT_EQ(s.PeopleGroups, QList<int>{0});
    EXPECT_TRUE(AWeekAgo(s.LastUpdate)) << s.LastUpdate;
}

struct TReadCase
{
    const char *Name;
    QByteArray Text;
    std::function<bool(const TSettings &)> Check;
};

class SettingsReadTest : public SettingsTest, public ::testing::WithParamInterface<TReadCase>
{};

TEST_P(SettingsReadTest, Reads)
{
    EXPECT_TRUE(GetParam().Check(ReadText(GetParam().Text))) << GetParam().Name;
}

// Unparsable and missing values fall back to the table.
INSTANTIATE_TEST_SUITE_P(
    Defaults,
    SettingsReadTest,
    ::testing::Values(
        TReadCase{
            "bad int", "[Position]\nSplitter=wide\n", [](auto &s) { return s.Splitter == 180; }},
        TReadCase{"bad bool", "[Position]\nMaximized=yes\n", [](auto &s) { return s.Maximized; }},
        TReadCase{"non-zero is true", "[NMM]\nDoCovers=-4\n", [](auto &s) { return s.DoCovers; }},
        TReadCase{"bad float",
                  "[Internet]\nLastUpdate=soon\n",
                  [](auto &s) { return AWeekAgo(s.LastUpdate); }},
        TReadCase{"empty file name",
                  "[Application]\nVersion=9006\n[DataBase]\nFileName=\n",
                  [](auto &s) { return s.FileName.endsWith(u"/Reelkeep/movies.rkd"_s); }},
        TReadCase{"groups skip non-numbers",
                  "[MovieList]\nGroups=3, x, 5,\n",
                  [](auto &s) {
                      return s.MovieGroups == QList<int>{3, 5};
                  }},
        TReadCase{"empty groups stay empty",
                  "[PeopleList]\nGroups=\n",
                  [](auto &s) { return s.PeopleGroups.isEmpty(); }},
        TReadCase{"column count below the fixed columns",
                  "[Application]\nVersion=9006\n[Grid]\nColumnCount=3\n",
                  [](auto &s) { return s.GridColumns.size() == TSettings::MovieColumnCount; }},
        TReadCase{"negative column count",
                  "[Application]\nVersion=9006\n[Grid]\nColumnCount=-100\n",
                  [](auto &s) { return s.GridColumns.size() == TSettings::MovieColumnCount; }},
        TReadCase{"huge column count",
                  "[Application]\nVersion=9006\n[Grid]\nColumnCount=2147483647\n",
                  [](auto &s) { return s.GridColumns.size() == TSettings::ColumnLimit; }},
        TReadCase{"plug-in keys apart from the options",
                  "[Plugins]\nwebinfoa.so=5\nbad.so=x\nDefaultType2=w.so\nSilentMode=1\n",
                  [](auto &s) {
                      return s.PluginFields
                                 == QMap<QString, int>{{u"webinfoa.so"_s, 5}, {u"bad.so"_s, 0}}
                             && s.DefaultPlugin[2] == u"w.so"_s && s.SilentMode;
                  }},
        TReadCase{"relative file name from Windows",
                  "[Application]\nVersion=9006\n[DataBase]\nFileName=cats\\a.rkd\n",
                  [](auto &s) { return s.FileName == u"/opt/rk/cats/a.rkd"_s; }},
        TReadCase{"absolute Windows name kept",
                  "[Application]\nVersion=9006\n[DataBase]\nFileName=C:\\m\\a.rkd\n",
                  [](auto &s) { return s.FileName == u"C:\\m\\a.rkd"_s; }},
        TReadCase{"download limits never mean forever, nor beyond their range",
                  "[Internet]\nDownloadTimeLimit=0\nStallTimeLimit=-1\n",
                  [](auto &s) { return s.DownloadTimeLimit == 60 && s.StallTimeLimit == 15; }},
        TReadCase{"download limits capped",
                  "[Internet]\nDownloadTimeLimit=99999\nStallTimeLimit=1\n",
                  [](auto &s) {
                      return s.DownloadTimeLimit == TSettings::MaxDownloadLimit
                             && s.StallTimeLimit == 1;
                  }}),
    [](const auto &info) { return std::to_string(info.index); });

// Files written before version 9005 numbered items, columns, colours and sorts differently.
INSTANTIATE_TEST_SUITE_P(
    Migration,
    SettingsReadTest,
    ::testing::Values(
        TReadCase{"prefix mode 2 of 9004 means remove",
                  "[Application]\nVersion=9004\n[Title]\nPrefixMode=2\n",
                  [](auto &s) { return s.PrefixMode == 3; }},
        TReadCase{"prefix mode 2 of 9005 stays",
                  "[Application]\nVersion=9005\n[Title]\nPrefixMode=2\n",
                  [](auto &s) { return s.PrefixMode == 2; }},
        TReadCase{"prefix mode 2 of 9006 stays",
                  "[Application]\nVersion=9006\n[Title]\nPrefixMode=2\n",
                  [](auto &s) { return s.PrefixMode == 2; }},
        TReadCase{"colours 12 and 13 are new",
                  "[Application]\nVersion=9004\n[Colors]\nColor11=1\nColor12=2\nColor13=3\n",
                  [](auto &s) {
                      return s.Colors[11] == 1 && s.Colors[12] == 12615808
                             && s.Colors[13] == 11445088 && s.Colors[14] == 2 && s.Colors[15] == 3;
                  }},
        TReadCase{"colours of a current file",
                  "[Application]\nVersion=9006\n[Colors]\nColor12=2\n",
                  [](auto &s) { return s.Colors[12] == 2 && s.Colors[14] == 0; }},
        TReadCase{
            "card items shift",
            "[Application]\nVersion=9004\n[Items]\nItem2_Visible=0\nItem39_Visible=0\n",
            [](auto &s) { return s.ItemVisible[2] && !s.ItemVisible[3] && !s.ItemVisible[43]; }},
        TReadCase{"grid columns shift",
                  "[Application]\nVersion=9004\n[Grid]\nColumnCount=40\nColumn4Width=55\n"
                  "Column4Visible=0\nColumn4Position=9\n",
                  [](auto &s) {
                      return s.GridColumns.size() == 45
                             && s.GridColumns[5] == TColumnSettings{false, 9, 55}
                             && s.GridColumns[4] == TColumnSettings{true, 4, 80};
                  }},
        TReadCase{"column count before 9003",
                  "[Application]\nVersion=9002\n[Grid]\nColumnCount=40\n",
                  [](auto &s) { return s.GridColumns.size() == 47; }},
        TReadCase{"old grid keeps at least 44 columns",
                  "[Application]\nVersion=9004\n[Grid]\nColumnCount=10\n",
                  [](auto &s) { return s.GridColumns.size() == 44; }},
        TReadCase{"people grid is not migrated",
                  "[Application]\nVersion=9004\n[PeopleGrid]\nColumn4Width=55\n",
                  [](auto &s) { return s.PeopleGridColumns[4].Width == 55; }},
        TReadCase{"movie sorts move",
                  "[Application]\nVersion=9004\n[Plain]\nSortBy=4\n[Tree]\nSortBy=17\n"
                  "[Grid]\nSortBy=39\n[PeoplePlain]\nSortBy=4\n",
                  [](auto &s) {
                      return s.PlainSort.SortBy == 5 && s.TreeSort.SortBy == 19
                             && s.GridSort.SortBy == 43 && s.PeoplePlainSort.SortBy == 4;
                  }},
        TReadCase{"sorts of a current file stay",
                  "[Application]\nVersion=9005\n[Plain]\nSortBy=4\n",
                  [](auto &s) { return s.PlainSort.SortBy == 4; }},
        TReadCase{"old file names are absolute",
                  "[Application]\nVersion=9004\n[DataBase]\nFileName=/data/a.rkd\n",
                  [](auto &s) { return s.FileName == u"/data/a.rkd"_s; }},
        TReadCase{"current file names are relative",
                  "[Application]\nVersion=9005\n[DataBase]\nFileName=../data/a.rkd\n",
                  [](auto &s) { return s.FileName == u"/opt/data/a.rkd"_s; }}),
    [](const auto &info) { return std::to_string(info.index); });

struct TLineCase
{
    QStringList arguments;
    bool portable, showFloppy, help, version;
    const char *file; // expected absolute name, "" for none
    bool error;
};

void PrintTo(const TLineCase &c, std::ostream *os)
{
    *os << '"' << c.arguments.join(u' ').toStdString() << '"';
}

class CommandLineTest : public ::testing::TestWithParam<TLineCase>
{};

TEST_P(CommandLineTest, Parses)
{
    const TLineCase &c = GetParam();
    const TCommandLine line = ParseCommandLine(c.arguments, u"/home/u"_s);
    EXPECT_EQ(line.Portable, c.portable);
    EXPECT_EQ(line.ShowFloppy, c.showFloppy);
    EXPECT_EQ(line.ShowHelp, c.help);
    EXPECT_EQ(line.ShowVersion, c.version);
    EXPECT_EQ(line.File, QString::fromUtf8(c.file));
    EXPECT_EQ(!line.Error.isEmpty(), c.error) << qPrintable(line.Error);
}

INSTANTIATE_TEST_SUITE_P(
    Lines,
    CommandLineTest,
    ::testing::Values(
        TLineCase{{}, false, false, false, false, "", false},
        TLineCase{{u"-PORTABLE"_s, u"-ShowFloppy"_s}, true, true, false, false, "", false},
        TLineCase{{u"--portable"_s, u"a.rkd"_s}, true, false, false, false, "/home/u/a.rkd", false},
        TLineCase{
            {u"../x/Filme ä.AMC"_s}, false, false, false, false, "/home/x/Filme ä.AMC", false},
        TLineCase{{u"/data/b.rkd"_s}, false, false, false, false, "/data/b.rkd", false},
        TLineCase{{u"--"_s, u"-odd.rkd"_s}, false, false, false, false, "/home/u/-odd.rkd", false},
        TLineCase{{u"--help"_s}, false, false, true, false, "", false},
        TLineCase{{u"-h"_s}, false, false, true, false, "", false},
        TLineCase{{u"--version"_s}, false, false, false, true, "", false},
        TLineCase{{u"-x"_s}, false, false, false, false, "", true},
        TLineCase{{u"a.rkd"_s, u"b.rkd"_s}, false, false, false, false, "/home/u/a.rkd", true}),
    [](const auto &info) { return std::to_string(info.index); });

TEST(CommandLineHelpTest, NamesEveryOption)
{
    const QString help = ParseCommandLine({u"--help"_s}).HelpText;
    for (const char *name : {"--help", "--version", "--portable", "--showfloppy", "file"})
        EXPECT_TRUE(help.contains(QLatin1StringView(name))) << name;
}

// First starts in temporary home and configuration folders.
class FoldersTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        m_oldHome = qgetenv("HOME");
        m_oldConfig = qgetenv("XDG_CONFIG_HOME");
        m_hadConfig = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
        qputenv("HOME", QFile::encodeName(m_root.filePath(u"home"_s)));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(Config()));
        QDir().mkpath(m_root.filePath(u"home"_s));
        QDir().mkpath(Program());
    }
    void TearDown() override
    {
        qputenv("HOME", m_oldHome);
        if (m_hadConfig)
            qputenv("XDG_CONFIG_HOME", m_oldConfig);
        else
            qunsetenv("XDG_CONFIG_HOME");
    }

    QString Config() const { return m_root.filePath(u"home/cfg"_s); }
    QString Program() const { return m_root.filePath(u"bin"_s) + u'/'; }
    QString User() const { return Config() + u"/Reelkeep/"_s; }

    static void Touch(const QString &path)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    static TSettingsFile SampleFile()
    {
        TSettingsFile file;
        TSettings().Write(file, {});
        return file;
    }

    QTemporaryDir m_root;
    QByteArray m_oldHome;
    QByteArray m_oldConfig;
    bool m_hadConfig = false;
};

TEST_F(FoldersTest, NormalModeUsesOnlyThePerUserFolders)
{
    // Another user's settings beside the program must be neither read nor overwritten.
    Touch(Program() + u"config.ini"_s);
    const TAppFolders folders = ChooseFolders(Program(), false);
    EXPECT_EQ(folders.SettingsFolder, User());
    EXPECT_TRUE(QFileInfo(User()).isDir());
    EXPECT_EQ(folders.DataFolder, m_root.filePath(u"home/Documents/Reelkeep/"_s));
    EXPECT_EQ(TSettings(TSettingsDefaults::English(folders)).FileName,
              folders.DataFolder + u"movies.rkd"_s);
    EXPECT_EQ(HistoryPath(folders), User() + u"history.txt"_s);
    EXPECT_TRUE(folders.StoreBase().isEmpty());

    EXPECT_TRUE(SaveSettingsFile(SampleFile(), folders));
    EXPECT_EQ(Mode(User() + u"config.ini"_s), 0600);
    EXPECT_EQ(QFileInfo(Program() + u"config.ini"_s).size(), 0);
    EXPECT_EQ(QDir(Program()).entryList(QDir::Files), QStringList{u"config.ini"_s});
}

TEST_F(FoldersTest, PortableStaysInTheProgramFolder)
{
    const TAppFolders folders = ChooseFolders(Program(), true);
    EXPECT_EQ(folders.SettingsFolder, Program());
    EXPECT_EQ(folders.DataFolder, Program());
    EXPECT_EQ(HistoryPath(folders), Program() + u"history.txt"_s);
    EXPECT_EQ(folders.StoreBase(), Program());
    EXPECT_TRUE(SaveSettingsFile(SampleFile(), folders));
    EXPECT_TRUE(QFileInfo::exists(Program() + u"config.ini"_s));
    EXPECT_FALSE(QFileInfo::exists(User()));
}

TEST_F(FoldersTest, UnwritablePerUserFolderIsReportedNotRedirected)
{
    QDir().mkpath(Config());
    Touch(Config() + u"/Reelkeep"_s); // a file where the folder belongs
    const TAppFolders folders = ChooseFolders(Program(), false);
    EXPECT_EQ(folders.SettingsFolder, User());
    EXPECT_FALSE(SaveSettingsFile(SampleFile(), folders));
    EXPECT_FALSE(QFileInfo::exists(Program() + u"config.ini"_s));
}

} // namespace
