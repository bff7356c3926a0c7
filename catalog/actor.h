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

    const QString &Name() const { return m_name; }
    // The owner moves the person to its place for the new name first.
    void SetName(const QString &value);
    const QString &Transname() const { return m_transname; }
    // A person without a name also takes the translated name as name.
    void SetTransname(const QString &value);
    const QString &Altnames() const { return m_altnames; }
    void SetAltnames(const QString &value);
    double Birthday() const { return m_birthday; }
    void SetBirthday(double value);
    const QString &Birthplace() const { return m_birthplace; }
    void SetBirthplace(const QString &value);
    const QString &Bio() const { return m_bio; }
    void SetBio(const QString &value);
    const QString &Filmography() const { return m_filmography; }
    void SetFilmography(const QString &value);
    const QString &Category() const { return m_category; }
    void SetCategory(const QString &value);

    void ReadTag(const QString &name, const QString &value) override;
    void WriteTo(TTagWriter &out) const override;
    void VisitFields(const TFieldVisitor &visit) const override;
    void Clear() override;
    void Assign(const TDBItem &other) override;
    bool IsEmpty() const override;

protected:
    // The field table reads and writes the catalog file through the data members.
    friend std::span<const TPersonFieldInfo> PersonFields();

    explicit TActor(IRecordOwner *owner);
    QString PictureName() const override { return m_name; }

    QString m_name;
    QString m_transname;
    QString m_altnames;
    double m_birthday = 0;
    QString m_birthplace;
    QString m_bio;
    QString m_filmography;
    QString m_category;
};
