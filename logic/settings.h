#pragma once

#include <array>

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

class TSettingsFile;

// The command line: "-portable", "-showfloppy" (options compared without regard to case, one
// or two dashes), "--help", "--version" and one file.
struct TCommandLine
{
    bool Portable = false;   // "-portable"
    bool ShowFloppy = false; // "-showfloppy"
    bool ShowHelp = false;
    bool ShowVersion = false;
    QString File;     // the file named, absolute; empty when none
    QString Error;    // an unknown option or more than one file; empty when the line is fine
    QString HelpText; // the usage text for "--help" and errors
};
// `arguments` without the program's name; a relative file name is taken in `workingFolder`.
TCommandLine ParseCommandLine(const QStringList &arguments,
                              const QString &workingFolder = QString());

// The folders chosen at start-up; every one ends in "/".
struct TAppFolders
{
    QString ProgramFolder;
    QString SettingsFolder;
    QString DataFolder;
    bool Portable = false;

    QString SettingsPath() const { return SettingsFolder + QStringLiteral("config.ini"); }
    // The folder stored file names are written relative to: the program folder in portable
    // mode (the whole set moves together); none otherwise, so names are kept absolute.
    QString StoreBase() const { return Portable ? ProgramFolder : QString(); }
};

// Normal mode: settings in $XDG_CONFIG_HOME/Reelkeep/ (~/.config/Reelkeep/), data in the
// documents folder + "Reelkeep/" (the home folder when there is no documents folder); the
// program folder is never used. Portable mode uses the program folder for both. The settings
// folder is created here.
TAppFolders ChooseFolders(const QString &programFolder, bool portable);

// Writes config.ini into the settings folder (created first); false when it could not be
// written.
bool SaveSettingsFile(const TSettingsFile &file, const TAppFolders &folders);

// Defaults that depend on the folders or on the interface language. The list defaults
// are the language's texts 2400 to 2403; the English wording here stands in when the
// language table has none.
struct TSettingsDefaults
{
    QString ProgramFolder;
    QString DataFolder;
    int Language = 9;
    QStringList Genres;
    QStringList Translations;
    QStringList SearchNames;
    QStringList SearchUrls;

    static TSettingsDefaults English(const TAppFolders &folders);
};

// State of one list column as stored in the Grid and PeopleGrid sections.
struct TColumnSettings
{
    bool Visible = true;
    int Position = 0;
    int Width = 80;

    bool operator==(const TColumnSettings &) const = default;
};

// Sort of one list view: column and direction (0 ascending, anything else descending).
struct TSortSettings
{
    int SortBy = 0;
    int SortDirection = 0;

    bool operator==(const TSortSettings &) const = default;
};

// Every key of config.ini as a typed value. A default-constructed object holds the table
// defaults except for those taken from TSettingsDefaults (file name, language, lists).
struct TSettings
{
    static constexpr int MovieColumnCount = 44;
    static constexpr int PeopleColumnCount = 14;
    static constexpr int MovieItemCount = 44;
    static constexpr int PeopleItemCount = 13;
    static constexpr int ColorCount = 21;
    static constexpr int FolderSlotCount = 6;
    static constexpr int PluginTypeCount = 8;
    // A broken ColumnCount must not make us allocate without bound; custom fields add
    // columns beyond the 44 fixed ones.
    static constexpr int ColumnLimit = 4096;
    // Upper ends of the download limits, in seconds.
    static constexpr int MaxDownloadLimit = 3600;
    static constexpr int MaxStallLimit = 600;
    // The window's bounds when not maximized.
    static constexpr int DesignedLeft = 100;
    static constexpr int DesignedTop = 80;
    static constexpr int DesignedWidth = 1000;
    static constexpr int DesignedHeight = 700;

    TSettings();
    explicit TSettings(const TSettingsDefaults &defaults);

    // Resets to the defaults, then reads every key present, migrating files written before
    // version 9005.
    void Read(const TSettingsFile &file, const TSettingsDefaults &defaults);
    // Writes every key. Version becomes the program version number and FileName is stored
    // relative to the program folder.
    void Write(TSettingsFile &file, const QString &programFolder) const;

    bool operator==(const TSettings &) const = default;

    // Application
    int Version = 0;
    // Dialogs
    int Language = 9;
    // DataBase
    QString FileName;        // absolute in memory
    QStringList RecentFiles; // as stored: relative to the program folder
    int Mode = 0;
    // Position
    bool Maximized = true;
    int Left = DesignedLeft;
    int Top = DesignedTop;
    int Width = DesignedWidth;
    int Height = DesignedHeight;
    int Splitter = 180;
    // NMM (movie master)
    bool DoInfo = true;
    bool DoPoster = true;
    bool DoCovers = false;
    bool DoFile = true;
    bool DoWish = false;
    bool DoScreenshots = false;
    // Grid, PeopleGrid columns; the movie grid holds at least MovieColumnCount entries
    QList<TColumnSettings> GridColumns;
    QList<TColumnSettings> PeopleGridColumns;
    // Plain, Tree, Grid and PeoplePlain, PeopleTree, PeopleGrid
    TSortSettings PlainSort{2, 0};
    TSortSettings TreeSort{2, 0};
    TSortSettings GridSort{2, 0};
    TSortSettings PeoplePlainSort{1, 0};
    TSortSettings PeopleTreeSort{1, 0};
    TSortSettings PeopleGridSort{1, 0};
    // Title, PeopleTitle
    QString TitleFormat = QStringLiteral("%E - %T");
    QString PeopleTitleFormat = QStringLiteral("%N");
    int PrefixMode = 0;
    QStringList PrefixList;
    bool AllCapsTitle = false;
    bool PeopleAllCapsTitle = false;
    // MovieInfo, PeopleInfo
    bool DurationInMinutes = false;
    bool TransNames = false;
    int MaxPosterWidth = 40;
    int MaxPosterHeight = 50;
    bool PicsInFolders = false;
    bool ScreenshotsAsBitmaps = false; // grabs written as BMP instead of JPEG
    bool DefSeenState = true;
    int MaxPhotoWidth = 30;
    int MaxPhotoHeight = 30;
    // Items, PeopleItems
    std::array<bool, MovieItemCount> ItemVisible{};
    bool Collapse = true;
    std::array<bool, PeopleItemCount> PeopleItemVisible{};
    bool PeopleCollapse = true;
    // Lists
    QStringList GenresList;
    QStringList MediaTypeList;
    QStringList QualityList;
    QStringList TranslationList;
    QStringList VideoCodecsList;
    QStringList AudioCodecsList;
    QStringList CareerList;
    // Colors: Windows colour values, red in the low byte
    bool DoListColors = true;
    bool DoMovieColors = true;
    std::array<int, ColorCount> Colors{};
    // Dialogs
    bool DeleteMovieConfirm = true;
    bool DeleteMovieFilesConfirm = true;
    bool ClearMovieConfirm = true;
    bool RemoveDuplicatesConfirm = false;
    bool NewEpisodeDlg = true;
    bool CopyDataToNewEpisode = true;
    // Folders: slot 0 open catalog, 1 media files, 2 open poster, 3 save poster, 4 export,
    // 5 import; type 0 last used folder, 1 the folder InitDir
    bool SameDirOpts = false;
    std::array<QString, FolderSlotCount> InitDir{};
    std::array<int, FolderSlotCount> InitDirType{};
    // WebSearch; "-" in Names is a separator
    QStringList SearchNames;
    QStringList SearchUrls;
    // Plugins: plug-in file name → bit set of fields web data may overwrite
    QMap<QString, int> PluginFields;
    std::array<QString, PluginTypeCount> DefaultPlugin{};
    bool SilentMode = false;
    bool AutoAddPeople = false;
    // MovieList, PeopleList; Groups are field numbers, written joined with ", "
    int MovieViewMode = 0;
    QList<int> MovieGroups{1};
    bool MovieUndefinedGroup = true;
    int PeopleViewMode = 0;
    // The poster height of the covers view in pixels (CoverSizeMin..CoverSizeMax), both lists.
    static constexpr int CoverSizeMin = 80;
    static constexpr int CoverSizeMax = 300;
    int CoverSize = 160;
    QList<int> PeopleGroups{0};
    bool PeopleUndefinedGroup = true;
    // Internet
    bool UseProxy = false;
    QString ProxyServer;
    int ProxyPort = 80;
    QString ProxyUserName;
    QString ProxyPassword;
    QString UserAgent;
    int ConnectTimeout = -1; // ms, -1 for the library default
    int ReadTimeout = -1;
    int Retries = 1;
    // Seconds a whole download may take, and without any data arriving; 1 to
    // MaxDownloadLimit and 1 to MaxStallLimit (a download is never waited on forever).
    int DownloadTimeLimit = 60;
    int StallTimeLimit = 15;
    bool DoUpdates = true;
    double LastUpdate = 0; // day count; the default is a week before construction
    // Where the version-information file and the download pages are.
    QString UpdateSite = QStringLiteral("https://reelkeep.org/");
    // Misc
    bool ExternalPosters = true;
    bool DeleteMovieFiles = false;
    bool LoanMediaLabel = false;
    bool LoanID = true;
    bool SpaceJump = false;
    bool LabelOnlyRemovable = false;
    bool DoAutoID = false;
    int AutoIndexMode = 0;
    bool AutoSave = true;
    int AutoSaveInterval = 15; // minutes
    // Undo steps kept per catalog.
    int UndoLimit = 100;
};

// The default visibility of movie card item n and the default of colour n.
bool DefaultItemVisible(int index);
int DefaultColor(int index);
