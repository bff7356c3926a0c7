#include "csvsettings.h"

#include <array>
#include <fstream>
#include <string_view>
#include <vector>

#include "exportfile.h"
#include "plugin_api/importu.h"

namespace {

struct TSeparatorName
{
    TCsvSeparator Separator;
    const char *Key;
    const char *English;
    const char *German;
};

constexpr std::array<TSeparatorName, 3> SeparatorNames = {{
    {TCsvSeparator::Comma, "comma", "Comma (,)", "Komma (,)"},
    {TCsvSeparator::Semicolon, "semicolon", "Semicolon (;)", "Semikolon (;)"},
    {TCsvSeparator::Tab, "tab", "Tab", "Tabulator"},
}};

const TSeparatorName *ByKey(std::string_view key)
{
    for (const TSeparatorName &name : SeparatorNames) {
        if (TrimBlanks(key) == name.Key)
            return &name;
    }
    return nullptr;
}

} // namespace

char SeparatorChar(TCsvSeparator separator)
{
    switch (separator) {
    case TCsvSeparator::Semicolon:
        return ';';
    case TCsvSeparator::Tab:
        return '\t';
    case TCsvSeparator::Comma:
        break;
    }
    return ',';
}

std::string CsvSettingsPath()
{
    const std::string folder = PluginConfigFolder();
    return folder.empty() ? std::string() : folder + "/csvexport.conf";
}

TCsvSeparator LoadSeparator()
{
    std::ifstream in(CsvSettingsPath());
    std::string line;
    TCsvSeparator separator = TCsvSeparator::Comma;
    while (std::getline(in, line)) {
        const std::string_view text = TrimBlanks(line);
        if (text.empty() || text.front() == '#')
            continue;
        const size_t equals = text.find('=');
        if (equals != std::string_view::npos && TrimBlanks(text.substr(0, equals)) == "separator") {
            if (const TSeparatorName *name = ByKey(text.substr(equals + 1)))
                separator = name->Separator;
        }
    }
    return separator;
}

bool SaveSeparator(TCsvSeparator separator)
{
    const std::string path = CsvSettingsPath();
    if (path.empty() || !MakeFolders(PluginConfigFolder()))
        return false;
    TPartialFile file;
    if (!file.Open(path))
        return false;
    std::string text = "# Settings of Reelkeep's CSV export.\n"
                       "# separator: what stands between the fields of a row. One of\n"
                       "#   comma      for most programs and English-language spreadsheets\n"
                       "#   semicolon  for spreadsheets where the comma is the decimal mark\n"
                       "#   tab        for tab-separated text\n"
                       "separator=";
    for (const TSeparatorName &name : SeparatorNames) {
        if (name.Separator == separator)
            text += name.Key;
    }
    text += '\n';
    return file.Write(text) && file.Commit();
}

void ConfigureSeparator(int32_t lang, uintptr_t ownerWindow)
{
    const bool german = lang == RK_LANG_GERMAN;
    const TCsvSeparator current = LoadSeparator();
    std::vector<TChoiceOption> options;
    std::string currentKey;
    for (const TSeparatorName &name : SeparatorNames) {
        options.push_back({name.Key, german ? name.German : name.English});
        if (name.Separator == current)
            currentKey = name.Key;
    }
    ConfigureChoice(german ? "CSV-Export" : "CSV export",
                    german ? "Trennzeichen zwischen den Feldern:" : "Separator between the fields:",
                    options,
                    currentKey,
                    ownerWindow,
                    CsvSettingsPath(),
                    [](std::string_view key) {
                        const TSeparatorName *name = ByKey(key);
                        return name && SaveSeparator(name->Separator);
                    });
}
