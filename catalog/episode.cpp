#include "catalog/episode.h"

#include "catalog/fieldcodec_p.h"
#include "catalog/movie.h"

TEpisode::TEpisode(TMovie *parent)
    : TBaseMovie(TRecordKind::Episode, parent ? parent->Owner() : nullptr)
    , m_parent(parent)
{}

TEpisode::~TEpisode()
{
    // While the episode is still whole: a list may read the row it is told is going.
    ReportDestroyed();
}

void TEpisode::SetEpnum(int value)
{
    StoreField(m_epnum, value);
}

namespace {

const QString &EpnumTag()
{
    static const QString tag = QStringLiteral("epnum");
    return tag;
}

} // namespace

void TEpisode::ReadTag(const QString &name, const QString &value)
{
    if (name == EpnumTag())
        m_epnum = FieldCodec::ParseInt(value, 0);
    else
        TBaseMovie::ReadTag(name, value);
}

void TEpisode::WriteTo(TTagWriter &out) const
{
    static const QString tag = QStringLiteral("episode");
    FieldCodec::AppendOpen(out, tag);
    FieldCodec::AppendText(out, EpnumTag(), QString::number(m_epnum));
    WriteCommon(out);
    WriteMoviePart(out);
    FieldCodec::AppendClose(out, tag);
}

void TEpisode::VisitFields(const TFieldVisitor &visit) const
{
    visit(EpnumTag(), m_epnum);
    TBaseMovie::VisitFields(visit);
}
