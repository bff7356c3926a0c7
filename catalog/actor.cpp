#include "catalog/actor.h"

#include <QHash>

#include "catalog/fieldcodec_p.h"
#include "catalog/recordowner.h"
#include "catalog/textrules.h"
#include "catalog/textutils.h"

namespace {

enum class TPersonTag {
    Name,
    Transname,
    Altnames,
    Birthday,
    Birthplace,
    Bio,
    Filmography,
    Category
};

struct TPersonTags
{
    QString name = QStringLiteral("name");
    QString transname = QStringLiteral("transname");
    QString altnames = QStringLiteral("altnames");
    QString birthday = QStringLiteral("birthday");
    QString birthplace = QStringLiteral("birthplace");
    QString bio = QStringLiteral("bio");
    QString filmography = QStringLiteral("filmography");
    QString category = QStringLiteral("category");
    QString human = QStringLiteral("human");
    QString bookmark = QStringLiteral("bookmark");
    QHash<QString, TPersonTag> index{
        {name, TPersonTag::Name},
        {transname, TPersonTag::Transname},
        {altnames, TPersonTag::Altnames},
        {birthday, TPersonTag::Birthday},
        {birthplace, TPersonTag::Birthplace},
        {bio, TPersonTag::Bio},
        {filmography, TPersonTag::Filmography},
        {category, TPersonTag::Category},
    };
};

const TPersonTags &Tags()
{
    static const TPersonTags tags;
    return tags;
}

} // namespace

TActor::TActor(IRecordOwner *owner)
    : TDBItem(TRecordKind::Person, owner)
{}

TActor::~TActor()
{
    // While the person is still whole: a list may read the row it is told is going.
    ReportDestroyed();
}

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
    if (const TTextRules *rules = TextRules())
        m_name = rules->Name(m_name);
}

void TActor::SetTransname(const QString &value)
{
    if (!StoreField(m_transname, value))
        return;
    if (m_name.isEmpty())
        SetName(value);
    if (const TTextRules *rules = TextRules())
        m_transname = rules->Name(m_transname);
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
    return m_pictureBytes.isEmpty() && m_name.isEmpty() && m_transname.isEmpty()
           && m_altnames.isEmpty() && m_birthday == 0 && m_birthplace.isEmpty() && m_bio.isEmpty()
           && m_filmography.isEmpty() && m_category.isEmpty() && m_genre.isEmpty()
           && m_awards.isEmpty() && m_url.isEmpty();
}

void TActor::ReadTag(const QString &name, const QString &value)
{
    const auto it = Tags().index.constFind(name);
    if (it == Tags().index.cend()) {
        TDBItem::ReadTag(name, value);
        return;
    }
    switch (*it) {
    case TPersonTag::Name:
        m_name = value;
        break;
    case TPersonTag::Transname:
        m_transname = value;
        break;
    case TPersonTag::Altnames:
        m_altnames = value;
        break;
    case TPersonTag::Birthday:
        m_birthday = FieldCodec::ParseFloat(value);
        break;
    case TPersonTag::Birthplace:
        m_birthplace = value;
        break;
    case TPersonTag::Bio:
        m_bio = value;
        break;
    case TPersonTag::Filmography:
        m_filmography = value;
        break;
    case TPersonTag::Category:
        m_category = value;
        break;
    }
}

void TActor::WriteTo(QString &out) const
{
    using namespace FieldCodec;
    const TPersonTags &tags = Tags();
    AppendOpen(out, tags.human);
    const std::pair<const QString *, const QString *> texts[] = {
        {&tags.name, &m_name},
        {&tags.transname, &m_transname},
        {&tags.altnames, &m_altnames},
    };
    for (const auto &[tag, value] : texts) {
        if (!value->isEmpty())
            AppendText(out, *tag, *value);
    }
    if (m_birthday != 0)
        AppendFloat(out, tags.birthday, m_birthday);
    const std::pair<const QString *, const QString *> moreTexts[] = {
        {&tags.birthplace, &m_birthplace},
        {&tags.bio, &m_bio},
        {&tags.filmography, &m_filmography},
        {&tags.category, &m_category},
    };
    for (const auto &[tag, value] : moreTexts) {
        if (!value->isEmpty())
            AppendText(out, *tag, *value);
    }
    WriteCommon(out);
    // Kept for people too, or a person's bookmark would be lost with every save.
    if (m_bookmark)
        AppendFlag(out, tags.bookmark, true);
    AppendClose(out, tags.human);
}

void TActor::VisitFields(const TFieldVisitor &visit) const
{
    const TPersonTags &tags = Tags();
    visit(tags.name, m_name);
    visit(tags.transname, m_transname);
    visit(tags.altnames, m_altnames);
    visit(tags.birthday, m_birthday);
    visit(tags.birthplace, m_birthplace);
    visit(tags.bio, m_bio);
    visit(tags.filmography, m_filmography);
    visit(tags.category, m_category);
    TDBItem::VisitFields(visit);
}
