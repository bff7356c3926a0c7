#include "catsettings.h"

#include <charconv>
#include <string_view>
#include <vector>

#include "plugin_api/importu.h"
#include "plugins/common/partialfile.h"
#include "plugins/common/pluginconfig.h"

namespace {

// A whole decimal number; 0 for anything else.
int NumberOf(std::string_view text)
{
    text = TrimBlanks(text);
    int number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return error == std::errc() && end == text.data() + text.size() ? number : 0;
}

} // namespace

std::string CatSettingsPath()
{
    const std::string folder = PluginConfigFolder();
    return folder.empty() ? std::string() : folder + "/catimport.conf";
}

const TCodePage &ChosenCodePage()
{
    const TCodePage *saved =
        CodePageByNumber(NumberOf(SettingValue(CatSettingsPath(), "codepage")));
    return saved ? *saved : WesternCodePage();
}

bool SaveCodePage(const TCodePage &page)
{
    const std::string path = CatSettingsPath();
    if (path.empty() || !MakeFolders(PluginConfigFolder()))
        return false;
    std::string text = "# Settings of Reelkeep's Ant Movie Catalog import.\n"
                       "# codepage: the Windows code page of the texts in .amc files, that of\n"
                       "# the Windows that wrote them (XML files name theirs; a text that is\n"
                       "# valid UTF-8 is read as such). One of\n";
    for (const TCodePage &one : CodePages())
        text += "#   " + std::to_string(one.Number) + "  " + one.English + "\n";
    text += "codepage=" + std::to_string(page.Number) + "\n";
    TPartialFile file;
    return file.Open(path) && file.Write(text) && file.Commit();
}

void ConfigureCodePage(int32_t lang, uintptr_t ownerWindow)
{
    const bool german = lang == RK_LANG_GERMAN;
    std::vector<TChoiceOption> options;
    // The keys must outlive the options: the numbers as text, kept here.
    std::vector<std::string> keys;
    keys.reserve(CodePages().size());
    for (const TCodePage &page : CodePages()) {
        keys.push_back(std::to_string(page.Number));
        options.push_back(
            {keys.back().c_str(),
             std::string(german ? page.German : page.English) + " (Windows-" + keys.back() + ")"});
    }
    ConfigureChoice(german ? "Ant-Movie-Catalog-Import" : "Ant Movie Catalog import",
                    german ? "Codepage der Texte in .amc-Dateien:"
                           : "Code page of the texts in .amc files:",
                    options,
                    std::to_string(ChosenCodePage().Number),
                    ownerWindow,
                    CatSettingsPath(),
                    [](std::string_view key) {
                        const TCodePage *page = CodePageByNumber(NumberOf(key));
                        return page && SaveCodePage(*page);
                    });
}
