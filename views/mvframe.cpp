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

constexpr int YearEditWidth = 64;
constexpr int GridLabelWidth = 106;
constexpr int GridStep = 30;

int ToInt32(qint64 value)
{
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return 0;
    return int(value);
}

} // namespace

TmvFrame::TmvFrame(QWidget *parent)
    : TCardFrame(false, parent)
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

    constexpr TBlock Main = TBlock::Main;
    constexpr TBlock File = TBlock::File;

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

    m_directorLbl = NewLabel(u"DirectorCaption"_s, 404, u"Director:"_s, Main);
    m_director = NewMemo(u"DirectorMemo"_s, 7, Main);
    m_dirBox = NewBox(u"DirBox"_s, 7, {}, u"name"_s, Main);
    MakeCollapsible(m_dirBox, u"DirMoreBtn"_s);
    m_producerLbl = NewLabel(u"ProducerCaption"_s, 405, u"Producer:"_s, Main);
    m_producer = NewMemo(u"ProdMemo"_s, 8, Main);
    m_prodBox = NewBox(u"ProdBox"_s, 8, {}, u"name"_s, Main);
    MakeCollapsible(m_prodBox, u"ProdMoreBtn"_s);
    m_scenarioLbl = NewLabel(u"ScenarioCaption"_s, 406, u"Scenario:"_s, Main);
    m_scenario = NewMemo(u"ScnMemo"_s, 9, Main);
    m_scnBox = NewBox(u"ScnBox"_s, 9, {}, u"name"_s, Main);
    MakeCollapsible(m_scnBox, u"ScnMoreBtn"_s);
    m_musicLbl = NewLabel(u"MusicCaption"_s, 443, u"Music:"_s, Main);
    m_music = NewEdit(u"MusicEdit"_s, 10, Main);
    m_musicBox = NewBox(u"MusicBox"_s, 10, {}, u"name"_s, Main);
    m_actorsLbl = NewLabel(u"ActorsCaption"_s, 407, u"Actors:"_s, Main);
    m_actors = NewMemo(u"ActMemo"_s, 11, Main);
    m_actBox = NewBox(u"ActBox"_s, 11, {}, u"name"_s, Main);
    MakeCollapsible(m_actBox, u"ActMoreBtn"_s);
    m_countryLbl = NewLabel(u"CountryCaption"_s, 408, u"Country:"_s, Main);
    m_country = NewEdit(u"CountryEdit"_s, 12, Main);
    m_studioLbl = NewLabel(u"StudioCaption"_s, 409, u"Studio:"_s, Main);
    m_studio = NewEdit(u"StudEdit"_s, 13, Main);
    m_mpaaLbl = NewLabel(u"MPAACaption"_s, 410, u"MPAA:"_s, Main);
    m_mpaa = NewEdit(u"MPAAEdit"_s, -1, Main);
    m_releaseLbl = NewLabel(u"ReleaseCaption"_s, 411, u"Release:"_s, Main);
    m_release = NewEdit(u"ReleaseEdit"_s, 14, Main);
    m_urlLbl = NewLabel(u"URLCaption"_s, 412, u"URL:"_s, Main);
    m_url = NewMemo(u"URLMemo"_s, -1, Main);
    m_urlBox = NewBox(u"URLBox"_s, -1, {}, u"url"_s, Main);
    // Addresses contain "/" and ";": only blanks and line breaks separate them.
    m_urlBox->SetDelimiters(u"\r "_s);
    MakeCollapsible(m_urlBox, u"URLMoreBtn"_s);

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
    m_tagsLbl = NewLabel(u"TagsCaption"_s, 415, u"Tags:"_s, Main);
    m_tags = NewMemo(u"TagsMemo"_s, -1, Main);
    m_tagBox = NewBox(u"TagBox"_s, 18, {}, u"tag"_s, Main);
    MakeCollapsible(m_tagBox, u"TagMoreBtn"_s);
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

    m_sloganLbl = NewCaption(u"SloganCaption"_s, 446, u"Tagline:"_s, Main);
    m_slogan = NewMemo(u"SloganMemo"_s, -1, Main);
    MakeCollapsible(m_slogan, u"SloganMoreBtn"_s);
    m_descLbl = NewCaption(u"DescCaption"_s, 444, u"Description:"_s, Main);
    m_desc = NewMemo(u"DescMemo"_s, -1, Main);
    m_descBox = NewBox(u"DescBox"_s, -1, u"link"_s, {}, Main);
    MakeCollapsible(m_descBox, u"DescMoreBtn"_s);
    m_commentLbl = NewCaption(u"ComCaption"_s, 418, u"Comments:"_s, Main);
    m_comment = NewMemo(u"CommentMemo"_s, -1, Main);
    m_comBox = NewBox(u"ComBox"_s, -1, u"link"_s, {}, Main);
    MakeCollapsible(m_comBox, u"ComMoreBtn"_s);
    m_awardsLbl = NewCaption(u"AwardsCaption"_s, 441, u"Awards:"_s, Main);
    m_awards = NewMemo(u"AwardsMemo"_s, -1, Main);
    m_awardBox = NewBox(u"AwardBox"_s, -1, u"link"_s, {}, Main);
    MakeCollapsible(m_awardBox, u"AwardMoreBtn"_s);
    m_linksLbl = NewCaption(u"LinksCaption"_s, 442, u"Movie Connections:"_s, Main);
    m_links = NewMemo(u"LinksMemo"_s, -1, Main);
    m_linksBox = NewBox(u"LinksBox"_s, -1, u"link"_s, u"otitle"_s, Main);
    MakeCollapsible(m_linksBox, u"LinksMoreBtn"_s);

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
    m_featLbl = NewLabel(u"FeatCaption"_s, 447, u"Features:"_s, File);
    m_feat = NewMemo(u"FeatMemo"_s, -1, File);
    // Features are shown as links but not followed.
    m_featBox = NewBox(u"FeatBox"_s, -1, u"link"_s, {}, File, false);
    MakeCollapsible(m_featBox, u"FeatMoreBtn"_s);

    BuildPictureControls();
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
    SetMemoText(m_director, text(&TBaseMovie::Director));
    m_dirBox->SetText(text(&TBaseMovie::Director));
    SetMemoText(m_producer, text(&TBaseMovie::Producer));
    m_prodBox->SetText(text(&TBaseMovie::Producer));
    SetMemoText(m_scenario, text(&TBaseMovie::Scenario));
    m_scnBox->SetText(text(&TBaseMovie::Scenario));
    m_music->setText(text(&TBaseMovie::Music));
    m_musicBox->SetText(text(&TBaseMovie::Music));
    SetMemoText(m_actors, text(&TBaseMovie::Actors));
    m_actBox->SetText(text(&TBaseMovie::Actors));
    m_country->setText(text(&TBaseMovie::Country));
    m_studio->setText(text(&TBaseMovie::Studio));
    m_mpaa->setText(text(&TBaseMovie::Mpaa));
    m_release->setText(text(&TBaseMovie::Release));
    SetMemoText(m_url, m ? m->Url() : QString());
    m_urlBox->SetText(m ? m->Url() : QString());

    const double imdb = m ? m->Imdbrating() : 0.0;
    const double orating = m ? m->Orating() : 0.0;
    const double rating = m ? m->Rating() : 0.0;
    m_imdbRating->setText(RatingText(imdb));
    m_imdbStars->SetValue(imdb);
    m_orating->setText(RatingText(orating));
    m_oStars->SetValue(orating);
    m_rating->setText(RatingText(rating));
    m_stars->SetValue(rating);

    SetMemoText(m_tags, text(&TBaseMovie::Tags));
    m_tagBox->SetText(text(&TBaseMovie::Tags));
    m_dateLbl->setText(m && m->Dateadded() != 0 ? ShortDateText(m->Dateadded()) : QString());
    QString lent = text(&TBaseMovie::Loan);
    if (m && !lent.isEmpty() && m->Loandate() != 0)
        lent += u" ("_s
                + QLocale().toString(DaysToDateTime(m->Loandate()).date(), QLocale::LongFormat)
                + u')';
    m_lentLbl->setText(lent);

    SetMemoText(m_slogan, text(&TBaseMovie::Tagline));
    SetMemoText(m_desc, text(&TBaseMovie::Description));
    m_descBox->SetText(text(&TBaseMovie::Description));
    SetMemoText(m_comment, m ? m->Comment() : QString());
    m_comBox->SetText(m ? m->Comment() : QString());
    SetMemoText(m_awards, m ? m->Awards() : QString());
    m_awardBox->SetText(m ? m->Awards() : QString());
    SetMemoText(m_links, text(&TBaseMovie::Links));
    m_linksBox->SetText(text(&TBaseMovie::Links));

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
    SetMemoText(m_feat, text(&TBaseMovie::Features));
    m_featBox->SetText(text(&TBaseMovie::Features));

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
    m.SetDirector(MemoText(m_director));
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
    m.SetActors(MemoText(m_actors));
    m.SetTags(MemoText(m_tags));
    m.SetDescription(MemoText(m_desc));
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
    m.SetUrl(MemoText(m_url));
    m.SetPath(m_file->text());
    m.SetRelease(m_release->text());
    m.SetSubs(m_subs->text());
    if (edited(m_frameRate))
        m.SetFramerate(ParseNumber(m_frameRate->text()));
    m.SetLabel(m_mediaLabel->text());
    m.SetProducer(MemoText(m_producer));
    m.SetScenario(MemoText(m_scenario));
    m.SetStudio(m_studio->text());
    m.SetMpaa(m_mpaa->text());
    m.SetComment(MemoText(m_comment));
    m.SetAwards(MemoText(m_awards));
    m.SetAka(MemoText(m_aka));
    m.SetTagline(MemoText(m_slogan));
    m.SetFeatures(MemoText(m_feat));
    // The placeholder of an empty connections memo is no text of the memo.
    m.SetLinks(MemoText(m_links));
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
    if (m_mode != ModeEdit || !Shown(m_links) || movie.Origtitle().isEmpty())
        return;
    m_links->setPlainText(AddMovieLinkLine(m_links->toPlainText(),
                                           m_links->placeholderText(),
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
    m_links->setPlaceholderText(Text(1890, u"Type links to other movies here"_s));
}

void TmvFrame::ApplySettings()
{
    const QString people = m_settings.TransNames ? u"tname"_s : u"name"_s;
    for (TLinkText *box : {m_dirBox, m_prodBox, m_scnBox, m_musicBox, m_actBox})
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
    return {m_descBox, m_comBox, m_awardBox, m_linksBox, m_featBox};
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
    editOnly(m_director, ItemDirector);
    box(m_dirBox, m_director->toPlainText(), ItemDirector);
    editOnly(m_producer, ItemProducer);
    box(m_prodBox, m_producer->toPlainText(), ItemProducer);
    editOnly(m_scenario, ItemScenario);
    box(m_scnBox, m_scenario->toPlainText(), ItemScenario);
    editOnly(m_music, ItemMusic);
    box(m_musicBox, m_music->text(), ItemMusic);
    editOnly(m_actors, ItemActors);
    box(m_actBox, m_actors->toPlainText(), ItemActors);
    rule(m_country, ItemCountry);
    rule(m_studio, ItemStudio);
    rule(m_mpaa, ItemMpaa);
    rule(m_release, ItemRelease);
    editOnly(m_url, ItemUrl);
    box(m_urlBox, m_url->toPlainText(), ItemUrl);
    rule(m_imdbRating, ItemImdb);
    rule(m_orating, ItemOtherRating);
    rule(m_rating, ItemRating);
    SetVisible(m_imdbStars, Shown(m_imdbRating));
    SetVisible(m_oStars, Shown(m_orating));
    SetVisible(m_stars, Shown(m_rating));
    editOnly(m_tags, ItemTags);
    box(m_tagBox, m_tags->toPlainText(), ItemTags);
    SetVisible(m_dateLbl, m && m->Dateadded() != 0 && ItemOn(ItemDateAdded));
    SetVisible(m_lentLbl, m && !m->Loan().isEmpty() && ItemOn(ItemBorrower));

    // The reading card shows these texts whatever the items say, so the editing card
    // must offer them whenever they hold text.
    const auto editShown = [this, edit](QPlainTextEdit *control, int item) {
        SetVisible(control, edit && (ItemOn(item) || !control->toPlainText().isEmpty()));
    };
    rule(m_slogan, ItemTagline);
    editShown(m_desc, ItemDescription);
    box(m_descBox, m_desc->toPlainText(), -1);
    editShown(m_comment, ItemComments);
    box(m_comBox, m_comment->toPlainText(), -1);
    editOnly(m_awards, ItemAwards);
    box(m_awardBox, m_awards->toPlainText(), ItemAwards);
    editOnly(m_links, ItemLinks);
    box(m_linksBox, m_links->toPlainText(), ItemLinks);

    for (QLineEdit *custom : std::as_const(m_customEdits))
        rule(custom, -1);

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
    editShown(m_feat, ItemFeatures);
    box(m_featBox, m_feat->toPlainText(), -1);

    const bool screens = m && !m->Screenshots().isEmpty();
    const bool covers = m && (!m->Froncover().isEmpty() || !m->Cdcover().isEmpty());
    SetVisible(m_screenPanel, ItemOn(ItemScreenshots) && (edit || screens));
    SetVisible(m_coverPanel, ItemOn(ItemCovers) && (edit || covers));
}

int TmvFrame::LayOut(int width, int height)
{
    const int titleBottom = LayOutTitleRow(width);

    const int posterTop = titleBottom + 10;
    const QRect poster = PlacePicture(
        m_poster, posterTop, width, height, m_settings.MaxPosterWidth, m_settings.MaxPosterHeight);
    const bool posterShown = !poster.isEmpty();
    const int posterRight = poster.left() + poster.width();
    const int posterBottom = poster.top() + poster.height();

    // The label column is wide enough for the longest caption of the language.
    int labelWidth = 0;
    for (QLabel *label :
         {m_origTitleLbl, m_akaLbl,      m_yearLbl,    m_genreLbl,    m_directorLbl,
          m_producerLbl,  m_scenarioLbl, m_musicLbl,   m_actorsLbl,   m_countryLbl,
          m_studioLbl,    m_mpaaLbl,     m_releaseLbl, m_urlLbl,      m_imdbLbl,
          m_oratingLbl,   m_ratingLbl,   m_tagsLbl,    m_dateCaption, m_lentCaption})
        labelWidth = std::max(labelWidth, TextWidth(label, label->text()));
    const int fieldX = posterRight + std::max(100, labelWidth + 16);
    const int labelLeft = posterShown ? posterRight + 6 : 10;
    int y = LayOutMainRows(width, posterTop, posterBottom, fieldX, labelLeft);
    y = std::max(y, posterBottom) + 26;
    y = LayOutTextBlocks(width, y);
    PlaceShape(TBlock::Main, width, 4, y + 10, true);
    y += 16;

    const int customBottom = LayOutCustomBlock(width, y);
    if (customBottom > y)
        y = customBottom + 6;
    const int fileBottom = LayOutFileBlock(width, y);
    if (fileBottom > y)
        y = fileBottom + 6;
    const int pictureBottom = LayOutPictureBlock(width, y);
    if (pictureBottom > y)
        y = pictureBottom + 6;
    return y;
}

int TmvFrame::LayOutTitleRow(int width)
{
    constexpr int top = 8;
    const int checkWidth = m_seenCheck->sizeHint().width();
    const int checkHeight = m_seenCheck->sizeHint().height();
    const int labelWidth =
        std::max(TextWidth(m_seenLbl, m_seenLbl->text()), TextWidth(m_wishLbl, m_wishLbl->text()))
        + 2;
    const int titleRight = width - 14 - checkWidth - labelWidth;
    const int marks = 2 * checkHeight + 2;
    const int titleHeight = m_title->sizeHint().height();
    const int rowHeight = std::max(marks, titleHeight);
    // The information button, when shown, sits at the end of the title.
    const int infoWidth = m_infoBtn->isVisibleTo(this) ? titleHeight + 4 : 0;
    Place(
        m_title, 10, top + (rowHeight - titleHeight) / 2, titleRight - 10 - infoWidth, titleHeight);
    if (infoWidth > 0) {
        Place(m_infoBtn,
              titleRight - infoWidth + 2,
              top + (rowHeight - titleHeight) / 2,
              titleHeight,
              titleHeight);
    }
    const int checkX = titleRight + 6;
    const int labelX = checkX + checkWidth + 2;
    const int marksTop = top + (rowHeight - marks) / 2;
    Place(m_seenCheck, checkX, marksTop, checkWidth, checkHeight);
    Place(m_seenLbl, labelX, marksTop, labelWidth, checkHeight);
    Place(m_wishCheck, checkX, marksTop + checkHeight + 2, checkWidth, checkHeight);
    Place(m_wishLbl, labelX, marksTop + checkHeight + 2, labelWidth, checkHeight);
    return top + rowHeight;
}

int TmvFrame::LayOutMainRows(int width, int top, int posterBottom, int fieldX, int labelLeft)
{
    const bool edit = m_mode == ModeEdit;
    const int fieldWidth = std::max(40, width - 35 - fieldX);
    TRows rows{top, labelLeft, fieldX};
    const auto lineHeight = [](QWidget *control) { return control->sizeHint().height(); };
    // A memo in edit mode: lines x h + 2, at least `minLines` while it holds fewer than
    // `below` lines.
    const auto memoHeight = [fieldX, fieldWidth](QPlainTextEdit *memo, int minLines, int below) {
        Place(memo, fieldX, memo->y(), fieldWidth, std::max(1, memo->height()));
        const int lines = MemoLines(memo);
        return MemoHeight(memo, lines < below ? std::max(lines, minLines) : lines);
    };
    const auto boxHeight = [this, fieldX, fieldWidth](TLinkText *box) {
        Place(box, fieldX, box->y(), fieldWidth, std::max(1, box->height()));
        return BoxHeight(box);
    };
    // One row of a memo in edit mode or its link box in view mode.
    const auto listRow = [&](QLabel *label, QPlainTextEdit *memo, TLinkText *box, int minLines) {
        if (edit) {
            PlaceRow(rows, label, memo, fieldWidth, memoHeight(memo, minLines, 4));
            PlaceMoreButton(box, false);
        } else {
            PlaceRow(rows, label, box, fieldWidth, boxHeight(box));
            PlaceMoreButton(box, box->HasMoreLines());
        }
    };
    const auto ratingRow = [&](QLabel *label, QLineEdit *edit, TStarPanel *stars) {
        PlaceRow(rows, label, edit, RatingEditWidth, lineHeight(edit));
        if (Shown(stars)) {
            const QSize size = stars->sizeHint();
            Place(stars,
                  edit->x() + edit->width() + 6,
                  edit->y() + (edit->height() - size.height()) / 2,
                  size.width(),
                  size.height());
        }
    };

    PlaceRow(rows, m_origTitleLbl, m_origTitle, fieldWidth, lineHeight(m_origTitle));
    if (edit) {
        PlaceRow(rows, m_akaLbl, m_aka, fieldWidth, memoHeight(m_aka, 4, 4));
        PlaceMoreButton(m_aka, false);
    } else {
        Place(m_aka, fieldX, m_aka->y(), fieldWidth, std::max(1, m_aka->height()));
        PlaceRow(rows, m_akaLbl, m_aka, fieldWidth, CollapsibleMemoHeight(m_aka));
        PlaceMoreButton(m_aka, MemoLines(m_aka) >= 2);
    }
    PlaceRow(rows, m_yearLbl, m_year, YearEditWidth, lineHeight(m_year));
    const int genreButton = Shown(m_genreBtn) ? SmallButtonWidth + 2 : 0;
    PlaceRow(rows, m_genreLbl, m_genre, fieldWidth - genreButton, lineHeight(m_genre));
    if (Shown(m_genreBtn))
        Place(m_genreBtn,
              m_genre->x() + m_genre->width() + 2,
              m_genre->y(),
              SmallButtonWidth,
              m_genre->height());
    // Names stay readable in edit mode: a memo shows all of its lines.
    listRow(m_directorLbl, m_director, m_dirBox, 1);
    listRow(m_producerLbl, m_producer, m_prodBox, 1);
    listRow(m_scenarioLbl, m_scenario, m_scnBox, 1);
    if (edit)
        PlaceRow(rows, m_musicLbl, m_music, fieldWidth, lineHeight(m_music));
    else
        PlaceRow(rows, m_musicLbl, m_musicBox, fieldWidth, boxHeight(m_musicBox));
    listRow(m_actorsLbl, m_actors, m_actBox, 4);
    PlaceRow(rows, m_countryLbl, m_country, fieldWidth, lineHeight(m_country));
    PlaceRow(rows, m_studioLbl, m_studio, fieldWidth, lineHeight(m_studio));
    PlaceRow(rows, m_mpaaLbl, m_mpaa, fieldWidth, lineHeight(m_mpaa));
    PlaceRow(rows, m_releaseLbl, m_release, fieldWidth, lineHeight(m_release));
    listRow(m_urlLbl, m_url, m_urlBox, 1);
    ratingRow(m_imdbLbl, m_imdbRating, m_imdbStars);
    ratingRow(m_oratingLbl, m_orating, m_oStars);
    ratingRow(m_ratingLbl, m_rating, m_stars);
    listRow(m_tagsLbl, m_tags, m_tagBox, 4);
    PlaceRow(rows, m_dateCaption, m_dateLbl, fieldWidth, lineHeight(m_dateLbl));
    const int beforeBorrower = rows.Y;
    PlaceRow(rows, m_lentCaption, m_lentLbl, fieldWidth, lineHeight(m_lentLbl));
    int bottom = rows.Y - RowGap;
    // A short block puts the borrower level with the poster's bottom.
    if (Shown(m_lentLbl) && beforeBorrower - RowGap < posterBottom - RowSlot) {
        TRows borrower{posterBottom - RowSlot, labelLeft, fieldX};
        PlaceRow(borrower, m_lentCaption, m_lentLbl, fieldWidth, lineHeight(m_lentLbl));
        bottom = posterBottom;
    }
    return std::max(bottom, top);
}

int TmvFrame::LayOutTextBlocks(int width, int top)
{
    const bool edit = m_mode == ModeEdit;
    const int boxWidth = std::max(40, width - 45);
    const int centre = width / 2 - 10;
    int y = top;
    int bottom = top - 26;
    const auto block = [&](QLabel *caption, QWidget *field, int height, bool more) {
        if (!Shown(field)) {
            SetVisible(caption, false);
            PlaceMoreButton(field, false);
            return;
        }
        SetVisible(caption, true);
        const int captionWidth = TextWidth(caption, caption->text()) + 8;
        const int captionHeight = caption->sizeHint().height();
        Place(caption, centre - captionWidth / 2, y, captionWidth, captionHeight);
        Place(field, 10, y + captionHeight + 2, boxWidth, height);
        PlaceMoreButton(field, more);
        bottom = field->y() + height;
        y = bottom + 24;
    };
    const auto widen = [boxWidth](QWidget *field) {
        Place(field, 10, field->y(), boxWidth, std::max(1, field->height()));
    };
    const auto memoHeight = [&](QPlainTextEdit *memo, int minLines, int below) {
        widen(memo);
        const int lines = MemoLines(memo);
        return MemoHeight(memo, lines < below ? std::max(lines, minLines) : lines);
    };
    const auto textBlock = [&](QLabel *caption, QPlainTextEdit *memo, TLinkText *box) {
        if (edit) {
            block(caption, memo, memoHeight(memo, 4, 3), false);
            PlaceMoreButton(box, false);
        } else {
            widen(box);
            block(caption, box, BoxHeight(box), box->HasMoreLines());
        }
    };

    if (edit) {
        block(m_sloganLbl, m_slogan, memoHeight(m_slogan, 2, 3), false);
    } else {
        widen(m_slogan);
        block(m_sloganLbl, m_slogan, CollapsibleMemoHeight(m_slogan), MemoLines(m_slogan) >= 2);
    }
    textBlock(m_descLbl, m_desc, m_descBox);
    textBlock(m_commentLbl, m_comment, m_comBox);
    textBlock(m_awardsLbl, m_awards, m_awardBox);
    textBlock(m_linksLbl, m_links, m_linksBox);
    return std::max(bottom, top - 26);
}

int TmvFrame::LayOutCustomBlock(int width, int top)
{
    int y = top + 10;
    bool any = false;
    const int half = width / 2;
    for (int row = 0; row * 2 < m_customEdits.size(); ++row) {
        int rowHeight = 0;
        for (int side = 0; side < 2; ++side) {
            const int index = row * 2 + side;
            if (index >= m_customEdits.size())
                break;
            QLineEdit *edit = m_customEdits.at(index);
            QLabel *label = m_customLabels.at(index);
            if (!Shown(edit)) {
                label->hide();
                continue;
            }
            label->show();
            const int labelHeight = std::clamp(label->heightForWidth(GridLabelWidth), 13, 26);
            rowHeight = std::max({rowHeight, labelHeight, 18});
        }
        if (rowHeight == 0)
            continue;
        any = true;
        for (int side = 0; side < 2; ++side) {
            const int index = row * 2 + side;
            if (index >= m_customEdits.size() || !Shown(m_customEdits.at(index)))
                continue;
            QLineEdit *edit = m_customEdits.at(index);
            QLabel *label = m_customLabels.at(index);
            const int labelX = side == 0 ? 10 : half + 6;
            const int editWidth = side == 0 ? half - 128 : half - 137;
            const int labelHeight = std::clamp(label->heightForWidth(GridLabelWidth), 13, 26);
            Place(label, labelX, y + (rowHeight - labelHeight) / 2, GridLabelWidth, labelHeight);
            Place(edit, labelX + GridLabelWidth + 6, y + (rowHeight - 18) / 2, editWidth, 18);
        }
        y += rowHeight + 8;
    }
    const int bottom = any ? y + 2 : top;
    PlaceShape(TBlock::Custom, width, top, bottom, any);
    return bottom;
}

int TmvFrame::LayOutFileBlock(int width, int top)
{
    const bool view = m_mode == ModeView;
    const int half = width / 2;
    int y = top + 10;
    bool any = false;
    const auto placeLabel = [](QLabel *label, int x, int rowTop, bool shown) {
        SetVisible(label, shown);
        if (shown) {
            label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            Place(label, x, rowTop, GridLabelWidth, RowSlot);
        }
    };
    const auto centred = [](QWidget *field, int x, int rowTop, int fieldWidth) {
        const int h = field->sizeHint().height();
        Place(field, x, rowTop + (RowSlot - h) / 2, fieldWidth, h);
    };

    if (Shown(m_file)) {
        any = true;
        placeLabel(m_fileLbl, 10, y, true);
        const int right = width - 18;
        if (Shown(m_browseBtn)) {
            const int buttonX = right - SmallButtonWidth;
            centred(m_file, 122, y, buttonX - 6 - 122);
            Place(m_browseBtn, buttonX, m_file->y(), SmallButtonWidth, m_file->height());
        } else {
            centred(m_file, 122, y, right - 122);
        }
        y += RowStep;
    } else {
        placeLabel(m_fileLbl, 10, y, false);
    }

    // Two columns, each closing up over its hidden rows.
    const int columnTop = y;
    const auto fieldWithUnit =
        [&](QLineEdit *edit, QLabel *unit, int x, int rowTop, int columnEnd) {
            const int unitWidth = TextWidth(unit, unit->text()) + 2;
            const int editWidth = view ? FittedEditWidth(edit) : columnEnd - x - unitWidth - 6;
            centred(edit, x, rowTop, std::max(20, editWidth));
            Place(unit, edit->x() + edit->width() + 6, rowTop, unitWidth, RowSlot);
        };
    struct TGridRow
    {
        QLabel *Label;
        QWidget *Field;
        QLabel *Unit;
    };
    const std::array<TGridRow, 7> left = {{{m_qualityLbl, m_quality, nullptr},
                                           {m_lengthLbl, m_length, nullptr},
                                           {m_langLbl, m_lang, nullptr},
                                           {m_transLbl, m_translation, nullptr},
                                           {m_subsLbl, m_subs, nullptr},
                                           {m_sizeLbl, m_size, m_sizeUnit},
                                           {m_mediaLbl, nullptr, nullptr}}};
    const std::array<TGridRow, 7> right = {{{m_vidCodecLbl, m_vidCodec, nullptr},
                                            {m_vidBpsLbl, m_vidBps, m_vidBpsUnit},
                                            {m_audioCodecLbl, m_audioCodec, nullptr},
                                            {m_audioBpsLbl, m_audioBps, m_audioBpsUnit},
                                            {m_resLbl, m_res, nullptr},
                                            {m_frameRateLbl, m_frameRate, m_frameRateUnit},
                                            {m_mediaLabelLbl, m_mediaLabel, nullptr}}};
    int gridBottom = columnTop;
    for (int side = 0; side < 2; ++side) {
        const int labelX = side == 0 ? 10 : half + 6;
        const int fieldX = side == 0 ? 122 : half + 118;
        const int fieldWidth = side == 0 ? half - 128 : half - 137;
        int rowTop = columnTop;
        for (const TGridRow &row : side == 0 ? left : right) {
            bool shown = false;
            if (row.Field == nullptr) {
                // Number of media "X" media type.
                shown = Shown(m_count) || Shown(m_media);
                if (shown) {
                    int x = fieldX;
                    if (Shown(m_count)) {
                        const int countWidth = view ? FittedEditWidth(m_count) : 40;
                        centred(m_count, x, rowTop, countWidth);
                        x += countWidth + 6;
                    }
                    if (Shown(m_countX)) {
                        const int xWidth = TextWidth(m_countX, m_countX->text()) + 2;
                        Place(m_countX, x, rowTop, xWidth, RowSlot);
                        x += xWidth + 6;
                    }
                    if (Shown(m_media))
                        centred(m_media, x, rowTop, std::max(40, fieldX + fieldWidth - x));
                }
            } else {
                shown = Shown(row.Field);
                if (shown && row.Unit)
                    fieldWithUnit(static_cast<QLineEdit *>(row.Field),
                                  row.Unit,
                                  fieldX,
                                  rowTop,
                                  fieldX + fieldWidth);
                else if (shown)
                    centred(row.Field, fieldX, rowTop, fieldWidth);
            }
            placeLabel(row.Label, labelX, rowTop, shown);
            if (shown) {
                rowTop += GridStep;
                any = true;
            }
        }
        gridBottom = std::max(gridBottom, rowTop);
    }
    y = gridBottom;

    // Features under the grid.
    QWidget *features = view ? static_cast<QWidget *>(m_featBox) : m_feat;
    const int featWidth = std::max(40, width - 35 - 122);
    if (Shown(features)) {
        any = true;
        y += 4;
        int featHeight = 0;
        Place(features, 122, y, featWidth, std::max(1, features->height()));
        if (view) {
            featHeight = BoxHeight(m_featBox);
        } else {
            const int lines = MemoLines(m_feat);
            featHeight = MemoHeight(m_feat, lines < 3 ? std::max(lines, 4) : lines);
        }
        Place(features, 122, y, featWidth, featHeight);
        SetVisible(m_featLbl, true);
        m_featLbl->setAlignment(Qt::AlignRight | Qt::AlignTop);
        Place(m_featLbl, 10, y + TextTop(features), GridLabelWidth, LineHeight(m_featLbl) + 2);
        PlaceMoreButton(m_featBox, view && m_featBox->HasMoreLines());
        y += featHeight + RowGap;
    } else {
        SetVisible(m_featLbl, false);
        PlaceMoreButton(m_featBox, false);
    }
    const int bottom = any ? y + 6 : top;
    PlaceShape(TBlock::File, width, top, bottom, any);
    return bottom;
}

void TmvFrame::PlaceShape(TBlock block, int width, int top, int bottom, bool shown)
{
    QFrame *shape = BlockShape(block);
    const bool visible = shown && ColorsOn() && (m_mode == ModeEdit || m_mode == ModeView);
    SetVisible(shape, visible);
    if (visible) {
        Place(shape, 4, top, width - 8, bottom - top);
        shape->lower();
    }
}

void TmvFrame::SetWebInfoAvailable(bool available)
{
    if (available == m_webInfo)
        return;
    m_webInfo = available;
    if (m_movie && (m_mode == ModeEdit || m_mode == ModeView))
        ShowMovie(m_movie, m_mode);
}
