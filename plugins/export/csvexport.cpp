// The csvexport plug-in (type 7): movies or people as one CSV table, UTF-8 with a
// byte-order mark so spreadsheets recognise the encoding, quoted by RFC 4180 with CRLF
// line ends. Every text slot is a column except the picture's two (pictures do not fit a
// table); episodes follow their series and name it in a column of their own.
#include <string>
#include <string_view>

#include "csvsettings.h"
#include "exportfile.h"
#include "plugin_api/importu.h"
#include "slotcaptions.h"

namespace {

constexpr int32_t VersionSupported = 9005;

// Export state between BeginExport and EndExport.
struct TCsvExport
{
    TPartialFile file;
    char separator = ',';
    bool people = false;
    bool failed = false;
    // The language of the last text the host asked for: BeginExport does not get one.
    int32_t language = RK_LANG_ENGLISH;
    std::string seriesTitle;
    std::string row;
    // Fields in `row` so far: the separator goes before every one but the first.
    int fields = 0;
};

TCsvExport &State()
{
    // Destroyed when the plug-in is unloaded: removes a partial file EndExport never saw.
    static TCsvExport state;
    return state;
}

void AppendField(TCsvExport &state, std::string_view value)
{
    const char separator = state.separator;
    std::string &row = state.row;
    if (state.fields++ > 0)
        row.push_back(separator);
    const bool quoted =
        value.find_first_of(std::string{separator, '"', '\r', '\n'}) != std::string_view::npos;
    if (!quoted) {
        row.append(value);
        return;
    }
    row.push_back('"');
    for (char c : value) {
        if (c == '"')
            row.push_back('"');
        row.push_back(c);
    }
    row.push_back('"');
}

bool IsPictureSlot(int slot, bool people)
{
    return people ? slot == PersonPictureFormat || slot == PersonPicture
                  : slot == MoviePictureFormat || slot == MoviePicture;
}

// Writes the finished row; the first failure makes the export fail for good.
bool WriteRow(TCsvExport &state)
{
    state.row += "\r\n";
    if (!state.failed && !state.file.Write(state.row))
        state.failed = true;
    state.row.clear();
    state.fields = 0;
    return !state.failed;
}

bool WriteHeader(TCsvExport &state)
{
    const int slots = state.people ? RK_HUMAN_TEXT_SLOTS : RK_MOVIE_TEXT_SLOTS;
    for (int slot = 0; slot < slots; ++slot) {
        if (IsPictureSlot(slot, state.people))
            continue;
        const char16_t *caption = state.people ? PersonSlotCaption(slot, state.language)
                                               : MovieSlotCaption(slot, state.language);
        AppendField(state, Utf8(caption));
        if (!state.people && slot == MovieTitle)
            AppendField(state, Utf8(SeriesCaption(state.language)));
    }
    return WriteRow(state);
}

} // namespace

extern "C" {

RK_PLUGIN_EXPORT int16_t RK_PLUGIN_CALL GetType() noexcept
{
    return RK_PLUGIN_EXPORT_TYPE;
}

RK_PLUGIN_EXPORT const char16_t *RK_PLUGIN_CALL GetName(int32_t lang) noexcept
{
    State().language = lang;
    return lang == RK_LANG_GERMAN ? u"CSV-Tabelle" : u"CSV table";
}

RK_PLUGIN_EXPORT const char16_t *RK_PLUGIN_CALL GetDescription(int32_t lang) noexcept
{
    return lang == RK_LANG_GERMAN
               ? u"Filme oder Personen als CSV-Tabelle für Tabellenkalkulationen speichern"
               : u"Save movies or people as a CSV table for spreadsheets";
}

RK_PLUGIN_EXPORT const char16_t *RK_PLUGIN_CALL GetAbout(int32_t lang) noexcept
{
    return lang == RK_LANG_GERMAN
               ? u"CSV-Export 1.0: UTF-8, Felder nach RFC 4180; Trennzeichen über "
                 u"„Einstellungen“."
               : u"CSV export 1.0: UTF-8, fields quoted as RFC 4180 says; the separator is "
                 u"chosen under Configure.";
}

RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL GetPluginLanguage() noexcept
{
    return RK_LANG_ENGLISH;
}

RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL GetVersionSupported() noexcept
{
    return VersionSupported;
}

// The name is the contract's, misspelling included.
RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL CheckRKDVerion(int32_t hostVersion) noexcept
{
    return hostVersion >= VersionSupported ? -1 : 0;
}

RK_PLUGIN_EXPORT const char *RK_PLUGIN_CALL GetPluginVersion() noexcept
{
    return "1.0.0";
}

RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL CanConfig() noexcept
{
    return -1;
}

RK_PLUGIN_EXPORT void RK_PLUGIN_CALL Configure(int32_t lang, void *ownerWindow) noexcept
{
    try {
        ConfigureSeparator(lang, reinterpret_cast<uintptr_t>(ownerWindow));
    } catch (...) {
    }
}

RK_PLUGIN_EXPORT const char16_t *RK_PLUGIN_CALL GetFilter(int32_t lang) noexcept
{
    State().language = lang;
    return lang == RK_LANG_GERMAN ? u"CSV-Dateien (*.csv)|*.csv" : u"CSV files (*.csv)|*.csv";
}

// Movies and people alike; the answer is handed back to NeedsPoster.
RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL ExportType(int32_t mode) noexcept
{
    return mode == 0 || mode == 1 ? 1 : 0;
}

RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL NeedsPoster(int32_t) noexcept
{
    return 0;
}

RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL
BeginExport(const char16_t *fileName, int32_t, uint8_t mode, int32_t *, uint8_t *) noexcept
{
    try {
        TCsvExport &state = State();
        state.failed = false;
        state.people = mode == 1;
        state.separator = SeparatorChar(LoadSeparator());
        state.seriesTitle.clear();
        state.row.clear();
        state.fields = 0;
        if (!state.file.Open(Utf8(fileName))) {
            state.failed = true;
            return 0;
        }
        state.row = "\xEF\xBB\xBF";
        return WriteHeader(state) ? -1 : 0;
    } catch (...) {
        State().file.Discard();
        State().failed = true;
        return 0;
    }
}

RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL ExportMovie(const TMovieTextRec *movie,
                                                    int32_t isEpisode) noexcept
{
    try {
        TCsvExport &state = State();
        if (!movie || state.failed || !state.file.IsOpen())
            return 0;
        const bool episode = (isEpisode & 0xFF) != 0;
        if (!episode)
            state.seriesTitle = Utf8(movie->Slots[MovieTitle]);
        for (int slot = 0; slot < RK_MOVIE_TEXT_SLOTS; ++slot) {
            if (IsPictureSlot(slot, false))
                continue;
            AppendField(state, Utf8(movie->Slots[slot]));
            if (slot == MovieTitle)
                AppendField(state, episode ? state.seriesTitle : std::string());
        }
        return WriteRow(state) ? -1 : 0;
    } catch (...) {
        State().failed = true;
        return 0;
    }
}

RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL ExportHuman(const THumanTextRec *human) noexcept
{
    try {
        TCsvExport &state = State();
        if (!human || state.failed || !state.file.IsOpen())
            return 0;
        for (int slot = 0; slot < RK_HUMAN_TEXT_SLOTS; ++slot) {
            if (!IsPictureSlot(slot, true))
                AppendField(state, Utf8(human->Slots[slot]));
        }
        return WriteRow(state) ? -1 : 0;
    } catch (...) {
        State().failed = true;
        return 0;
    }
}

// A failed export leaves nothing: neither a partial file nor a damaged earlier target.
RK_PLUGIN_EXPORT void RK_PLUGIN_CALL EndExport() noexcept
{
    TCsvExport &state = State();
    if (state.failed)
        state.file.Discard();
    else if (!state.file.Commit())
        state.failed = true;
}

// Nonzero when the last export left nothing: it could not start, a record failed or the
// file could not be saved.
RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL ExportResult() noexcept
{
    return State().failed ? 1 : 0;
}

} // extern "C"
