#include "pluginconfig.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty()
           && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'
               || text.back() == '\n'))
        text.remove_suffix(1);
    return text;
}

std::string PluginConfigFolder()
{
    const char *config = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (config && *config == '/') {
        base = config;
    } else {
        const char *home = std::getenv("HOME");
        if (!home || !*home)
            return {};
        base = std::string(home) + "/.config";
    }
    return base + "/Reelkeep/plugins";
}

bool MakeFolders(const std::string &folder)
{
    for (size_t slash = 1; slash != std::string::npos;) {
        slash = folder.find('/', slash + 1);
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
    }
    struct stat info;
    return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string SettingValue(const std::string &path, std::string_view key)
{
    std::ifstream in(path);
    std::string line;
    std::string value;
    while (std::getline(in, line)) {
        const std::string_view text = TrimBlanks(line);
        if (text.empty() || text.front() == '#')
            continue;
        const size_t equals = text.find('=');
        if (equals != std::string_view::npos && TrimBlanks(text.substr(0, equals)) == key)
            value = TrimBlanks(text.substr(equals + 1));
    }
    return value;
}

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

std::string RunProgram(const std::vector<std::string> &args, bool capture, bool &ok)
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

TChoiceAnswer ChooseOne(const std::string &title,
                        const std::string &prompt,
                        const std::vector<TChoiceOption> &options,
                        std::string_view current,
                        uintptr_t ownerWindow)
{
    const std::string attach = "--attach=" + std::to_string(ownerWindow);
    std::vector<std::string> args;
    if (std::string kdialog = FindOnPath("kdialog"); !kdialog.empty()) {
        args = {kdialog, "--title", title};
        if (ownerWindow)
            args.push_back(attach);
        args.insert(args.end(), {"--radiolist", prompt});
        for (const TChoiceOption &option : options)
            args.insert(args.end(),
                        {option.key, option.label, option.key == current ? "on" : "off"});
    } else if (std::string zenity = FindOnPath("zenity"); !zenity.empty()) {
        args = {zenity, "--list", "--radiolist", "--title", title, "--text", prompt};
        if (ownerWindow)
            args.push_back(attach);
        args.insert(args.end(),
                    {"--column=",
                     "--column=key",
                     "--column=choice",
                     "--hide-column=2",
                     "--print-column=2",
                     "--hide-header"});
        for (const TChoiceOption &option : options)
            args.insert(args.end(),
                        {option.key == current ? "TRUE" : "FALSE", option.key, option.label});
    }
    TChoiceAnswer answer;
    if (args.empty())
        return answer;
    answer.shown = true;
    bool ok = false;
    const std::string output = RunProgram(args, true, ok);
    const std::string_view chosen = TrimBlanks(output);
    for (const TChoiceOption &option : options) {
        if (ok && chosen == option.key)
            answer.key = option.key;
    }
    return answer;
}

void ConfigureChoice(const std::string &title,
                     const std::string &prompt,
                     const std::vector<TChoiceOption> &options,
                     const std::string &current,
                     uintptr_t ownerWindow,
                     const std::string &path,
                     const std::function<bool(std::string_view key)> &save)
{
    const TChoiceAnswer answer = ChooseOne(title, prompt, options, current, ownerWindow);
    if (answer.shown) {
        if (answer.key)
            save(*answer.key);
        return;
    }
    struct stat info;
    if (path.empty() || (::stat(path.c_str(), &info) != 0 && !save(current)))
        return;
    bool ok = false;
    RunProgram({"xdg-open", path}, false, ok);
}
