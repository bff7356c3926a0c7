#pragma once

#include <array>

#include <QString>
#include <QStringList>

#include "catalog/dbitem.h"
#include "catalog/moviefields.h"
#include "catalog/personfields.h"

class TDBItem;

// Grouping fields of the tree view are the GroupField numbers of the field tables
// (MovieGroupFieldCount and PeopleGroupFieldCount of them), each with its TGroupRule.

// The translated texts group captions use.
struct TGroupTexts
{
    QString Undefined = QStringLiteral("Undefined");
    // Rating buckets 0 to 5.
    std::array<QString, 6> Ratings{QStringLiteral("Not rated"),
                                   QStringLiteral("< 2"),
                                   QStringLiteral("2 - 4"),
                                   QStringLiteral("4 - 6"),
                                   QStringLiteral("6 - 8"),
                                   QStringLiteral("8 - 10")};
};

// The group values a movie or person yields for a grouping field of its kind (episodes
// count as movies); several for the list fields, none for an unknown field.
QStringList GroupValues(const TDBItem &record, int field);
// Whether the record belongs to the group of `value`.
bool BelongsToGroup(const TDBItem &record, int field, const QString &value);
// Whether a record belongs to a group of the field exactly when one of its distinct values
// is the group's value, case ignored (lists and whole texts); numbers, ratings and dates
// ask more (a negative rating yields "0" and is still no "not rated" one).
bool BelongsByValuesAlone(TRecordKind kind, int field);
// The rating bucket ("0" to "5") of a rating.
QString RatingBucket(double rating);
// The number of grouping fields of a kind.
int GroupFieldCount(TRecordKind kind);
// The record's values at a field without repeats (case ignored), or the field's value for
// "not set" when it yields none: what places a record in the tree.
QStringList DistinctGroupValues(const TDBItem &record, int field);
// The caption of the group of `value` at a field, or empty when the value goes to the
// undefined group.
QString GroupCaption(TRecordKind kind, int field, const QString &value, const TGroupTexts &texts);
