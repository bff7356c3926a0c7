#pragma once

#include <memory>

#include "catalog/dbitem.h"
#include "catalog/personfields.h"

// A person: actor, director or any other film person. People are identified and ordered
// by name, compared without regard to case.
class TActor : public TDBItem
{
public:
    // Creates a person with the defaults and shows it (subject to the filter).
    static std::unique_ptr<TActor> Create(IRecordOwner *owner);
    ~TActor() override;

    const QString &Name() const { return FieldText(TPersonField::Name); }
    // The owner moves the person to its place for the new name first.
    void SetName(const QString &value);
    const QString &Transname() const { return FieldText(TPersonField::Transname); }
    // A person without a name also takes the translated name as name.
    void SetTransname(const QString &value);
    const QString &Altnames() const { return FieldText(TPersonField::Altnames); }
    void SetAltnames(const QString &value);
    double Birthday() const { return m_birthday; }
    void SetBirthday(double value);
    const QString &Birthplace() const { return FieldText(TPersonField::Birthplace); }
    void SetBirthplace(const QString &value);
    const QString &Bio() const { return FieldText(TPersonField::Bio); }
    void SetBio(const QString &value);
    const QString &Filmography() const { return FieldText(TPersonField::Filmography); }
    void SetFilmography(const QString &value);
    const QString &Category() const { return FieldText(TPersonField::Category); }
    void SetCategory(const QString &value);

    void ReadTag(const QString &name, const QString &value) override;
    void WriteTo(TTagWriter &out) const override;
    void VisitFields(const TFieldVisitor &visit) const override;
    void Clear() override;
    void Assign(const TDBItem &other) override;
    bool IsEmpty() const override;

    // The slot of a text field in the record's text store.
    static constexpr int TextSlot(TPersonField field) { return FirstOwnTextSlot + int(field); }

protected:
    // The field table reads and writes the catalog file past the setters.
    friend std::span<const TPersonFieldInfo> PersonFields();

    const QString &FieldText(TPersonField field) const { return m_texts.Get(TextSlot(field)); }
    bool SetFieldText(TPersonField field, const QString &value)
    {
        return m_texts.Set(TextSlot(field), value);
    }

    explicit TActor(IRecordOwner *owner);
    QString PictureName() const override { return Name(); }

    double m_birthday = 0;
};
