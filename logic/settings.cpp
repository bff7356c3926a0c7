#include "logic/settings.h"

#include <algorithm>
#include <variant>

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

namespace {

// What reading a key may depend on besides the file.
struct TReadContext
{
    int version;
    // A file of the older program, whose numbering some values still follow.
    bool old;
    const TSettingsDefaults &defaults;
};

// Keys that are more than one value of the record: several keys, a migration or a check.
struct TCustomKey
{
    void (*read)(TSettings &, const TSettingsFile &, const TReadContext &);
    void (*write)(const TSettings &, TSettingsFile &, const QString &programFolder);
};

struct TListKey
{
    QStringList TSettings::*member;
    char16_t separator;
};

// One key of config.ini, or for a custom entry the pattern of the keys it handles. The
// table is in the order keys are written, which is the order of the sections in the file.
struct TSettingsKey
{
    QLatin1StringView section;
    QLatin1StringView key;
    std::variant<bool TSettings::*,
                 int TSettings::*,
                 QString TSettings::*,
                 double TSettings::*,
                 TListKey,
                 TCustomKey>
        member;
};

// A limit of 0 or below would mean waiting forever: such a value takes the default.
int ReadLimit(const TSettingsFile &f, const QString &key, int fallback, int maximum)
{
    const int value = f.ReadInteger(u"Internet"_s, key, fallback);
    return value < 1 ? fallback : std::min(value, maximum);
}

const TCustomKey ColumnKeys{
    [](TSettings &s, const TSettingsFile &f, const TReadContext &c) {
        int count = TSettings::MovieColumnCount;
        if (f.Contains(u"Grid"_s, u"ColumnCount"_s))
            count = OldColumnCount(f.ReadInteger(u"Grid"_s, u"ColumnCount"_s, count), c.version);
        count = std::clamp(count, int(TSettings::MovieColumnCount), int(TSettings::ColumnLimit));
        s.GridColumns = ReadColumns(f, u"Grid"_s, count, c.version, true);
        s.PeopleGridColumns =
            ReadColumns(f, u"PeopleGrid"_s, TSettings::PeopleColumnCount, c.version, false);
    },
    [](const TSettings &s, TSettingsFile &f, const QString &) {
        f.WriteInteger(u"Grid"_s, u"ColumnCount"_s, int(s.GridColumns.size()));
        WriteColumns(f, u"Grid"_s, s.GridColumns);
        WriteColumns(f, u"PeopleGrid"_s, s.PeopleGridColumns);
    }};

const TCustomKey SortKeys{[](TSettings &s, const TSettingsFile &f, const TReadContext &c) {
                              s.PlainSort = ReadSort(f, u"Plain"_s, s.PlainSort);
                              s.TreeSort = ReadSort(f, u"Tree"_s, s.TreeSort);
                              s.GridSort = ReadSort(f, u"Grid"_s, s.GridSort);
                              for (TSortSettings *sort : {&s.PlainSort, &s.TreeSort, &s.GridSort})
                                  sort->SortBy = NewColumnIndex(sort->SortBy, c.version);
                              s.PeoplePlainSort = ReadSort(f, u"PeoplePlain"_s, s.PeoplePlainSort);
                              s.PeopleTreeSort = ReadSort(f, u"PeopleTree"_s, s.PeopleTreeSort);
                              s.PeopleGridSort = ReadSort(f, u"PeopleGrid"_s, s.PeopleGridSort);
                          },
                          [](const TSettings &s, TSettingsFile &f, const QString &) {
                              WriteSort(f, u"Plain"_s, s.PlainSort);
                              WriteSort(f, u"Tree"_s, s.TreeSort);
                              WriteSort(f, u"Grid"_s, s.GridSort);
                              WriteSort(f, u"PeoplePlain"_s, s.PeoplePlainSort);
                              WriteSort(f, u"PeopleTree"_s, s.PeopleTreeSort);
                              WriteSort(f, u"PeopleGrid"_s, s.PeopleGridSort);
                          }};

const TCustomKey ItemKeys{
    [](TSettings &s, const TSettingsFile &f, const TReadContext &c) {
        for (int n = 0; n < TSettings::MovieItemCount; ++n) {
            const int stored = OldItemIndex(n, c.version);
            if (stored >= 0)
                s.ItemVisible[n] = f.ReadBool(
                    u"Items"_s, Indexed("Item"_L1, stored, "_Visible"_L1), s.ItemVisible[n]);
        }
    },
    [](const TSettings &s, TSettingsFile &f, const QString &) {
        for (int n = 0; n < TSettings::MovieItemCount; ++n)
            f.WriteBool(u"Items"_s, Indexed("Item"_L1, n, "_Visible"_L1), s.ItemVisible[n]);
    }};

const TCustomKey PeopleItemKeys{
    [](TSettings &s, const TSettingsFile &f, const TReadContext &) {
        for (int n = 0; n < TSettings::PeopleItemCount; ++n)
            s.PeopleItemVisible[n] = f.ReadBool(
                u"PeopleItems"_s, Indexed("Item"_L1, n, "_Visible"_L1), s.PeopleItemVisible[n]);
    },
    [](const TSettings &s, TSettingsFile &f, const QString &) {
        for (int n = 0; n < TSettings::PeopleItemCount; ++n)
            f.WriteBool(
                u"PeopleItems"_s, Indexed("Item"_L1, n, "_Visible"_L1), s.PeopleItemVisible[n]);
    }};

const TCustomKey ColorKeys{[](TSettings &s, const TSettingsFile &f, const TReadContext &c) {
                               for (int n = 0; n < TSettings::ColorCount; ++n) {
                                   const int stored = OldColorIndex(n, c.version);
                                   if (stored >= 0)
                                       s.Colors[n] = f.ReadInteger(
                                           u"Colors"_s, Indexed("Color"_L1, stored), s.Colors[n]);
                               }
                           },
                           [](const TSettings &s, TSettingsFile &f, const QString &) {
                               for (int n = 0; n < TSettings::ColorCount; ++n)
                                   f.WriteInteger(u"Colors"_s, Indexed("Color"_L1, n), s.Colors[n]);
                           }};

const TCustomKey FolderKeys{
    [](TSettings &s, const TSettingsFile &f, const TReadContext &) {
        for (int n = 0; n < TSettings::FolderSlotCount; ++n) {
            s.InitDir[n] =
                NativeRelative(f.ReadString(u"Folders"_s, Indexed("InitDir"_L1, n), s.InitDir[n]));
            s.InitDirType[n] =
                f.ReadInteger(u"Folders"_s, Indexed("InitDirType"_L1, n), s.InitDirType[n]);
        }
    },
    [](const TSettings &s, TSettingsFile &f, const QString &) {
        for (int n = 0; n < TSettings::FolderSlotCount; ++n) {
            f.WriteString(u"Folders"_s, Indexed("InitDir"_L1, n), s.InitDir[n]);
            f.WriteInteger(u"Folders"_s, Indexed("InitDirType"_L1, n), s.InitDirType[n]);
        }
    }};

// Plug-ins keep their own integer options in the section, beside the program's keys.
const TCustomKey PluginKeys{
    [](TSettings &s, const TSettingsFile &f, const TReadContext &) {
        for (const QString &key : f.Keys(u"Plugins"_s)) {
            if (!IsPluginOption(key))
                s.PluginFields.insert(key, f.ReadInteger(u"Plugins"_s, key, 0));
        }
        for (int n = 0; n < TSettings::PluginTypeCount; ++n)
            s.DefaultPlugin[n] =
                f.ReadString(u"Plugins"_s, Indexed("DefaultType"_L1, n), s.DefaultPlugin[n]);
    },
    [](const TSettings &s, TSettingsFile &f, const QString &) {
        for (auto it = s.PluginFields.cbegin(); it != s.PluginFields.cend(); ++it) {
            if (!it.key().isEmpty() && !IsPluginOption(it.key()))
                f.WriteInteger(u"Plugins"_s, it.key(), it.value());
        }
        for (int n = 0; n < TSettings::PluginTypeCount; ++n)
            f.WriteString(u"Plugins"_s, Indexed("DefaultType"_L1, n), s.DefaultPlugin[n]);
    }};

using S = TSettings;
const TSettingsKey SettingsKeys[] = {
    {"Application"_L1,
     "Version"_L1,
     // Read before the table: every other key may depend on it.
     TCustomKey{[](S &, const TSettingsFile &, const TReadContext &) {},
                [](const S &, TSettingsFile &f, const QString &) {
                    f.WriteInteger(u"Application"_s, u"Version"_s, ProgramVersionNumber);
                }}},
    {"Dialogs"_L1, "Language"_L1, &S::Language},
    {"DataBase"_L1,
     "FileName"_L1,
     TCustomKey{[](S &s, const TSettingsFile &f, const TReadContext &c) {
                    const QString name =
                        NativeRelative(f.ReadString(u"DataBase"_s, u"FileName"_s, {}));
                    if (!name.isEmpty())
                        s.FileName = c.old ? name : ResolvePath(name, c.defaults.ProgramFolder);
                },
                [](const S &s, TSettingsFile &f, const QString &programFolder) {
                    f.WriteString(
                        u"DataBase"_s, u"FileName"_s, RelativePath(programFolder, s.FileName));
                }}},
    {"DataBase"_L1,
     "RecentFiles"_L1,
     TCustomKey{[](S &s, const TSettingsFile &f, const TReadContext &) {
                    s.RecentFiles =
                        f.ReadList(u"DataBase"_s, u"RecentFiles"_s, u'|', s.RecentFiles);
                    for (QString &recent : s.RecentFiles)
                        recent = NativeRelative(recent);
                },
                [](const S &s, TSettingsFile &f, const QString &) {
                    f.WriteList(u"DataBase"_s, u"RecentFiles"_s, s.RecentFiles, u'|');
                }}},
    {"DataBase"_L1, "Mode"_L1, &S::Mode},
    {"Position"_L1, "Maximized"_L1, &S::Maximized},
    {"Position"_L1, "Left"_L1, &S::Left},
    {"Position"_L1, "Top"_L1, &S::Top},
    {"Position"_L1, "Width"_L1, &S::Width},
    {"Position"_L1, "Height"_L1, &S::Height},
    {"Position"_L1, "Splitter"_L1, &S::Splitter},
    {"NMM"_L1, "DoInfo"_L1, &S::DoInfo},
    {"NMM"_L1, "DoPoster"_L1, &S::DoPoster},
    {"NMM"_L1, "DoCovers"_L1, &S::DoCovers},
    {"NMM"_L1, "DoFile"_L1, &S::DoFile},
    {"NMM"_L1, "DoWish"_L1, &S::DoWish},
    {"NMM"_L1, "DoScreenshots"_L1, &S::DoScreenshots},
    {"Grid"_L1, "Column*"_L1, ColumnKeys},
    {"Plain"_L1, "Sort*"_L1, SortKeys},
    {"Title"_L1, "Format"_L1, &S::TitleFormat},
    {"PeopleTitle"_L1, "Format"_L1, &S::PeopleTitleFormat},
    {"Title"_L1,
     "PrefixMode"_L1,
     TCustomKey{[](S &s, const TSettingsFile &f, const TReadContext &c) {
                    s.PrefixMode = f.ReadInteger(u"Title"_s, u"PrefixMode"_s, s.PrefixMode);
                    // Old files numbered "remove" 2; the current 2 moves the article to
                    // the beginning.
                    if (c.old && s.PrefixMode == 2)
                        s.PrefixMode = 3;
                },
                [](const S &s, TSettingsFile &f, const QString &) {
                    f.WriteInteger(u"Title"_s, u"PrefixMode"_s, s.PrefixMode);
                }}},
    {"Title"_L1, "PrefixList"_L1, TListKey{&S::PrefixList, u','}},
    {"Title"_L1, "AllCapsTitle"_L1, &S::AllCapsTitle},
    {"PeopleTitle"_L1, "AllCapsTitle"_L1, &S::PeopleAllCapsTitle},
    {"MovieInfo"_L1, "DurationInMinutes"_L1, &S::DurationInMinutes},
    {"MovieInfo"_L1, "TransNames"_L1, &S::TransNames},
    {"MovieInfo"_L1, "MaxPosterWidth"_L1, &S::MaxPosterWidth},
    {"MovieInfo"_L1, "MaxPosterHeight"_L1, &S::MaxPosterHeight},
    {"MovieInfo"_L1, "PicsInFolders"_L1, &S::PicsInFolders},
    {"MovieInfo"_L1, "ScreenshotsAsBitmaps"_L1, &S::ScreenshotsAsBitmaps},
    {"MovieInfo"_L1, "DefSeenState"_L1, &S::DefSeenState},
    {"PeopleInfo"_L1, "MaxPhotoWidth"_L1, &S::MaxPhotoWidth},
    {"PeopleInfo"_L1, "MaxPhotoHeight"_L1, &S::MaxPhotoHeight},
    {"Items"_L1, "Item*_Visible"_L1, ItemKeys},
    {"Items"_L1, "Collapse"_L1, &S::Collapse},
    {"PeopleItems"_L1, "Item*_Visible"_L1, PeopleItemKeys},
    {"PeopleItems"_L1, "Collapse"_L1, &S::PeopleCollapse},
    {"Lists"_L1, "GenresList"_L1, TListKey{&S::GenresList, u','}},
    {"Lists"_L1, "MediaTypeList"_L1, TListKey{&S::MediaTypeList, u','}},
    {"Lists"_L1, "QualityList"_L1, TListKey{&S::QualityList, u','}},
    {"Lists"_L1, "TranslationList"_L1, TListKey{&S::TranslationList, u','}},
    {"Lists"_L1, "VideoCodecsList"_L1, TListKey{&S::VideoCodecsList, u','}},
    {"Lists"_L1, "AudioCodecsList"_L1, TListKey{&S::AudioCodecsList, u','}},
    {"Lists"_L1, "CareerList"_L1, TListKey{&S::CareerList, u','}},
    {"Colors"_L1, "DoListColors"_L1, &S::DoListColors},
    {"Colors"_L1, "DoMovieColors"_L1, &S::DoMovieColors},
    {"Colors"_L1, "Color*"_L1, ColorKeys},
    {"Dialogs"_L1, "DeleteMovieConfirm"_L1, &S::DeleteMovieConfirm},
    {"Dialogs"_L1, "DeleteMovieFilesConfirm"_L1, &S::DeleteMovieFilesConfirm},
    {"Dialogs"_L1, "ClearMovieConfirm"_L1, &S::ClearMovieConfirm},
    {"Dialogs"_L1, "RemoveDuplicatesConfirm"_L1, &S::RemoveDuplicatesConfirm},
    {"Dialogs"_L1, "NewEpisodeDlg"_L1, &S::NewEpisodeDlg},
    {"Dialogs"_L1, "CopyDataToNewEpisode"_L1, &S::CopyDataToNewEpisode},
    {"Folders"_L1, "SameDirOpts"_L1, &S::SameDirOpts},
    {"Folders"_L1, "InitDir*"_L1, FolderKeys},
    {"WebSearch"_L1, "Names"_L1, TListKey{&S::SearchNames, u','}},
    {"WebSearch"_L1, "URLs"_L1, TListKey{&S::SearchUrls, u','}},
    {"Plugins"_L1, "*"_L1, PluginKeys},
    {"Plugins"_L1, "SilentMode"_L1, &S::SilentMode},
    {"Plugins"_L1, "AutoAddPeople"_L1, &S::AutoAddPeople},
    {"MovieList"_L1, "ViewMode"_L1, &S::MovieViewMode},
    {"MovieList"_L1,
     "Groups"_L1,
     TCustomKey{[](S &s, const TSettingsFile &f, const TReadContext &) {
                    if (f.Contains(u"MovieList"_s, u"Groups"_s))
                        s.MovieGroups = ParseGroups(f.ReadString(u"MovieList"_s, u"Groups"_s, {}));
                },
                [](const S &s, TSettingsFile &f, const QString &) {
                    f.WriteString(u"MovieList"_s, u"Groups"_s, JoinGroups(s.MovieGroups));
                }}},
    {"MovieList"_L1, "DoUndefinedGroup"_L1, &S::MovieUndefinedGroup},
    {"PeopleList"_L1, "ViewMode"_L1, &S::PeopleViewMode},
    {"Covers"_L1, "Size"_L1, &S::CoverSize},
    {"PeopleList"_L1,
     "Groups"_L1,
     TCustomKey{[](S &s, const TSettingsFile &f, const TReadContext &) {
                    if (f.Contains(u"PeopleList"_s, u"Groups"_s))
                        s.PeopleGroups =
                            ParseGroups(f.ReadString(u"PeopleList"_s, u"Groups"_s, {}));
                },
                [](const S &s, TSettingsFile &f, const QString &) {
                    f.WriteString(u"PeopleList"_s, u"Groups"_s, JoinGroups(s.PeopleGroups));
                }}},
    {"PeopleList"_L1, "DoUndefinedGroup"_L1, &S::PeopleUndefinedGroup},
    {"Internet"_L1, "UseProxy"_L1, &S::UseProxy},
    {"Internet"_L1, "ProxyServer"_L1, &S::ProxyServer},
    {"Internet"_L1, "ProxyPort"_L1, &S::ProxyPort},
    {"Internet"_L1, "ProxyUserName"_L1, &S::ProxyUserName},
    {"Internet"_L1, "ProxyPassword"_L1, &S::ProxyPassword},
    {"Internet"_L1, "UserAgent"_L1, &S::UserAgent},
    {"Internet"_L1, "ConnectTimeout"_L1, &S::ConnectTimeout},
    {"Internet"_L1, "ReadTimeout"_L1, &S::ReadTimeout},
    {"Internet"_L1, "Retries"_L1, &S::Retries},
    {"Internet"_L1,
     "DownloadTimeLimit"_L1,
     TCustomKey{[](S &s, const TSettingsFile &f, const TReadContext &) {
                    s.DownloadTimeLimit = ReadLimit(
                        f, u"DownloadTimeLimit"_s, s.DownloadTimeLimit, S::MaxDownloadLimit);
                },
                [](const S &s, TSettingsFile &f, const QString &) {
                    f.WriteInteger(u"Internet"_s, u"DownloadTimeLimit"_s, s.DownloadTimeLimit);
                }}},
    {"Internet"_L1,
     "StallTimeLimit"_L1,
     TCustomKey{[](S &s, const TSettingsFile &f, const TReadContext &) {
                    s.StallTimeLimit =
                        ReadLimit(f, u"StallTimeLimit"_s, s.StallTimeLimit, S::MaxStallLimit);
                },
                [](const S &s, TSettingsFile &f, const QString &) {
                    f.WriteInteger(u"Internet"_s, u"StallTimeLimit"_s, s.StallTimeLimit);
                }}},
    {"Internet"_L1, "DoUpdates"_L1, &S::DoUpdates},
    {"Internet"_L1, "LastUpdate"_L1, &S::LastUpdate},
    {"Internet"_L1, "UpdateSite"_L1, &S::UpdateSite},
    {"Misc"_L1, "ExternalPosters"_L1, &S::ExternalPosters},
    {"Misc"_L1, "DeleteMovieFiles"_L1, &S::DeleteMovieFiles},
    {"Misc"_L1, "LoanMediaLabel"_L1, &S::LoanMediaLabel},
    {"Misc"_L1, "LoanID"_L1, &S::LoanID},
    {"Misc"_L1, "SpaceJump"_L1, &S::SpaceJump},
    {"Misc"_L1, "LabelOnlyRemovable"_L1, &S::LabelOnlyRemovable},
    {"Misc"_L1, "DoAutoID"_L1, &S::DoAutoID},
    {"Misc"_L1, "AutoIndexMode"_L1, &S::AutoIndexMode},
    {"Misc"_L1, "AutoSave"_L1, &S::AutoSave},
    {"Misc"_L1, "AutoSaveInterval"_L1, &S::AutoSaveInterval},
    {"Misc"_L1, "UndoLimit"_L1, &S::UndoLimit},
};

template <class... F> struct TOverload : F...
{
    using F::operator()...;
};
template <class... F> TOverload(F...) -> TOverload<F...>;

} // namespace

void TSettings::Read(const TSettingsFile &file, const TSettingsDefaults &defaults)
{
    *this = TSettings(defaults);
    Version = file.ReadInteger(u"Application"_s, u"Version"_s, Version);
    // Every converter passes indexes through unchanged for files of the current layout.
    const TReadContext context{Version, Version <= LastOldSettingsVersion, defaults};
    for (const TSettingsKey &entry : SettingsKeys) {
        const QString section = entry.section;
        const QString key = entry.key;
        std::visit(
            TOverload{
                [&](bool TSettings::*m) { this->*m = file.ReadBool(section, key, this->*m); },
                [&](int TSettings::*m) { this->*m = file.ReadInteger(section, key, this->*m); },
                [&](QString TSettings::*m) { this->*m = file.ReadString(section, key, this->*m); },
                [&](double TSettings::*m) { this->*m = file.ReadFloat(section, key, this->*m); },
                [&](const TListKey &list) {
                    this->*list.member =
                        file.ReadList(section, key, list.separator, this->*list.member);
                },
                [&](const TCustomKey &custom) { custom.read(*this, file, context); },
            },
            entry.member);
    }
}

void TSettings::Write(TSettingsFile &f, const QString &programFolder) const
{
    for (const TSettingsKey &entry : SettingsKeys) {
        const QString section = entry.section;
        const QString key = entry.key;
        std::visit(TOverload{
                       [&](bool TSettings::*m) { f.WriteBool(section, key, this->*m); },
                       [&](int TSettings::*m) { f.WriteInteger(section, key, this->*m); },
                       [&](QString TSettings::*m) { f.WriteString(section, key, this->*m); },
                       [&](double TSettings::*m) { f.WriteFloat(section, key, this->*m); },
                       [&](const TListKey &list) {
                           f.WriteList(section, key, this->*list.member, list.separator);
                       },
                       [&](const TCustomKey &custom) { custom.write(*this, f, programFolder); },
                   },
                   entry.member);
    }
}
