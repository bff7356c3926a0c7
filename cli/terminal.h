#pragma once

#include <optional>

#include <QString>

// The terminal the command line program may ask a person on.

// Whether standard input is a terminal (and not a file or a pipe).
bool InputIsTerminal();
// Writes `question` to standard error and reads one line from the terminal with echo off;
// nothing at the end of input or when the terminal cannot be read.
std::optional<QString> ReadHiddenLine(const QString &question);
