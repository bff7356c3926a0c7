#pragma once

#include <vector>

#include <QStringList>

#include "catalog/dbitem.h"
#include "catalog/moviefields.h"

// Everything a movie and an episode share: the descriptive and technical fields, the loan,
// and one value per custom field of the catalog.
class TBaseMovie : public TDBItem
{
public:
    const QString &Title() const { return FieldText(TMovieField::Title); }
    void SetTitle(const QString &value);
    const QString &Origtitle() const { return FieldText(TMovieField::Origtitle); }
    void SetOrigtitle(const QString &value);
    int Year() const { return m_year; }
    void SetYear(int value);
    const QString &Director() const { return FieldText(TMovieField::Director); }
    void SetDirector(const QString &value);
    const QString &Actors() const { return FieldText(TMovieField::Actors); }
    void SetActors(const QString &value);
    const QString &Country() const { return FieldText(TMovieField::Country); }
    void SetCountry(const QString &value);
    const QString &Description() const { return FieldText(TMovieField::Description); }
    void SetDescription(const QString &value);
    int Count() const { return m_count; }
    void SetCount(int value);
    const QString &Type() const { return FieldText(TMovieField::Type); }
    void SetType(const QString &value);
    double Imdbrating() const { return m_imdbrating; }
    void SetImdbrating(double value);
    const QString &Rip() const { return FieldText(TMovieField::Rip); }
    void SetRip(const QString &value);
    double Length() const { return m_length; }
    void SetLength(double value);
    const QString &Langs() const { return FieldText(TMovieField::Langs); }
    void SetLangs(const QString &value);
    const QString &Translation() const { return FieldText(TMovieField::Translation); }
    void SetTranslation(const QString &value);
    const QString &Resolution() const { return FieldText(TMovieField::Resolution); }
    void SetResolution(const QString &value);
    const QString &Videocodec() const { return FieldText(TMovieField::Videocodec); }
    void SetVideocodec(const QString &value);
    int Videobitrate() const { return m_videobitrate; }
    void SetVideobitrate(int value);
    const QString &Audiocodec() const { return FieldText(TMovieField::Audiocodec); }
    void SetAudiocodec(const QString &value);
    int Audiobitrate() const { return m_audiobitrate; }
    void SetAudiobitrate(int value);
    const QString &Release() const { return FieldText(TMovieField::Release); }
    void SetRelease(const QString &value);
    qint64 Size() const { return m_size; }
    void SetSize(qint64 value);
    const QString &Path() const { return FieldText(TMovieField::Path); }
    void SetPath(const QString &value);
    const QString &Mpaa() const { return FieldText(TMovieField::Mpaa); }
    void SetMpaa(const QString &value);
    const QString &Studio() const { return FieldText(TMovieField::Studio); }
    void SetStudio(const QString &value);
    double Dateadded() const { return m_dateadded; }
    void SetDateadded(double value);
    int Code() const { return m_code; }
    void SetCode(int value);
    const QString &Subs() const { return FieldText(TMovieField::Subs); }
    void SetSubs(const QString &value);
    double Framerate() const { return m_framerate; }
    void SetFramerate(double value);
    const QString &Label() const { return FieldText(TMovieField::Label); }
    void SetLabel(const QString &value);
    const QString &Producer() const { return FieldText(TMovieField::Producer); }
    void SetProducer(const QString &value);
    const QString &Loan() const { return FieldText(TMovieField::Loan); }
    void SetLoan(const QString &value);
    const QString &Froncover() const { return FieldText(TMovieField::Froncover); }
    void SetFroncover(const QString &value);
    const QString &Cdcover() const { return FieldText(TMovieField::Cdcover); }
    void SetCdcover(const QString &value);
    const QString &Screenshots() const { return FieldText(TMovieField::Screenshots); }
    void SetScreenshots(const QString &value);
    int Num() const { return m_num; }
    void SetNum(int value);
    bool Viewed() const { return m_viewed; }
    void SetViewed(bool value);
    const QString &Scenario() const { return FieldText(TMovieField::Scenario); }
    void SetScenario(const QString &value);
    double Viewdate() const { return m_viewdate; }
    void SetViewdate(double value);
    double Loandate() const { return m_loandate; }
    void SetLoandate(double value);
    const QString &Tags() const { return FieldText(TMovieField::Tags); }
    void SetTags(const QString &value);
    const QString &Links() const { return FieldText(TMovieField::Links); }
    void SetLinks(const QString &value);
    const QString &Music() const { return FieldText(TMovieField::Music); }
    void SetMusic(const QString &value);
    const QString &Aka() const { return FieldText(TMovieField::Aka); }
    void SetAka(const QString &value);
    const QString &Tagline() const { return FieldText(TMovieField::Tagline); }
    void SetTagline(const QString &value);
    const QString &Features() const { return FieldText(TMovieField::Features); }
    void SetFeatures(const QString &value);
    double Orating() const { return m_orating; }
    void SetOrating(double value);
    const QString &Orname() const { return FieldText(TMovieField::Orname); }
    void SetOrname(const QString &value);
    bool Wish() const { return m_wish; }
    void SetWish(bool value);

    // title, or origtitle when title is empty: how a movie is named everywhere.
    QString DisplayTitle() const;
    // The same without a copy, for searches and the field table.
    const QString &DisplayTitleRef() const { return Title().isEmpty() ? Origtitle() : Title(); }

    // The folder the paths of `screenshots` are relative to, and the folder new
    // screenshots of this movie belong in (its own subfolder when the catalog keeps one per
    // movie). Empty for a catalog without a file.
    QString ScreenshotsBase() const { return OwnerFolder(TImageFolder::Screenshots); }
    QString ScreenshotsTarget() const
    {
        return MovieImageFolder(TImageFolder::Screenshots, Title());
    }
    // The covers or screenshots folder, with the movie's subfolder when those are on.
    QString MovieImageFolder(TImageFolder folder, const QString &title) const;
    // The covers as absolute paths (empty when not set).
    QString FrontCoverPath() const;
    QString CDCoverPath() const;
    // The cover thumbnails in the thumbnails folder, made first when missing.
    QString FrontThumbPath() const;
    QString CDThumbPath() const;
    // Stores a downloaded cover as "<title>_Front" / "<title>_CD" + ext in the covers
    // folder and points the field at it, without a thumbnail and without marking the
    // catalog modified.
    void SaveFrontCover(const TImage &jpegImage, const QString &ext);
    void SaveCDCover(const TImage &jpegImage, const QString &ext);
    // Moves the covers and screenshots into the movie's own subfolders, or back into the
    // flat folders; files that are missing drop out of the fields.
    void MoveImageFiles(bool intoSubfolders);

    // Lends the movie to borrower and raises the owner's loan event. An empty borrower is
    // refused (false); lending again to the current borrower keeps the first loan date.
    bool Lend(const QString &borrower);
    // Ends a loan, if any, and raises the owner's loan event.
    void ReturnLoan();

    // One value per custom field of the catalog, in field order.
    int CustomValueCount() const { return static_cast<int>(m_custom.size()); }
    const QStringList &CustomValues() const { return m_custom; }
    // Empty text for an index out of range.
    QString CustomValue(int index) const;
    // Ignored for an index out of range.
    void SetCustomValue(int index, const QString &value);
    // Kept in step with the catalog's custom fields (a movie passes them on to its episodes).
    virtual void AddCustomValue();
    virtual void DeleteCustomValue(int index);

    void ReadTag(const QString &name, const QString &value) override;
    void VisitFields(const TFieldVisitor &visit) const override;

    void Clear() override;
    void Assign(const TDBItem &other) override;
    bool IsEmpty() const override;

    // The slot of a text field in the record's text store.
    static constexpr int TextSlot(TMovieField field) { return FirstOwnTextSlot + int(field); }

protected:
    TBaseMovie(TRecordKind kind, IRecordOwner *owner);

    const QString &FieldText(TMovieField field) const { return m_texts.Get(TextSlot(field)); }
    // Stores past the setter's rules, marking nothing; true when the text changed.
    bool SetFieldText(TMovieField field, const QString &value)
    {
        return m_texts.Set(TextSlot(field), value);
    }

    // The fields of the movie part, in file order, then the custom values.
    void WriteMoviePart(TTagWriter &out) const;
    QString PictureName() const override;

private:
    // The field table reads and writes the catalog file past the setters.
    friend std::span<const TMovieFieldInfo> MovieFields();

    void SetCover(TMovieField field, const QString &value);
    QString CoverPath(const QString &file) const;
    QString ThumbPath(const QString &file) const;
    void SaveCover(TMovieField field,
                   const TImage &jpegImage,
                   const QString &suffix,
                   const QString &ext);

protected:
    double m_imdbrating = 0;
    double m_length = 0;
    qint64 m_size = 0;
    double m_dateadded = 0;
    double m_framerate = 0;
    double m_viewdate = 0;
    double m_loandate = 0;
    double m_orating = 0;
    int m_year = 0;
    int m_count = 0;
    int m_videobitrate = 0;
    int m_audiobitrate = 0;
    int m_code = 0;
    int m_num = -1;
    bool m_viewed = false;
    bool m_wish = false;
    QStringList m_custom;
};
