#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the plug-ins with settings share: their folder, and a choice asked through the
// desktop's dialog programs. A plug-in links nothing but the C++ runtime, so it cannot
// show a window of its own; kdialog or zenity show one for it.

// $XDG_CONFIG_HOME/Reelkeep/plugins (or ~/.config/...), without a trailing slash; empty
// when neither variable is set.
std::string PluginConfigFolder();
// Creates `folder` and its parents; false when it is not a folder afterwards.
bool MakeFolders(const std::string &folder);
// `text` without leading blanks and trailing blanks and line ends.
std::string_view TrimBlanks(std::string_view text);
// The value of the last "key=value" line of a settings file ('#' starts a comment line);
// empty when the file or the key is missing.
std::string SettingValue(const std::string &path, std::string_view key);

// The full path of `program` on PATH; empty when it is not there.
std::string FindOnPath(const char *program);
// Runs `args` (no shell) and waits for it; `ok` tells whether it exited with status 0.
// With `capture` its standard output is returned; without, a program it starts (the
// editor xdg-open hands over to) cannot keep us waiting on the pipe.
std::string RunProgram(const std::vector<std::string> &args, bool capture, bool &ok);

struct TChoiceOption
{
    const char *key;
    std::string label;
};

// One option of `options` chosen in a radio list by kdialog or zenity attached to
// `ownerWindow` (an X11 window id, 0 for none); the current one is preselected.
struct TChoiceAnswer
{
    bool shown = false;             // false: neither program is on PATH
    std::optional<std::string> key; // the chosen key; none when cancelled
};
TChoiceAnswer ChooseOne(const std::string &title,
                        const std::string &prompt,
                        const std::vector<TChoiceOption> &options,
                        std::string_view current,
                        uintptr_t ownerWindow);

// Asks for one of `options` through ChooseOne and hands the chosen key to `save`. Without
// a dialog program the settings file `path` opens in the user's editor, written first
// through `save(current)` when it does not exist.
void ConfigureChoice(const std::string &title,
                     const std::string &prompt,
                     const std::vector<TChoiceOption> &options,
                     const std::string &current,
                     uintptr_t ownerWindow,
                     const std::string &path,
                     const std::function<bool(std::string_view key)> &save);
