#pragma once

#include <functional>
#include <memory>

#include <QByteArray>
#include <QHash>
#include <QLatin1StringView>
#include <QList>
#include <QString>
#include <QVariant>

#include "catalog/image.h"
#include "catalog/recordowner.h"
#include "catalog/textfieldstore.h"

class IRecordOwner;
struct TTagWriter;
template <typename TRecord, typename TId> struct TRecordField;

enum class TRecordKind { Movie, Episode, Person };

// How a record's picture is stored (the "coverformat" field).
enum TCoverFormat : quint8 {
    CoverNone = 0,
    CoverBmp = 1,  // inside the catalog file
    CoverJpeg = 2, // inside the catalog file
    CoverFile = 3, // a separate file named by coverpath
};

// Base of every catalog record: movies, episodes and people.
//
// Every setter stores only a changed value and then marks the owner modified; a record
// without an owner (free-standing, e.g. in an import) marks nothing. Records are created
// through the static Create functions of the concrete classes, which also show them.
class TDBItem
{
public:
    virtual ~TDBItem();
    TDBItem(const TDBItem &) = delete;
    TDBItem &operator=(const TDBItem &) = delete;

    TRecordKind Kind() const { return m_kind; }
    IRecordOwner *Owner() const { return m_owner; }
    // The current day count: the owner's clock, the system's without an owner.
    double Now() const;

    const QString &Genre() const { return m_texts.Get(GenreText); }
    void SetGenre(const QString &value);
    const QString &Awards() const { return m_texts.Get(AwardsText); }
    void SetAwards(const QString &value);
    const QString &Url() const { return m_texts.Get(UrlText); }
    void SetUrl(const QString &value);
    double Rating() const { return m_rating; }
    void SetRating(double value);
    const QString &Comment() const { return m_texts.Get(CommentText); }
    void SetComment(const QString &value);
    quint8 Coverformat() const { return m_coverformat; }
    void SetCoverformat(quint8 value);
    const QString &Coverpath() const { return m_texts.Get(CoverpathText); }
    void SetCoverpath(const QString &value);
    bool Bookmark() const { return m_bookmark; }
    void SetBookmark(bool value);

    // The encoded bytes (a whole BMP or JPEG file) of the picture held inside the catalog
    // file; empty when none is held.
    const QByteArray &PictureBytes() const { return m_pictureBytes; }
    // The poster or photo: with a separate file (coverformat 3) read afresh from the
    // posters or photos folder, otherwise decoded from the held bytes. Null when none.
    TImage Picture() const;
    // The name picture files are made from: a movie's display title, a person's name.
    virtual QString PictureName() const = 0;
    // The file of a picture stored separately (coverformat 3); empty otherwise.
    QString PictureFile() const;
    // A small copy of the picture for the lists, made once and held.
    const TImage &Thumbnail();
    // Replaces, removes or moves the picture. `image` may be null; `imageFormat` is the
    // format it comes in (or 0), `sourceFile` the file it was read from (or empty), and
    // `storage` the new coverformat. Removal is (nullptr, 0, {}, 0).
    void SetPicture(const TImage *image,
                    TImageFormat imageFormat,
                    const QString &sourceFile,
                    int storage);
    // Puts back a picture exactly as it was held (undo): no file is read or written, and
    // held bytes come back byte for byte rather than encoded again.
    void RestorePicture(quint8 coverformat, const QString &coverpath, const QByteArray &bytes);

    // Takes one element of the catalog file, converted and assigned directly (no setter
    // rules, no normalisers). Unknown elements are ignored.
    virtual void ReadTag(const QString &name, const QString &value);
    // Appends the record's whole element to `out`.
    virtual void WriteTo(TTagWriter &out) const = 0;
    // Every stored field under its element name, in file order (custom values, episodes
    // and the picture are not included).
    using TFieldVisitor = std::function<void(const QString &tag, const QVariant &value)>;
    virtual void VisitFields(const TFieldVisitor &visit) const;

    // Visibility in the lists: the window shows the records that pass its filter. The owner
    // counts shown movies and people and tells its observers; a movie's episodes follow it.
    bool Shown() const { return m_shown; }
    void SetShown(bool flag);

    // Empties the record (what stays differs per kind).
    virtual void Clear();
    // Copies the descriptive fields of a record of the same kind; other records are ignored.
    virtual void Assign(const TDBItem &other) = 0;
    // True when no user data is set.
    virtual bool IsEmpty() const = 0;

protected:
    // The field tables read and write the text store past the setters.
    template <typename TRecord, typename TId> friend struct TRecordField;

    // Slots of the text store: the fields every record has, in the order the file writes
    // them, then those of the kind from FirstOwnTextSlot on.
    enum TCommonText { CommentText, GenreText, AwardsText, UrlText, CoverpathText };
    static constexpr int FirstOwnTextSlot = CoverpathText + 1;

    TDBItem(TRecordKind kind, IRecordOwner *owner);

    void MarkModified();
    // Stores a text when it differs and marks the owner modified; true when it changed.
    bool StoreText(int slot, const QString &value)
    {
        if (!m_texts.Set(slot, value))
            return false;
        MarkModified();
        return true;
    }
    // Stores value when it differs and marks the owner modified; true when it changed.
    template <typename T> bool StoreField(T &field, const T &value)
    {
        if (field == value)
            return false;
        field = value;
        MarkModified();
        return true;
    }
    // Reports the flipped Shown flag to the owner; a movie adds its episodes around it.
    virtual void ShowInViews();
    virtual void HideInViews();
    // Called by the destructor of each concrete class, while the record is still whole.
    void ReportDestroyed();
    // The owner's rules for typed titles and names; nullptr without an owner.
    const TTextRules *TextRules() const;
    // The posters folder (movies, episodes) or photos folder (people); empty without an
    // owner that has one.
    QString PictureFolder() const;
    // An image folder of the owner; empty without one.
    QString OwnerFolder(TImageFolder folder) const;
    // Drops the held picture and the list thumbnail.
    void DropPicture();
    void LogLine(const QString &line);
    // Removes a picture file of this record, but only one inside `folder`: a path from the
    // file that leaves the catalog's folders is refused and logged.
    void RemoveOwnFile(const QString &path, const QString &folder);

    // The fields every record writes: comment, rating, genre, awards, url and the picture.
    void WriteCommon(TTagWriter &out) const;
    // Relative picture paths written on Windows ("Heat\\front.jpg") are used with "/", but
    // an untouched value is written back as it was read, so a load and save changes nothing.
    QString ReadPathField(const QString &tag, const QString &value);
    const QString &PathFieldText(const QString &tag, const QString &current) const;

    // Every text field, the kind's own included.
    TTextFieldStore m_texts;
    double m_rating = 0;
    quint8 m_coverformat = CoverBmp;
    QByteArray m_pictureBytes;
    // Tag -> text as read, only for path fields that held a backslash.
    QHash<QString, QString> m_pathsAsStored;
    TImageFormat m_pictureFormat = TImageFormat::None;
    TImage m_thumbnail;
    bool m_shown = false;
    bool m_bookmark = false;
    IRecordOwner *m_owner = nullptr;
    // Not virtual: destructors report by kind.
    const TRecordKind m_kind;
};
