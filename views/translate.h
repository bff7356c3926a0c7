#pragma once

class QObject;
class TWideLanguage;

// Name of the dynamic int property that holds a component's text number (0: none).
inline constexpr char TagProperty[] = "tag";

// Translates a window or part of one from the current language of `language`.
//
// A window with a tag gets string base + tag as its title, unprocessed. A QToolBar passed
// directly only gets its buttons' hints (Hint(tag), the text after "{HINT}" itself).
// Otherwise every descendant is visited in creation order; untagged or excluded ones are
// skipped, tagged ones get Caption(tag, current) by kind, and tagged widgets and tool-bar
// actions get as tooltip the text whose number follows "{HINT}" (empty without one).
// Child dialogs other than file dialogs are windows of their own and are left out.
// A "{HINT}" followed by no number reports "Error reading from language DLL." and ends the
// walk. Does nothing without a loaded table, a component or a current language.
void Translate(const TWideLanguage &language, QObject *component);
