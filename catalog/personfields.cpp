#include "catalog/personfields.h"

#include <array>

#include <QHash>

#include "catalog/actor.h"
#include "catalog/fieldtable_p.h"

using namespace Qt::StringLiterals;

namespace {

using F = TPersonField;
using A = TActor;
using T = TFieldType;
using S = TSortRule;
using G = TGroupRule;
using W = TWriteRule;

using TRow = TFieldRow<TPersonFieldInfo, 2300>;

template <typename V> TPersonFieldInfo::TAccess Access(V (A::*get)() const, void (A::*set)(V))
{
    return TFieldAccessor<A, V>{get, set};
}

TTextSlot Stored(F field)
{
    return {A::TextSlot(field)};
}

} // namespace

std::span<const TPersonFieldInfo> PersonFields()
{
    using Text = const QString &;
    static const std::vector<TPersonFieldInfo> table = [] {
        const TRow rows[] = {
            // A cleared person keeps the name; duplicates are found by the names.
            TRow(F::Name, u"name"_s, T::Text, Access(&A::Name, &A::SetName), Stored(F::Name))
                .Column(1, u"Name"_s)
                .Group(0, G::Letter)
                .Search(2, u"Name"_s)
                .Overwrite(0)
                .Slot(0)
                .Clear(TClearRule::Kept)
                .NotFilledFromDuplicate(),
            // TActor::Clear keeps it while it stands in for a missing name.
            TRow(F::Transname,
                 u"transname"_s,
                 T::Text,
                 Access(&A::Transname, &A::SetTransname),
                 Stored(F::Transname))
                .Column(2, u"Translated name"_s)
                .Group(1, G::Letter)
                .Search(3, u"Translated name"_s)
                .Overwrite(1)
                .Slot(1)
                .Clear(TClearRule::Record)
                .NotFilledFromDuplicate(),
            TRow(F::Altnames,
                 u"altnames"_s,
                 T::Text,
                 Access(&A::Altnames, &A::SetAltnames),
                 Stored(F::Altnames))
                .Column(3, u"Alternative name"_s)
                .Search(4, u"Alternative names"_s)
                .Overwrite(2)
                .Slot(2),
            TRow(F::Birthday,
                 u"birthday"_s,
                 T::Date,
                 Access(&A::Birthday, &A::SetBirthday),
                 &A::m_birthday)
                .Column(4, u"Birthday"_s, S::Date)
                .Group(2, G::Birthday)
                .Search(5, u"Birthday"_s)
                .Overwrite(3)
                .Slot(3),
            TRow(F::Birthplace,
                 u"birthplace"_s,
                 T::Text,
                 Access(&A::Birthplace, &A::SetBirthplace),
                 Stored(F::Birthplace))
                .Column(5, u"Birthplace"_s)
                .Search(6, u"Birthplace"_s)
                .Overwrite(4)
                .Slot(4),
            TRow(F::Bio, u"bio"_s, T::Text, Access(&A::Bio, &A::SetBio), Stored(F::Bio))
                .Column(10, u"Biography"_s)
                .Search(10, u"Biography"_s)
                .Overwrite(7)
                .Slot(9),
            TRow(F::Filmography,
                 u"filmography"_s,
                 T::Text,
                 Access(&A::Filmography, &A::SetFilmography),
                 Stored(F::Filmography))
                .Column(11, u"Filmography"_s)
                .Search(11, u"Filmography"_s)
                .Overwrite(8)
                .Slot(10),
            TRow(F::Category,
                 u"category"_s,
                 T::Text,
                 Access(&A::Category, &A::SetCategory),
                 Stored(F::Category))
                .Column(7, u"Career"_s)
                .Group(4, G::List)
                .Search(8, u"Career"_s)
                .Overwrite(6)
                .Slot(6),
            // A person's comment and rating are the user's own: Clear, Assign and IsEmpty leave
            // them.
            TRow(F::Comment,
                 u"comment"_s,
                 T::Text,
                 Access<Text>(&TDBItem::Comment, &TDBItem::SetComment))
                .Column(13, u"Comments"_s)
                .Search(13, u"Comments"_s)
                .Slot(12)
                .Clear(TClearRule::Kept)
                .NotAssigned()
                .NotCountedForEmpty(),
            TRow(F::Rating,
                 u"rating"_s,
                 T::Rating,
                 Access<double>(&TDBItem::Rating, &TDBItem::SetRating))
                .Column(9, u"Rating"_s)
                .Group(5, G::Rating)
                .Search(9, u"Rating"_s)
                .Slot(8)
                .Clear(TClearRule::Kept)
                .NotAssigned()
                .NotCountedForEmpty(),
            TRow(F::Genre, u"genre"_s, T::Text, Access<Text>(&TDBItem::Genre, &TDBItem::SetGenre))
                .Column(6, u"Genre"_s)
                .Group(3, G::List)
                .Search(7, u"Genre"_s)
                .Overwrite(5)
                .Slot(5),
            TRow(F::Awards,
                 u"awards"_s,
                 T::Text,
                 Access<Text>(&TDBItem::Awards, &TDBItem::SetAwards))
                .Column(12, u"Awards"_s)
                .Search(12, u"Awards"_s)
                .Overwrite(9)
                .Slot(11),
            TRow(F::Url, u"url"_s, T::Text, Access<Text>(&TDBItem::Url, &TDBItem::SetUrl))
                .Column(8, u"URL"_s)
                .Slot(7),
        };
        std::vector<TPersonFieldInfo> fields;
        for (const TRow &row : rows)
            fields.push_back(row.info);
        return fields;
    }();
    return table;
}

const TPersonFieldInfo &PersonField(TPersonField field)
{
    return PersonFields()[size_t(field)];
}

const TPersonFieldInfo *PersonFieldAtColumn(int column)
{
    return FieldByNumber<PersonFields, PeopleColumns, &TPersonFieldInfo::Column>(column);
}

const TPersonFieldInfo *PersonFieldOfGroup(int groupField)
{
    return FieldByNumber<PersonFields, PeopleGroupFieldCount, &TPersonFieldInfo::GroupField>(
        groupField);
}

const TPersonFieldInfo *PersonFieldOfSearch(int searchField)
{
    return FieldByNumber<PersonFields, PeopleSearchFieldCount, &TPersonFieldInfo::SearchField>(
        searchField);
}

const TPersonFieldInfo *PersonFieldOfSlot(int slot)
{
    return FieldByNumber<PersonFields, PersonSlotCount, &TPersonFieldInfo::Slot>(slot);
}

const TPersonFieldInfo *PersonFieldOfTag(const QString &tag)
{
    return FieldByTag<PersonFields>(tag);
}
