#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

// Cuts fields out of a downloaded page. The page is copied into a working text that is
// consumed from the front: every search starts at the current front and is exact
// (case-sensitive), and "deleting through" a marker drops the text up to and including
// it. A missing marker never deletes anything, so a rule that loops on "find, delete
// through" always ends.
//
// Offsets returned by the searches are relative to the current front.
class TFieldCutter
{
public:
    static constexpr size_t npos = std::u16string_view::npos;

    // The earliest of several forms of a marker and the length of the form found there.
    struct TMatch
    {
        size_t offset = npos;
        size_t length = 0;
        explicit operator bool() const { return offset != npos; }
        size_t End() const { return offset + length; }
    };

    explicit TFieldCutter(std::u16string_view page);

    // The working text.
    std::u16string_view Rest() const { return std::u16string_view(m_text).substr(m_front); }
    size_t Find(std::u16string_view marker) const;
    bool Contains(std::u16string_view marker) const { return Find(marker) != npos; }
    // Among several forms the one that starts first; at equal starts the first listed.
    TMatch FindEarliest(std::initializer_list<std::u16string_view> forms) const;
    // The working text from `from` up to `to`; empty when `to` lies before `from`.
    std::u16string_view Between(size_t from, size_t to) const;

    // Drops `count` units from the front (all that is left when there are fewer).
    void Delete(size_t count);
    // False, deleting nothing, when the marker is missing.
    bool DeleteThrough(std::u16string_view marker);
    bool DeleteThroughEarliest(std::initializer_list<std::u16string_view> forms);
    // The text before `end`, deleting through `end`; nothing when `end` is missing.
    std::optional<std::u16string> CutUntil(std::u16string_view end);

private:
    // Rules ask for the same few markers again and again while the front moves on; an
    // answer stays right as long as the front has not passed it, which keeps loops over
    // long pages linear instead of rescanning the rest of the page every time. The marker
    // is copied: a caller's marker may be a temporary.
    struct TRemembered
    {
        std::u16string marker;
        bool used = false;
        size_t searchedFrom = 0; // absolute offsets into m_text
        size_t foundAt = npos;
    };

    std::u16string m_text;
    size_t m_front = 0;
    mutable std::array<TRemembered, 8> m_remembered{};
    mutable size_t m_nextSlot = 0;
};
