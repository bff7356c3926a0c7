#pragma once

#include <span>

#include "catalog/recordfield.h"

class TActor;

// The fields of a person: first those of the person part in catalog file order, then those
// every record has. Not stored anywhere.
enum class TPersonField {
    Name,
    Transname,
    Altnames,
    Birthday,
    Birthplace,
    Bio,
    Filmography,
    Category,
    Comment,
    Rating,
    Genre,
    Awards,
    Url,
};

using TPersonFieldInfo = TRecordField<TActor, TPersonField>;

// The list columns of people: the photo, then fields.
constexpr int PeoplePhotoColumn = 0;
constexpr int PeopleColumns = 14;
// Grouping fields 0..5, quick search fields 0..13 (0 and 1 search several names).
constexpr int PeopleGroupFieldCount = 6;
constexpr int PeopleSearchFieldCount = 14;
// Slots of the import and export plug-ins' person text record (the last two the picture).
constexpr int PersonSlotCount = 15;

// Every field, in TPersonField order.
std::span<const TPersonFieldInfo> PersonFields();
const TPersonFieldInfo &PersonField(TPersonField field);
const TPersonFieldInfo *PersonFieldAtColumn(int column);
const TPersonFieldInfo *PersonFieldOfGroup(int groupField);
const TPersonFieldInfo *PersonFieldOfSearch(int searchField);
const TPersonFieldInfo *PersonFieldOfSlot(int slot);
const TPersonFieldInfo *PersonFieldOfTag(const QString &tag);
