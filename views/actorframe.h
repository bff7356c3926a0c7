#pragma once

#include "views/cardframe.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QToolButton;
class TActor;
class TLinkText;
class TPicturePanel;
class TStarPanel;

// The person card: the focused person read as a card (mode 3) or edited (mode 2), with the
// same rules as the movie card. Careers are anchor links into the long texts below.
class TActorFrame : public TCardFrame
{
    Q_OBJECT

public:
    explicit TActorFrame(QWidget *parent = nullptr);

    // Mode 0 hidden, 1 message, 2 edit, 3 view; `person` may be nullptr (empty fields).
    void ShowPerson(TActor *person, int mode);
    TActor *Person() const { return m_person; }
    // Writes every edit control back into `person`; nothing unless it is the one shown.
    void StoreEdits(TActor *person);

protected:
    void FillControls() override;
    void UpdateVisibility() override;
    int LayOut(int width, int height) override;
    QList<TLinkText *> AnchorBoxes() const override;
    QWidget *TitleWidget() const override;
    void UpdateDerivedTexts() override;
    QStringList MenuParts(QWidget *field, const QString &value) const override;
    void ShowHoverButtons(int area) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildControls();
    // Translated name to rating, with the genre and career pickers.
    void BuildRows();
    // The rows right of the photo; rows.Y ends below the last one.
    void LayOutRows(TRows &rows, int fieldWidth);
    // "(Age: n)" from the birthday and today; empty without a birthday.
    QString AgeText() const;
    // Marks the birthday field (red frame, tooltip) while its text is no date; true when it
    // is a date or empty.
    bool CheckBirthday();
    // The calendar under the birthday field; a picked day is written into the field.
    void PickBirthday();

    TActor *m_person = nullptr;

    QLineEdit *m_name;
    TPicturePanel *m_photo;
    QToolButton *m_imgBrowseBtn;
    QToolButton *m_saveImgBtn;
    QToolButton *m_imgClearBtn;
    QLabel *m_transLbl;
    QLineEdit *m_trans;
    QLabel *m_altLbl;
    QPlainTextEdit *m_alt;
    QLabel *m_birthdayLbl;
    QLineEdit *m_birthday;
    QToolButton *m_birthdayBtn;
    QLabel *m_ageLbl;
    QLabel *m_birthplaceLbl;
    QLineEdit *m_birthplace;
    QLabel *m_genreLbl;
    QLineEdit *m_genre;
    QToolButton *m_genreBtn;
    QListWidget *m_genresList;
    TMemoBlock m_careerBlock;
    QToolButton *m_careerBtn;
    QListWidget *m_typesList;
    TMemoBlock m_urlBlock;
    QLabel *m_ratingLbl;
    QLineEdit *m_rating;
    TStarPanel *m_stars;
    TMemoBlock m_bioBlock;
    TMemoBlock m_filmBlock;
    TMemoBlock m_awardsBlock;
    TMemoBlock m_commentBlock;
};
