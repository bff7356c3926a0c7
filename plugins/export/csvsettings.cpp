#include "csvsettings.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "exportfile.h"
#include "plugin_api/importu.h"

extern char **environ;

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

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty()
           && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'
               || text.back() == '\n'))
        text.remove_suffix(1);
    return text;
}

const TSeparatorName *ByKey(std::string_view key)
{
    for (const TSeparatorName &name : SeparatorNames) {
        if (Trimmed(key) == name.Key)
            return &name;
    }
    return nullptr;
}

// The full path of `program` on PATH; empty when it is not there.
std::string FindOnPath(const char *program)
{
    const char *path = std::getenv("PATH");
    std::string_view rest = path ? path : "";
    while (!rest.empty()) {
        const size_t colon = rest.find(':');
        std::string folder(rest.substr(0, colon));
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        if (folder.empty())
            continue;
        const std::string candidate = folder + '/' + program;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

// Runs `args` (no shell) and waits for it; `ok` tells whether it exited with status 0.
// With `capture` its standard output is returned; without, a program it starts (the
// editor xdg-open hands over to) cannot keep us waiting on the pipe.
std::string Run(const std::vector<std::string> &args, bool capture, bool &ok)
{
    ok = false;
    std::vector<char *> argv;
    for (const std::string &arg : args)
        argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    int pipeEnds[2] = {-1, -1};
    if (capture && ::pipe2(pipeEnds, O_CLOEXEC) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (capture)
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    std::string output;
    if (capture) {
        ::close(pipeEnds[1]);
        char buffer[256];
        for (ssize_t got;
             spawned == 0 && (got = ::read(pipeEnds[0], buffer, sizeof buffer)) != 0;) {
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0 || output.size() > 4096)
                break;
            output.append(buffer, size_t(got));
        }
        ::close(pipeEnds[0]);
    }
    if (spawned != 0)
        return {};
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return output;
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
        const std::string_view text = Trimmed(line);
        if (text.empty() || text.front() == '#')
            continue;
        const size_t equals = text.find('=');
        if (equals != std::string_view::npos && Trimmed(text.substr(0, equals)) == "separator") {
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
    const std::string title = german ? "CSV-Export" : "CSV export";
    const std::string prompt =
        german ? "Trennzeichen zwischen den Feldern:" : "Separator between the fields:";
    const std::string attach = "--attach=" + std::to_string(ownerWindow);
    std::vector<std::string> args;
    if (std::string kdialog = FindOnPath("kdialog"); !kdialog.empty()) {
        args = {kdialog, "--title", title};
        if (ownerWindow)
            args.push_back(attach);
        args.insert(args.end(), {"--radiolist", prompt});
        for (const TSeparatorName &name : SeparatorNames)
            args.insert(args.end(),
                        {name.Key,
                         german ? name.German : name.English,
                         name.Separator == current ? "on" : "off"});
    } else if (std::string zenity = FindOnPath("zenity"); !zenity.empty()) {
        args = {zenity, "--list", "--radiolist", "--title", title, "--text", prompt};
        if (ownerWindow)
            args.push_back(attach);
        args.insert(args.end(),
                    {"--column=",
                     "--column=key",
                     "--column=separator",
                     "--hide-column=2",
                     "--print-column=2",
                     "--hide-header"});
        for (const TSeparatorName &name : SeparatorNames)
            args.insert(args.end(),
                        {name.Separator == current ? "TRUE" : "FALSE",
                         name.Key,
                         german ? name.German : name.English});
    }
    if (!args.empty()) {
        bool ok = false;
        const std::string answer = Run(args, true, ok);
        if (const TSeparatorName *name = ok ? ByKey(answer) : nullptr)
            SaveSeparator(name->Separator);
        return;
    }
    // No dialog program: the commented settings file in the user's editor.
    struct stat info;
    const std::string path = CsvSettingsPath();
    if (path.empty() || (::stat(path.c_str(), &info) != 0 && !SaveSeparator(current)))
        return;
    bool ok = false;
    Run({"xdg-open", path}, false, ok);
}
