#pragma once

#include <optional>
#include <variant>

#include <QString>
#include <QVariant>

// The value type of a field. It also decides the text a list cell shows for the field and
// how an edited text reads back.
enum class TFieldType : quint8 {
    Text,
    Int,    // whole number
    BigInt, // 64 bits (file sizes)
    Rating, // shown with one decimal
    Float,  // shown with up to 15 significant digits (frame rates)
    Date,   // day count, shown in the short date form; 0 shows empty
    Time,   // the time of day of a day count, as a running time "H:mm:ss"
    Flag,
};

// How two cells of a list column are ordered.
enum class TSortRule { None, Natural, NoCase, WithCase, Numeric, Date, Time };

// How the tree view's grouping derives a record's group values from a field.
enum class TGroupRule : quint8 {
    None,
    Number,   // the number as text
    Letter,   // the first letter (digits all group under "0")
    List,     // one group per item of a list text
    Single,   // the whole text
    Rating,   // a bucket "0" to "5"
    Date,     // the short date, "0" when not set
    Birthday, // the short date, compared by day
};

// How the catalog file writes a field of the record's own part.
enum class TWriteRule : quint8 {
    WhenSet,         // non-empty text, non-zero number, true flag
    Always,          // the title: the display title, even when empty
    WhenNotNegative, // the ID, which is -1 when not given
    OnlyFalse,       // seen, which new movies have on
    OnlyTrue,
    Common, // written with the fields every record has (TDBItem), not from the table
};

// What a record's Clear does with a field.
enum class TClearRule : quint8 {
    Setter, // stores the empty value through the setter
    Direct, // stores it past the setter, whose rules would refuse it (a loan date needs a
            // loan); the record marks itself modified once for all of these
    Kept,   // leaves it: the names a cleared record is still known by
    Record, // the record's Clear handles it by hand (a rule that depends on another field)
};

// The text of a value as a list cell shows it (numbers in the user's locale, without
// thousands separators, so they read back in a cell editor).
QString FieldValueText(TFieldType type, const QVariant &value);
// The value of an edited text. Numbers that do not read become `fallback` (0 for ratings,
// sizes and times); a date that does not read is refused (nullopt), blank text clears it.
std::optional<QVariant> FieldValueFromText(TFieldType type, const QString &text, int fallback);

// A text field of the record's text store (TDBItem), by its slot there; -1 for none.
struct TTextSlot
{
    int Index = -1;
};

// One getter/setter pair of a record.
template <typename TRecord, typename T> struct TFieldAccessor
{
    T (TRecord::*Get)() const;
    void (TRecord::*Set)(T);
};

// One field of a record kind: its identity, file element, value, texts and what every list,
// search, grouping and merge knows about it. Numbers marked "stored" are kept in settings
// files or plug-in masks: they never change when fields are added or reordered.
template <typename TRecord, typename TId> struct TRecordField
{
    using TFieldId = TId;
    using TAccess = std::variant<TFieldAccessor<TRecord, const QString &>,
                                 TFieldAccessor<TRecord, int>,
                                 TFieldAccessor<TRecord, qint64>,
                                 TFieldAccessor<TRecord, double>,
                                 TFieldAccessor<TRecord, bool>>;
    // Where the catalog file reads into directly (no setter rules): a slot of the text store
    // or a data member.
    using TMember = std::
        variant<TTextSlot, int TRecord::*, qint64 TRecord::*, double TRecord::*, bool TRecord::*>;

    TId Id;
    // The element in the catalog file and the key in the JSON dump.
    QString Tag;
    TFieldType Type;
    // Through the record's setters, with their rules.
    TAccess Access;
    // List column (stored: column order and widths), or -1 for none.
    int Column = -1;
    // The translated column caption's text number, or -1, and the English caption for a
    // language without that text.
    int Caption = -1;
    QString DefaultCaption{};
    TSortRule Sort = TSortRule::None;
    // Whether a grid cell edits it.
    bool Editable = false;
    // Tree view grouping field (stored), or -1.
    int GroupField = -1;
    TGroupRule Group = TGroupRule::None;
    // Quick search field (stored), or -1, and its English caption for a language without
    // the field's text.
    int SearchField = -1;
    QString SearchCaption{};
    // Bit of a web plug-in's overwrite mask (stored, part of the plug-in interface), or -1.
    int OverwriteBit = -1;
    // Slot of the import and export plug-ins' text record (stored: plug-in interface), or -1.
    int Slot = -1;
    // The catalog file.
    TMember Member{};
    TWriteRule Write = TWriteRule::WhenSet;
    // What an integer or flag that does not convert reads as.
    int OnFailure = 0;
    // A path relative to an image folder: Windows-written backslashes become "/".
    bool RelativePath = false;
    // The value of an empty record (0 or false; -1 for the movie ID, which is -1 when not
    // given): what Clear stores and what IsEmpty and the duplicate merge take as not set.
    int EmptyValue = 0;
    TClearRule Clear = TClearRule::Setter;
    // Whether Assign copies it, whether a value makes the record not empty, and whether the
    // duplicate merge fills it from the removed copy when the record that stays has none.
    bool Assigned = true;
    bool CountsForEmpty = true;
    bool FilledFromDuplicate = true;

    QVariant Value(const TRecord &record) const
    {
        return std::visit([&](const auto &a) { return QVariant::fromValue((record.*a.Get)()); },
                          Access);
    }
    void SetValue(TRecord &record, const QVariant &value) const
    {
        std::visit(
            [&](const auto &a) {
                using T = std::remove_cvref_t<decltype((record.*a.Get)())>;
                (record.*a.Set)(value.value<T>());
            },
            Access);
    }
    // Whether the record holds the empty value (empty text, EmptyValue otherwise).
    bool IsEmptyIn(const TRecord &record) const
    {
        return std::visit(
            [&](const auto &a) {
                const auto &value = (record.*a.Get)();
                using T = std::remove_cvref_t<decltype(value)>;
                if constexpr (std::is_same_v<T, QString>)
                    return value.isEmpty();
                else
                    return value == static_cast<T>(EmptyValue);
            },
            Access);
    }
    // Stores the empty value through the setter.
    void SetEmpty(TRecord &record) const
    {
        std::visit(
            [&](const auto &a) {
                using T = std::remove_cvref_t<decltype((record.*a.Get)())>;
                if constexpr (std::is_same_v<T, QString>)
                    (record.*a.Set)(QString());
                else
                    (record.*a.Set)(static_cast<T>(EmptyValue));
            },
            Access);
    }
    // The stored value, past the getter (the title, not the display title).
    QVariant StoredValue(const TRecord &record) const
    {
        return std::visit(
            [&](auto member) {
                if constexpr (std::is_same_v<decltype(member), TTextSlot>)
                    return member.Index >= 0 ? QVariant(record.m_texts.Get(member.Index))
                                             : QVariant();
                else
                    return member ? QVariant(record.*member) : QVariant();
            },
            Member);
    }
    // Stores a value past the setter, marking nothing; false when the field has no storage
    // of its own (the common fields) or holds the value already.
    bool StoreValue(TRecord &record, const QVariant &value) const
    {
        return std::visit(
            [&](auto member) {
                if constexpr (std::is_same_v<decltype(member), TTextSlot>) {
                    return member.Index >= 0
                           && record.m_texts.Set(member.Index, value.value<QString>());
                } else {
                    if (!member)
                        return false;
                    auto &target = record.*member;
                    using T = std::remove_reference_t<decltype(target)>;
                    const T wanted = value.value<T>();
                    if (target == wanted)
                        return false;
                    target = wanted;
                    return true;
                }
            },
            Member);
    }
    // Stores the empty value past the setter; true when it changed.
    bool ResetMember(TRecord &record) const
    {
        return std::visit(
            [&](auto member) {
                if constexpr (std::is_same_v<decltype(member), TTextSlot>) {
                    return member.Index >= 0 && record.m_texts.Set(member.Index, QString());
                } else {
                    auto &target = record.*member;
                    const auto empty =
                        static_cast<std::remove_reference_t<decltype(target)>>(EmptyValue);
                    if (target == empty)
                        return false;
                    target = empty;
                    return true;
                }
            },
            Member);
    }
    // Copies the value of `from` into `into` through the setter, with its rules.
    void Copy(TRecord &into, const TRecord &from) const
    {
        std::visit([&](const auto &a) { (into.*a.Set)((from.*a.Get)()); }, Access);
    }
    // The text a list cell shows.
    QString Text(const TRecord &record) const { return FieldValueText(Type, Value(record)); }
    // Stores an edited text through the setter; false (nothing stored) when it is refused.
    bool SetText(TRecord &record, const QString &text) const
    {
        const std::optional<QVariant> value = FieldValueFromText(Type, text, OnFailure);
        if (!value)
            return false;
        SetValue(record, *value);
        return true;
    }
    // The text of a text field without a copy (searches run per keystroke); nullptr for
    // other types.
    const QString *TextRef(const TRecord &record) const
    {
        const auto *text = std::get_if<TFieldAccessor<TRecord, const QString &>>(&Access);
        return text ? &(record.*text->Get)() : nullptr;
    }
};
