#include "catalog/textfieldstore.h"

#include <algorithm>
#include <utility>

bool TTextFieldStore::Set(int slot, QString value)
{
    Q_ASSERT(slot >= 0 && slot < MaxSlots);
    const quint64 bit = quint64(1) << slot;
    const auto index = ptrdiff_t(CountBits(m_set & (bit - 1)));
    if (m_set & bit) {
        QString &current = m_values[size_t(index)];
        if (current == value)
            return false;
        if (value.isEmpty()) {
            m_values.erase(m_values.begin() + index);
            m_set &= ~bit;
        } else {
            current = std::move(value);
        }
        return true;
    }
    if (value.isEmpty())
        return false;
    // A loaded record gets its fields one at a time: grow in steps, not by one.
    if (m_values.size() == m_values.capacity())
        m_values.reserve(std::max<size_t>(4, 2 * m_values.size()));
    m_values.insert(m_values.begin() + index, std::move(value));
    m_set |= bit;
    return true;
}
