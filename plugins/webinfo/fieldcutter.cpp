#include "fieldcutter.h"

#include <algorithm>

TFieldCutter::TFieldCutter(std::u16string_view page)
    : m_text(page)
{}

size_t TFieldCutter::Find(std::u16string_view marker) const
{
    if (marker.empty())
        return 0;
    // One slot per marker, so that an answer "missing" is never forgotten while a loop
    // over a few markers goes on.
    TRemembered *slot = nullptr;
    for (TRemembered &entry : m_remembered) {
        if (entry.used && entry.marker == marker) {
            slot = &entry;
            break;
        }
    }
    // Nothing between searchedFrom and foundAt, so nothing between the front and it.
    if (slot && m_front >= slot->searchedFrom
        && (slot->foundAt == npos || m_front <= slot->foundAt)) {
        return slot->foundAt == npos ? npos : slot->foundAt - m_front;
    }
    if (!slot) {
        slot = &m_remembered[m_nextSlot];
        m_nextSlot = (m_nextSlot + 1) % m_remembered.size();
        slot->marker.assign(marker);
        slot->used = true;
    }
    slot->searchedFrom = m_front;
    slot->foundAt = m_text.find(marker, m_front);
    return slot->foundAt == npos ? npos : slot->foundAt - m_front;
}

TFieldCutter::TMatch
TFieldCutter::FindEarliest(std::initializer_list<std::u16string_view> forms) const
{
    TMatch best;
    for (const std::u16string_view form : forms) {
        const size_t at = Find(form);
        if (at != npos && (best.offset == npos || at < best.offset))
            best = TMatch{at, form.size()};
    }
    return best;
}

std::u16string_view TFieldCutter::Between(size_t from, size_t to) const
{
    const std::u16string_view rest = Rest();
    to = std::min(to, rest.size());
    return from < to ? rest.substr(from, to - from) : std::u16string_view();
}

void TFieldCutter::Delete(size_t count)
{
    m_front += std::min(count, m_text.size() - m_front);
}

bool TFieldCutter::DeleteThrough(std::u16string_view marker)
{
    const size_t at = Find(marker);
    if (at == npos)
        return false;
    Delete(at + marker.size());
    return true;
}

bool TFieldCutter::DeleteThroughEarliest(std::initializer_list<std::u16string_view> forms)
{
    const TMatch match = FindEarliest(forms);
    if (!match)
        return false;
    Delete(match.End());
    return true;
}

std::optional<std::u16string> TFieldCutter::CutUntil(std::u16string_view end)
{
    const size_t at = Find(end);
    if (at == npos)
        return std::nullopt;
    std::u16string value(Rest().substr(0, at));
    Delete(at + end.size());
    return value;
}
