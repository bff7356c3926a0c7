#pragma once

#include <algorithm>
#include <array>
#include <span>

#include <QString>

#include "catalog/recordfield.h"
#include "catalog/tagtext.h"

// Builds one row of a field table, so that each row reads as one line of facts. Column
// captions are texts CaptionBase + column.
template <typename TInfo, int CaptionBase> struct TFieldRow
{
    TInfo info;

    TFieldRow(typename TInfo::TFieldId id,
              QString tag,
              TFieldType type,
              typename TInfo::TAccess access,
              typename TInfo::TMember member)
        : info{id, std::move(tag), type, access}
    {
        info.Member = member;
    }
    // The field is shared with every record and read and written by TDBItem.
    TFieldRow(typename TInfo::TFieldId id,
              QString tag,
              TFieldType type,
              typename TInfo::TAccess access)
        : info{id, std::move(tag), type, access}
    {
        info.Write = TWriteRule::Common;
    }
    TFieldRow &
    Column(int column, QString caption, TSortRule sort = TSortRule::Natural, bool editable = true)
    {
        info.Column = column;
        info.Caption = CaptionBase + column;
        info.DefaultCaption = std::move(caption);
        info.Sort = sort;
        info.Editable = editable;
        return *this;
    }
    TFieldRow &Group(int field, TGroupRule rule)
    {
        info.GroupField = field;
        info.Group = rule;
        return *this;
    }
    TFieldRow &Search(int field, QString caption)
    {
        info.SearchField = field;
        info.SearchCaption = std::move(caption);
        return *this;
    }
    TFieldRow &Slot(int slot)
    {
        info.Slot = slot;
        return *this;
    }
    TFieldRow &Overwrite(int bit)
    {
        info.OverwriteBit = bit;
        return *this;
    }
    TFieldRow &Write(TWriteRule rule, int onFailure = 0)
    {
        info.Write = rule;
        info.OnFailure = onFailure;
        return *this;
    }
    TFieldRow &RelativePath()
    {
        info.RelativePath = true;
        return *this;
    }
    TFieldRow &EmptyValue(int value)
    {
        info.EmptyValue = value;
        return *this;
    }
    TFieldRow &Clear(TClearRule rule)
    {
        info.Clear = rule;
        return *this;
    }
    TFieldRow &NotAssigned()
    {
        info.Assigned = false;
        return *this;
    }
    TFieldRow &NotCountedForEmpty()
    {
        info.CountsForEmpty = false;
        return *this;
    }
    TFieldRow &NotFilledFromDuplicate()
    {
        info.FilledFromDuplicate = false;
        return *this;
    }
};

// The whole-record operations over a field table, for the records' Clear, Assign and
// IsEmpty. Fields that need more are left to the record (TClearRule::Record).

// Empties the fields Clear takes: through the setters first, then the ones past their
// setters. True when one of the latter changed, which the record then marks modified.
template <typename TRecord, typename TInfo>
bool ClearFields(TRecord &record, std::span<const TInfo> fields)
{
    for (const TInfo &field : fields) {
        if (field.Clear == TClearRule::Setter)
            field.SetEmpty(record);
    }
    bool changed = false;
    for (const TInfo &field : fields) {
        if (field.Clear == TClearRule::Direct)
            changed |= field.ResetMember(record);
    }
    return changed;
}

template <typename TRecord, typename TInfo>
void AssignFields(TRecord &into, const TRecord &from, std::span<const TInfo> fields)
{
    for (const TInfo &field : fields) {
        if (field.Assigned)
            field.Copy(into, from);
    }
}

// Whether every field that counts for emptiness holds its empty value.
template <typename TRecord, typename TInfo>
bool FieldsEmpty(const TRecord &record, std::span<const TInfo> fields)
{
    return std::ranges::all_of(fields, [&](const TInfo &field) {
        return !field.CountsForEmpty || field.IsEmptyIn(record);
    });
}

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
    // Open addressing on the cheap element-name hash; at most a quarter full, so a miss
    // ends at an empty slot within a probe or two.
    constexpr size_t Slots = 256;
    static const std::array<TInfo *, Slots> index = [] {
        std::array<TInfo *, Slots> result{};
        for (const TInfo &field : Table()) {
            if (field.Write == TWriteRule::Common)
                continue;
            size_t slot = ElementNameHash(field.Tag) & (Slots - 1);
            while (result[slot] && result[slot]->Tag != field.Tag)
                slot = (slot + 1) & (Slots - 1);
            result[slot] = &field;
        }
        return result;
    }();
    thread_local TNameCache<TInfo *> cache;
    return cache.Find(tag, [](const QString &name) {
        for (size_t slot = ElementNameHash(name) & (Slots - 1);; slot = (slot + 1) & (Slots - 1)) {
            TInfo *field = index[slot];
            if (!field || field->Tag == name)
                return field;
        }
    });
}
