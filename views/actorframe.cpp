#include "views/actorframe.h"

#include <cmath>

#include <QCalendarWidget>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QToolButton>

#include "catalog/actor.h"
#include "catalog/daycount.h"
#include "catalog/localetext.h"
#include "views/cardwidgets_p.h"
#include "views/linktext.h"
#include "views/starpanel.h"

using namespace Qt::StringLiterals;

namespace {

// Item numbers of the card's fields (the PeopleItems setting).
enum Item {
    ItemPhoto = 0,
    ItemTransName = 1,
    ItemAltNames = 2,
    ItemBirthday = 3,
    ItemBirthplace = 4,
    ItemGenre = 5,
    ItemCareer = 6,
    ItemUrl = 7,
    ItemRating = 8,
    ItemBio = 9,
    ItemFilmography = 10,
    ItemAwards = 11,
    ItemComments = 12,
};

constexpr int DateEditWidth = 110;

} // namespace

TActorFrame::TActorFrame(QWidget *parent)
    : TCardFrame(TRecordKind::Person, parent)
{
    setObjectName(u"PersonCard"_s);
    BuildControls();
    UpdateDerivedTexts();
    ApplyBlockColors();
}

void TActorFrame::BuildControls()
{
    constexpr TBlock Main = TBlock::Main;
    auto *shape = new QFrame(Body());
    shape->setObjectName(u"MainShape"_s);
    SetBlockShape(Main, shape);

    m_name = NewEdit(u"NameEdit"_s, 2, Main);
    QFont nameFont = m_name->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.4);
    m_name->setFont(nameFont);
    m_photo = NewPicture(u"PhotoPanel"_s);
    // The photo's buttons appear when the pointer rests on it (area 1).
    WatchHover(m_photo, 1);
    m_photo->installEventFilter(this);
    const auto button = [this](const QString &name,
                               const QString &icon,
                               int hint,
                               const QString &fallback,
                               std::function<void()> action) {
        return NewHoverButton(m_photo, name, icon, hint, fallback, 1, std::move(action));
    };
    m_imgBrowseBtn =
        button(u"ImgBrowseBtn"_s, u"document-open"_s, 460, u"Browse for Picture"_s, [this] {
            BrowsePicture(m_photo);
        });
    m_saveImgBtn = button(
        u"SaveImgBtn"_s, u"document-save"_s, 462, u"Save Picture"_s, [this] { SavePicture(); });
    m_imgClearBtn = button(u"ImgClearBtn"_s, u"edit-delete"_s, 463, u"Remove Picture"_s, [this] {
        ClearPicture(m_photo);
    });

    BuildRows();

    const TMemoLinks links{-1, -1, u"link"_s, {}};
    m_bioBlock = NewMemoBlock(NewCaption(u"BioCaption"_s, 519, u"Biography:"_s, Main),
                              {u"BioMemo"_s, u"BioBox"_s, u"BioMoreBtn"_s},
                              links,
                              Main);
    m_filmBlock = NewMemoBlock(NewCaption(u"FilmCaption"_s, 520, u"Filmography:"_s, Main),
                               {u"FilmMemo"_s, u"FilmBox"_s, u"FilmMoreBtn"_s},
                               links,
                               Main);
    m_awardsBlock = NewMemoBlock(NewCaption(u"AwardCaption"_s, 521, u"Awards:"_s, Main),
                                 {u"AwardMemo"_s, u"AwardBox"_s, u"AwardMoreBtn"_s},
                                 links,
                                 Main);
    m_commentBlock = NewMemoBlock(NewCaption(u"ComCaption"_s, 522, u"Comments:"_s, Main),
                                  {u"ComMemo"_s, u"ComBox"_s, u"ComMoreBtn"_s},
                                  links,
                                  Main);
}

void TActorFrame::BuildRows()
{
    constexpr TBlock Main = TBlock::Main;
    m_transLbl = NewLabel(u"TransCaption"_s, 510, u"Translated name:"_s, Main);
    m_trans = NewEdit(u"TransEdit"_s, 3, Main);
    m_altLbl = NewLabel(u"AltCaption"_s, 511, u"Alternative names:"_s, Main);
    m_alt = NewMemo(u"AltMemo"_s, 4, Main);
    MakeCollapsible(m_alt, u"AltMoreBtn"_s);
    m_birthdayLbl = NewLabel(u"bdCaption"_s, 512, u"Birthday:"_s, Main);
    m_birthday = NewEdit(u"bdEdit"_s, 5, Main);
    connect(m_birthday, &QLineEdit::textChanged, this, [this] { CheckBirthday(); });
    m_birthdayBtn = NewButton(u"bdPickBtn"_s, {}, Main);
    m_birthdayBtn->setIcon(QIcon::fromTheme(u"x-office-calendar"_s));
    if (m_birthdayBtn->icon().isNull())
        m_birthdayBtn->setText(u"…"_s);
    SetHint(m_birthdayBtn, 4001, u"Pick the date from a calendar"_s);
    connect(m_birthdayBtn, &QToolButton::clicked, this, [this] { PickBirthday(); });
    m_ageLbl = NewLabel(u"AgeLbl"_s, 0, {}, Main);
    m_ageLbl->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_ageLbl->setIndent(2);
    m_birthplaceLbl = NewLabel(u"bpCaption"_s, 514, u"Birthplace:"_s, Main);
    m_birthplace = NewEdit(u"bpEdit"_s, 6, Main);
    m_genreLbl = NewLabel(u"GenreCaption"_s, 515, u"Genre:"_s, Main);
    m_genre = NewEdit(u"GenreEdit"_s, 7, Main);
    m_genreBtn = NewButton(u"GenSelBtn"_s, u"…"_s, Main);
    m_genresList =
        NewPicker(u"GenresList"_s, [this](const QString &text) { m_genre->setText(text); });
    // Built in steps: the picker button comes between the memo and the link box.
    m_careerBlock.Caption = NewLabel(u"TypeCaption"_s, 516, u"Career:"_s, Main);
    m_careerBlock.Memo = NewMemo(u"TypeMemo"_s, 8, Main);
    m_careerBtn = NewButton(u"TypeSelBtn"_s, u"…"_s, Main);
    m_typesList = NewPicker(
        u"TypesList"_s, [this](const QString &text) { m_careerBlock.Memo->setPlainText(text); });
    m_careerBlock.Box = NewBox(u"TypeBox"_s, 8, {}, u"anchor"_s, Main);
    // Careers are separated by punctuation only; the picker writes them on one line.
    m_careerBlock.Box->SetDelimiters(u",/\\;|"_s);
    MakeCollapsible(m_careerBlock.Box, u"TypeMoreBtn"_s);
    // Both pickers open under their field, as wide as field and button together.
    const auto openBelow = [this](QListWidget *list,
                                  const QStringList &choices,
                                  QWidget *field,
                                  QToolButton *button,
                                  const QString &current) {
        if (OpenPickerList() == list) {
            ClosePicker();
            return;
        }
        const QRect rect = field->geometry();
        OpenPicker(
            list,
            choices,
            current,
            QRect(
                rect.left(), rect.bottom() + 1, button->geometry().right() - rect.left() + 1, 200));
    };
    connect(m_genreBtn, &QToolButton::clicked, this, [this, openBelow] {
        openBelow(m_genresList, m_settings.Genres, m_genre, m_genreBtn, m_genre->text());
    });
    connect(m_careerBtn, &QToolButton::clicked, this, [this, openBelow] {
        openBelow(m_typesList,
                  m_settings.Careers,
                  m_careerBlock.Memo,
                  m_careerBtn,
                  m_careerBlock.Memo->toPlainText());
    });

    m_urlBlock = NewMemoBlock(NewLabel(u"URLCaption"_s, 517, u"URL:"_s, Main),
                              {u"URLMemo"_s, u"URLBox"_s, u"URLMoreBtn"_s},
                              {-1, -1, {}, u"url"_s},
                              Main);
    // Addresses contain "/" and ";": only blanks and line breaks separate them.
    m_urlBlock.Box->SetDelimiters(u"\r "_s);
    m_ratingLbl = NewLabel(u"RatCaption"_s, 518, u"Rating:"_s, Main);
    m_rating = NewEdit(u"RatEdit"_s, -1, Main);
    m_stars =
        NewStars(u"StarPanel"_s, m_rating, [this](double value) { m_person->SetRating(value); });
}

void TActorFrame::ShowPerson(TActor *person, int mode)
{
    m_person = person;
    ShowRecord(person, mode);
}

void TActorFrame::FillControls()
{
    const TActor *p = m_person;
    const auto text = [p](const QString &(TActor::*getter)() const) {
        return p ? (p->*getter)() : QString();
    };
    m_name->setText(text(&TActor::Name));
    m_trans->setText(text(&TActor::Transname));
    SetMemoText(m_alt, text(&TActor::Altnames));
    m_birthday->setText(p && p->Birthday() > 0 ? ShortDateText(p->Birthday()) : QString());
    m_birthplace->setText(text(&TActor::Birthplace));
    m_genre->setText(p ? p->Genre() : QString());
    SetBlockText(m_careerBlock, text(&TActor::Category));
    SetBlockText(m_urlBlock, p ? p->Url() : QString());
    const double rating = p ? p->Rating() : 0.0;
    m_rating->setText(RatingText(rating));
    m_stars->SetValue(rating);
    SetBlockText(m_bioBlock, text(&TActor::Bio));
    SetBlockText(m_filmBlock, text(&TActor::Filmography));
    SetBlockText(m_awardsBlock, p ? p->Awards() : QString());
    SetBlockText(m_commentBlock, p ? p->Comment() : QString());
    // Formatted values are written back only when the user changed their text, so the
    // time of a birthday or a rating of 7.25 survives storing unchanged.
    for (QLineEdit *edit : {m_birthday, m_rating})
        edit->setProperty("shownText", edit->text());
    UpdateDerivedTexts();
    SetPicture(m_photo, p ? p->Picture() : TImage());
}

void TActorFrame::StoreEdits(TActor *person)
{
    if (!person || person != m_person)
        return;
    const auto edited = [](const QLineEdit *edit) {
        return edit->text() != edit->property("shownText").toString();
    };
    TActor &p = *person;
    p.SetName(m_name->text());
    p.SetTransname(m_trans->text());
    p.SetAltnames(MemoText(m_alt));
    p.SetGenre(m_genre->text());
    // Text that is no date leaves the birthday as it was; the field shows why.
    if (edited(m_birthday) && CheckBirthday())
        p.SetBirthday(ParseDateText(m_birthday->text()).value_or(0.0));
    p.SetBirthplace(m_birthplace->text());
    p.SetCategory(MemoText(m_careerBlock.Memo));
    p.SetUrl(MemoText(m_urlBlock.Memo));
    if (edited(m_rating))
        p.SetRating(ParseNumber(m_rating->text()));
    p.SetBio(MemoText(m_bioBlock.Memo));
    p.SetFilmography(MemoText(m_filmBlock.Memo));
    p.SetAwards(MemoText(m_awardsBlock.Memo));
    p.SetComment(MemoText(m_commentBlock.Memo));
}

bool TActorFrame::CheckBirthday()
{
    const QString text = m_birthday->text();
    const bool date = text.trimmed().isEmpty() || ParseDateText(text).has_value();
    if (m_birthday->property("refused").toBool() != !date) {
        m_birthday->setProperty("refused", !date);
        m_birthday->setStyleSheet(date ? QString() : u"QLineEdit { border: 2px solid #d00000; }"_s);
        m_birthday->setToolTip(
            date ? QString()
                 : Text(4000, u"This is not a date. Type it as %1 or as 1970-05-12."_s)
                       .replace(u"%1"_s, ShortDateText(DateToDays(QDate(1970, 5, 12)))));
    }
    return date;
}

void TActorFrame::PickBirthday()
{
    auto *calendar = new QCalendarWidget(this);
    calendar->setObjectName(u"bdCalendar"_s);
    calendar->setWindowFlags(Qt::Popup);
    calendar->setAttribute(Qt::WA_DeleteOnClose);
    const std::optional<double> shown = ParseDateText(m_birthday->text());
    calendar->setSelectedDate(shown ? DaysToDateTime(*shown).date() : QDate(1970, 1, 1));
    connect(calendar, &QCalendarWidget::activated, this, [this, calendar](QDate date) {
        m_birthday->setText(ShortDateText(DateToDays(date)));
        calendar->close();
    });
    calendar->move(m_birthday->mapToGlobal(QPoint(0, m_birthday->height())));
    calendar->show();
}

QString TActorFrame::AgeText() const
{
    if (!m_person || m_person->Birthday() <= 0)
        return {};
    const double years = (m_person->Now() - m_person->Birthday()) / 365.25;
    // A birthday still to come has no age.
    if (!std::isfinite(years) || years < 0)
        return {};
    return u"("_s + Text(513, u"Age:"_s) + u' ' + QString::number(qint64(years)) + u')';
}

void TActorFrame::UpdateDerivedTexts()
{
    m_ageLbl->setText(AgeText());
}

QStringList TActorFrame::MenuParts(QWidget *field, const QString &value) const
{
    // A date is one value, not a list split at its slashes.
    if (field == m_birthday)
        return {value};
    return TCardFrame::MenuParts(field, value);
}

QList<TLinkText *> TActorFrame::AnchorBoxes() const
{
    return {m_filmBlock.Box, m_bioBlock.Box, m_awardsBlock.Box, m_commentBlock.Box};
}

QWidget *TActorFrame::TitleWidget() const
{
    return m_name;
}

void TActorFrame::UpdateVisibility()
{
    const bool edit = m_mode == ModeEdit;
    const bool view = m_mode == ModeView;
    const auto rule = [this](QWidget *control, int item) {
        SetVisible(control, RuleVisible(control, item));
    };

    rule(m_name, -1);
    SetVisible(m_photo, ItemOn(ItemPhoto));
    // The same name twice says nothing; while editing the field stays reachable.
    SetVisible(m_trans,
               RuleVisible(m_trans, ItemTransName) && (edit || m_trans->text() != m_name->text()));
    rule(m_alt, ItemAltNames);
    rule(m_birthday, ItemBirthday);
    SetVisible(m_birthdayBtn, edit && Shown(m_birthday) && !m_readOnly);
    SetVisible(m_ageLbl, view && Shown(m_birthday) && !m_ageLbl->text().isEmpty());
    rule(m_birthplace, ItemBirthplace);
    rule(m_genre, ItemGenre);
    SetVisible(m_genreBtn, edit && Shown(m_genre));
    ShowMemoBlock(m_careerBlock, edit && ItemOn(ItemCareer), ItemCareer);
    SetVisible(m_careerBtn, edit && Shown(m_careerBlock.Memo));
    SetVisible(m_genresList, false);
    SetVisible(m_typesList, false);
    ShowMemoBlock(m_urlBlock, edit && ItemOn(ItemUrl), ItemUrl);
    rule(m_rating, ItemRating);
    SetVisible(m_stars, Shown(m_rating));
    ShowMemoBlock(m_bioBlock, edit && ItemOn(ItemBio), ItemBio);
    ShowMemoBlock(m_filmBlock, edit && ItemOn(ItemFilmography), ItemFilmography);
    ShowMemoBlock(m_awardsBlock, edit && ItemOn(ItemAwards), ItemAwards);
    ShowMemoBlock(m_commentBlock, edit && ItemOn(ItemComments), ItemComments);
}

int TActorFrame::LayOut(int width, int height)
{
    constexpr int top = 8;
    const int nameHeight = m_name->sizeHint().height();
    Place(m_name, 10, top, width - 35 - 10, nameHeight);

    const int photoTop = top + nameHeight + 10;
    const QRect photo = PlacePicture(
        m_photo, photoTop, width, height, m_settings.MaxPhotoWidth, m_settings.MaxPhotoHeight);
    const bool photoShown = !photo.isEmpty();
    const int photoRight = photo.left() + photo.width();
    const int photoBottom = photo.top() + photo.height();

    int labelWidth = 0;
    for (QLabel *label : {m_transLbl,
                          m_altLbl,
                          m_birthdayLbl,
                          m_birthplaceLbl,
                          m_genreLbl,
                          m_careerBlock.Caption,
                          m_urlBlock.Caption,
                          m_ratingLbl})
        labelWidth = std::max(labelWidth, TextWidth(label, label->text()));
    const int fieldX = photoRight + std::max(120, labelWidth + 16);
    TRows rows{photoTop, photoShown ? photoRight + 6 : 10, fieldX};
    LayOutRows(rows, std::max(40, width - 35 - fieldX));

    // Full-width blocks under the rows and the photo.
    const int blocksTop = std::max(rows.Y - RowGap, photoBottom) + 26;
    TTextColumn column{width, blocksTop, blocksTop - 26};
    for (const TMemoBlock *block : {&m_bioBlock, &m_filmBlock, &m_awardsBlock, &m_commentBlock})
        PlaceTextBlock(column, *block);
    const int bottom = column.Bottom;

    QFrame *shape = BlockShape(TBlock::Main);
    SetVisible(shape, ColorsOn());
    if (ColorsOn()) {
        Place(shape, 4, 4, width - 8, bottom + 10 - 4);
        shape->lower();
    }
    return bottom + 16;
}

void TActorFrame::LayOutRows(TRows &rows, int fieldWidth)
{
    const bool edit = m_mode == ModeEdit;
    const bool view = m_mode == ModeView;
    const auto lineHeight = [](QWidget *control) { return control->sizeHint().height(); };
    // A button right of a field, as high as the field (at most `maxHeight`).
    const auto besides = [](QWidget *button, const QWidget *field, int maxHeight) {
        Place(button,
              field->x() + field->width() + 2,
              field->y(),
              SmallButtonWidth,
              std::min(field->height(), maxHeight));
    };

    PlaceRow(rows, m_transLbl, m_trans, fieldWidth, lineHeight(m_trans));
    Place(m_alt, rows.FieldX, m_alt->y(), fieldWidth, std::max(1, m_alt->height()));
    if (edit) {
        const int lines = MemoLines(m_alt);
        PlaceRow(rows, m_altLbl, m_alt, fieldWidth, MemoHeight(m_alt, std::max(lines, 4)));
        PlaceMoreButton(m_alt, false);
    } else {
        PlaceRow(rows, m_altLbl, m_alt, fieldWidth, CollapsibleMemoHeight(m_alt));
        PlaceMoreButton(m_alt, MemoLines(m_alt) >= 2);
    }
    // Read, the birthday is as wide as its text and the age follows it.
    const int birthdayWidth =
        view ? FittedEditWidth(m_birthday) : std::min(fieldWidth, DateEditWidth);
    PlaceRow(rows, m_birthdayLbl, m_birthday, birthdayWidth, lineHeight(m_birthday));
    if (Shown(m_birthdayBtn))
        besides(m_birthdayBtn, m_birthday, m_birthday->height());
    if (Shown(m_ageLbl)) {
        const int ageWidth = TextWidth(m_ageLbl, m_ageLbl->text()) + 4;
        Place(m_ageLbl,
              m_birthday->x() + m_birthday->width() + 6,
              m_birthday->y(),
              ageWidth,
              m_birthday->height());
    }
    PlaceRow(rows, m_birthplaceLbl, m_birthplace, fieldWidth, lineHeight(m_birthplace));
    const int withButton = fieldWidth - SmallButtonWidth - 2;
    PlaceRow(rows,
             m_genreLbl,
             m_genre,
             Shown(m_genreBtn) ? withButton : fieldWidth,
             lineHeight(m_genre));
    if (Shown(m_genreBtn))
        besides(m_genreBtn, m_genre, m_genre->height());
    PlaceMemoRow(rows, m_careerBlock, Shown(m_careerBtn) ? withButton : fieldWidth, 1);
    if (Shown(m_careerBtn))
        besides(m_careerBtn, m_careerBlock.Memo, m_genre->height());
    PlaceMemoRow(rows, m_urlBlock, fieldWidth, 1);
    PlaceRow(rows, m_ratingLbl, m_rating, RatingEditWidth, lineHeight(m_rating));
    if (Shown(m_stars)) {
        const QSize size = m_stars->sizeHint();
        Place(m_stars,
              m_rating->x() + m_rating->width() + 6,
              m_rating->y() + (m_rating->height() - size.height()) / 2,
              size.width(),
              size.height());
    }
}

void TActorFrame::ShowHoverButtons(int area)
{
    const bool photo = area == 1 && m_person;
    m_imgBrowseBtn->move(5, 4);
    m_saveImgBtn->move(m_readOnly ? 5 : 30, 4);
    m_imgClearBtn->move(55, 4);
    m_imgBrowseBtn->setVisible(photo && !m_readOnly);
    m_saveImgBtn->setVisible(photo && m_photo->HasImage());
    m_imgClearBtn->setVisible(photo && m_photo->HasImage() && m_mode == ModeEdit && !m_readOnly);
}

bool TActorFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_photo && event->type() == QEvent::MouseButtonDblClick) {
        OpenViewer(m_photo->Image());
        return true;
    }
    return TCardFrame::eventFilter(watched, event);
}
