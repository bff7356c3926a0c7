#include "catalog/actor.h"

#include "catalog/recordhooks.h"
#include "catalog/recordowner.h"
#include "catalog/textutils.h"

namespace {

QString NormalizeName(const QString &name)
{
    const auto &normalize = RecordHooks().NameNormalizer;
    return normalize ? normalize(name) : name;
}

} // namespace

TActor::TActor(IRecordOwner *owner)
    : TDBItem(TRecordKind::Person, owner)
{}

std::unique_ptr<TActor> TActor::Create(IRecordOwner *owner)
{
    std::unique_ptr<TActor> person(new TActor(owner));
    person->SetShown(true);
    return person;
}

void TActor::SetName(const QString &value)
{
    if (value == m_name)
        return;
    if (m_owner)
        m_owner->MovePerson(this, value);
    m_name = value;
    MarkModified();
    m_name = NormalizeName(m_name);
}

void TActor::SetTransname(const QString &value)
{
    if (!StoreField(m_transname, value))
        return;
    if (m_name.isEmpty())
        SetName(value);
    m_transname = NormalizeName(m_transname);
}

void TActor::SetAltnames(const QString &value)
{
    StoreField(m_altnames, value);
}

void TActor::SetBirthday(double value)
{
    StoreField(m_birthday, value);
}

void TActor::SetBirthplace(const QString &value)
{
    StoreField(m_birthplace, value);
}

void TActor::SetBio(const QString &value)
{
    if (StoreField(m_bio, value))
        m_bio = RepairLineBreaks(m_bio);
}

void TActor::SetFilmography(const QString &value)
{
    if (StoreField(m_filmography, value))
        m_filmography = RepairLineBreaks(m_filmography);
}

void TActor::SetCategory(const QString &value)
{
    StoreField(m_category, value);
}

void TActor::ShowInViews()
{
    AddProviderNodes();
    if (Shown() && m_owner)
        m_owner->ChangeShownCount(*this, 1);
}

void TActor::Clear()
{
    TDBItem::Clear();
    SetAwards({});
    SetGenre({});
    SetUrl({});
    if (!m_name.isEmpty())
        SetTransname({});
    SetAltnames({});
    SetBirthday(0);
    SetBirthplace({});
    SetBio({});
    SetFilmography({});
    SetCategory({});
}

void TActor::Assign(const TDBItem &other)
{
    if (other.Kind() != TRecordKind::Person)
        return;
    const auto &src = static_cast<const TActor &>(other);
    SetName(src.m_name);
    SetTransname(src.m_transname);
    SetAltnames(src.m_altnames);
    SetBirthday(src.m_birthday);
    SetBirthplace(src.m_birthplace);
    SetBio(src.m_bio);
    SetFilmography(src.m_filmography);
    SetCategory(src.m_category);
    SetAwards(src.m_awards);
    SetGenre(src.m_genre);
    SetUrl(src.m_url);
}

bool TActor::IsEmpty() const
{
    return m_name.isEmpty() && m_transname.isEmpty() && m_altnames.isEmpty() && m_birthday == 0
           && m_birthplace.isEmpty() && m_bio.isEmpty() && m_filmography.isEmpty()
           && m_category.isEmpty() && m_genre.isEmpty() && m_awards.isEmpty() && m_url.isEmpty();
}
