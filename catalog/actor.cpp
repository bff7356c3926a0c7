#include "catalog/actor.h"

#include <variant>

#include <QHash>

#include "catalog/fieldcodec_p.h"
#include "catalog/fieldtable_p.h"
#include "catalog/recordowner.h"
#include "catalog/textrules.h"
#include "catalog/textutils.h"

static_assert(TActor::TextSlot(TPersonField::Url) < TTextFieldStore::MaxSlots);

namespace {

const QString &HumanTag()
{
    static const QString tag = QStringLiteral("human");
    return tag;
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
    if (value == Name())
        return;
    if (m_owner)
        m_owner->MovePerson(this, value);
    SetFieldText(TPersonField::Name, value);
    MarkModified();
    if (const TTextRules *rules = TextRules())
        SetFieldText(TPersonField::Name, rules->Name(Name()));
}

void TActor::SetTransname(const QString &value)
{
    // A copy: `value` may be a text of this record, which the store moves as it changes.
    const QString typed = value;
    if (!StoreText(TextSlot(TPersonField::Transname), typed))
        return;
    if (Name().isEmpty())
        SetName(typed);
    if (const TTextRules *rules = TextRules())
        SetFieldText(TPersonField::Transname, rules->Name(Transname()));
}

void TActor::SetAltnames(const QString &value)
{
    StoreText(TextSlot(TPersonField::Altnames), value);
}

void TActor::SetBirthday(double value)
{
    StoreField(m_birthday, value);
}

void TActor::SetBirthplace(const QString &value)
{
    StoreText(TextSlot(TPersonField::Birthplace), value);
}

void TActor::SetBio(const QString &value)
{
    if (StoreText(TextSlot(TPersonField::Bio), value))
        SetFieldText(TPersonField::Bio, RepairLineBreaks(Bio()));
}

void TActor::SetFilmography(const QString &value)
{
    if (StoreText(TextSlot(TPersonField::Filmography), value))
        SetFieldText(TPersonField::Filmography, RepairLineBreaks(Filmography()));
}

void TActor::SetCategory(const QString &value)
{
    StoreText(TextSlot(TPersonField::Category), value);
}

void TActor::Clear()
{
    TDBItem::Clear();
    ClearFields(*this, PersonFields());
    // A person without a name is known by the translated name, which therefore stays.
    if (!Name().isEmpty())
        SetTransname({});
}

void TActor::Assign(const TDBItem &other)
{
    if (other.Kind() != TRecordKind::Person)
        return;
    AssignFields(*this, static_cast<const TActor &>(other), PersonFields());
}

bool TActor::IsEmpty() const
{
    return FieldsEmpty(*this, PersonFields()) && m_pictureBytes.isEmpty();
}

void TActor::ReadTag(const QString &name, const QString &value)
{
    const TPersonFieldInfo *field = PersonFieldOfTag(name);
    if (!field) {
        TDBItem::ReadTag(name, value);
        return;
    }
    // Read as stored, past the setters and their rules.
    std::visit(
        [&](auto member) {
            if constexpr (std::is_same_v<decltype(member), TTextSlot>) {
                m_texts.Set(member.Index, value);
            } else {
                auto &target = this->*member;
                using T = std::remove_reference_t<decltype(target)>;
                if constexpr (std::is_same_v<T, double>)
                    target = FieldCodec::ParseFloat(value);
                else if constexpr (std::is_same_v<T, bool>)
                    target = FieldCodec::ParseFlag(value, field->OnFailure != 0);
                else
                    target = static_cast<T>(FieldCodec::ParseInt64(value, field->OnFailure));
            }
        },
        field->Member);
}

void TActor::WriteTo(TTagWriter &out) const
{
    using namespace FieldCodec;
    AppendOpen(out, HumanTag());
    for (const TPersonFieldInfo &field : PersonFields()) {
        if (field.Write == TWriteRule::Common)
            continue;
        std::visit(
            [&](auto member) {
                if constexpr (std::is_same_v<decltype(member), TTextSlot>) {
                    if (const QString &value = m_texts.Get(member.Index); !value.isEmpty())
                        AppendText(out, field.Tag, value);
                } else {
                    const auto &value = this->*member;
                    using T = std::remove_cvref_t<decltype(value)>;
                    if constexpr (std::is_same_v<T, double>) {
                        if (value != 0)
                            AppendFloat(out, field.Tag, value);
                    } else if constexpr (std::is_same_v<T, bool>) {
                        if (value)
                            AppendFlag(out, field.Tag, value);
                    } else {
                        if (value != 0)
                            AppendInt(out, field.Tag, value);
                    }
                }
            },
            field.Member);
    }
    WriteCommon(out);
    // Kept for people too, or a person's bookmark would be lost with every save.
    if (m_bookmark)
        AppendFlag(out, QStringLiteral("bookmark"), true);
    AppendClose(out, HumanTag());
}

void TActor::VisitFields(const TFieldVisitor &visit) const
{
    for (const TPersonFieldInfo &field : PersonFields()) {
        if (field.Write != TWriteRule::Common)
            visit(field.Tag, field.StoredValue(*this));
    }
    TDBItem::VisitFields(visit);
}
