#include "views/mvframe.h"

#include <cmath>
#include <limits>

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTime>
#include <QToolButton>

#include "catalog/basemovie.h"
#include "catalog/daycount.h"
#include "catalog/localetext.h"
#include "views/cardwidgets_p.h"
#include "views/linktext.h"
#include "views/newlinkdlg.h"
#include "views/starpanel.h"

using namespace Qt::StringLiterals;

namespace {

// Item numbers of the card's fields (the Items setting).
enum Item {
    ItemPoster = 0,
    ItemOrigTitle = 1,
    ItemAka = 2,
    ItemYear = 3,
    ItemGenre = 4,
    ItemDirector = 5,
    ItemProducer = 6,
    ItemScenario = 7,
    ItemMusic = 8,
    ItemActors = 9,
    ItemCountry = 10,
    ItemStudio = 11,
    ItemMpaa = 12,
    ItemRelease = 13,
    ItemUrl = 14,
    ItemImdb = 15,
    ItemOtherRating = 16,
    ItemRating = 17,
    ItemTags = 18,
    ItemDateAdded = 19,
    ItemBorrower = 20,
    ItemTagline = 21,
    ItemDescription = 22,
    ItemComments = 23,
    ItemAwards = 24,
    ItemLinks = 25,
    ItemFile = 26,
    ItemQuality = 27,
    ItemDuration = 28,
    ItemLanguages = 29,
    ItemTranslation = 30,
    ItemSubtitles = 31,
    ItemSize = 32,
    ItemMedia = 33,
    ItemVideoCodec = 34,
    ItemVideoBitrate = 35,
    ItemAudioCodec = 36,
    ItemAudioBitrate = 37,
    ItemResolution = 38,
    ItemFrameRate = 39,
    ItemMediaLabel = 40,
    ItemFeatures = 41,
    ItemScreenshots = 42,
    ItemCovers = 43,
};

int ToInt32(qint64 value)
{
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return 0;
    return int(value);
}

} // namespace

TmvFrame::TmvFrame(QWidget *parent)
    : TCardFrame(TRecordKind::Movie, parent)
{
    setObjectName(u"MovieCard"_s);
    BuildControls();
    UpdateDerivedTexts();
    ApplySettings();
    ApplyBlockColors();
}

void TmvFrame::BuildControls()
{
    QWidget *body = Body();
    const struct
    {
        TBlock Block;
        const char16_t *Name;
    } shapes[] = {{TBlock::Main, u"MainShape"},
                  {TBlock::Custom, u"CustomShape"},
                  {TBlock::File, u"FileShape"},
                  {TBlock::Picture, u"ImageShape"}};
    for (const auto &shape : shapes) {
        auto *frame = new QFrame(body);
        frame->setObjectName(QString::fromUtf16(shape.Name));
        SetBlockShape(shape.Block, frame);
    }

    BuildTitleRow();
    BuildMainRows();
    BuildTextBlocks();
    BuildFileBlock();
    BuildPictureControls();
}

void TmvFrame::BuildTitleRow()
{
    constexpr TBlock Main = TBlock::Main;
    QWidget *body = Body();
    m_title = NewEdit(u"TitleEdit"_s, 2, Main);
    QFont titleFont = m_title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    m_title->setFont(titleFont);
    connect(m_title, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (m_mode == ModeEdit && m_movie && !Filling())
            m_movie->SetTitle(text);
    });
    // Fills the movie from the default information site.
    m_infoBtn = new QToolButton(body);
    m_infoBtn->setObjectName(u"InfoBtn"_s);
    m_infoBtn->setAutoRaise(true);
    m_infoBtn->setIcon(QIcon::fromTheme(u"internet-web-browser"_s,
                                        style()->standardIcon(QStyle::SP_BrowserReload)));
    m_infoBtn->setToolTip(u"Get movie information from the web"_s);
    m_infoBtn->hide();
    connect(m_infoBtn, &QToolButton::clicked, this, &TmvFrame::WebInfoRequested);
    m_seenCheck = new QCheckBox(body);
    m_seenCheck->setObjectName(u"seenCheck"_s);
    m_seenCheck->hide();
    connect(m_seenCheck, &QCheckBox::clicked, this, &TmvFrame::SeenToggled);
    m_seenLbl = new QLabel(body);
    m_seenLbl->setObjectName(u"seenLbl"_s);
    m_seenLbl->setProperty("searchField", 29);
    m_seenLbl->installEventFilter(this);
    m_seenLbl->hide();
    InstallMenu(m_seenLbl);
    m_wishCheck = new QCheckBox(body);
    m_wishCheck->setObjectName(u"WishCheck"_s);
    m_wishCheck->hide();
    connect(m_wishCheck, &QCheckBox::clicked, this, &TmvFrame::WishToggled);
    m_wishLbl = NewLabel(u"wishLbl"_s, 449, u"Wish"_s, Main);
    m_wishLbl->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_wishLbl->installEventFilter(this);
    for (QWidget *control : std::initializer_list<QWidget *>{m_seenCheck, m_seenLbl, m_wishCheck})
        AddToBlock(control, Main);
    m_poster = NewPicture(u"CoverPanel"_s);
}

void TmvFrame::BuildMainRows()
{
    constexpr TBlock Main = TBlock::Main;
    m_origTitleLbl = NewLabel(u"OrigTitleCaption"_s, 401, u"Original Title:"_s, Main);
    m_origTitle = NewEdit(u"OrigTitleEdit"_s, 3, Main);
    m_akaLbl = NewLabel(u"AkaCaption"_s, 445, u"Also known as:"_s, Main);
    m_aka = NewMemo(u"AkaMemo"_s, 4, Main);
    MakeCollapsible(m_aka, u"AkaMoreBtn"_s);
    m_yearLbl = NewLabel(u"YearCaption"_s, 402, u"Year:"_s, Main);
    m_year = NewEdit(u"YearEdit"_s, 5, Main);
    m_genreLbl = NewLabel(u"GenreCaption"_s, 403, u"Genre:"_s, Main);
    m_genre = NewEdit(u"GenreEdit"_s, 6, Main);
    m_genreBtn = NewButton(u"GenSelBtn"_s, u"…"_s, Main);
    m_genresList =
        NewPicker(u"GenresList"_s, [this](const QString &text) { m_genre->setText(text); });
    connect(m_genreBtn, &QToolButton::clicked, this, [this] {
        if (OpenPickerList() == m_genresList) {
            ClosePicker();
            return;
        }
        const QRect edit = m_genre->geometry();
        OpenPicker(m_genresList,
                   m_settings.Genres,
                   m_genre->text(),
                   QRect(edit.left(),
                         edit.bottom() + 1,
                         m_genreBtn->geometry().right() - edit.left() + 1,
                         200));
    });

    m_directorBlock = NewMemoBlock(NewLabel(u"DirectorCaption"_s, 404, u"Director:"_s, Main),
                                   {u"DirectorMemo"_s, u"DirBox"_s, u"DirMoreBtn"_s},
                                   {7, 7, {}, u"name"_s},
                                   Main);
    m_producerBlock = NewMemoBlock(NewLabel(u"ProducerCaption"_s, 405, u"Producer:"_s, Main),
                                   {u"ProdMemo"_s, u"ProdBox"_s, u"ProdMoreBtn"_s},
                                   {8, 8, {}, u"name"_s},
                                   Main);
    m_scenarioBlock = NewMemoBlock(NewLabel(u"ScenarioCaption"_s, 406, u"Scenario:"_s, Main),
                                   {u"ScnMemo"_s, u"ScnBox"_s, u"ScnMoreBtn"_s},
                                   {9, 9, {}, u"name"_s},
                                   Main);
    m_musicLbl = NewLabel(u"MusicCaption"_s, 443, u"Music:"_s, Main);
    m_music = NewEdit(u"MusicEdit"_s, 10, Main);
    m_musicBox = NewBox(u"MusicBox"_s, 10, {}, u"name"_s, Main);
    m_actorsBlock = NewMemoBlock(NewLabel(u"ActorsCaption"_s, 407, u"Actors:"_s, Main),
                                 {u"ActMemo"_s, u"ActBox"_s, u"ActMoreBtn"_s},
                                 {11, 11, {}, u"name"_s},
                                 Main);
    m_countryLbl = NewLabel(u"CountryCaption"_s, 408, u"Country:"_s, Main);
    m_country = NewEdit(u"CountryEdit"_s, 12, Main);
    m_studioLbl = NewLabel(u"StudioCaption"_s, 409, u"Studio:"_s, Main);
    m_studio = NewEdit(u"StudEdit"_s, 13, Main);
    m_mpaaLbl = NewLabel(u"MPAACaption"_s, 410, u"MPAA:"_s, Main);
    m_mpaa = NewEdit(u"MPAAEdit"_s, -1, Main);
    m_releaseLbl = NewLabel(u"ReleaseCaption"_s, 411, u"Release:"_s, Main);
    m_release = NewEdit(u"ReleaseEdit"_s, 14, Main);
    m_urlBlock = NewMemoBlock(NewLabel(u"URLCaption"_s, 412, u"URL:"_s, Main),
                              {u"URLMemo"_s, u"URLBox"_s, u"URLMoreBtn"_s},
                              {-1, -1, {}, u"url"_s},
                              Main);
    // Addresses contain "/" and ";": only blanks and line breaks separate them.
    m_urlBlock.Box->SetDelimiters(u"\r "_s);

    m_imdbLbl = NewLabel(u"IMDBRatCaption"_s, 413, u"IMDB Rating:"_s, Main);
    m_imdbRating = NewEdit(u"IMDBRatEdit"_s, 15, Main);
    m_imdbStars = NewStars(
        u"StarPanelIMDB"_s, m_imdbRating, [this](double value) { m_movie->SetImdbrating(value); });
    m_oratingLbl = NewLabel(u"ORatCaption"_s, 0, {}, Main);
    m_orating = NewEdit(u"ORatEdit"_s, -1, Main);
    m_oStars = NewStars(
        u"StarPanelOther"_s, m_orating, [this](double value) { m_movie->SetOrating(value); });
    m_ratingLbl = NewLabel(u"RatCaption"_s, 414, u"Rating:"_s, Main);
    m_rating = NewEdit(u"RatEdit"_s, -1, Main);
    m_stars =
        NewStars(u"StarPanel"_s, m_rating, [this](double value) { m_movie->SetRating(value); });
    m_tagsBlock = NewMemoBlock(NewLabel(u"TagsCaption"_s, 415, u"Tags:"_s, Main),
                               {u"TagsMemo"_s, u"TagBox"_s, u"TagMoreBtn"_s},
                               {-1, 18, {}, u"tag"_s},
                               Main);
    m_dateCaption = NewLabel(u"DateCaption"_s, 416, u"Date added:"_s, Main);
    m_dateLbl = NewLabel(u"DateLbl"_s, 0, {}, Main);
    m_dateLbl->setProperty("searchField", 19);
    InstallMenu(m_dateLbl);
    m_lentCaption = NewLabel(u"LentToCaption"_s, 417, u"Lent to:"_s, Main);
    m_lentLbl = NewLabel(u"LentToLbl"_s, 0, {}, Main);
    for (QLabel *label : {m_dateLbl, m_lentLbl}) {
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        // Level with the text of the frameless edits above.
        label->setIndent(2);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
}

void TmvFrame::BuildTextBlocks()
{
    constexpr TBlock Main = TBlock::Main;
    m_sloganLbl = NewCaption(u"SloganCaption"_s, 446, u"Tagline:"_s, Main);
    m_slogan = NewMemo(u"SloganMemo"_s, -1, Main);
    MakeCollapsible(m_slogan, u"SloganMoreBtn"_s);
    const TMemoLinks links{-1, -1, u"link"_s, {}};
    m_descBlock = NewMemoBlock(NewCaption(u"DescCaption"_s, 444, u"Description:"_s, Main),
                               {u"DescMemo"_s, u"DescBox"_s, u"DescMoreBtn"_s},
                               links,
                               Main);
    m_commentBlock = NewMemoBlock(NewCaption(u"ComCaption"_s, 418, u"Comments:"_s, Main),
                                  {u"CommentMemo"_s, u"ComBox"_s, u"ComMoreBtn"_s},
                                  links,
                                  Main);
    m_awardsBlock = NewMemoBlock(NewCaption(u"AwardsCaption"_s, 441, u"Awards:"_s, Main),
                                 {u"AwardsMemo"_s, u"AwardBox"_s, u"AwardMoreBtn"_s},
                                 links,
                                 Main);
    m_linksBlock = NewMemoBlock(NewCaption(u"LinksCaption"_s, 442, u"Movie Connections:"_s, Main),
                                {u"LinksMemo"_s, u"LinksBox"_s, u"LinksMoreBtn"_s},
                                {-1, -1, u"link"_s, u"otitle"_s},
                                Main);
}

void TmvFrame::BuildFileBlock()
{
    constexpr TBlock File = TBlock::File;
    m_fileLbl = NewLabel(u"FileCaption"_s, 419, u"Local file:"_s, File);
    m_file = NewEdit(u"FileEdit"_s, -1, File);
    m_browseBtn = NewButton(u"BrowseBtn"_s, u"…"_s, File);
    connect(m_browseBtn, &QToolButton::clicked, this, &TmvFrame::BrowseMediaFile);
    m_qualityLbl = NewLabel(u"QualCaption"_s, 420, u"Quality:"_s, File);
    m_quality = NewCombo(u"QualCombo"_s,
                         {u"DVDRip"_s,
                          u"TVRip"_s,
                          u"SATRip"_s,
                          u"VHSRip"_s,
                          u"HDTVRip"_s,
                          u"TS"_s,
                          u"TC"_s,
                          u"DVD"_s,
                          u"HD"_s},
                         File);
    m_lengthLbl = NewLabel(u"LengthCaption"_s, 421, u"Duration:"_s, File);
    m_length = NewEdit(u"LengthEdit"_s, -1, File);
    m_langLbl = NewLabel(u"LangCaption"_s, 422, u"Language(s):"_s, File);
    m_lang = NewEdit(u"LangEdit"_s, -1, File);
    m_transLbl = NewLabel(u"TransCaption"_s, 423, u"Translation:"_s, File);
    m_translation = NewCombo(u"TransCombo"_s, {}, File);
    m_subsLbl = NewLabel(u"SubsCaption"_s, 424, u"Subtitles:"_s, File);
    m_subs = NewEdit(u"SubsEdit"_s, -1, File);
    m_sizeLbl = NewLabel(u"SizeCaption"_s, 425, u"File size:"_s, File);
    m_size = NewEdit(u"SizeEdit"_s, -1, File);
    m_sizeUnit = NewLabel(u"SizeUnit"_s, 426, u"MB"_s, File);
    m_mediaLbl = NewLabel(u"MediaCaption"_s, 427, u"Media Type:"_s, File);
    m_count = NewEdit(u"CountEdit"_s, -1, File);
    m_countX = NewLabel(u"CountX"_s, 0, u"X"_s, File);
    m_media = NewCombo(u"MediaCombo"_s, {u"CD"_s, u"DVD"_s, u"HDDVD"_s, u"BD"_s}, File);
    m_vidCodecLbl = NewLabel(u"VidCodecCaption"_s, 428, u"Video Codec:"_s, File);
    m_vidCodec = NewCombo(u"VidCodecCombo"_s, {u"DivX"_s, u"XVid"_s}, File);
    m_vidBpsLbl = NewLabel(u"VidBpsCaption"_s, 429, u"Video Bitrate:"_s, File);
    m_vidBps = NewEdit(u"VidBpsEdit"_s, -1, File);
    m_vidBpsUnit = NewLabel(u"VidBpsUnit"_s, 430, u"KBPS"_s, File);
    m_audioCodecLbl = NewLabel(u"AudioCodecCaption"_s, 431, u"Audio codec:"_s, File);
    m_audioCodec = NewCombo(u"AudioCodecCombo"_s, {u"MP3"_s}, File);
    m_audioBpsLbl = NewLabel(u"AudioBpsCaption"_s, 432, u"Audio Bitrate:"_s, File);
    m_audioBps = NewEdit(u"AudioBpsEdit"_s, -1, File);
    m_audioBpsUnit = NewLabel(u"AudioBpsUnit"_s, 433, u"KBPS"_s, File);
    m_resLbl = NewLabel(u"ResCaption"_s, 434, u"Resolution:"_s, File);
    m_res = NewEdit(u"ResEdit"_s, -1, File);
    m_frameRateLbl = NewLabel(u"RateCaption"_s, 435, u"Frame Rate:"_s, File);
    m_frameRate = NewEdit(u"RateEdit"_s, -1, File);
    m_frameRateUnit = NewLabel(u"RateUnit"_s, 436, u"FPS"_s, File);
    m_mediaLabelLbl = NewLabel(u"MLCaption"_s, 437, u"Media Label:"_s, File);
    m_mediaLabel = NewEdit(u"MLEdit"_s, -1, File);
    for (QLabel *unit : {m_sizeUnit, m_vidBpsUnit, m_audioBpsUnit, m_frameRateUnit, m_countX})
        unit->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Features are shown as links but not followed.
    m_featBlock = NewMemoBlock(NewLabel(u"FeatCaption"_s, 447, u"Features:"_s, File),
                               {u"FeatMemo"_s, u"FeatBox"_s, u"FeatMoreBtn"_s},
                               {-1, -1, u"link"_s, {}, false},
                               File);
}

void TmvFrame::ShowMovie(TBaseMovie *record, int mode)
{
    m_movie = record;
    ShowRecord(record, mode);
}

void TmvFrame::SetCustomFieldNames(const QStringList &names)
{
    if (names == m_customNames)
        return;
    m_customNames = names;
    // While editing, the typed values stay until the next ShowMovie; StoreEdits then
    // leaves the custom values alone, as their indexes may have moved.
    if (m_mode == ModeEdit || !m_movie)
        return;
    RebuildCustomFields();
    if (m_mode == ModeView)
        UpdateVisibility();
    Relayout(true);
}

void TmvFrame::FillControls()
{
    const TBaseMovie *m = m_movie;
    const auto text = [m](const QString &(TBaseMovie::*getter)() const) {
        return m ? (m->*getter)() : QString();
    };
    const auto number = [](auto value) { return QString::number(value); };

    m_title->setText(m ? m->DisplayTitle() : QString());
    m_origTitle->setText(text(&TBaseMovie::Origtitle));
    SetMemoText(m_aka, text(&TBaseMovie::Aka));
    m_year->setText(m ? number(m->Year()) : QString());
    m_genre->setText(m ? m->Genre() : QString());
    SetBlockText(m_directorBlock, text(&TBaseMovie::Director));
    SetBlockText(m_producerBlock, text(&TBaseMovie::Producer));
    SetBlockText(m_scenarioBlock, text(&TBaseMovie::Scenario));
    m_music->setText(text(&TBaseMovie::Music));
    m_musicBox->SetText(text(&TBaseMovie::Music));
    SetBlockText(m_actorsBlock, text(&TBaseMovie::Actors));
    m_country->setText(text(&TBaseMovie::Country));
    m_studio->setText(text(&TBaseMovie::Studio));
    m_mpaa->setText(text(&TBaseMovie::Mpaa));
    m_release->setText(text(&TBaseMovie::Release));
    SetBlockText(m_urlBlock, m ? m->Url() : QString());

    const double imdb = m ? m->Imdbrating() : 0.0;
    const double orating = m ? m->Orating() : 0.0;
    const double rating = m ? m->Rating() : 0.0;
    m_imdbRating->setText(RatingText(imdb));
    m_imdbStars->SetValue(imdb);
    m_orating->setText(RatingText(orating));
    m_oStars->SetValue(orating);
    m_rating->setText(RatingText(rating));
    m_stars->SetValue(rating);

    SetBlockText(m_tagsBlock, text(&TBaseMovie::Tags));
    m_dateLbl->setText(m && m->Dateadded() != 0 ? ShortDateText(m->Dateadded()) : QString());
    QString lent = text(&TBaseMovie::Loan);
    if (m && !lent.isEmpty() && m->Loandate() != 0)
        lent += u" ("_s
                + QLocale().toString(DaysToDateTime(m->Loandate()).date(), QLocale::LongFormat)
                + u')';
    m_lentLbl->setText(lent);

    SetMemoText(m_slogan, text(&TBaseMovie::Tagline));
    SetBlockText(m_descBlock, text(&TBaseMovie::Description));
    SetBlockText(m_commentBlock, m ? m->Comment() : QString());
    SetBlockText(m_awardsBlock, m ? m->Awards() : QString());
    SetBlockText(m_linksBlock, text(&TBaseMovie::Links));

    m_file->setText(text(&TBaseMovie::Path));
    m_quality->setEditText(text(&TBaseMovie::Rip));
    m_length->setText(m ? DurationText() : QString());
    m_lang->setText(text(&TBaseMovie::Langs));
    m_translation->setEditText(text(&TBaseMovie::Translation));
    m_subs->setText(text(&TBaseMovie::Subs));
    m_size->setText(m ? number(m->Size()) : QString());
    m_count->setText(m ? number(m->Count()) : QString());
    m_media->setEditText(text(&TBaseMovie::Type));
    m_vidCodec->setEditText(text(&TBaseMovie::Videocodec));
    m_vidBps->setText(m ? number(m->Videobitrate()) : QString());
    m_audioCodec->setEditText(text(&TBaseMovie::Audiocodec));
    m_audioBps->setText(m ? number(m->Audiobitrate()) : QString());
    m_res->setText(text(&TBaseMovie::Resolution));
    m_frameRate->setText(m ? NumberText(m->Framerate()) : QString());
    m_mediaLabel->setText(text(&TBaseMovie::Label));
    SetBlockText(m_featBlock, text(&TBaseMovie::Features));

    // Formatted numbers are written back only when the user changed their text, so an
    // unchanged 7.25 or 1:30:59 is not rounded by storing.
    for (QLineEdit *edit : {m_imdbRating, m_orating, m_rating, m_length, m_frameRate})
        edit->setProperty("shownText", edit->text());

    {
        const QSignalBlocker seen(m_seenCheck);
        const QSignalBlocker wish(m_wishCheck);
        m_seenCheck->setChecked(m && m->Viewed());
        m_wishCheck->setChecked(m && m->Wish());
    }
    UpdateDerivedTexts();
    FillPictures();
    RebuildCustomFields();
}

void TmvFrame::RebuildCustomFields()
{
    qDeleteAll(m_customLabels);
    qDeleteAll(m_customEdits);
    m_customLabels.clear();
    m_customEdits.clear();
    m_builtNames = m_customNames;
    if (!m_movie)
        return;
    for (int i = 0; i < m_customNames.size(); ++i) {
        auto *label = new QLabel(m_customNames.at(i), Body());
        label->setObjectName(u"CustomLabel%1"_s.arg(i));
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setWordWrap(true);
        auto *edit = new QLineEdit(m_movie->CustomValue(i), Body());
        edit->setObjectName(u"CustomEdit%1"_s.arg(i));
        edit->setFrame(false);
        QFont font = edit->font();
        font.setPointSize(10);
        edit->setFont(font);
        edit->setReadOnly(m_mode != ModeEdit);
        edit->setCursorPosition(0);
        InstallMenu(edit);
        AddToBlock(label, TBlock::Custom);
        AddToBlock(edit, TBlock::Custom);
        label->hide();
        edit->hide();
        m_customLabels.append(label);
        m_customEdits.append(edit);
    }
    ApplyBlockColors();
}

QString TmvFrame::DurationText() const
{
    const double length = m_movie->Length();
    const double fraction = std::isfinite(length) ? length - std::floor(length) : 0.0;
    if (m_settings.DurationInMinutes)
        return QString::number(qint64(std::floor(fraction * 24 * 60 + 1e-6)));
    const qint64 seconds = std::llround(fraction * 86400) % 86400;
    return QTime::fromMSecsSinceStartOfDay(int(seconds * 1000)).toString(u"hh:mm:ss"_s);
}

double TmvFrame::ParseDuration(const QString &text) const
{
    if (m_settings.DurationInMinutes)
        return double(std::max<qint64>(0, ParseInteger(text))) / (24 * 60);
    return ParseLongTime(text).value_or(0.0);
}

void TmvFrame::StoreEdits(TBaseMovie *record)
{
    if (!record || record != m_movie)
        return;
    const auto edited = [](const QLineEdit *edit) {
        return edit->text() != edit->property("shownText").toString();
    };
    TBaseMovie &m = *record;
    m.SetTitle(m_title->text());
    m.SetOrigtitle(m_origTitle->text());
    m.SetYear(ToInt32(ParseInteger(m_year->text())));
    m.SetGenre(m_genre->text());
    m.SetDirector(MemoText(m_directorBlock.Memo));
    m.SetMusic(m_music->text());
    m.SetCountry(m_country->text());
    m.SetCount(ToInt32(ParseInteger(m_count->text())));
    m.SetType(m_media->currentText());
    if (edited(m_imdbRating))
        m.SetImdbrating(ParseNumber(m_imdbRating->text()));
    if (edited(m_orating))
        m.SetOrating(ParseNumber(m_orating->text()));
    if (edited(m_rating))
        m.SetRating(ParseNumber(m_rating->text()));
    m.SetActors(MemoText(m_actorsBlock.Memo));
    m.SetTags(MemoText(m_tagsBlock.Memo));
    m.SetDescription(MemoText(m_descBlock.Memo));
    m.SetRip(m_quality->currentText());
    if (edited(m_length))
        m.SetLength(ParseDuration(m_length->text()));
    m.SetLangs(m_lang->text());
    m.SetTranslation(m_translation->currentText());
    m.SetResolution(m_res->text());
    m.SetVideocodec(m_vidCodec->currentText());
    m.SetVideobitrate(ToInt32(ParseInteger(m_vidBps->text())));
    m.SetAudiocodec(m_audioCodec->currentText());
    m.SetAudiobitrate(ToInt32(ParseInteger(m_audioBps->text())));
    m.SetSize(ParseInteger(m_size->text()));
    m.SetUrl(MemoText(m_urlBlock.Memo));
    m.SetPath(m_file->text());
    m.SetRelease(m_release->text());
    m.SetSubs(m_subs->text());
    if (edited(m_frameRate))
        m.SetFramerate(ParseNumber(m_frameRate->text()));
    m.SetLabel(m_mediaLabel->text());
    m.SetProducer(MemoText(m_producerBlock.Memo));
    m.SetScenario(MemoText(m_scenarioBlock.Memo));
    m.SetStudio(m_studio->text());
    m.SetMpaa(m_mpaa->text());
    m.SetComment(MemoText(m_commentBlock.Memo));
    m.SetAwards(MemoText(m_awardsBlock.Memo));
    m.SetAka(MemoText(m_aka));
    m.SetTagline(MemoText(m_slogan));
    m.SetFeatures(MemoText(m_featBlock.Memo));
    // The placeholder of an empty connections memo is no text of the memo.
    m.SetLinks(MemoText(m_linksBlock.Memo));
    if (m_builtNames == m_customNames) {
        for (int i = 0; i < m_customEdits.size(); ++i)
            m.SetCustomValue(i, m_customEdits.at(i)->text());
    }
}

void TmvFrame::RefreshSeen()
{
    {
        const QSignalBlocker seen(m_seenCheck);
        const QSignalBlocker wish(m_wishCheck);
        m_seenCheck->setChecked(m_movie && m_movie->Viewed());
        m_wishCheck->setChecked(m_movie && m_movie->Wish());
    }
    UpdateSeenLabel();
    Relayout(true);
}

void TmvFrame::AddLinkToMovie(const TBaseMovie &movie)
{
    if (m_mode != ModeEdit || !Shown(m_linksBlock.Memo) || movie.Origtitle().isEmpty())
        return;
    m_linksBlock.Memo->setPlainText(AddMovieLinkLine(m_linksBlock.Memo->toPlainText(),
                                                     m_linksBlock.Memo->placeholderText(),
                                                     movie.Origtitle(),
                                                     movie.DisplayTitle()));
}

void TmvFrame::UpdateSeenLabel()
{
    QString text = Text(400, u"Seen"_s);
    if (m_movie && m_movie->Viewed() && m_movie->Viewdate() != 0)
        text += u" ("_s + ShortDateText(m_movie->Viewdate()) + u')';
    m_seenLbl->setText(text);
}

void TmvFrame::UpdateDerivedTexts()
{
    UpdateSeenLabel();
    const QString orname = m_movie ? m_movie->Orname() : QString();
    m_oratingLbl->setText(orname.isEmpty() ? Text(448, u"Other Rating:"_s)
                                           : orname + u' ' + Text(1891, u"Rating:"_s));
    m_linksBlock.Memo->setPlaceholderText(Text(1890, u"Type links to other movies here"_s));
}

void TmvFrame::ApplySettings()
{
    const QString people = m_settings.TransNames ? u"tname"_s : u"name"_s;
    for (TLinkText *box : {m_directorBlock.Box,
                           m_producerBlock.Box,
                           m_scenarioBlock.Box,
                           m_musicBox,
                           m_actorsBlock.Box})
        box->SetDefaultAttribute(people);
    m_quality->SetChoices(m_settings.Qualities);
    m_media->SetChoices(m_settings.MediaTypes);
    m_translation->SetChoices(m_settings.Translations);
    m_vidCodec->SetChoices(m_settings.VideoCodecs);
    m_audioCodec->SetChoices(m_settings.AudioCodecs);
    // The duration's form follows the setting.
    if (m_movie) {
        m_length->setText(DurationText());
        m_length->setProperty("shownText", m_length->text());
    }
}

void TmvFrame::ApplyReadOnly()
{
    m_seenCheck->setEnabled(!m_readOnly);
    m_wishCheck->setEnabled(!m_readOnly);
}

QStringList TmvFrame::MenuParts(QWidget *field, const QString &value) const
{
    if (field == m_imdbRating) {
        const int whole = int(ParseNumber(value));
        if (whole < 1)
            return {};
        return {u"%1 - %2"_s.arg(whole).arg(whole + 1)};
    }
    if (field == m_seenLbl) {
        if (m_movie && m_movie->Viewed() && m_movie->Viewdate() != 0)
            return {ShortDateText(m_movie->Viewdate())};
        return {};
    }
    // A date is one value, not a list split at its slashes.
    if (field == m_dateLbl)
        return {value};
    return TCardFrame::MenuParts(field, value);
}

QList<TLinkText *> TmvFrame::AnchorBoxes() const
{
    return {
        m_descBlock.Box, m_commentBlock.Box, m_awardsBlock.Box, m_linksBlock.Box, m_featBlock.Box};
}

QWidget *TmvFrame::TitleWidget() const
{
    return m_title;
}

bool TmvFrame::eventFilter(QObject *watched, QEvent *event)
{
    // A click on the seen or wish label works like a click on its check box.
    if ((watched == m_seenLbl || watched == m_wishLbl)
        && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        QCheckBox *check = watched == m_seenLbl ? m_seenCheck : m_wishCheck;
        if (check->isEnabled() && check->isVisibleTo(Body()))
            check->click();
        return true;
    }
    if (PictureDoubleClick(watched, event))
        return true;
    if (watched == viewport() && DragEvent(event))
        return true;
    return TCardFrame::eventFilter(watched, event);
}

void TmvFrame::UpdateVisibility()
{
    const bool edit = m_mode == ModeEdit;
    const bool view = m_mode == ModeView;
    const auto rule = [this](QWidget *control, int item) {
        SetVisible(control, RuleVisible(control, item));
    };
    const auto editOnly = [this, edit](QWidget *control, int item) {
        SetVisible(control, edit && ItemOn(item));
    };
    // A link box shows in view mode when its field holds text.
    const auto box = [this, view](TLinkText *control, const QString &text, int item) {
        SetVisible(control, view && !text.isEmpty() && ItemOn(item));
    };
    // A memo block of a list: the memo while editing, the box in view mode.
    const auto listBlock = [this, edit](const TMemoBlock &block, int item) {
        ShowMemoBlock(block, edit && ItemOn(item), item);
    };
    // The reading card shows these texts whatever the items say, so the editing card
    // must offer them whenever they hold text.
    const auto textBlock = [this, edit](const TMemoBlock &block, int item) {
        ShowMemoBlock(block, edit && (ItemOn(item) || !block.Memo->toPlainText().isEmpty()), -1);
    };
    const TBaseMovie *m = m_movie;

    rule(m_title, -1);
    SetVisible(m_infoBtn, m_webInfo && !m_readOnly && (edit || view));
    for (QWidget *control :
         std::initializer_list<QWidget *>{m_seenCheck, m_seenLbl, m_wishCheck, m_wishLbl})
        SetVisible(control, true);
    SetVisible(m_poster, ItemOn(ItemPoster));

    SetVisible(
        m_origTitle,
        RuleVisible(m_origTitle, ItemOrigTitle)
            && (edit || m_origTitle->text().compare(m_title->text(), Qt::CaseInsensitive) != 0));
    rule(m_aka, ItemAka);
    rule(m_year, ItemYear);
    rule(m_genre, ItemGenre);
    SetVisible(m_genreBtn, edit && Shown(m_genre));
    SetVisible(m_genresList, false);
    listBlock(m_directorBlock, ItemDirector);
    listBlock(m_producerBlock, ItemProducer);
    listBlock(m_scenarioBlock, ItemScenario);
    editOnly(m_music, ItemMusic);
    box(m_musicBox, m_music->text(), ItemMusic);
    listBlock(m_actorsBlock, ItemActors);
    rule(m_country, ItemCountry);
    rule(m_studio, ItemStudio);
    rule(m_mpaa, ItemMpaa);
    rule(m_release, ItemRelease);
    listBlock(m_urlBlock, ItemUrl);
    rule(m_imdbRating, ItemImdb);
    rule(m_orating, ItemOtherRating);
    rule(m_rating, ItemRating);
    SetVisible(m_imdbStars, Shown(m_imdbRating));
    SetVisible(m_oStars, Shown(m_orating));
    SetVisible(m_stars, Shown(m_rating));
    listBlock(m_tagsBlock, ItemTags);
    SetVisible(m_dateLbl, m && m->Dateadded() != 0 && ItemOn(ItemDateAdded));
    SetVisible(m_lentLbl, m && !m->Loan().isEmpty() && ItemOn(ItemBorrower));

    rule(m_slogan, ItemTagline);
    textBlock(m_descBlock, ItemDescription);
    textBlock(m_commentBlock, ItemComments);
    listBlock(m_awardsBlock, ItemAwards);
    listBlock(m_linksBlock, ItemLinks);

    for (QLineEdit *custom : std::as_const(m_customEdits))
        rule(custom, -1);

    UpdateFileVisibility();

    const bool screens = m && !m->Screenshots().isEmpty();
    const bool covers = m && (!m->Froncover().isEmpty() || !m->Cdcover().isEmpty());
    SetVisible(m_screenPanel, ItemOn(ItemScreenshots) && (edit || screens));
    SetVisible(m_coverPanel, ItemOn(ItemCovers) && (edit || covers));
}

void TmvFrame::UpdateFileVisibility()
{
    const bool edit = m_mode == ModeEdit;
    const auto rule = [this](QWidget *control, int item) {
        SetVisible(control, RuleVisible(control, item));
    };
    rule(m_file, ItemFile);
    SetVisible(m_browseBtn, edit && Shown(m_file));
    rule(m_quality, ItemQuality);
    rule(m_length, ItemDuration);
    rule(m_lang, ItemLanguages);
    rule(m_translation, ItemTranslation);
    rule(m_subs, ItemSubtitles);
    rule(m_size, ItemSize);
    rule(m_count, ItemMedia);
    rule(m_media, ItemMedia);
    rule(m_vidCodec, ItemVideoCodec);
    rule(m_vidBps, ItemVideoBitrate);
    rule(m_audioCodec, ItemAudioCodec);
    rule(m_audioBps, ItemAudioBitrate);
    rule(m_res, ItemResolution);
    rule(m_frameRate, ItemFrameRate);
    rule(m_mediaLabel, ItemMediaLabel);
    SetVisible(m_sizeUnit, Shown(m_size));
    SetVisible(m_vidBpsUnit, Shown(m_vidBps));
    SetVisible(m_audioBpsUnit, Shown(m_audioBps));
    SetVisible(m_frameRateUnit, Shown(m_frameRate));
    SetVisible(m_countX, Shown(m_count) && Shown(m_media));
    // Read, the features show whatever the item says; so editing offers them with text.
    ShowMemoBlock(m_featBlock,
                  edit && (ItemOn(ItemFeatures) || !m_featBlock.Memo->toPlainText().isEmpty()),
                  -1);
}

void TmvFrame::SetWebInfoAvailable(bool available)
{
    if (available == m_webInfo)
        return;
    m_webInfo = available;
    if (m_movie && (m_mode == ModeEdit || m_mode == ModeView))
        ShowMovie(m_movie, m_mode);
}
