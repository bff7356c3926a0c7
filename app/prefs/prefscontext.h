#pragma once

class IMessageSink;
class IYesNoQuestion;
class TPluginRegistry;
class TVideoDatabase;
class TWideLanguage;

// What the window program hands the preferences window.
struct TPrefsContext
{
    TVideoDatabase *database = nullptr; // custom fields and image folders; may be null
    // The catalog is read-only: its custom fields and folders are shown but not editable.
    bool readOnly = false;
    TPluginRegistry *registry = nullptr; // may be null (no plug-in page rows)
    TWideLanguage *language = nullptr;   // may be null (built-in English texts)
    IYesNoQuestion *question = nullptr; // for the plug-in page's uninstall; a message box when null
    IMessageSink *messages = nullptr;
};

// Pages of the page tree by their pre-order index. A group node (Movies, People, Lists)
// shows the page of its first child.
enum class TPrefsPage : int {
    Movies,
    MovieTitle,
    MovieTree,
    MovieGrid,
    MovieItems,
    MovieCustom,
    MovieCard,
    People,
    PeopleTitle,
    PeopleTree,
    PeopleGrid,
    PeopleItems,
    PeopleCard,
    Lists,
    Genres,
    MediaTypes,
    Quality,
    VideoCodecs,
    AudioCodecs,
    Translation,
    Career,
    Colours,
    Dialogs,
    Folders,
    WebSearch,
    Plugins,
    Internet,
    Misc,
};

// The pages that exist once for movies and once for people.
enum class TPrefsSubject { Movies, People };
