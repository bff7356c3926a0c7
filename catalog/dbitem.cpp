#include "catalog/dbitem.h"

#include <algorithm>
#include <optional>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include "catalog/daycount.h"
#include "catalog/fieldcodec_p.h"
#include "catalog/imagestore.h"
#include "catalog/recordowner.h"
#include "catalog/textrules.h"
#include "catalog/textutils.h"

using namespace Qt::StringLiterals;

TDBItem::TDBItem(TRecordKind kind, IRecordOwner *owner)
    : m_owner(owner)
    , m_kind(kind)
{}

TDBItem::~TDBItem() = default;

double TDBItem::Now() const
{
    return m_owner ? m_owner->Now() : NowDays();
}

void TDBItem::MarkModified()
{
    if (m_owner)
        m_owner->RecordModified(*this);
}

void TDBItem::ReportDestroyed()
{
    // The shown counts stay: the catalog adjusts them itself when it deletes a record.
    if (m_shown && m_owner)
        m_owner->ShownRecordDestroyed(*this);
}

const TTextRules *TDBItem::TextRules() const
{
    return m_owner ? &m_owner->TextRules() : nullptr;
}

void TDBItem::SetGenre(const QString &value)
{
    StoreText(GenreText, value);
}

void TDBItem::SetAwards(const QString &value)
{
    StoreText(AwardsText, value);
}

void TDBItem::SetUrl(const QString &value)
{
    StoreText(UrlText, value);
}

void TDBItem::SetRating(double value)
{
    StoreField(m_rating, value);
}

void TDBItem::SetComment(const QString &value)
{
    if (StoreText(CommentText, value))
        m_texts.Set(CommentText, RepairLineBreaks(Comment()));
}

void TDBItem::SetCoverformat(quint8 value)
{
    StoreField(m_coverformat, value);
}

void TDBItem::SetCoverpath(const QString &value)
{
    StoreText(CoverpathText, value);
}

void TDBItem::SetBookmark(bool value)
{
    StoreField(m_bookmark, value);
}

void TDBItem::SetShown(bool flag)
{
    if (flag == m_shown)
        return;
    m_shown = flag;
    if (flag)
        ShowInViews();
    else
        HideInViews();
}

void TDBItem::ShowInViews()
{
    if (m_owner)
        m_owner->ShownChanged(*this);
}

void TDBItem::HideInViews()
{
    if (m_owner)
        m_owner->ShownChanged(*this);
}

QString TDBItem::OwnerFolder(TImageFolder folder) const
{
    return m_owner ? m_owner->ImageFolder(folder) : QString();
}

QString TDBItem::PictureFolder() const
{
    return OwnerFolder(Kind() == TRecordKind::Person ? TImageFolder::Photos
                                                     : TImageFolder::Posters);
}

void TDBItem::DropPicture()
{
    m_pictureBytes.clear();
    m_pictureFormat = TImageFormat::None;
    m_thumbnail = TImage();
}

QString TDBItem::PictureFile() const
{
    const QString folder = PictureFolder();
    if (m_coverformat != CoverFile || folder.isEmpty() || Coverpath().isEmpty())
        return {};
    return folder + Coverpath();
}

TImage TDBItem::Picture() const
{
    const QString folder = PictureFolder();
    if (m_coverformat == CoverFile && !folder.isEmpty() && !Coverpath().isEmpty()) {
        const QString file = folder + Coverpath();
        if (QFileInfo(file).isFile())
            return TImage::Load(file);
    }
    if (m_pictureBytes.isEmpty())
        return {};
    return TImage::Decode(m_pictureBytes, m_pictureFormat);
}

const TImage &TDBItem::Thumbnail()
{
    if (m_thumbnail.IsNull()) {
        const TImage picture = Picture();
        if (!picture.IsNull()) {
            const QSize size = ListThumbnailSize(picture.Width(), picture.Height());
            m_thumbnail = picture.Scaled(size.width(), size.height());
        }
    }
    return m_thumbnail;
}

void TDBItem::SetPicture(const TImage *image,
                         TImageFormat imageFormat,
                         const QString &sourceFile,
                         int storage)
{
    if (!m_owner)
        return;
    if (image && image->IsNull())
        image = nullptr;
    const QString folder = PictureFolder();
    const QString name = FileNamePart(Coverpath());
    if (imageFormat == TImageFormat::None && storage == CoverNone) {
        if (!folder.isEmpty() && !name.isEmpty())
            RemoveFileQuiet(folder + name);
        m_texts.Set(CoverpathText, QString());
        DropPicture();
        MarkModified();
        return;
    }
    const bool holdsPicture = !m_pictureBytes.isEmpty();
    if (storage == CoverFile && !folder.isEmpty()) {
        TImageFormat fileFormat = imageFormat;
        if (!image && holdsPicture)
            fileFormat = m_pictureFormat;
        const QString ext = fileFormat == TImageFormat::Bmp ? u".bmp"_s : u".jpg"_s;
        // Nothing to write: no file name is made up for a picture that does not exist.
        const bool haveContent = image || holdsPicture;
        // A stored name that leaves the folder is never written to: a fresh one is made.
        if (!Coverpath().isEmpty() && !PathInside(Coverpath(), folder)) {
            LogLine(u"Outside the catalog's folders, not used: "_s + Coverpath());
            m_texts.Set(CoverpathText, QString());
        }
        if (!Coverpath().isEmpty() && haveContent
            && QFileInfo(Coverpath()).suffix().compare(ext.mid(1), Qt::CaseInsensitive) != 0) {
            RemoveFileQuiet(folder + Coverpath());
            m_texts.Set(CoverpathText, ChangeExtension(Coverpath(), ext));
        }
        if (Coverpath().isEmpty() && haveContent) {
            const QFileInfo source(sourceFile);
            if (!sourceFile.isEmpty() && source.absolutePath() + u'/' == folder) {
                m_texts.Set(CoverpathText, source.fileName());
            } else {
                QString base = SanitizeFileName(PictureName());
                if (base.isEmpty())
                    base = u"picture"_s;
                // Candidates: base, base1, base12, base123, ...
                for (int n = 1; QFileInfo::exists(folder + base + ext); ++n)
                    base += QString::number(n);
                m_texts.Set(CoverpathText, base + ext);
            }
        }
        QDir().mkpath(folder);
        if (image) {
            WriteFileQuiet(folder + Coverpath(),
                           fileFormat == TImageFormat::Bmp ? image->ToBmp() : image->ToJpeg());
        } else if (holdsPicture) {
            WriteFileQuiet(folder + Coverpath(), m_pictureBytes);
        }
    }
    // Moving a file picture inside needs its bytes before they are dropped below.
    QByteArray fileBytes;
    if ((storage == CoverBmp || storage == CoverJpeg) && !image && !folder.isEmpty()
        && !name.isEmpty()) {
        QFile file(folder + name);
        if (file.open(QIODevice::ReadOnly))
            fileBytes = file.readAll();
    }
    DropPicture();
    m_coverformat = quint8(std::clamp(storage, 0, 3));
    LogLine(u"Poster path: "_s + folder + FileNamePart(Coverpath()));
    if (storage == CoverBmp || storage == CoverJpeg) {
        const TImageFormat format = storage == CoverBmp ? TImageFormat::Bmp : TImageFormat::Jpeg;
        if (image) {
            m_pictureBytes = format == TImageFormat::Bmp ? image->ToBmp() : image->ToJpeg();
            m_pictureFormat = format;
        } else if (!fileBytes.isEmpty()) {
            const TImage loaded = TImage::Decode(fileBytes, format);
            // The file goes only once its picture is safely inside.
            if (!loaded.IsNull()) {
                m_pictureBytes =
                    loaded.Format() == format
                        ? fileBytes
                        : (format == TImageFormat::Bmp ? loaded.ToBmp() : loaded.ToJpeg());
                m_pictureFormat = format;
                RemoveFileQuiet(folder + name);
                m_texts.Set(CoverpathText, QString());
            }
        }
    }
    MarkModified();
}

void TDBItem::RestorePicture(quint8 coverformat, const QString &coverpath, const QByteArray &bytes)
{
    DropPicture();
    m_coverformat = coverformat;
    m_texts.Set(CoverpathText, coverpath);
    if (!bytes.isEmpty() && (coverformat == CoverBmp || coverformat == CoverJpeg)) {
        m_pictureBytes = bytes;
        m_pictureFormat = coverformat == CoverBmp ? TImageFormat::Bmp : TImageFormat::Jpeg;
    }
    MarkModified();
}

void TDBItem::LogLine(const QString &line)
{
    if (m_owner)
        m_owner->LogLine(line);
}

void TDBItem::Clear()
{
    DropPicture();
    SetCoverformat(CoverNone);
    SetCoverpath({});
    SetBookmark(false);
}

namespace {

enum class TCommonTag {
    Comment,
    Rating,
    Genre,
    Awards,
    Url,
    Coverformat,
    Coverpath,
    Cover,
    Bookmark
};

const QHash<QString, TCommonTag> &CommonTags()
{
    static const QHash<QString, TCommonTag> tags{
        {QStringLiteral("comment"), TCommonTag::Comment},
        {QStringLiteral("rating"), TCommonTag::Rating},
        {QStringLiteral("genre"), TCommonTag::Genre},
        {QStringLiteral("awards"), TCommonTag::Awards},
        {QStringLiteral("url"), TCommonTag::Url},
        {QStringLiteral("coverformat"), TCommonTag::Coverformat},
        {QStringLiteral("coverpath"), TCommonTag::Coverpath},
        {QStringLiteral("cover"), TCommonTag::Cover},
        {QStringLiteral("bookmark"), TCommonTag::Bookmark},
    };
    return tags;
}

} // namespace

void TDBItem::ReadTag(const QString &name, const QString &value)
{
    using namespace FieldCodec;
    thread_local TNameCache<std::optional<TCommonTag>> cache;
    const std::optional<TCommonTag> tag = cache.Find(name, [](const QString &key) {
        const auto it = CommonTags().constFind(key);
        return it == CommonTags().cend() ? std::nullopt : std::optional(*it);
    });
    if (!tag)
        return;
    switch (*tag) {
    case TCommonTag::Comment:
        m_texts.Set(CommentText, value);
        break;
    case TCommonTag::Rating:
        m_rating = ParseFloat(value);
        break;
    case TCommonTag::Genre:
        m_texts.Set(GenreText, value);
        break;
    case TCommonTag::Awards:
        m_texts.Set(AwardsText, value);
        break;
    case TCommonTag::Url:
        m_texts.Set(UrlText, value);
        break;
    case TCommonTag::Coverformat: {
        // Anything but a known storage reads as "no picture" rather than ending the load.
        const int format = ParseInt(value, CoverNone);
        m_coverformat =
            format >= CoverNone && format <= CoverFile ? quint8(format) : quint8(CoverNone);
        break;
    }
    case TCommonTag::Coverpath:
        m_texts.Set(CoverpathText, ReadPathField(name, value));
        break;
    case TCommonTag::Cover:
        if (m_coverformat == CoverBmp || m_coverformat == CoverJpeg) {
            m_pictureBytes = HexToBytes(value);
            m_pictureFormat = m_pictureBytes.isEmpty()    ? TImageFormat::None
                              : m_coverformat == CoverBmp ? TImageFormat::Bmp
                                                          : TImageFormat::Jpeg;
        }
        break;
    case TCommonTag::Bookmark:
        m_bookmark = ParseFlag(value, true);
        break;
    }
}

void TDBItem::WriteCommon(TTagWriter &out) const
{
    using namespace FieldCodec;
    static const QString comment = QStringLiteral("comment"), rating = QStringLiteral("rating"),
                         genre = QStringLiteral("genre"), awards = QStringLiteral("awards"),
                         url = QStringLiteral("url"), coverformat = QStringLiteral("coverformat"),
                         coverpath = QStringLiteral("coverpath"), cover = QStringLiteral("cover");
    if (!Comment().isEmpty())
        AppendText(out, comment, Comment());
    if (m_rating != 0)
        AppendFloat(out, rating, m_rating);
    if (!Genre().isEmpty())
        AppendText(out, genre, Genre());
    if (!Awards().isEmpty())
        AppendText(out, awards, Awards());
    if (!Url().isEmpty())
        AppendText(out, url, Url());
    AppendInt(out, coverformat, m_coverformat);
    if (m_coverformat == CoverFile)
        AppendText(out, coverpath, PathFieldText(coverpath, Coverpath()));
    if ((m_coverformat == CoverBmp || m_coverformat == CoverJpeg) && !m_pictureBytes.isEmpty())
        AppendRaw(out, cover, BytesToHex(m_pictureBytes));
}

void TDBItem::RemoveOwnFile(const QString &path, const QString &folder)
{
    if (PathInside(path, folder))
        RemoveFileQuiet(path);
    else if (!path.isEmpty())
        LogLine(u"Outside the catalog's folders, not removed: "_s + path);
}

QString TDBItem::ReadPathField(const QString &tag, const QString &value)
{
    if (!value.contains(u'\\')) {
        m_pathsAsStored.remove(tag);
        return value;
    }
    m_pathsAsStored.insert(tag, value);
    return QString(value).replace(u'\\', u'/');
}

const QString &TDBItem::PathFieldText(const QString &tag, const QString &current) const
{
    const auto stored = m_pathsAsStored.constFind(tag);
    if (stored == m_pathsAsStored.constEnd())
        return current;
    // Compared without a copy: the stored text with each backslash read as "/".
    const QString &text = *stored;
    if (text.size() != current.size())
        return current;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i] == u'\\' ? QChar(u'/') : text[i];
        if (c != current[i])
            return current;
    }
    return text;
}

void TDBItem::VisitFields(const TFieldVisitor &visit) const
{
    visit(QStringLiteral("comment"), Comment());
    visit(QStringLiteral("rating"), m_rating);
    visit(QStringLiteral("genre"), Genre());
    visit(QStringLiteral("awards"), Awards());
    visit(QStringLiteral("url"), Url());
    visit(QStringLiteral("coverformat"), int(m_coverformat));
    visit(QStringLiteral("coverpath"), Coverpath());
    visit(QStringLiteral("bookmark"), m_bookmark);
}
