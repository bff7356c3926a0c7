// The htmlexport plug-in (type 7): movies or people as a web page. The chosen NAME.html is the
// page; the posters, as thumbnails, go to NAME_files/posters/ beside it, as browsers save pages.
// Both are written under temporary names and take their real ones in EndExport only.
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "exportfile.h"
#include "htmlpage.h"
#include "htmltext.h"
#include "plugin_api/importu.h"
#include "posterwriter.h"
#include "slotcaptions.h"

namespace {

constexpr int32_t VersionSupported = 9005;
// Thumbnails stay at least this wide: a card is about 180 CSS pixels wide, and a little
// more keeps them sharp on high-DPI screens. Posters less than twice this wide are kept as
// they are: a smaller copy would save too little.
constexpr int ThumbnailWidth = 240;

namespace fs = std::filesystem;

// Removes a folder it was given unless released: the posters of an export that did not
// finish.
struct TPartialFolder
{
    TPartialFolder() = default;
    TPartialFolder(const TPartialFolder &) = delete;
    TPartialFolder &operator=(const TPartialFolder &) = delete;
    ~TPartialFolder() { Discard(); }
    void Discard()
    {
        std::error_code error;
        if (!path.empty())
            fs::remove_all(path, error);
        path.clear();
    }
    std::string path;
};

struct THtmlExport
{
    TPartialFile page;
    TPartialFolder files;  // NAME_files.partial while the export runs
    std::string filesName; // "NAME_files"
    std::string filesPath; // its final path
    std::optional<THtmlPage> html;
    int posters = 0;
    bool failed = false;
    int32_t language = RK_LANG_ENGLISH;
    // Last, so it is destroyed (its workers joined) before the folder they write into goes.
    TPosterWriter writer{ThumbnailWidth};
};

THtmlExport &State()
{
    // Destroyed when the plug-in is unloaded: removes what an export without EndExport left.
    static THtmlExport state;
    return state;
}

// The poster or photo into the partial folder; its address relative to the page, or empty.
std::string WritePoster(THtmlExport &state, const char16_t *formatSlot, const char16_t *base64)
{
    const std::string format = Utf8(formatSlot);
    if (format.empty() || format == "0")
        return {};
    const std::u16string_view text = base64 ? base64 : u"";
    // The first 16 characters give 12 bytes, enough to tell the formats apart; the workers
    // decode the rest.
    const std::string bytes = FromBase64(text.substr(0, 16));
    const char *extension = nullptr;
    const bool jpeg = bytes.size() > 3 && bytes.compare(0, 3, "\xFF\xD8\xFF") == 0;
    if (jpeg) {
        extension = ".jpg";
    } else if (bytes.size() > 2 && bytes.compare(0, 2, "BM") == 0) {
        extension = ".bmp";
    } else if (bytes.size() > 8 && bytes.compare(0, 8, "\x89PNG\r\n\x1A\n") == 0) {
        extension = ".png";
    } else {
        return {};
    }
    const std::string name = "posters/" + std::to_string(++state.posters) + extension;
    if (state.posters == 1) {
        std::error_code error;
        fs::create_directories(state.files.path + "/posters", error);
    }
    state.writer.Add(state.files.path + '/' + name, text, jpeg);
    return UrlPath(state.filesName) + '/' + name;
}

void Fail(THtmlExport &state)
{
    state.failed = true;
    state.writer.Stop();
    state.page.Discard();
    state.files.Discard();
    state.html.reset();
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
    return lang == RK_LANG_GERMAN ? u"Webseite" : u"Web page";
}

RK_PLUGIN_EXPORT const char16_t *RK_PLUGIN_CALL GetDescription(int32_t lang) noexcept
{
    return lang == RK_LANG_GERMAN ? u"Filme als Webseite mit Plakaten und Tabelle speichern"
                                  : u"Save movies as a web page with posters and a table";
}

RK_PLUGIN_EXPORT const char16_t *RK_PLUGIN_CALL GetAbout(int32_t lang) noexcept
{
    return lang == RK_LANG_GERMAN
               ? u"Webseiten-Export 1.0: eine HTML-Datei und ein Ordner NAME_files mit den "
                 u"Plakaten; im Browser als Plakatwand oder Tabelle, druckbar als Liste."
               : u"Web page export 1.0: one HTML file and a NAME_files folder with the "
                 u"posters; shown as a poster wall or a table, printed as a list.";
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
    return 0;
}

RK_PLUGIN_EXPORT const char16_t *RK_PLUGIN_CALL GetFilter(int32_t lang) noexcept
{
    State().language = lang;
    return lang == RK_LANG_GERMAN ? u"Webseiten (*.html)|*.html" : u"Web pages (*.html)|*.html";
}

// Movies and people alike; the answer is handed back to NeedsPoster.
RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL ExportType(int32_t mode) noexcept
{
    return mode == 0 || mode == 1 ? 1 : 0;
}

RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL NeedsPoster(int32_t exportType) noexcept
{
    return exportType == 1 ? -1 : 0;
}

RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL
BeginExport(const char16_t *fileName, int32_t, uint8_t mode, int32_t *, uint8_t *) noexcept
{
    THtmlExport &state = State();
    try {
        Fail(state);
        state.failed = false;
        state.posters = 0;
        if (mode > 1)
            return 0;
        const fs::path target = Utf8(fileName);
        if (target.filename().empty()) {
            state.failed = true;
            return 0;
        }
        std::string stem = target.filename().string();
        for (const char *extension : {".html", ".htm"}) {
            const std::string_view ext = extension;
            if (stem.size() > ext.size()
                && stem.compare(stem.size() - ext.size(), ext.size(), ext) == 0) {
                stem.resize(stem.size() - ext.size());
                break;
            }
        }
        state.filesName = stem + "_files";
        state.filesPath = (target.parent_path() / state.filesName).string();
        state.files.Discard();
        std::error_code error;
        fs::remove_all(state.filesPath + ".partial", error);
        if (!state.page.Open(target.string())) {
            state.failed = true;
            return 0;
        }
        state.files.path = state.filesPath + ".partial";
        if (!fs::create_directory(state.files.path, error)) {
            Fail(state);
            return 0;
        }
        state.html.emplace(stem, state.language, mode == 1);
        if (!state.page.Write(state.html->Head())) {
            Fail(state);
            return 0;
        }
        return -1;
    } catch (...) {
        Fail(state);
        return 0;
    }
}

RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL ExportMovie(const TMovieTextRec *movie,
                                                    int32_t isEpisode) noexcept
{
    THtmlExport &state = State();
    try {
        if (!movie || state.failed || !state.html)
            return 0;
        const bool episode = (isEpisode & 0xFF) != 0;
        const std::string poster =
            episode
                ? std::string()
                : WritePoster(state, movie->Slots[MoviePictureFormat], movie->Slots[MoviePicture]);
        if (state.failed || state.writer.Failed()
            || !state.page.Write(state.html->Add(*movie, episode, poster))) {
            Fail(state);
            return 0;
        }
        return -1;
    } catch (...) {
        Fail(state);
        return 0;
    }
}

RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL ExportHuman(const THumanTextRec *human) noexcept
{
    THtmlExport &state = State();
    try {
        if (!human || state.failed || !state.html)
            return 0;
        const std::string photo =
            WritePoster(state, human->Slots[PersonPictureFormat], human->Slots[PersonPicture]);
        if (state.failed || state.writer.Failed()
            || !state.page.Write(state.html->Add(*human, photo))) {
            Fail(state);
            return 0;
        }
        return -1;
    } catch (...) {
        Fail(state);
        return 0;
    }
}

// The posters' folder replaces an earlier one of the same name, then the page appears.
RK_PLUGIN_EXPORT void RK_PLUGIN_CALL EndExport() noexcept
{
    THtmlExport &state = State();
    try {
        if (!state.writer.Finish() || state.failed || !state.html
            || !state.page.Write(state.html->Finish())) {
            Fail(state);
            return;
        }
        state.html.reset();
        std::error_code error;
        fs::remove_all(state.filesPath, error);
        if (state.posters > 0) {
            fs::rename(state.files.path, state.filesPath, error);
            if (error) {
                Fail(state);
                return;
            }
            state.files.path.clear();
        } else {
            state.files.Discard();
        }
        if (!state.page.Commit())
            Fail(state);
    } catch (...) {
        Fail(state);
    }
}

// Nonzero when the last export left nothing: it could not start, a record or poster failed
// or the page could not be saved.
RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL ExportResult() noexcept
{
    return State().failed ? 1 : 0;
}

} // extern "C"
