#pragma once

#include <vector>

#include <QString>

// The text fields of one record, by slot (0 to MaxSlots - 1): only the set ones are held,
// in slot order, with a mask of which slots those are. A record has dozens of text fields
// and most are empty; one QString each made the records the largest part of a loaded
// catalog. An empty text is no value: storing one unsets the slot.
//
// A reference from Get stays valid only until the next Set on the same store.
class TTextFieldStore
{
public:
    static constexpr int MaxSlots = 64;

    TTextFieldStore() = default;
    TTextFieldStore(const TTextFieldStore &) = delete;
    TTextFieldStore &operator=(const TTextFieldStore &) = delete;

    // The text of `slot`; a shared empty text when it is unset.
    const QString &Get(int slot) const
    {
        const quint64 bit = quint64(1) << slot;
        return (m_set & bit) ? m_values[size_t(CountBits(m_set & (bit - 1)))] : s_empty;
    }
    bool IsSet(int slot) const { return (m_set >> slot) & 1; }
    // Stores `value` (taken by value: it may be a reference into this store). True when the
    // text changed.
    bool Set(int slot, QString value);

private:
    // Without a processor flag the compiler makes std::popcount a library call, which the
    // getters in list sorting cannot afford.
    static constexpr int CountBits(quint64 x)
    {
        x = x - ((x >> 1) & 0x5555555555555555ULL);
        x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
        x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
        return int((x * 0x0101010101010101ULL) >> 56);
    }

    static inline const QString s_empty{};

    quint64 m_set = 0;
    std::vector<QString> m_values;
};
