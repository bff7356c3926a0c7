#pragma once

#include <optional>
#include <span>

#include <QString>
#include <QStringList>
#include <QStringView>

// Text and file-name helpers shared by the catalog and the windows. Views, the catalog
// file and the image folders depend on the exact rules, so change none lightly.
// Folder paths end in "/".

// Splits a multi-value field at ",", "/", "\", ";", "|", carriage return and line feed.
// A run of separators counts as one, a separator in the first position never splits,
// pieces are trimmed and empty ones dropped. The pieces come last-first: element 0 is
// the text after the last separator.
QStringList SplitList(const QString &text);
// The same walk for one separator, without collapsing runs.
QStringList SplitAt(const QString &text, QChar separator);

// Strips " .,-:#/\|" from both ends, but never shortens the text below one character.
QString TrimSeparators(const QString &text);
// Adds a line feed after every carriage return that lacks one.
QString RepairLineBreaks(const QString &text);
bool IntInArray(int value, std::span<const int> array);

// Title order: the locale's case-sensitive comparison, except that runs of digits compare
// by value ("Vol 9" before "Vol 10"); runs too long for 32 bits compare as equal.
// Negative, zero or positive.
int NaturalCompare(QStringView a, QStringView b);

// The one case-insensitive comparison of names (people, custom lists): the locale's
// collation without regard to case. Negative, zero or positive. Every ordered list and
// search over names must use it, or binary searches miss.
int CompareNoCase(QStringView a, QStringView b);

// Text as searches compare it: compatibility-decomposed (NFKD), combining marks dropped,
// case-folded, so "Zoltán", "ZOLTAN" and "zoltan" read alike.
QString SearchFolded(QStringView text);
// Whether `text` contains `foldedNeedle` (made by SearchFolded) under that rule. Text made
// of ASCII only is compared without being copied.
bool SearchContains(QStringView text, QStringView foldedNeedle);

// The catalog file's number form, independent of the locale: up to 15 significant
// digits, a comma as decimal separator, exponent form "1,5E20" / "1E-7" for very large or
// small values. Not-a-number and infinities give "NAN", "INF" and "-INF".
QString FloatToText(double value);
// The same in ASCII into `buffer`, for writers that need no QString; the text's length.
constexpr int FloatTextMax = 40;
int FloatToChars(double value, char (&buffer)[FloatTextMax]);
// Reads that form (also "+" signs, surrounding blanks, "1,5e3"); empty when the text is
// not such a number, including text with a decimal point, "NAN", "INF" and overflow.
std::optional<double> TextToFloat(QStringView text);

// True when a file (not a folder) exists at the path; any error gives false.
bool FileExistsQuiet(const QString &path);
// A relative path resolved against the folder `base`; an absolute path (also a Windows
// one such as "C:\x" or "\\server\x", kept as text), or any path with an empty base, is
// returned unchanged.
QString ResolvePath(const QString &path, const QString &base);
// The path relative to the folder `base`, with ".." steps where needed; a trailing "/"
// is kept. A Windows absolute path, or an empty base, gives the path unchanged.
QString RelativePath(const QString &base, const QString &path);
// True when `path` names something inside `folder` (at any depth), judged on the cleaned
// absolute paths: ".." steps and absolute paths that leave the folder are outside.
bool PathInside(const QString &path, const QString &folder);
// Makes a title usable as a file or folder name: trims, ":" and "|" become "-", "\" and
// "/" become "_", "?", "*" and '"' are removed.
QString SanitizeFileName(const QString &text);
// Puts a picture into the image folder `target` (created when missing) under a free name
// (stem, stem1, stem2, ...) and returns its path relative to `base`. A source already
// inside `target` (or any source, for an empty target) stays where it is. The copy is
// made only when `copy` is set; a failed copy is ignored and the computed path is still
// returned.
QString
CopyIntoFolder(const QString &source, const QString &base, const QString &target, bool copy);
// The label of the file system holding the folder `root`; empty for an empty root or
// when there is none. Asks CurrentVolumeInfo().
QString VolumeLabel(const QString &root);

// A caption for a path of at most about maxLength characters: leading "../" steps go,
// ".../" is put in front, and whole middle folders are replaced by "...". A single name
// too long to shorten is kept whole.
QString ShortenPath(const QString &path, int maxLength = 64);

// A movie title guessed from a file path: the file name without extension, or for a DVD
// (a file or folder inside VIDEO_TS) the movie folder's name or the disc's label; then the
// year, bracket groups, "CD1"-style markers and common download noise are removed and
// ".", "-", "_" and brackets become spaces.
QString TitleFromFileName(const QString &path);
