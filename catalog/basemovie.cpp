#include "catalog/basemovie.h"

#include <algorithm>
#include <utility>
#include <variant>

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include "catalog/daycount.h"
#include "catalog/fieldcodec_p.h"
#include "catalog/fieldtable_p.h"
#include "catalog/imagestore.h"
#include "catalog/movie.h"
#include "catalog/recordowner.h"
#include "catalog/textrules.h"
#include "catalog/textutils.h"
#include "catalog/videodatabase.h"

using namespace Qt::StringLiterals;

static_assert(TBaseMovie::TextSlot(TMovieField::Url) < TTextFieldStore::MaxSlots);

TBaseMovie::TBaseMovie(TRecordKind kind, IRecordOwner *owner)
    : TDBItem(kind, owner)
    , m_viewed(!owner || owner->TextRules().NewMoviesSeen)
{
    if (owner) {
        for (int i = owner->CustomFieldCount(); i > 0; --i)
            m_custom.append(QString());
    }
}

void TBaseMovie::SetTitle(const QString &value)
{
    if (!StoreText(TextSlot(TMovieField::Title), value))
        return;
    if (const TTextRules *rules = TextRules())
        SetFieldText(TMovieField::Title, rules->Title(Title()));
}

void TBaseMovie::SetOrigtitle(const QString &value)
{
    if (value == Origtitle())
        return;
    // An original title that only repeats the title is not kept, and one that does is not
    // cleared.
    if (Origtitle().isEmpty() && value == Title())
        return;
    if (Origtitle() == Title() && value.isEmpty())
        return;
    SetFieldText(TMovieField::Origtitle, value);
    MarkModified();
    if (const TTextRules *rules = TextRules())
        SetFieldText(TMovieField::Origtitle, rules->Title(Origtitle()));
}

void TBaseMovie::SetLength(double value)
{
    // Only the time of day counts as running time.
    if (SameTimeOfDay(m_length, value))
        return;
    m_length = value;
    MarkModified();
}

void TBaseMovie::SetDateadded(double value)
{
    // A stamp, not a user edit: it does not make the catalog modified.
    m_dateadded = value;
}

void TBaseMovie::SetNum(int value)
{
    if (value == m_num)
        return;
    if (m_owner && Kind() == TRecordKind::Movie)
        m_owner->MoveMovie(static_cast<TMovie *>(this), value);
    m_num = value;
    MarkModified();
}

void TBaseMovie::SetViewed(bool value)
{
    if (StoreField(m_viewed, value))
        m_viewdate = value ? Now() : 0;
}

void TBaseMovie::SetViewdate(double value)
{
    if (m_viewed)
        StoreField(m_viewdate, value);
}

void TBaseMovie::SetLoandate(double value)
{
    if (!Loan().isEmpty())
        StoreField(m_loandate, value);
}

void TBaseMovie::SetYear(int value)
{
    StoreField(m_year, value);
}

void TBaseMovie::SetDirector(const QString &value)
{
    StoreText(TextSlot(TMovieField::Director), value);
}

void TBaseMovie::SetActors(const QString &value)
{
    StoreText(TextSlot(TMovieField::Actors), value);
}

void TBaseMovie::SetCountry(const QString &value)
{
    StoreText(TextSlot(TMovieField::Country), value);
}

void TBaseMovie::SetDescription(const QString &value)
{
    if (StoreText(TextSlot(TMovieField::Description), value))
        SetFieldText(TMovieField::Description, RepairLineBreaks(Description()));
}

void TBaseMovie::SetCount(int value)
{
    StoreField(m_count, value);
}

void TBaseMovie::SetType(const QString &value)
{
    StoreText(TextSlot(TMovieField::Type), value);
}

void TBaseMovie::SetImdbrating(double value)
{
    StoreField(m_imdbrating, value);
}

void TBaseMovie::SetRip(const QString &value)
{
    StoreText(TextSlot(TMovieField::Rip), value);
}

void TBaseMovie::SetLangs(const QString &value)
{
    StoreText(TextSlot(TMovieField::Langs), value);
}

void TBaseMovie::SetTranslation(const QString &value)
{
    StoreText(TextSlot(TMovieField::Translation), value);
}

void TBaseMovie::SetResolution(const QString &value)
{
    StoreText(TextSlot(TMovieField::Resolution), value);
}

void TBaseMovie::SetVideocodec(const QString &value)
{
    StoreText(TextSlot(TMovieField::Videocodec), value);
}

void TBaseMovie::SetVideobitrate(int value)
{
    StoreField(m_videobitrate, value);
}

void TBaseMovie::SetAudiocodec(const QString &value)
{
    StoreText(TextSlot(TMovieField::Audiocodec), value);
}

void TBaseMovie::SetAudiobitrate(int value)
{
    StoreField(m_audiobitrate, value);
}

void TBaseMovie::SetRelease(const QString &value)
{
    StoreText(TextSlot(TMovieField::Release), value);
}

void TBaseMovie::SetSize(qint64 value)
{
    StoreField(m_size, value);
}

void TBaseMovie::SetPath(const QString &value)
{
    StoreText(TextSlot(TMovieField::Path), value);
}

void TBaseMovie::SetMpaa(const QString &value)
{
    StoreText(TextSlot(TMovieField::Mpaa), value);
}

void TBaseMovie::SetStudio(const QString &value)
{
    StoreText(TextSlot(TMovieField::Studio), value);
}

void TBaseMovie::SetCode(int value)
{
    StoreField(m_code, value);
}

void TBaseMovie::SetSubs(const QString &value)
{
    StoreText(TextSlot(TMovieField::Subs), value);
}

void TBaseMovie::SetFramerate(double value)
{
    StoreField(m_framerate, value);
}

void TBaseMovie::SetLabel(const QString &value)
{
    StoreText(TextSlot(TMovieField::Label), value);
}

void TBaseMovie::SetProducer(const QString &value)
{
    StoreText(TextSlot(TMovieField::Producer), value);
}

void TBaseMovie::SetLoan(const QString &value)
{
    StoreText(TextSlot(TMovieField::Loan), value);
}

void TBaseMovie::SetScenario(const QString &value)
{
    StoreText(TextSlot(TMovieField::Scenario), value);
}

void TBaseMovie::SetTags(const QString &value)
{
    StoreText(TextSlot(TMovieField::Tags), value);
}

void TBaseMovie::SetLinks(const QString &value)
{
    StoreText(TextSlot(TMovieField::Links), value);
}

void TBaseMovie::SetMusic(const QString &value)
{
    StoreText(TextSlot(TMovieField::Music), value);
}

void TBaseMovie::SetAka(const QString &value)
{
    StoreText(TextSlot(TMovieField::Aka), value);
}

void TBaseMovie::SetTagline(const QString &value)
{
    StoreText(TextSlot(TMovieField::Tagline), value);
}

void TBaseMovie::SetFeatures(const QString &value)
{
    StoreText(TextSlot(TMovieField::Features), value);
}

void TBaseMovie::SetOrating(double value)
{
    StoreField(m_orating, value);
}

void TBaseMovie::SetOrname(const QString &value)
{
    StoreText(TextSlot(TMovieField::Orname), value);
}

void TBaseMovie::SetWish(bool value)
{
    StoreField(m_wish, value);
}

QString TBaseMovie::DisplayTitle() const
{
    return DisplayTitleRef();
}

bool TBaseMovie::Lend(const QString &borrower)
{
    if (borrower.isEmpty())
        return false;
    if (borrower != Loan()) {
        SetFieldText(TMovieField::Loan, borrower);
        m_loandate = Now();
        MarkModified();
        if (m_owner)
            m_owner->LoanChanged(false, Loan(), this);
    }
    return true;
}

void TBaseMovie::ReturnLoan()
{
    if (Loan().isEmpty())
        return;
    const QString borrower = Loan();
    SetFieldText(TMovieField::Loan, QString());
    m_loandate = 0;
    MarkModified();
    if (m_owner)
        m_owner->LoanChanged(true, borrower, this);
}

QString TBaseMovie::CustomValue(int index) const
{
    return index >= 0 && index < m_custom.size() ? m_custom.at(index) : QString();
}

void TBaseMovie::SetCustomValue(int index, const QString &value)
{
    if (index >= 0 && index < m_custom.size())
        StoreField(m_custom[index], value);
}

void TBaseMovie::AddCustomValue()
{
    m_custom.append(QString());
}

void TBaseMovie::DeleteCustomValue(int index)
{
    if (index >= 0 && index < m_custom.size())
        m_custom.removeAt(index);
}

void TBaseMovie::Clear()
{
    // The dates and the loan bypass their setters' rules (a loan date needs a loan, a view
    // date a viewing), but a change still has to reach the file.
    if (ClearFields(*this, MovieFields()))
        MarkModified();
    TDBItem::Clear();
}

void TBaseMovie::Assign(const TDBItem &other)
{
    if (other.Kind() == TRecordKind::Person)
        return;
    AssignFields(*this, static_cast<const TBaseMovie &>(other), MovieFields());
}

bool TBaseMovie::IsEmpty() const
{
    // The poster is no field of the table; one held inside the catalog has no path: its
    // bytes count.
    return FieldsEmpty(*this, MovieFields()) && Coverpath().isEmpty() && m_pictureBytes.isEmpty();
}

void TBaseMovie::ReadTag(const QString &name, const QString &value)
{
    using namespace FieldCodec;
    if (const TMovieFieldInfo *field = MovieFieldOfTag(name)) {
        // Read as stored, past the setters and their rules.
        std::visit(
            [&](auto member) {
                if constexpr (std::is_same_v<decltype(member), TTextSlot>) {
                    m_texts.Set(member.Index,
                                field->RelativePath ? ReadPathField(name, value) : value);
                    return;
                } else {
                    auto &target = this->*member;
                    using T = std::remove_reference_t<decltype(target)>;
                    if constexpr (std::is_same_v<T, int>)
                        target = ParseInt(value, field->OnFailure);
                    else if constexpr (std::is_same_v<T, qint64>)
                        target = ParseInt64(value, field->OnFailure);
                    else if constexpr (std::is_same_v<T, double>)
                        target = ParseFloat(value);
                    else
                        target = ParseFlag(value, field->OnFailure != 0);
                }
            },
            field->Member);
        return;
    }
    if (name.startsWith(u"custom")) {
        const QStringView digits = QStringView(name).sliced(6);
        const bool allDigits = std::all_of(
            digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
        bool ok = false;
        const int index = digits.toInt(&ok);
        if (allDigits && ok)
            SetCustomValue(index, value);
        return;
    }
    TDBItem::ReadTag(name, value);
}

void TBaseMovie::WriteMoviePart(TTagWriter &out) const
{
    using namespace FieldCodec;
    using R = TWriteRule;
    for (const TMovieFieldInfo &field : MovieFields()) {
        if (field.Write == R::Common)
            continue;
        std::visit(
            [&](auto member) {
                if constexpr (std::is_same_v<decltype(member), TTextSlot>) {
                    const QString &value = m_texts.Get(member.Index);
                    if (field.Write == R::Always)
                        AppendText(out, field.Tag, DisplayTitle());
                    else if (field.RelativePath && !value.isEmpty())
                        AppendText(out, field.Tag, PathFieldText(field.Tag, value));
                    else if (!value.isEmpty())
                        AppendText(out, field.Tag, value);
                    return;
                } else {
                    const auto &value = this->*member;
                    using T = std::remove_cvref_t<decltype(value)>;
                    if constexpr (std::is_same_v<T, bool>) {
                        if (field.Write == R::OnlyFalse ? !value : value)
                            AppendFlag(out, field.Tag, value);
                    } else if constexpr (std::is_same_v<T, double>) {
                        if (value != 0)
                            AppendFloat(out, field.Tag, value);
                    } else {
                        if (field.Write == R::WhenNotNegative ? value >= 0 : value != 0)
                            AppendInt(out, field.Tag, value);
                    }
                }
            },
            field.Member);
    }
    static const QString custom = QStringLiteral("custom");
    for (qsizetype i = 0; i < m_custom.size(); ++i) {
        if (!m_custom[i].isEmpty())
            AppendText(out, custom + QString::number(i), m_custom[i]);
    }
}

void TBaseMovie::VisitFields(const TFieldVisitor &visit) const
{
    TDBItem::VisitFields(visit);
    for (const TMovieFieldInfo &field : MovieFields()) {
        // The common fields and the bookmark are TDBItem's, visited above.
        if (field.Write == TWriteRule::Common || field.Id == TMovieField::Bookmark)
            continue;
        visit(field.Tag, field.StoredValue(*this));
    }
}

QString TBaseMovie::PictureName() const
{
    return DisplayTitle();
}

QString TBaseMovie::MovieImageFolder(TImageFolder folder, const QString &title) const
{
    const QString base = OwnerFolder(folder);
    if (base.isEmpty() || !m_owner->ImgFolders() || title.isEmpty())
        return base;
    return base + SanitizeFileName(title) + u'/';
}

void TBaseMovie::SetCover(TMovieField field, const QString &value)
{
    const QString current = FieldText(field);
    if (value == current)
        return;
    const QString covers = OwnerFolder(TImageFolder::Covers);
    if (covers.isEmpty()) {
        SetFieldText(field, value);
    } else if (value.isEmpty()) {
        if (!current.isEmpty())
            RemoveOwnFile(ResolvePath(current, covers), covers);
        SetFieldText(field, QString());
    } else {
        const QString source = ResolvePath(value, covers);
        const QString file =
            CopyIntoFolder(source, covers, MovieImageFolder(TImageFolder::Covers, Title()), true);
        SetFieldText(field, file);
        const QString thumbnails = OwnerFolder(TImageFolder::Thumbnails);
        if (!thumbnails.isEmpty())
            MakeThumbnail(ResolvePath(file, covers), thumbnails + FileNamePart(file));
    }
    MarkModified();
}

void TBaseMovie::SetFroncover(const QString &value)
{
    SetCover(TMovieField::Froncover, value);
}

void TBaseMovie::SetCdcover(const QString &value)
{
    SetCover(TMovieField::Cdcover, value);
}

QString TBaseMovie::CoverPath(const QString &file) const
{
    const QString covers = OwnerFolder(TImageFolder::Covers);
    return file.isEmpty() || covers.isEmpty() ? QString() : ResolvePath(file, covers);
}

QString TBaseMovie::FrontCoverPath() const
{
    return CoverPath(Froncover());
}

QString TBaseMovie::CDCoverPath() const
{
    return CoverPath(Cdcover());
}

QString TBaseMovie::ThumbPath(const QString &file) const
{
    const QString thumbnails = OwnerFolder(TImageFolder::Thumbnails);
    if (file.isEmpty() || thumbnails.isEmpty())
        return {};
    const QString path = ChangeExtension(thumbnails + FileNamePart(file), u".jpg"_s);
    if (!QFileInfo(path).isFile())
        MakeThumbnail(CoverPath(file), path);
    return path;
}

QString TBaseMovie::FrontThumbPath() const
{
    return ThumbPath(Froncover());
}

QString TBaseMovie::CDThumbPath() const
{
    return ThumbPath(Cdcover());
}

void TBaseMovie::SaveCover(TMovieField field,
                           const TImage &jpegImage,
                           const QString &suffix,
                           const QString &ext)
{
    const QString covers = OwnerFolder(TImageFolder::Covers);
    if (covers.isEmpty() || jpegImage.IsNull())
        return;
    const QString folder = MovieImageFolder(TImageFolder::Covers, Title());
    const QString path = folder + SanitizeFileName(DisplayTitle()) + suffix + ext;
    QDir().mkpath(folder);
    if (WriteFileQuiet(path, jpegImage.ToJpeg()))
        SetFieldText(field, RelativePath(covers, path));
}

void TBaseMovie::SaveFrontCover(const TImage &jpegImage, const QString &ext)
{
    SaveCover(TMovieField::Froncover, jpegImage, u"_Front"_s, ext);
}

void TBaseMovie::SaveCDCover(const TImage &jpegImage, const QString &ext)
{
    SaveCover(TMovieField::Cdcover, jpegImage, u"_CD"_s, ext);
}

void TBaseMovie::SetScreenshots(const QString &value)
{
    if (value == Screenshots())
        return;
    const QString folder = OwnerFolder(TImageFolder::Screenshots);
    if (folder.isEmpty()) {
        SetFieldText(TMovieField::Screenshots, value);
        MarkModified();
        return;
    }
    // Files no longer listed go; the test is on the file name anywhere in the new text.
    for (const QString &piece : Screenshots().split(u'|', Qt::SkipEmptyParts)) {
        const QString old = piece.trimmed();
        if (!old.isEmpty() && !value.contains(FileNamePart(old)))
            RemoveOwnFile(ResolvePath(old, folder), folder);
    }
    const QString target = MovieImageFolder(TImageFolder::Screenshots, Title());
    QStringList kept;
    for (const QString &piece : value.split(u'|', Qt::SkipEmptyParts)) {
        const QString path = piece.trimmed();
        if (!path.isEmpty())
            kept.append(CopyIntoFolder(ResolvePath(path, folder), folder, target, true));
    }
    SetFieldText(TMovieField::Screenshots, kept.join(u'|'));
    MarkModified();
}

// Moves one image into `target` under its own name. The new relative path, or the old
// one when the file stays where it is; empty when the file is missing.
static QString MoveImage(const QString &field, const QString &base, const QString &target)
{
    const QString current = ResolvePath(field, base);
    if (!QFileInfo(current).isFile())
        return {};
    const QString moved = target + FileNamePart(current);
    if (moved != current) {
        QDir().mkpath(target);
        TVideoDatabase::MoveFiles(current, target, true);
    }
    if (QFileInfo(moved).isFile() && !QFileInfo(current).isFile())
        return RelativePath(base, moved);
    return RelativePath(base, current);
}

// Removes a per-movie subfolder once it is empty.
static void RemoveEmptySubfolder(const QString &path, const QString &base)
{
    const QString folder = QFileInfo(path).absolutePath() + u'/';
    if (folder != base && folder.startsWith(base))
        QDir().rmdir(folder);
}

void TBaseMovie::MoveImageFiles(bool intoSubfolders)
{
    const QString shots = OwnerFolder(TImageFolder::Screenshots);
    const QString covers = OwnerFolder(TImageFolder::Covers);
    if (shots.isEmpty() || covers.isEmpty())
        return;
    const QString title = DisplayTitle();
    const QString sub =
        intoSubfolders && !title.isEmpty() ? SanitizeFileName(title) + u'/' : QString();
    QStringList moved;
    QString last;
    for (const QString &piece : Screenshots().split(u'|', Qt::SkipEmptyParts)) {
        if (!PathInside(ResolvePath(piece.trimmed(), shots), shots)) {
            LogLine(u"Outside the catalog's folders, not moved: "_s + piece.trimmed());
            moved.append(piece.trimmed());
            continue;
        }
        last = ResolvePath(piece.trimmed(), shots);
        const QString path = MoveImage(piece.trimmed(), shots, shots + sub);
        if (!path.isEmpty())
            moved.append(path);
    }
    SetFieldText(TMovieField::Screenshots, moved.join(u'|'));
    if (!intoSubfolders && !last.isEmpty())
        RemoveEmptySubfolder(last, shots);
    last.clear();
    for (const TMovieField field : {TMovieField::Froncover, TMovieField::Cdcover}) {
        const QString file = FieldText(field);
        if (file.isEmpty())
            continue;
        if (!PathInside(ResolvePath(file, covers), covers)) {
            LogLine(u"Outside the catalog's folders, not moved: "_s + file);
            continue;
        }
        last = ResolvePath(file, covers);
        SetFieldText(field, MoveImage(file, covers, covers + sub));
    }
    if (!intoSubfolders && !last.isEmpty())
        RemoveEmptySubfolder(last, covers);
}
