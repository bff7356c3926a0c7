// The catimport plug-in (type 3, "General Import"): hands every movie of an Ant Movie
// Catalog file to the host. Exports only the functions below; nothing may escape them.
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

#include "amcreader.h"
#include "amcxml.h"
#include "catsettings.h"
#include "plugin_api/importu.h"
#include "plugins/common/unicodetext.h"

namespace {

// The host's version numbers this plug-in was written for and accepts (above 9004).
constexpr int32_t VersionSupported = 9005;

// The whole file into `bytes`; false for a missing file, a folder or another non-regular
// file, a file over `limit`, or an unreadable one.
bool ReadWholeFile(const std::filesystem::path &path,
                   std::string &bytes,
                   std::uintmax_t limit = TAmcReader::MaxFileSize)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > limit)
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.resize(size_t(size));
    in.read(bytes.data(), std::streamsize(size));
    // A file that shrank since its size was asked gives what is there.
    bytes.resize(size_t(in.gcount()));
    return true;
}

// The messages of CheckImportFile, English and German; "%1" is the file name, "%2" the
// version found.
enum class TCheckMessage { Unreadable, Empty, Foreign, Version };

std::u16string CheckMessage(TCheckMessage message, int32_t lang)
{
    const bool german = lang == RK_LANG_GERMAN;
    switch (message) {
    case TCheckMessage::Unreadable:
        return german ? u"%1 existiert nicht oder kann nicht gelesen werden; es wurde nichts "
                        u"importiert."
                      : u"%1 does not exist or cannot be read; nothing was imported.";
    case TCheckMessage::Empty:
        return german ? u"%1 ist leer; es wurde nichts importiert."
                      : u"%1 is empty; nothing was imported.";
    case TCheckMessage::Foreign:
        return german ? u"%1 ist keine Ant-Movie-Catalog-Datei; es wurde nichts importiert. "
                        u"Gelesen werden Dateien der Versionen 3.1, 3.3, 3.5, 4.0, 4.1 und 4.2 "
                        u"und ihre XML-Form."
                      : u"%1 is not an Ant Movie Catalog file; nothing was imported. Files of "
                        u"versions 3.1, 3.3, 3.5, 4.0, 4.1 and 4.2 and their XML form are read.";
    case TCheckMessage::Version:
        return german ? u"%1 ist eine Ant-Movie-Catalog-Datei der Version %2, die dieser Import "
                        u"nicht liest; es wurde nichts importiert. Gelesen werden Dateien der "
                        u"Versionen 3.1, 3.3, 3.5, 4.0, 4.1 und 4.2 und ihre XML-Form."
                      : u"%1 is an Ant Movie Catalog file of version %2, which this importer "
                        u"does not read; nothing was imported. Files of versions 3.1, 3.3, "
                        u"3.5, 4.0, 4.1 and 4.2 and their XML form are read.";
    }
    return {};
}

// Replaces the first `placeholder` in `text` by `value`.
void Fill(std::u16string &text, std::u16string_view placeholder, std::u16string_view value)
{
    const size_t at = text.find(placeholder);
    if (at != std::u16string::npos)
        text.replace(at, placeholder.size(), value);
}

// The version text after " AMC_" in a signature ("4.1"); empty when there is none.
std::u16string SignatureVersionText(std::string_view head)
{
    constexpr std::string_view prefix = " AMC_";
    if (head.substr(0, prefix.size()) != prefix)
        return {};
    std::u16string version;
    for (size_t i = prefix.size(); i < head.size() && version.size() < 8; ++i) {
        const char c = head[i];
        if ((c < '0' || c > '9') && c != '.')
            break;
        version.push_back(char16_t(c));
    }
    return version;
}

// What the last Parse put into the comments, for GetImportNotes.
TAmcImportNotes g_notes;

// Joins names as "A, B and C" ("und" in German).
std::u16string NameList(const std::vector<std::u16string> &names, bool german)
{
    std::u16string list;
    for (size_t i = 0; i < names.size(); ++i) {
        if (i > 0)
            list.append(i + 1 == names.size() ? (german ? u" und " : u" and ") : u", ");
        list.append(names[i]);
    }
    return list;
}

std::u16string Number(size_t value)
{
    std::u16string digits;
    do {
        digits.insert(digits.begin(), char16_t(u'0' + value % 10));
        value /= 10;
    } while (value != 0);
    return digits;
}

// One sentence of the notes: `one` or `many` by `count`, with the count for "%1".
void AppendNote(std::u16string &text, size_t count, std::u16string one, std::u16string many)
{
    std::u16string sentence = count == 1 ? std::move(one) : std::move(many);
    Fill(sentence, u"%1", Number(count));
    text += (text.empty() ? u"" : u" ") + sentence;
}

std::u16string NotesText(const TAmcImportNotes &notes, int32_t lang)
{
    const bool german = lang == RK_LANG_GERMAN;
    std::u16string text;
    if (notes.MoviesWithCustomValues > 0) {
        AppendNote(text,
                   notes.MoviesWithCustomValues,
                   german ? u"Die eigenen Felder (%2) stehen als Zeilen im Kommentar eines Films."
                          : u"The custom fields (%2) were added to the comments of 1 movie.",
                   german ? u"Die eigenen Felder (%2) stehen als Zeilen im Kommentar von %1 "
                            u"Filmen."
                          : u"The custom fields (%2) were added to the comments of %1 movies.");
        Fill(text, u"%2", NameList(notes.CustomFieldNames, german));
    }
    if (notes.Extras > 0) {
        AppendNote(text,
                   notes.Extras,
                   german ? u"1 Extra steht mit Titel und Adresse im Kommentar seines Films."
                          : u"1 extra was listed with its title and address in the comments.",
                   german ? u"%1 Extras stehen mit Titel und Adresse im Kommentar ihrer Filme."
                          : u"%1 extras were listed with their titles and addresses in the "
                            u"comments.");
    }
    if (notes.ExtraPictures > 0) {
        AppendNote(text,
                   notes.ExtraPictures,
                   german ? u"1 Bild eines Extras wurde nicht importiert."
                          : u"1 picture of an extra was not imported.",
                   german ? u"Ihre Bilder (%1) wurden nicht importiert."
                          : u"Their pictures (%1) were not imported.");
    }
    if (notes.ColourTags > 0) {
        AppendNote(text,
                   notes.ColourTags,
                   german ? u"Die Farbmarke eines Films steht als \"Colour: Nummer\" im Kommentar."
                          : u"The colour tag of 1 movie was added to the comments as \"Colour: "
                            u"number\".",
                   german ? u"Die Farbmarken von %1 Filmen stehen als \"Colour: Nummer\" im "
                            u"Kommentar."
                          : u"The colour tags of %1 movies were added to the comments as "
                            u"\"Colour: number\".");
    }
    if (notes.MoviesInAnotherCodePage > 0) {
        AppendNote(text,
                   notes.MoviesInAnotherCodePage,
                   german ? u"Titel und Namen eines Films sehen nach einer anderen Codepage als "
                            u"Westeuropäisch aus: Wählen Sie sie unter Extras > Einstellungen > "
                            u"Plug-ins > Konfigurieren und importieren Sie erneut."
                          : u"The titles and names of 1 movie look like another code page than "
                            u"Western European: choose it under Tools > Preferences > Plugins > "
                            u"Configure and import again.",
                   german ? u"Titel und Namen von %1 Filmen sehen nach einer anderen Codepage als "
                            u"Westeuropäisch aus: Wählen Sie sie unter Extras > Einstellungen > "
                            u"Plug-ins > Konfigurieren und importieren Sie erneut."
                          : u"The titles and names of %1 movies look like another code page than "
                            u"Western European: choose it under Tools > Preferences > Plugins > "
                            u"Configure and import again.");
    }
    return text;
}

} // namespace

extern "C" {

RK_PLUGIN_EXPORT int16_t RK_PLUGIN_CALL GetType() noexcept
{
    return RK_PLUGIN_GENERAL_IMPORT;
}

RK_PLUGIN_EXPORT const char16_t *RK_PLUGIN_CALL GetName(int32_t) noexcept
{
    return u"Ant Movie Catalog";
}

RK_PLUGIN_EXPORT const char16_t *RK_PLUGIN_CALL GetDescription(int32_t lang) noexcept
{
    switch (lang) {
    case RK_LANG_GERMAN:
        return u"Filme aus Ant Movie Catalog importieren";
    case RK_LANG_SPANISH:
        return u"Obtener información de Ant Movie Catalog";
    case RK_LANG_RUSSIAN:
        return u"Импортировать фильмы из Ant Movie Catalog";
    default:
        return u"Get Movies from Ant Movie Catalog";
    }
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
    return "0.2.5";
}

RK_PLUGIN_EXPORT const char16_t *RK_PLUGIN_CALL GetFilter(int32_t) noexcept
{
    return u"Ant Movie Catalog Files|*.amc;*.xml";
}

RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL CanConfig() noexcept
{
    return 1;
}

RK_PLUGIN_EXPORT void RK_PLUGIN_CALL Configure(int32_t lang, void *ownerWindow) noexcept
{
    try {
        ConfigureCodePage(lang, reinterpret_cast<uintptr_t>(ownerWindow));
    } catch (...) {
        // Nothing crosses the C boundary; the setting stays as it was.
    }
}

// Parse reads nothing from a missing, empty or foreign file, nor from an Ant Movie Catalog
// file of another version: said here, so the host imports nothing in silence.
RK_PLUGIN_EXPORT const char16_t *RK_PLUGIN_CALL CheckImportFile(const char16_t *fileName,
                                                                int32_t lang) noexcept
{
    static std::u16string message;
    try {
        message.clear();
        const std::u16string_view name = fileName ? fileName : u"";
        const std::filesystem::path path = Utf8(name);
        std::error_code error;
        // Enough for the signature, and for the XML form's root element after its prolog.
        std::string head(4096, '\0');
        std::ifstream in;
        if (std::filesystem::is_regular_file(path, error))
            in.open(path, std::ios::binary);
        if (!in.is_open() || !in) {
            message = CheckMessage(TCheckMessage::Unreadable, lang);
        } else {
            in.read(head.data(), std::streamsize(head.size()));
            head.resize(size_t(in.gcount()));
            const std::u16string version = SignatureVersionText(head.substr(0, 65));
            if (head.empty()) {
                message = CheckMessage(TCheckMessage::Empty, lang);
            } else if (TAmcReader::SignatureVersion(head) != 0 || LooksLikeAmcXml(head)) {
                return nullptr;
            } else if (!version.empty()) {
                message = CheckMessage(TCheckMessage::Version, lang);
                Fill(message, u"%2", version);
            } else {
                message = CheckMessage(TCheckMessage::Foreign, lang);
            }
        }
        Fill(message, u"%1", name);
        return message.c_str();
    } catch (...) {
        return nullptr;
    }
}

// Every movie of the file, by ascending number (file order among equal numbers); people
// are never handed over. Errors end in silence with the movies read before them.
RK_PLUGIN_EXPORT void RK_PLUGIN_CALL Parse(const char16_t *fileName,
                                           TAddMovieProc addMovie,
                                           TAddHumanProc) noexcept
{
    try {
        if (!fileName || !addMovie)
            return;
        g_notes = {};
        std::string bytes;
        const std::filesystem::path path = Utf8(fileName);
        if (!ReadWholeFile(path, bytes))
            return;
        // Pictures kept as files lie beside the catalog.
        const auto load = [](const std::string &name, std::string &picture) {
            return ReadWholeFile(name, picture, TAmcReader::MaxPictureFileSize);
        };
        TAmcReader reader(std::move(bytes), path.parent_path().string(), load, &ChosenCodePage());
        reader.SortByNumber();
        for (size_t i = 0; i < reader.MovieCount(); ++i) {
            addMovie(&reader.TextRecord(i));
            g_notes = reader.Notes();
        }
    } catch (...) {
        // Nothing crosses the C boundary; the host keeps what it received.
    }
}

// Optional: what the last Parse could not put into the host's fields and where it went
// instead; empty when nothing. Valid until the next call.
RK_PLUGIN_EXPORT const char16_t *RK_PLUGIN_CALL GetImportNotes(int32_t lang) noexcept
{
    static std::u16string text;
    try {
        text = NotesText(g_notes, lang);
        return text.c_str();
    } catch (...) {
        return nullptr;
    }
}

} // extern "C"
