#pragma once

#include <array>
#include <span>

#include <QHash>
#include <QString>

#include "catalog/recordfield.h"

// Lookups of a field table by one of its stored numbers or by file element. Each index is
// built once, on first use; the numbers are small, so an array indexed by them.
// `Table` returns the table as a span; `Key` names the number's member.
template <auto Table, int Count, auto Key> auto FieldByNumber(int number)
{
    using TInfo = typename decltype(Table())::element_type; // const
    static const std::array<TInfo *, Count> index = [] {
        std::array<TInfo *, Count> result{};
        for (const TInfo &field : Table()) {
            const int n = field.*Key;
            if (n >= 0 && n < Count)
                result[size_t(n)] = &field;
        }
        return result;
    }();
    return number >= 0 && number < Count ? index[size_t(number)] : nullptr;
}

template <auto Table> auto FieldByTag(const QString &tag)
{
    using TInfo = typename decltype(Table())::element_type; // const
    static const QHash<QString, TInfo *> index = [] {
        QHash<QString, TInfo *> result;
        for (const TInfo &field : Table()) {
            if (field.Write != TWriteRule::Common)
                result.insert(field.Tag, &field);
        }
        return result;
    }();
    return index.value(tag, nullptr);
}
