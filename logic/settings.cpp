#include "logic/settings.h"

#include <algorithm>

#include <QCommandLineParser>
#include <QDir>
#include <QStandardPaths>

#include "catalog/daycount.h"
#include "catalog/settingsconvert.h"
#include "catalog/textutils.h"
#include "catalog/version.h"
#include "logic/settingsfile.h"

using namespace Qt::StringLiterals;

namespace {

constexpr bool ItemDefaults[TSettings::MovieItemCount] = {
    1, 1, 1, 1, 1, 1, 0, 0, 0, 1, 1, 0, 0, 0, 1, 1, 1, 1, 0, 1, 1, 1,
    1, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1, 1};

constexpr int ColorDefaults[TSettings::ColorCount] = {
    16777215, 65535,    15780518, 255,      16706549, 14548976, 8388608,
    8388608,  8388608,  8388608,  8388608,  8388608,  12615808, 11445088,
    0,        16777215, 16706784, 15395562, 15530751, 14548439, 16777215};

QString WithSlash(const QString &folder)
{
    if (folder.isEmpty() || folder.endsWith(u'/'))
        return folder;
    return folder + u'/';
}

bool IsWindowsAbsolute(const QString &path)
{
    if (path.startsWith("\\\\"_L1))
        return true;
    return path.size() >= 3 && path[0].isLetter() && path[0].unicode() < 128 && path[1] == u':'
           && (path[2] == u'\\' || path[2] == u'/');
}

// Files written on Windows separate relative folders with backslashes.
QString NativeRelative(const QString &path)
{
    if (IsWindowsAbsolute(path))
        return path;
    QString result = path;
    result.replace(u'\\', u'/');
    return result;
}

QList<int> ParseGroups(const QString &text)
{
    QList<int> groups;
    for (const QString &item : text.split(u',')) {
        bool ok = false;
        const int field = item.trimmed().toInt(&ok);
        if (ok)
            groups.append(field);
    }
    return groups;
}

QString JoinGroups(const QList<int> &groups)
{
    QStringList items;
    for (const int field : groups)
        items.append(QString::number(field));
    return items.join(", "_L1);
}

QString Indexed(QLatin1StringView prefix, int index, QLatin1StringView suffix = {})
{
    return prefix + QString::number(index) + suffix;
}

QList<TColumnSettings> DefaultColumns(int count)
{
    QList<TColumnSettings> columns;
    columns.reserve(count);
    for (int n = 0; n < count; ++n)
        columns.append(TColumnSettings{true, n, 80});
    return columns;
}

// Columns n = 0..count-1, each read under the index the file's version stored it at.
// Only the movie grid changed its numbering, so only it is migrated.
QList<TColumnSettings>
ReadColumns(const TSettingsFile &file, const QString &section, int count, int version, bool migrate)
{
    QList<TColumnSettings> columns = DefaultColumns(count);
    for (int n = 0; n < count; ++n) {
        const int stored = migrate ? OldColumnIndex(n, version) : n;
        if (stored < 0)
            continue;
        TColumnSettings &column = columns[n];
        column.Visible = file.ReadBool(section, Indexed("Column"_L1, stored, "Visible"_L1), true);
        column.Position = file.ReadInteger(section, Indexed("Column"_L1, stored, "Position"_L1), n);
        column.Width = file.ReadInteger(section, Indexed("Column"_L1, stored, "Width"_L1), 80);
    }
    return columns;
}

void WriteColumns(TSettingsFile &file,
                  const QString &section,
                  const QList<TColumnSettings> &columns)
{
    for (int n = 0; n < columns.size(); ++n) {
        file.WriteBool(section, Indexed("Column"_L1, n, "Visible"_L1), columns[n].Visible);
        file.WriteInteger(section, Indexed("Column"_L1, n, "Position"_L1), columns[n].Position);
        file.WriteInteger(section, Indexed("Column"_L1, n, "Width"_L1), columns[n].Width);
    }
}

TSortSettings ReadSort(const TSettingsFile &file, const QString &section, TSortSettings sort)
{
    sort.SortBy = file.ReadInteger(section, u"SortBy"_s, sort.SortBy);
    sort.SortDirection = file.ReadInteger(section, u"SortDirection"_s, sort.SortDirection);
    return sort;
}

void WriteSort(TSettingsFile &file, const QString &section, const TSortSettings &sort)
{
    file.WriteInteger(section, u"SortBy"_s, sort.SortBy);
    file.WriteInteger(section, u"SortDirection"_s, sort.SortDirection);
}

bool IsPluginOption(const QString &key)
{
    return key.startsWith("DefaultType"_L1, Qt::CaseInsensitive)
           || key.compare("SilentMode"_L1, Qt::CaseInsensitive) == 0
           || key.compare("AutoAddPeople"_L1, Qt::CaseInsensitive) == 0;
}

} // namespace

TCommandLine ParseCommandLine(const QStringList &arguments, const QString &workingFolder)
{
    QCommandLineParser parser;
    // "-portable" is one option, not the letters p, o, r, ...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(u"Reelkeep, a catalog of your movie collection."_s);
    const QCommandLineOption help(QStringList{u"h"_s, u"help"_s}, u"Show this help and exit."_s);
    const QCommandLineOption version(QStringList{u"v"_s, u"version"_s},
                                     u"Show the version and exit."_s);
    const QCommandLineOption portable(u"portable"_s,
                                      u"Keep settings, history and catalogs beside the program."_s);
    const QCommandLineOption showFloppy(u"showfloppy"_s,
                                        u"Show floppy drives in the file picker."_s);
    parser.addOptions({help, version, portable, showFloppy});
    parser.addPositionalArgument(
        u"file"_s,
        u"A catalog (.rkd) to open, or an Ant Movie Catalog file (.amc) to import."_s,
        u"[file]"_s);

    // Options are known without regard to case ("-Portable"); file names keep theirs.
    QStringList line{u"reelkeep"_s};
    bool optionsEnded = false;
    for (const QString &argument : arguments) {
        const bool option = !optionsEnded && argument.startsWith(u'-');
        if (argument == "--"_L1)
            optionsEnded = true;
        line.append(option ? argument.toLower() : argument);
    }

    TCommandLine result;
    if (!parser.parse(line))
        result.Error = parser.errorText();
    result.Portable = parser.isSet(portable);
    result.ShowFloppy = parser.isSet(showFloppy);
    result.ShowHelp = parser.isSet(help);
    result.ShowVersion = parser.isSet(version);
    result.HelpText = parser.helpText();
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1 && result.Error.isEmpty())
        result.Error = u"Only one file can be opened at a time."_s;
    if (!files.isEmpty() && !files.first().isEmpty())
        result.File = QDir::cleanPath(QDir(workingFolder).absoluteFilePath(files.first()));
    return result;
}

TAppFolders ChooseFolders(const QString &programFolder, bool portable)
{
    TAppFolders folders;
    folders.Portable = portable;
    folders.ProgramFolder = WithSlash(programFolder);
    if (portable) {
        folders.SettingsFolder = folders.ProgramFolder;
        folders.DataFolder = folders.ProgramFolder;
        QDir().mkpath(folders.SettingsFolder);
        return folders;
    }

    // The program folder is shared by every user of the machine (and usually not writable):
    // nothing of one user's may be read from or written to it, so there is no fallback there.
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty())
        config = QDir::homePath() + "/.config"_L1;
    folders.SettingsFolder = WithSlash(config) + "Reelkeep/"_L1;
    QDir().mkpath(folders.SettingsFolder);

    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath();
    folders.DataFolder = WithSlash(documents) + "Reelkeep/"_L1;
    return folders;
}

bool SaveSettingsFile(const TSettingsFile &file, const TAppFolders &folders)
{
    QDir().mkpath(folders.SettingsFolder);
    return file.Save(folders.SettingsPath()).Ok();
}

TSettingsDefaults TSettingsDefaults::English(const TAppFolders &folders)
{
    TSettingsDefaults defaults;
    defaults.ProgramFolder = folders.ProgramFolder;
    defaults.DataFolder = folders.DataFolder;
    defaults.Genres = QStringList{
        u"Action"_s,      u"Adventure"_s, u"Animation"_s, u"Biography"_s, u"Comedy"_s,  u"Crime"_s,
        u"Documentary"_s, u"Drama"_s,     u"Family"_s,    u"Fantasy"_s,   u"History"_s, u"Horror"_s,
        u"Music"_s,       u"Musical"_s,   u"Mystery"_s,   u"Romance"_s,   u"Sci-Fi"_s,  u"Sport"_s,
        u"Thriller"_s,    u"War"_s,       u"Western"_s};
    defaults.Translations =
        QStringList{u"Original"_s, u"Dubbed"_s, u"Voice-over"_s, u"Subtitled"_s};
    defaults.SearchNames = QStringList{u"IMDb"_s, u"-"_s, u"Wikipedia"_s};
    defaults.SearchUrls = QStringList{u"https://www.imdb.com/find?q=%s"_s,
                                      u"-"_s,
                                      u"https://en.wikipedia.org/w/index.php?search=%s"_s};
    return defaults;
}

bool DefaultItemVisible(int index)
{
    return index >= 0 && index < TSettings::MovieItemCount ? ItemDefaults[index] : true;
}

int DefaultColor(int index)
{
    return index >= 0 && index < TSettings::ColorCount ? ColorDefaults[index] : 0;
}

TSettings::TSettings()
    : TSettings(TSettingsDefaults{})
{}

TSettings::TSettings(const TSettingsDefaults &defaults)
    : Language(defaults.Language)
    , FileName(WithSlash(defaults.DataFolder) + "movies.rkd"_L1)
    , GridColumns(DefaultColumns(MovieColumnCount))
    , PeopleGridColumns(DefaultColumns(PeopleColumnCount))
    , PrefixList{u"The"_s, u"A"_s, u"Der"_s, u"Die"_s, u"Das"_s, u"Le"_s, u"La"_s, u"L'"_s}
    , GenresList(defaults.Genres)
    , MediaTypeList{u"CD"_s, u"DVD5"_s, u"DVD9"_s}
    , QualityList{u"DVDRip"_s,
                  u"TVRip"_s,
                  u"SATRip"_s,
                  u"VHSRip"_s,
                  u"HDTVRip"_s,
                  u"TS"_s,
                  u"TC"_s,
                  u"HD"_s,
                  u"DVD5"_s,
                  u"DVD9"_s,
                  u"Screener"_s,
                  u"DVD Screener"_s,
                  u"CAMRip"_s}
    , TranslationList(defaults.Translations)
    , VideoCodecsList{u"XviD MPEG-4 Codec"_s,
                      u"DivX 6.x"_s,
                      u"DivX 5.x"_s,
                      u"DivX 4.x"_s,
                      u"Divx 3.11 Low Motion"_s,
                      u"PAL MPEG 2 DVD"_s,
                      u"NTSC MPEG 2 DVD"_s,
                      u"MPEG 1"_s,
                      u"MPEG 2 SVCD"_s,
                      u"ASF"_s,
                      u"WMV"_s}
    , AudioCodecsList{u"MPEG Layer 3 (MP3)"_s,
                      u"AC3"_s,
                      u"MP3 PRO"_s,
                      u"AC3 2.0"_s,
                      u"AC3 5.1"_s,
                      u"DTS"_s,
                      u"WMA"_s,
                      u"ACC"_s,
                      u"OGG"_s,
                      u"MP2"_s,
                      u"PCM"_s}
    , SearchNames(defaults.SearchNames)
    , SearchUrls(defaults.SearchUrls)
    , UserAgent(u"Mozilla/5.0 (Windows; U; Windows NT 5.1; en-US; rv:1.1) Gecko/20020826"_s)
    , LastUpdate(NowDays() - 7)
{
    std::copy(std::begin(ItemDefaults), std::end(ItemDefaults), ItemVisible.begin());
    PeopleItemVisible.fill(true);
    std::copy(std::begin(ColorDefaults), std::end(ColorDefaults), Colors.begin());
}

void TSettings::Read(const TSettingsFile &file, const TSettingsDefaults &defaults)
{
    *this = TSettings(defaults);
    const TSettingsFile &f = file;

    Version = f.ReadInteger(u"Application"_s, u"Version"_s, Version);
    // Every converter passes indexes through unchanged for files of the current layout.
    const int version = Version;
    const bool old = version <= LastOldSettingsVersion;

    Language = f.ReadInteger(u"Dialogs"_s, u"Language"_s, Language);
    const QString fileName = NativeRelative(f.ReadString(u"DataBase"_s, u"FileName"_s, {}));
    if (!fileName.isEmpty())
        FileName = old ? fileName : ResolvePath(fileName, defaults.ProgramFolder);
    RecentFiles = f.ReadList(u"DataBase"_s, u"RecentFiles"_s, u'|', RecentFiles);
    for (QString &recent : RecentFiles)
        recent = NativeRelative(recent);
    Mode = f.ReadInteger(u"DataBase"_s, u"Mode"_s, Mode);

    Maximized = f.ReadBool(u"Position"_s, u"Maximized"_s, Maximized);
    Left = f.ReadInteger(u"Position"_s, u"Left"_s, Left);
    Top = f.ReadInteger(u"Position"_s, u"Top"_s, Top);
    Width = f.ReadInteger(u"Position"_s, u"Width"_s, Width);
    Height = f.ReadInteger(u"Position"_s, u"Height"_s, Height);
    Splitter = f.ReadInteger(u"Position"_s, u"Splitter"_s, Splitter);

    DoInfo = f.ReadBool(u"NMM"_s, u"DoInfo"_s, DoInfo);
    DoPoster = f.ReadBool(u"NMM"_s, u"DoPoster"_s, DoPoster);
    DoCovers = f.ReadBool(u"NMM"_s, u"DoCovers"_s, DoCovers);
    DoFile = f.ReadBool(u"NMM"_s, u"DoFile"_s, DoFile);
    DoWish = f.ReadBool(u"NMM"_s, u"DoWish"_s, DoWish);
    DoScreenshots = f.ReadBool(u"NMM"_s, u"DoScreenshots"_s, DoScreenshots);

    int columnCount = MovieColumnCount;
    if (f.Contains(u"Grid"_s, u"ColumnCount"_s))
        columnCount =
            OldColumnCount(f.ReadInteger(u"Grid"_s, u"ColumnCount"_s, columnCount), version);
    columnCount = std::clamp(columnCount, int(MovieColumnCount), int(ColumnLimit));
    GridColumns = ReadColumns(f, u"Grid"_s, columnCount, version, true);
    PeopleGridColumns = ReadColumns(f, u"PeopleGrid"_s, PeopleColumnCount, version, false);

    PlainSort = ReadSort(f, u"Plain"_s, PlainSort);
    TreeSort = ReadSort(f, u"Tree"_s, TreeSort);
    GridSort = ReadSort(f, u"Grid"_s, GridSort);
    for (TSortSettings *sort : {&PlainSort, &TreeSort, &GridSort})
        sort->SortBy = NewColumnIndex(sort->SortBy, version);
    PeoplePlainSort = ReadSort(f, u"PeoplePlain"_s, PeoplePlainSort);
    PeopleTreeSort = ReadSort(f, u"PeopleTree"_s, PeopleTreeSort);
    PeopleGridSort = ReadSort(f, u"PeopleGrid"_s, PeopleGridSort);

    TitleFormat = f.ReadString(u"Title"_s, u"Format"_s, TitleFormat);
    PeopleTitleFormat = f.ReadString(u"PeopleTitle"_s, u"Format"_s, PeopleTitleFormat);
    PrefixMode = f.ReadInteger(u"Title"_s, u"PrefixMode"_s, PrefixMode);
    // Old files numbered "remove" 2; the current 2 moves the article to the beginning.
    if (old && PrefixMode == 2)
        PrefixMode = 3;
    PrefixList = f.ReadList(u"Title"_s, u"PrefixList"_s, u',', PrefixList);
    AllCapsTitle = f.ReadBool(u"Title"_s, u"AllCapsTitle"_s, AllCapsTitle);
    PeopleAllCapsTitle = f.ReadBool(u"PeopleTitle"_s, u"AllCapsTitle"_s, PeopleAllCapsTitle);

    DurationInMinutes = f.ReadBool(u"MovieInfo"_s, u"DurationInMinutes"_s, DurationInMinutes);
    TransNames = f.ReadBool(u"MovieInfo"_s, u"TransNames"_s, TransNames);
    MaxPosterWidth = f.ReadInteger(u"MovieInfo"_s, u"MaxPosterWidth"_s, MaxPosterWidth);
    MaxPosterHeight = f.ReadInteger(u"MovieInfo"_s, u"MaxPosterHeight"_s, MaxPosterHeight);
    PicsInFolders = f.ReadBool(u"MovieInfo"_s, u"PicsInFolders"_s, PicsInFolders);
    ScreenshotsAsBitmaps =
        f.ReadBool(u"MovieInfo"_s, u"ScreenshotsAsBitmaps"_s, ScreenshotsAsBitmaps);
    DefSeenState = f.ReadBool(u"MovieInfo"_s, u"DefSeenState"_s, DefSeenState);
    MaxPhotoWidth = f.ReadInteger(u"PeopleInfo"_s, u"MaxPhotoWidth"_s, MaxPhotoWidth);
    MaxPhotoHeight = f.ReadInteger(u"PeopleInfo"_s, u"MaxPhotoHeight"_s, MaxPhotoHeight);

    for (int n = 0; n < MovieItemCount; ++n) {
        const int stored = OldItemIndex(n, version);
        if (stored >= 0)
            ItemVisible[n] =
                f.ReadBool(u"Items"_s, Indexed("Item"_L1, stored, "_Visible"_L1), ItemVisible[n]);
    }
    Collapse = f.ReadBool(u"Items"_s, u"Collapse"_s, Collapse);
    for (int n = 0; n < PeopleItemCount; ++n)
        PeopleItemVisible[n] = f.ReadBool(
            u"PeopleItems"_s, Indexed("Item"_L1, n, "_Visible"_L1), PeopleItemVisible[n]);
    PeopleCollapse = f.ReadBool(u"PeopleItems"_s, u"Collapse"_s, PeopleCollapse);

    GenresList = f.ReadList(u"Lists"_s, u"GenresList"_s, u',', GenresList);
    MediaTypeList = f.ReadList(u"Lists"_s, u"MediaTypeList"_s, u',', MediaTypeList);
    QualityList = f.ReadList(u"Lists"_s, u"QualityList"_s, u',', QualityList);
    TranslationList = f.ReadList(u"Lists"_s, u"TranslationList"_s, u',', TranslationList);
    VideoCodecsList = f.ReadList(u"Lists"_s, u"VideoCodecsList"_s, u',', VideoCodecsList);
    AudioCodecsList = f.ReadList(u"Lists"_s, u"AudioCodecsList"_s, u',', AudioCodecsList);
    CareerList = f.ReadList(u"Lists"_s, u"CareerList"_s, u',', CareerList);

    DoListColors = f.ReadBool(u"Colors"_s, u"DoListColors"_s, DoListColors);
    DoMovieColors = f.ReadBool(u"Colors"_s, u"DoMovieColors"_s, DoMovieColors);
    for (int n = 0; n < ColorCount; ++n) {
        const int stored = OldColorIndex(n, version);
        if (stored >= 0)
            Colors[n] = f.ReadInteger(u"Colors"_s, Indexed("Color"_L1, stored), Colors[n]);
    }

    DeleteMovieConfirm = f.ReadBool(u"Dialogs"_s, u"DeleteMovieConfirm"_s, DeleteMovieConfirm);
    DeleteMovieFilesConfirm =
        f.ReadBool(u"Dialogs"_s, u"DeleteMovieFilesConfirm"_s, DeleteMovieFilesConfirm);
    ClearMovieConfirm = f.ReadBool(u"Dialogs"_s, u"ClearMovieConfirm"_s, ClearMovieConfirm);
    RemoveDuplicatesConfirm =
        f.ReadBool(u"Dialogs"_s, u"RemoveDuplicatesConfirm"_s, RemoveDuplicatesConfirm);
    NewEpisodeDlg = f.ReadBool(u"Dialogs"_s, u"NewEpisodeDlg"_s, NewEpisodeDlg);
    CopyDataToNewEpisode =
        f.ReadBool(u"Dialogs"_s, u"CopyDataToNewEpisode"_s, CopyDataToNewEpisode);

    SameDirOpts = f.ReadBool(u"Folders"_s, u"SameDirOpts"_s, SameDirOpts);
    for (int n = 0; n < FolderSlotCount; ++n) {
        InitDir[n] =
            NativeRelative(f.ReadString(u"Folders"_s, Indexed("InitDir"_L1, n), InitDir[n]));
        InitDirType[n] = f.ReadInteger(u"Folders"_s, Indexed("InitDirType"_L1, n), InitDirType[n]);
    }

    SearchNames = f.ReadList(u"WebSearch"_s, u"Names"_s, u',', SearchNames);
    SearchUrls = f.ReadList(u"WebSearch"_s, u"URLs"_s, u',', SearchUrls);

    for (const QString &key : f.Keys(u"Plugins"_s)) {
        if (!IsPluginOption(key))
            PluginFields.insert(key, f.ReadInteger(u"Plugins"_s, key, 0));
    }
    for (int n = 0; n < PluginTypeCount; ++n)
        DefaultPlugin[n] =
            f.ReadString(u"Plugins"_s, Indexed("DefaultType"_L1, n), DefaultPlugin[n]);
    SilentMode = f.ReadBool(u"Plugins"_s, u"SilentMode"_s, SilentMode);
    AutoAddPeople = f.ReadBool(u"Plugins"_s, u"AutoAddPeople"_s, AutoAddPeople);

    MovieViewMode = f.ReadInteger(u"MovieList"_s, u"ViewMode"_s, MovieViewMode);
    if (f.Contains(u"MovieList"_s, u"Groups"_s))
        MovieGroups = ParseGroups(f.ReadString(u"MovieList"_s, u"Groups"_s, {}));
    MovieUndefinedGroup = f.ReadBool(u"MovieList"_s, u"DoUndefinedGroup"_s, MovieUndefinedGroup);
    PeopleViewMode = f.ReadInteger(u"PeopleList"_s, u"ViewMode"_s, PeopleViewMode);
    if (f.Contains(u"PeopleList"_s, u"Groups"_s))
        PeopleGroups = ParseGroups(f.ReadString(u"PeopleList"_s, u"Groups"_s, {}));
    PeopleUndefinedGroup = f.ReadBool(u"PeopleList"_s, u"DoUndefinedGroup"_s, PeopleUndefinedGroup);

    UseProxy = f.ReadBool(u"Internet"_s, u"UseProxy"_s, UseProxy);
    ProxyServer = f.ReadString(u"Internet"_s, u"ProxyServer"_s, ProxyServer);
    ProxyPort = f.ReadInteger(u"Internet"_s, u"ProxyPort"_s, ProxyPort);
    ProxyUserName = f.ReadString(u"Internet"_s, u"ProxyUserName"_s, ProxyUserName);
    ProxyPassword = f.ReadString(u"Internet"_s, u"ProxyPassword"_s, ProxyPassword);
    UserAgent = f.ReadString(u"Internet"_s, u"UserAgent"_s, UserAgent);
    ConnectTimeout = f.ReadInteger(u"Internet"_s, u"ConnectTimeout"_s, ConnectTimeout);
    ReadTimeout = f.ReadInteger(u"Internet"_s, u"ReadTimeout"_s, ReadTimeout);
    Retries = f.ReadInteger(u"Internet"_s, u"Retries"_s, Retries);
    // A limit of 0 or below would mean waiting forever: such a value takes the default.
    const auto readLimit = [&f](const QString &key, int fallback, int maximum) {
        const int value = f.ReadInteger(u"Internet"_s, key, fallback);
        return value < 1 ? fallback : std::min(value, maximum);
    };
    DownloadTimeLimit = readLimit(u"DownloadTimeLimit"_s, DownloadTimeLimit, MaxDownloadLimit);
    StallTimeLimit = readLimit(u"StallTimeLimit"_s, StallTimeLimit, MaxStallLimit);
    DoUpdates = f.ReadBool(u"Internet"_s, u"DoUpdates"_s, DoUpdates);
    LastUpdate = f.ReadFloat(u"Internet"_s, u"LastUpdate"_s, LastUpdate);
    UpdateSite = f.ReadString(u"Internet"_s, u"UpdateSite"_s, UpdateSite);

    ExternalPosters = f.ReadBool(u"Misc"_s, u"ExternalPosters"_s, ExternalPosters);
    DeleteMovieFiles = f.ReadBool(u"Misc"_s, u"DeleteMovieFiles"_s, DeleteMovieFiles);
    LoanMediaLabel = f.ReadBool(u"Misc"_s, u"LoanMediaLabel"_s, LoanMediaLabel);
    LoanID = f.ReadBool(u"Misc"_s, u"LoanID"_s, LoanID);
    SpaceJump = f.ReadBool(u"Misc"_s, u"SpaceJump"_s, SpaceJump);
    LabelOnlyRemovable = f.ReadBool(u"Misc"_s, u"LabelOnlyRemovable"_s, LabelOnlyRemovable);
    DoAutoID = f.ReadBool(u"Misc"_s, u"DoAutoID"_s, DoAutoID);
    AutoIndexMode = f.ReadInteger(u"Misc"_s, u"AutoIndexMode"_s, AutoIndexMode);
    AutoSave = f.ReadBool(u"Misc"_s, u"AutoSave"_s, AutoSave);
    AutoSaveInterval = f.ReadInteger(u"Misc"_s, u"AutoSaveInterval"_s, AutoSaveInterval);
}

void TSettings::Write(TSettingsFile &f, const QString &programFolder) const
{
    f.WriteInteger(u"Application"_s, u"Version"_s, ProgramVersionNumber);
    f.WriteInteger(u"Dialogs"_s, u"Language"_s, Language);
    f.WriteString(u"DataBase"_s, u"FileName"_s, RelativePath(programFolder, FileName));
    f.WriteList(u"DataBase"_s, u"RecentFiles"_s, RecentFiles, u'|');
    f.WriteInteger(u"DataBase"_s, u"Mode"_s, Mode);

    f.WriteBool(u"Position"_s, u"Maximized"_s, Maximized);
    f.WriteInteger(u"Position"_s, u"Left"_s, Left);
    f.WriteInteger(u"Position"_s, u"Top"_s, Top);
    f.WriteInteger(u"Position"_s, u"Width"_s, Width);
    f.WriteInteger(u"Position"_s, u"Height"_s, Height);
    f.WriteInteger(u"Position"_s, u"Splitter"_s, Splitter);

    f.WriteBool(u"NMM"_s, u"DoInfo"_s, DoInfo);
    f.WriteBool(u"NMM"_s, u"DoPoster"_s, DoPoster);
    f.WriteBool(u"NMM"_s, u"DoCovers"_s, DoCovers);
    f.WriteBool(u"NMM"_s, u"DoFile"_s, DoFile);
    f.WriteBool(u"NMM"_s, u"DoWish"_s, DoWish);
    f.WriteBool(u"NMM"_s, u"DoScreenshots"_s, DoScreenshots);

    f.WriteInteger(u"Grid"_s, u"ColumnCount"_s, int(GridColumns.size()));
    WriteColumns(f, u"Grid"_s, GridColumns);
    WriteColumns(f, u"PeopleGrid"_s, PeopleGridColumns);
    WriteSort(f, u"Plain"_s, PlainSort);
    WriteSort(f, u"Tree"_s, TreeSort);
    WriteSort(f, u"Grid"_s, GridSort);
    WriteSort(f, u"PeoplePlain"_s, PeoplePlainSort);
    WriteSort(f, u"PeopleTree"_s, PeopleTreeSort);
    WriteSort(f, u"PeopleGrid"_s, PeopleGridSort);

    f.WriteString(u"Title"_s, u"Format"_s, TitleFormat);
    f.WriteString(u"PeopleTitle"_s, u"Format"_s, PeopleTitleFormat);
    f.WriteInteger(u"Title"_s, u"PrefixMode"_s, PrefixMode);
    f.WriteList(u"Title"_s, u"PrefixList"_s, PrefixList, u',');
    f.WriteBool(u"Title"_s, u"AllCapsTitle"_s, AllCapsTitle);
    f.WriteBool(u"PeopleTitle"_s, u"AllCapsTitle"_s, PeopleAllCapsTitle);

    f.WriteBool(u"MovieInfo"_s, u"DurationInMinutes"_s, DurationInMinutes);
    f.WriteBool(u"MovieInfo"_s, u"TransNames"_s, TransNames);
    f.WriteInteger(u"MovieInfo"_s, u"MaxPosterWidth"_s, MaxPosterWidth);
    f.WriteInteger(u"MovieInfo"_s, u"MaxPosterHeight"_s, MaxPosterHeight);
    f.WriteBool(u"MovieInfo"_s, u"PicsInFolders"_s, PicsInFolders);
    f.WriteBool(u"MovieInfo"_s, u"ScreenshotsAsBitmaps"_s, ScreenshotsAsBitmaps);
    f.WriteBool(u"MovieInfo"_s, u"DefSeenState"_s, DefSeenState);
    f.WriteInteger(u"PeopleInfo"_s, u"MaxPhotoWidth"_s, MaxPhotoWidth);
    f.WriteInteger(u"PeopleInfo"_s, u"MaxPhotoHeight"_s, MaxPhotoHeight);

    for (int n = 0; n < MovieItemCount; ++n)
        f.WriteBool(u"Items"_s, Indexed("Item"_L1, n, "_Visible"_L1), ItemVisible[n]);
    f.WriteBool(u"Items"_s, u"Collapse"_s, Collapse);
    for (int n = 0; n < PeopleItemCount; ++n)
        f.WriteBool(u"PeopleItems"_s, Indexed("Item"_L1, n, "_Visible"_L1), PeopleItemVisible[n]);
    f.WriteBool(u"PeopleItems"_s, u"Collapse"_s, PeopleCollapse);

    f.WriteList(u"Lists"_s, u"GenresList"_s, GenresList, u',');
    f.WriteList(u"Lists"_s, u"MediaTypeList"_s, MediaTypeList, u',');
    f.WriteList(u"Lists"_s, u"QualityList"_s, QualityList, u',');
    f.WriteList(u"Lists"_s, u"TranslationList"_s, TranslationList, u',');
    f.WriteList(u"Lists"_s, u"VideoCodecsList"_s, VideoCodecsList, u',');
    f.WriteList(u"Lists"_s, u"AudioCodecsList"_s, AudioCodecsList, u',');
    f.WriteList(u"Lists"_s, u"CareerList"_s, CareerList, u',');

    f.WriteBool(u"Colors"_s, u"DoListColors"_s, DoListColors);
    f.WriteBool(u"Colors"_s, u"DoMovieColors"_s, DoMovieColors);
    for (int n = 0; n < ColorCount; ++n)
        f.WriteInteger(u"Colors"_s, Indexed("Color"_L1, n), Colors[n]);

    f.WriteBool(u"Dialogs"_s, u"DeleteMovieConfirm"_s, DeleteMovieConfirm);
    f.WriteBool(u"Dialogs"_s, u"DeleteMovieFilesConfirm"_s, DeleteMovieFilesConfirm);
    f.WriteBool(u"Dialogs"_s, u"ClearMovieConfirm"_s, ClearMovieConfirm);
    f.WriteBool(u"Dialogs"_s, u"RemoveDuplicatesConfirm"_s, RemoveDuplicatesConfirm);
    f.WriteBool(u"Dialogs"_s, u"NewEpisodeDlg"_s, NewEpisodeDlg);
    f.WriteBool(u"Dialogs"_s, u"CopyDataToNewEpisode"_s, CopyDataToNewEpisode);

    f.WriteBool(u"Folders"_s, u"SameDirOpts"_s, SameDirOpts);
    for (int n = 0; n < FolderSlotCount; ++n) {
        f.WriteString(u"Folders"_s, Indexed("InitDir"_L1, n), InitDir[n]);
        f.WriteInteger(u"Folders"_s, Indexed("InitDirType"_L1, n), InitDirType[n]);
    }

    f.WriteList(u"WebSearch"_s, u"Names"_s, SearchNames, u',');
    f.WriteList(u"WebSearch"_s, u"URLs"_s, SearchUrls, u',');

    for (auto it = PluginFields.cbegin(); it != PluginFields.cend(); ++it) {
        if (!it.key().isEmpty() && !IsPluginOption(it.key()))
            f.WriteInteger(u"Plugins"_s, it.key(), it.value());
    }
    for (int n = 0; n < PluginTypeCount; ++n)
        f.WriteString(u"Plugins"_s, Indexed("DefaultType"_L1, n), DefaultPlugin[n]);
    f.WriteBool(u"Plugins"_s, u"SilentMode"_s, SilentMode);
    f.WriteBool(u"Plugins"_s, u"AutoAddPeople"_s, AutoAddPeople);

    f.WriteInteger(u"MovieList"_s, u"ViewMode"_s, MovieViewMode);
    f.WriteString(u"MovieList"_s, u"Groups"_s, JoinGroups(MovieGroups));
    f.WriteBool(u"MovieList"_s, u"DoUndefinedGroup"_s, MovieUndefinedGroup);
    f.WriteInteger(u"PeopleList"_s, u"ViewMode"_s, PeopleViewMode);
    f.WriteString(u"PeopleList"_s, u"Groups"_s, JoinGroups(PeopleGroups));
    f.WriteBool(u"PeopleList"_s, u"DoUndefinedGroup"_s, PeopleUndefinedGroup);

    f.WriteBool(u"Internet"_s, u"UseProxy"_s, UseProxy);
    f.WriteString(u"Internet"_s, u"ProxyServer"_s, ProxyServer);
    f.WriteInteger(u"Internet"_s, u"ProxyPort"_s, ProxyPort);
    f.WriteString(u"Internet"_s, u"ProxyUserName"_s, ProxyUserName);
    f.WriteString(u"Internet"_s, u"ProxyPassword"_s, ProxyPassword);
    f.WriteString(u"Internet"_s, u"UserAgent"_s, UserAgent);
    f.WriteInteger(u"Internet"_s, u"ConnectTimeout"_s, ConnectTimeout);
    f.WriteInteger(u"Internet"_s, u"ReadTimeout"_s, ReadTimeout);
    f.WriteInteger(u"Internet"_s, u"Retries"_s, Retries);
    f.WriteInteger(u"Internet"_s, u"DownloadTimeLimit"_s, DownloadTimeLimit);
    f.WriteInteger(u"Internet"_s, u"StallTimeLimit"_s, StallTimeLimit);
    f.WriteBool(u"Internet"_s, u"DoUpdates"_s, DoUpdates);
    f.WriteFloat(u"Internet"_s, u"LastUpdate"_s, LastUpdate);
    f.WriteString(u"Internet"_s, u"UpdateSite"_s, UpdateSite);

    f.WriteBool(u"Misc"_s, u"ExternalPosters"_s, ExternalPosters);
    f.WriteBool(u"Misc"_s, u"DeleteMovieFiles"_s, DeleteMovieFiles);
    f.WriteBool(u"Misc"_s, u"LoanMediaLabel"_s, LoanMediaLabel);
    f.WriteBool(u"Misc"_s, u"LoanID"_s, LoanID);
    f.WriteBool(u"Misc"_s, u"SpaceJump"_s, SpaceJump);
    f.WriteBool(u"Misc"_s, u"LabelOnlyRemovable"_s, LabelOnlyRemovable);
    f.WriteBool(u"Misc"_s, u"DoAutoID"_s, DoAutoID);
    f.WriteInteger(u"Misc"_s, u"AutoIndexMode"_s, AutoIndexMode);
    f.WriteBool(u"Misc"_s, u"AutoSave"_s, AutoSave);
    f.WriteInteger(u"Misc"_s, u"AutoSaveInterval"_s, AutoSaveInterval);
}
