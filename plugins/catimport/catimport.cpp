// The catimport plug-in (type 3, "General Import"): hands every movie of an Ant Movie
// Catalog file to the host. Exports only the functions below; nothing may escape them.
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

#include "amcreader.h"
#include "plugin_api/importu.h"

namespace {

// The host's version numbers this plug-in was written for and accepts (above 9004).
constexpr int32_t VersionSupported = 9005;

// The host's UTF-16 file name as the UTF-8 bytes Linux file names are; an unpaired
// surrogate becomes U+FFFD. Converted here because std::filesystem's own conversion from
// char16_t would add exported template symbols to the plug-in.
std::string Utf8FileName(std::u16string_view name)
{
    std::string utf8;
    utf8.reserve(name.size() * 3);
    for (size_t i = 0; i < name.size(); ++i) {
        char32_t c = name[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < name.size() && name[i + 1] >= 0xDC00
            && name[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (name[++i] - 0xDC00);
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            utf8.push_back(char(c));
        } else if (c < 0x800) {
            utf8.push_back(char(0xC0 | c >> 6));
            utf8.push_back(char(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            utf8.push_back(char(0xE0 | c >> 12));
            utf8.push_back(char(0x80 | (c >> 6 & 0x3F)));
            utf8.push_back(char(0x80 | (c & 0x3F)));
        } else {
            utf8.push_back(char(0xF0 | c >> 18));
            utf8.push_back(char(0x80 | (c >> 12 & 0x3F)));
            utf8.push_back(char(0x80 | (c >> 6 & 0x3F)));
            utf8.push_back(char(0x80 | (c & 0x3F)));
        }
    }
    return utf8;
}

// The whole file into `bytes`; false for a missing file, a folder or another non-regular
// file, a file over the reader's limit, or an unreadable one.
bool ReadWholeFile(const std::filesystem::path &path, std::string &bytes)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > TAmcReader::MaxFileSize)
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
                        u"Gelesen werden Dateien der Versionen 3.1, 3.3 und 3.5."
                      : u"%1 is not an Ant Movie Catalog file; nothing was imported. Files of "
                        u"versions 3.1, 3.3 and 3.5 are read.";
    case TCheckMessage::Version:
        return german ? u"%1 ist eine Ant-Movie-Catalog-Datei der Version %2, die dieser Import "
                        u"nicht liest; es wurde nichts importiert. Gelesen werden Dateien der "
                        u"Versionen 3.1, 3.3 und 3.5."
                      : u"%1 is an Ant Movie Catalog file of version %2, which this importer "
                        u"does not read; nothing was imported. Files of versions 3.1, 3.3 and "
                        u"3.5 are read.";
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
    return u"Ant Movie Catalog Files|*.amc";
}

RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL CanConfig() noexcept
{
    return 0;
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
        const std::filesystem::path path = Utf8FileName(name);
        std::error_code error;
        std::string head(65, '\0');
        std::ifstream in;
        if (std::filesystem::is_regular_file(path, error))
            in.open(path, std::ios::binary);
        if (!in.is_open() || !in) {
            message = CheckMessage(TCheckMessage::Unreadable, lang);
        } else {
            in.read(head.data(), std::streamsize(head.size()));
            head.resize(size_t(in.gcount()));
            const std::u16string version = SignatureVersionText(head);
            if (head.empty()) {
                message = CheckMessage(TCheckMessage::Empty, lang);
            } else if (TAmcReader::SignatureVersion(head) != 0) {
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
        std::string bytes;
        if (!ReadWholeFile(Utf8FileName(fileName), bytes))
            return;
        TAmcReader reader(std::move(bytes));
        reader.SortByNumber();
        for (size_t i = 0; i < reader.MovieCount(); ++i)
            addMovie(&reader.TextRecord(i));
    } catch (...) {
        // Nothing crosses the C boundary; the host keeps what it received.
    }
}

} // extern "C"
