#pragma once

#include <array>

#include <QStringList>

#include "views/cardframe.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QToolButton;
class TBaseMovie;
class TCardCombo;
class TLinkText;
class TPicturePanel;
class TStarPanel;

// The movie card: the focused movie or episode, read as a card with link text and field
// menus (mode 3) or edited field by field (mode 2). The main window decides the mode and
// asks for the edits back with StoreEdits; the seen and wish marks only report clicks.
class TmvFrame : public TCardFrame
{
    Q_OBJECT

public:
    explicit TmvFrame(QWidget *parent = nullptr);

    // Mode 0 hidden, 1 message, 2 edit, 3 view; `record` may be nullptr (empty fields).
    void ShowMovie(TBaseMovie *record, int mode);
    TBaseMovie *Movie() const { return m_movie; }
    // Writes every edit control back into `record`; nothing unless it is the one shown.
    void StoreEdits(TBaseMovie *record);
    // Seen check and label from the record (after the window changed `viewed`).
    void RefreshSeen();
    // Ctrl+Shift+click on a movie of the list: a link to it in the connections memo
    // (edit mode, memo shown, movie with an original title).
    void AddLinkToMovie(const TBaseMovie &movie);
    // The catalog's custom field names, in field order. Rebuilds the custom block at once
    // unless the card is editing (then from the next ShowMovie).
    void SetCustomFieldNames(const QStringList &names);
    // Whether a movie-information plug-in exists for the information button.
    void SetWebInfoAvailable(bool available);
    // Whether default poster and cover plug-ins exist for the fetch buttons.
    void SetPictureFetchAvailable(bool poster, bool cover);
    // Puts screenshots into the three slots: `list` holds "|"-separated paths relative to
    // the screenshots folder, the last one going to slot 1, the one before it to slot 2 and
    // so on; a single path with `slot` 1..3 goes into that slot. `reset` empties the slots
    // first. The shown movie then keeps the slots' paths, slot 3 first.
    void LoadScreenshots(const QString &list, bool reset, int slot);
    // The path of slot 1..3 (empty when the slot holds none).
    QString SlotPath(int slot) const;

signals:
    // The user clicked the seen or wish mark (or its label); the window sets the field.
    void SeenToggled(bool checked);
    void WishToggled(bool checked);
    // The browse button of the local file.
    void BrowseMediaFile();
    // The information button: fill the movie from the web.
    void WebInfoRequested();

protected:
    void FillControls() override;
    void UpdateVisibility() override;
    int LayOut(int width, int height) override;
    QList<TLinkText *> AnchorBoxes() const override;
    QWidget *TitleWidget() const override;
    void ApplySettings() override;
    void UpdateDerivedTexts() override;
    QStringList MenuParts(QWidget *field, const QString &value) const override;
    void ApplyReadOnly() override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void ShowHoverButtons(int area) override;

private:
    // The file block's part of UpdateVisibility.
    void UpdateFileVisibility();
    void BuildControls();
    // Title, web information button, seen and wish marks, poster.
    void BuildTitleRow();
    // Original title to borrower, beside the poster.
    void BuildMainRows();
    // Tagline, description, comments, awards and connections.
    void BuildTextBlocks();
    // Local file, the file information grid and the features.
    void BuildFileBlock();
    void RebuildCustomFields();
    void UpdateSeenLabel();
    QString DurationText() const;
    double ParseDuration(const QString &text) const;
    int LayOutTitleRow(int width);
    int LayOutMainRows(int width, int top, int posterBottom, int fieldX, int labelLeft);
    int LayOutTextBlocks(int width, int top);
    int LayOutCustomBlock(int width, int top);
    int LayOutFileBlock(int width, int top);
    // The file block's two columns from `top`; returns their bottom. `any` turns true when a
    // row is shown.
    int LayOutFileGrid(int width, int top, bool &any);
    // The features row under the grid at `y`; returns the next free y.
    int LayOutFeatures(int width, int y, bool &any);
    // A grid label left of its row, or hidden; a single-line field centred in its row.
    static void PlaceGridLabel(QLabel *label, int x, int rowTop, bool shown);
    static void PlaceCentred(QWidget *field, int x, int rowTop, int fieldWidth);
    int LayOutPictureBlock(int width, int top);
    void PlacePictureButtons();
    void BuildPictureControls();
    // The poster's buttons, the three screenshot slots and the two covers with theirs.
    void BuildPosterButtons();
    void BuildScreenshotPanel();
    void BuildCoverPanel();
    void FillPictures();
    // Writes the slots into the shown movie and takes back the paths it stored.
    void StoreScreenshots();
    void BrowseScreenshot(int slot);
    // Puts "|"-separated files (browsed or dropped) into screenshot slot 1..3.
    void StoreScreenshotFiles(int slot, const QString &files);
    void GrabScreenshot(int slot);
    void RemoveScreenshot(int slot);
    void BrowseCover(bool disc);
    void StoreCover(bool disc, const QString &file);
    // Files dragged from the desktop onto the card (events of the viewport): the window
    // takes catalogs and media files; a picture dropped on the poster, a screenshot slot or
    // a cover goes where that slot's browse button would put it. True for drag events.
    bool DragEvent(QEvent *event);
    // The picture slot under a point of the viewport that takes a dropped picture now.
    TPicturePanel *DropSlotAt(QPoint viewportPos) const;
    void StoreDroppedPicture(TPicturePanel *slot, const QString &file);
    void RemoveCover(bool disc);
    void ShowCover(TPicturePanel *panel, const QString &path);
    // A double-click on a picture opens the viewer; true when it was one.
    bool PictureDoubleClick(QObject *watched, QEvent *event);
    void PlaceShape(TBlock block, int width, int top, int bottom, bool shown);

    TBaseMovie *m_movie = nullptr;
    QStringList m_customNames;
    // The names the custom controls were built for.
    QStringList m_builtNames;

    // Title row.
    QLineEdit *m_title;
    QToolButton *m_infoBtn = nullptr;
    bool m_webInfo = false;
    QCheckBox *m_seenCheck;
    QLabel *m_seenLbl;
    QCheckBox *m_wishCheck;
    QLabel *m_wishLbl;
    TPicturePanel *m_poster;

    // Main block.
    QLabel *m_origTitleLbl;
    QLineEdit *m_origTitle;
    QLabel *m_akaLbl;
    QPlainTextEdit *m_aka;
    QLabel *m_yearLbl;
    QLineEdit *m_year;
    QLabel *m_genreLbl;
    QLineEdit *m_genre;
    QToolButton *m_genreBtn;
    QListWidget *m_genresList;
    TMemoBlock m_directorBlock;
    TMemoBlock m_producerBlock;
    TMemoBlock m_scenarioBlock;
    QLabel *m_musicLbl;
    QLineEdit *m_music;
    TLinkText *m_musicBox;
    TMemoBlock m_actorsBlock;
    QLabel *m_countryLbl;
    QLineEdit *m_country;
    QLabel *m_studioLbl;
    QLineEdit *m_studio;
    QLabel *m_mpaaLbl;
    QLineEdit *m_mpaa;
    QLabel *m_releaseLbl;
    QLineEdit *m_release;
    TMemoBlock m_urlBlock;
    QLabel *m_imdbLbl;
    QLineEdit *m_imdbRating;
    TStarPanel *m_imdbStars;
    QLabel *m_oratingLbl;
    QLineEdit *m_orating;
    TStarPanel *m_oStars;
    QLabel *m_ratingLbl;
    QLineEdit *m_rating;
    TStarPanel *m_stars;
    TMemoBlock m_tagsBlock;
    QLabel *m_dateCaption;
    QLabel *m_dateLbl;
    QLabel *m_lentCaption;
    QLabel *m_lentLbl;

    // Full-width text blocks.
    QLabel *m_sloganLbl;
    QPlainTextEdit *m_slogan;
    TMemoBlock m_descBlock;
    TMemoBlock m_commentBlock;
    TMemoBlock m_awardsBlock;
    TMemoBlock m_linksBlock;

    // Custom block: one label and one edit per custom field, rebuilt per movie.
    QList<QLabel *> m_customLabels;
    QList<QLineEdit *> m_customEdits;

    // File block.
    QLabel *m_fileLbl;
    QLineEdit *m_file;
    QToolButton *m_browseBtn;
    QLabel *m_qualityLbl;
    TCardCombo *m_quality;
    QLabel *m_lengthLbl;
    QLineEdit *m_length;
    QLabel *m_langLbl;
    QLineEdit *m_lang;
    QLabel *m_transLbl;
    TCardCombo *m_translation;
    QLabel *m_subsLbl;
    QLineEdit *m_subs;
    QLabel *m_sizeLbl;
    QLineEdit *m_size;
    QLabel *m_sizeUnit;
    QLabel *m_mediaLbl;
    QLineEdit *m_count;
    QLabel *m_countX;
    TCardCombo *m_media;
    QLabel *m_vidCodecLbl;
    TCardCombo *m_vidCodec;
    QLabel *m_vidBpsLbl;
    QLineEdit *m_vidBps;
    QLabel *m_vidBpsUnit;
    QLabel *m_audioCodecLbl;
    TCardCombo *m_audioCodec;
    QLabel *m_audioBpsLbl;
    QLineEdit *m_audioBps;
    QLabel *m_audioBpsUnit;
    QLabel *m_resLbl;
    QLineEdit *m_res;
    QLabel *m_frameRateLbl;
    QLineEdit *m_frameRate;
    QLabel *m_frameRateUnit;
    QLabel *m_mediaLabelLbl;
    QLineEdit *m_mediaLabel;
    TMemoBlock m_featBlock;

    // Pictures: the poster's buttons, the screenshot slots and the covers, with the
    // buttons that appear when the pointer rests on an area.
    enum THoverArea { HoverNone = 0, HoverPoster = 1, HoverScreens = 2, HoverCovers = 3 };
    bool m_posterFetch = false;
    bool m_coverFetch = false;
    QToolButton *m_imgBrowseBtn;
    QToolButton *m_imgImportBtn;
    QToolButton *m_saveImgBtn;
    QToolButton *m_imgClearBtn;
    QFrame *m_screenPanel;
    QLabel *m_screenLbl;
    std::array<TPicturePanel *, 3> m_screenSlots{};
    std::array<QString, 3> m_slotPaths;
    std::array<QToolButton *, 3> m_screenBrowseBtns{};
    std::array<QToolButton *, 3> m_makeScreenBtns{};
    std::array<QToolButton *, 3> m_delScreenBtns{};
    QFrame *m_coverPanel;
    QLabel *m_frontCoverLbl;
    QLabel *m_discCoverLbl;
    TPicturePanel *m_frontImg;
    TPicturePanel *m_discImg;
    QToolButton *m_openFrontBtn;
    QToolButton *m_openCDBtn;
    QToolButton *m_getFCBtn1;
    QToolButton *m_getFCBtn2;
    QToolButton *m_delFrontBtn;
    QToolButton *m_delCDBtn;
};
