#pragma once

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include <QPointer>
#include <QScrollArea>
#include <QString>
#include <QStringList>

#include "views/cardhost.h"

class QAbstractButton;
class QFrame;
class QImage;
class QTimer;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QToolButton;
class TCardCombo;
class TDBItem;
class TImage;
class TLinkText;
class TPicturePanel;
class TStarPanel;
class TStorablePicture;
struct TLink;

// What the movie card and the person card share: the scrolling pane, the modes, the item
// visibility rule, collapsible boxes, rating stars, pick lists, colours, the field menus,
// link clicks and the edit actions. The cards place their controls themselves with
// absolute geometry; the body widget inside the scroll area holds them all.
//
// The card keeps a plain pointer to the record it shows: the main window shows another
// record (or none) before it destroys the shown one.
class TCardFrame : public QScrollArea
{
    Q_OBJECT

public:
    enum TMode { ModeHidden = 0, ModeMessage = 1, ModeEdit = 2, ModeView = 3 };
    // The targets of the welcome links.
    static constexpr char WelcomeNew[] = "new";
    static constexpr char WelcomeImport[] = "import";
    // Milliseconds the pointer rests on a picture area before its buttons appear.
    static constexpr int DefaultHoverDelay = 500;

    ~TCardFrame() override;

    // The pointer's rest before picture buttons appear, in milliseconds. Tests set 0, so the
    // buttons appear on the next pass of the event loop.
    void SetHoverDelay(int milliseconds);
    int HoverDelay() const { return m_hoverDelay; }

    // Texts come from the host once one is set (captions are re-read at once).
    void SetHost(ICardHost *host);
    ICardHost *Host() const { return m_host; }
    // Items, collapse, choice lists, limits and colours; lays the card out again.
    void SetSettings(const TCardSettings &settings);
    const TCardSettings &Settings() const { return m_settings; }
    // While set, the seen and wish marks are disabled and the stars cannot be changed.
    void SetReadOnly(bool flag);
    bool ReadOnly() const { return m_readOnly; }
    // Block colours of the settings when on; a white card otherwise.
    void ApplyColors(bool on);
    bool ColorsOn() const { return m_colorsOn; }
    // Reads every caption again (after the language changed).
    void Retranslate();
    // An empty catalog: the message mode greets with links to the first steps instead of
    // "No record is selected."; `withImport` adds the link to importing a catalog.
    void SetWelcome(bool on, bool withImport);
    bool WelcomeOn() const { return m_welcome; }

    void FocusTitle();
    // Scrolls down by the visible height; false (and nothing done) at the end.
    bool ScrollPage();
    void ScrollHome();
    bool HasKeyboardFocus() const;
    int Mode() const { return m_mode; }
    // The card's height as last laid out, in pixels.
    int LayoutHeight() const { return m_layoutHeight; }

    // Collapsible boxes by object name ("DescBox", "AkaMemo", ...); unknown names read as
    // collapsed and are ignored when set.
    bool Expanded(const QString &boxName) const;
    void SetExpanded(const QString &boxName, bool flag);
    QStringList CollapsibleBoxes() const;

    // The edit actions of the field context menu, on the focused field of the card.
    // "Create Hyperlink" works in edit mode on a memo with the new-link dialog.
    void CreateHyperlink();
    bool CanCopy() const;
    void CopySelection();
    void SelectAllText();

    // The view-mode field menu for a field (sort entry, separator, one filter entry per
    // value part); nullptr when the field offers none now. The card owns the menu until
    // the next one is made.
    QMenu *FieldMenu(QWidget *field);
    // The edit context menu (hyperlink, cut, copy, paste, delete, select all) for a
    // control of the card; owned like FieldMenu.
    QMenu *EditMenu(QWidget *control);
    // The record on the card; nullptr for none.
    TDBItem *ShownRecord() const { return m_record; }

signals:
    // A welcome link was followed: WelcomeNew or WelcomeImport.
    void WelcomeLinkActivated(const QString &target);
    // A click on a star wrote a rating into the shown record.
    void RatingStored();
    // The poster, photo, covers or screenshots of the shown record are about to change;
    // PictureStored follows.
    void PictureChanging();
    // The poster, photo, covers or screenshots of the shown record changed.
    void PictureStored();

protected:
    enum class TBlock { Main, Custom, File, Picture };

    TCardFrame(TRecordKind kind, QWidget *parent);

    // Fills the controls from the shown record, or empties them without one.
    virtual void FillControls() = 0;
    // Shows and hides the controls for mode 2 or 3 (the item visibility rule).
    virtual void UpdateVisibility() = 0;
    // Places every visible control for a client width and height; returns the height.
    virtual int LayOut(int width, int height) = 0;
    // The link boxes an anchor link searches, in order.
    virtual QList<TLinkText *> AnchorBoxes() const = 0;
    virtual QWidget *TitleWidget() const = 0;
    // The choice lists and link kinds of the settings changed.
    virtual void ApplySettings() {}
    // Captions built from several texts (after a host or language change).
    virtual void UpdateDerivedTexts() {}
    // The filter parts of a field's value, in menu order; by default the value split at
    // the list separators, last part first.
    virtual QStringList MenuParts(QWidget *field, const QString &value) const;

    // The shared steps of showing a record: collapse rule, fill, mode look, visibility,
    // message, layout from the top.
    void ShowRecord(TDBItem *record, int mode);
    // Lays out again; keeps the scroll position, or starts at the top.
    void Relayout(bool keepPosition);
    // Lays out again after the current event (content typed into a memo, ...).
    void ScheduleRelayout();

    QString Text(int number, const QString &fallback) const;
    bool People() const { return m_people; }
    bool Filling() const { return m_filling; }
    bool ItemOn(int item) const;
    // The visibility rule: modes 2 and 3 only; in view mode a text control whose text is
    // empty, "0" or a zero time is hidden; then the item setting.
    bool RuleVisible(const QWidget *control, int item) const;
    static bool EmptyValue(const QString &text);
    static QString ControlText(const QWidget *control);
    static void SetVisible(QWidget *widget, bool flag);
    static bool Shown(const QWidget *widget);

    // Builders; every control gets its object name, its block and the card's handlers.
    QWidget *Body() const { return m_body; }
    QLabel *NewLabel(const QString &name, int textNumber, const QString &fallback, TBlock block);
    // A bold caption above a full-width box.
    QLabel *NewCaption(const QString &name, int textNumber, const QString &fallback, TBlock block);
    QLineEdit *NewEdit(const QString &name, int searchField, TBlock block);
    QPlainTextEdit *NewMemo(const QString &name, int searchField, TBlock block);
    TCardCombo *NewCombo(const QString &name, const QStringList &choices, TBlock block);
    // A link box; `followLinks` false shows links without following them.
    TLinkText *NewBox(const QString &name,
                      int searchField,
                      const QString &linkTag,
                      const QString &defaultAttribute,
                      TBlock block,
                      bool followLinks = true);
    QToolButton *NewButton(const QString &name, const QString &text, TBlock block);
    // Stars tied to a rating edit; `store` writes a clicked value into the record.
    TStarPanel *NewStars(const QString &name, QLineEdit *edit, std::function<void(double)> store);
    // The block both cards repeat for a text or list field: a caption, the memo that edits
    // the field, the link box that shows it and the box's "+"/"-" button.
    struct TMemoBlock
    {
        QLabel *Caption = nullptr;
        QPlainTextEdit *Memo = nullptr;
        TLinkText *Box = nullptr;
    };
    // Object names of a memo block's memo, link box and "+"/"-" button.
    struct TMemoNames
    {
        QString Memo;
        QString Box;
        QString More;
    };
    // Search fields of memo and box (-1: none) and the box's links (see NewBox).
    struct TMemoLinks
    {
        int MemoField = -1;
        int BoxField = -1;
        QString LinkTag;
        QString DefaultAttribute;
        bool Follow = true;
    };
    // Memo, box and button after `caption` (made by NewLabel or NewCaption).
    TMemoBlock
    NewMemoBlock(QLabel *caption, const TMemoNames &names, const TMemoLinks &links, TBlock block);
    // Memo and box show the same field text.
    static void SetBlockText(const TMemoBlock &block, const QString &text);
    // Shows the memo when `memoShown`; the box in view mode when the field holds text and
    // item `item` is on (-1: always). The layout shows the caption with its field.
    void ShowMemoBlock(const TMemoBlock &block, bool memoShown, int item);
    // A collapsible box (memo or link box) with its "+"/"-" button.
    void MakeCollapsible(QWidget *box, const QString &buttonName);
    QToolButton *MoreButton(const QWidget *box) const;
    void ExpandAll();
    // A check list for picking genres or careers; `write` receives the checked choices,
    // in list order, joined with ", ", when the list is left.
    QListWidget *NewPicker(const QString &name, std::function<void(const QString &)> write);
    void OpenPicker(QListWidget *list,
                    const QStringList &choices,
                    const QString &current,
                    QRect geometry);
    // Leaving a pick list writes its checked choices unless `write` is false.
    void ClosePicker(bool write = true);
    QListWidget *OpenPickerList() const { return m_openPicker; }
    TPicturePanel *NewPicture(const QString &name);
    void SetPicture(TPicturePanel *panel, const TImage &image);
    void SetBlockShape(TBlock block, QFrame *shape);
    QFrame *BlockShape(TBlock block) const;
    void AddToBlock(QWidget *control, TBlock block);
    // Right-click on the control opens the field menu (view mode) or the edit menu.
    void InstallMenu(QWidget *control);
    // The seen and wish marks and other controls the read-only flag disables.
    virtual void ApplyReadOnly() {}

    // Mode looks of the registered controls (bevels, read-only, drop-down edges).
    void ApplyModeLook();
    // Every registered control takes its block's colour (also after adding controls).
    void ApplyBlockColors();
    // Keeps a caption up to date with the language: number and default text.
    void SetCaption(QWidget *control, int textNumber, const QString &fallback);
    // The same for a tooltip.
    void SetHint(QWidget *control, int textNumber, const QString &fallback);

    // Layout helpers. h = the height of one text line of a control's font.
    static int LineHeight(const QWidget *control);
    // Display lines of a memo at its current width (wrapped lines, at least 1).
    static int MemoLines(const QPlainTextEdit *memo);
    // lines x h + 2 plus the memo's frame and margins.
    static int MemoHeight(const QPlainTextEdit *memo, int lines);
    // Offset of the first text line from the control's top (to align labels with it).
    static int TextTop(const QWidget *control);
    // Sets geometry and makes sure a hidden or unshown control has taken its new size.
    static void Place(QWidget *widget, int x, int y, int width, int height);
    // Places the poster or photo at (10, top) within the card's size limits in percent
    // (140 x 100 without a picture); the returned rectangle is empty at (10, top) when the
    // panel is hidden.
    QRect PlacePicture(TPicturePanel *panel,
                       int top,
                       int width,
                       int height,
                       int maxWidthPercent,
                       int maxHeightPercent);
    // A collapsible memo in view mode: one line collapsed, all lines expanded.
    int CollapsibleMemoHeight(QPlainTextEdit *memo) const;
    // A link box: NeededHeight for one line (collapsed) or all lines.
    int BoxHeight(TLinkText *box) const;
    // The "+"/"-" button 2 pixels right of a box at its top, shown when `wanted`.
    void PlaceMoreButton(const QWidget *box, bool wanted);
    // Rows of the main block: a single-line field is centred in a 26-pixel slot and the
    // next row starts 32 pixels lower; a taller field starts at the row top and the next
    // row 6 pixels below it. The label ends 6 pixels left of the field.
    struct TRows
    {
        int Y = 0;
        int LabelLeft = 10;
        int FieldX = 110;
    };
    static constexpr int RowSlot = 26;
    static constexpr int RowStep = 32;
    static constexpr int RowGap = 6;
    // Widths both cards give a rating box and a small button beside a field.
    static constexpr int RatingEditWidth = 44;
    static constexpr int SmallButtonWidth = 24;
    void PlaceRow(TRows &rows, QLabel *label, QWidget *field, int width, int height);
    // A memo block as one row: the memo in edit mode, as high as its lines but at least
    // `minLines` while it holds fewer than 4; else the link box, collapsible.
    void PlaceMemoRow(TRows &rows, const TMemoBlock &block, int width, int minLines);
    // Full-width blocks below the rows, each under its centred caption and 24 pixels apart.
    // Width is the card's client width; Bottom the lowest field's bottom so far.
    struct TTextColumn
    {
        int Width = 0;
        int Y = 0;
        int Bottom = 0;
        int FieldWidth() const { return std::max(40, Width - 45); }
    };
    // `field` below `caption`, full width and `height` high; the caption hides with a field
    // that is not shown, and the column stays where it was.
    void PlaceUnderCaption(TTextColumn &column, QLabel *caption, QWidget *field, int height);
    // A memo block as a full-width block: the memo in edit mode (at least 4 lines while it
    // holds fewer than 3), else the link box, collapsible.
    void PlaceTextBlock(TTextColumn &column, const TMemoBlock &block);
    // The width a label needs for its text.
    static int TextWidth(const QWidget *control, const QString &text);
    // A frameless edit exactly as wide as its text (without scrolling it).
    static int FittedEditWidth(const QLineEdit *edit);

    // Rating texts: "%2.1f" above 0, else empty; numbers typed by the user read with the
    // locale or with a point; unreadable text gives 0.
    static QString RatingText(double value);
    static QString NumberText(double value);
    static double ParseNumber(const QString &text);
    static qint64 ParseInteger(const QString &text);
    // Memo text as the catalog keeps it (CR LF line breaks) and back.
    static void SetMemoText(QPlainTextEdit *memo, const QString &text);
    static QString MemoText(const QPlainTextEdit *memo);

    // The message label of mode 1.
    QLabel *MessageLabel() const { return m_message; }

    // Picture areas. Pointing at an area (or one of its buttons) for HoverDelay() ms shows
    // its buttons; leaving every area hides them. Areas are numbered from 1 by the card.
    void WatchHover(QWidget *widget, int area);
    int HoverArea() const { return m_hoverArea; }
    // The hover timer fired while a record is shown: area 0 hides every picture button.
    virtual void ShowHoverButtons(int area) = 0;
    // A 25 x 25 picture button on `panel`, hidden until its area is hovered.
    QToolButton *NewPictureButton(QWidget *panel,
                                  const QString &name,
                                  const QString &iconName,
                                  int hintNumber,
                                  const QString &hint);
    // A picture button that keeps its area `area` hovered and runs `action` when clicked.
    QToolButton *NewHoverButton(QWidget *panel,
                                const QString &name,
                                const QString &iconName,
                                int hintNumber,
                                const QString &hint,
                                int area,
                                std::function<void()> action);
    // The poster or photo actions on the shown record, shown in `panel`.
    void BrowsePicture(TPicturePanel *panel);
    // Stores a picture file as the poster or photo (browsed or dropped): JPEG and BMP as
    // they are, other pictures Qt reads as a JPEG copy; unreadable ones are reported.
    void StorePictureFile(TPicturePanel *panel, const QString &file);
    // `file` as a picture slot stores it (see TStorablePicture). Nothing, after telling the
    // user, when it cannot be read, or when it needs a JPEG copy and `keepsPath` says the
    // slot would keep the copy's temporary path (the catalog has no folder for its files).
    std::optional<TStorablePicture> StorablePicture(const QString &file, bool keepsPath = false);
    void SavePicture();
    void ClearPicture(TPicturePanel *panel);
    // Opens the picture viewer with a copy of the image (nothing for a null image).
    void OpenViewer(const QImage &image);
    // Reads a ".jpg" or ".bmp" file (any case); a null image for other files and for files
    // that cannot be read (then the user is told).
    TImage ReadPictureFile(const QString &file);
    // Enter and leave of a watched picture area; true when the event was one.
    bool HoverEvent(QObject *watched, QEvent *event);

    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

protected:
    int m_mode = ModeHidden;
    TCardSettings m_settings;
    bool m_readOnly = false;

private:
    struct TCaption
    {
        QPointer<QWidget> Control;
        int Number;
        QString Fallback;
        bool Hint = false; // the text is the control's tooltip
    };
    struct TCollapsible
    {
        QWidget *Box;
        QToolButton *Button;
        bool Expanded = false;
    };
    struct TStars
    {
        TStarPanel *Panel;
        QLineEdit *Edit;
    };

    void OnLinkClicked(TLinkText *box, const TLink &link);
    void JumpToAnchor(const QString &value);
    void OnContextMenu(QWidget *control, const QPoint &pos);
    void ToggleBox(QWidget *box);
    TCollapsible *FindBox(const QString &name);
    const TCollapsible *FindBox(const QString &name) const;
    void ApplyStarsEditable();
    QWidget *FocusedControl() const;
    void RunLayout();
    void UpdateWelcome();

    bool m_people;
    ICardHost *m_host = nullptr;
    TDBItem *m_record = nullptr;
    bool m_colorsOn = true;
    bool m_filling = false;
    bool m_inLayout = false;
    bool m_relayoutPending = false;
    int m_layoutHeight = 0;
    QWidget *m_body = nullptr;
    QLabel *m_message = nullptr;
    bool m_welcome = false;
    bool m_welcomeImport = false;
    QLabel *m_newLink = nullptr;
    QLabel *m_importLink = nullptr;
    QPointer<QMenu> m_menu;
    std::vector<TCaption> m_captions;
    std::vector<TCollapsible> m_boxes;
    std::vector<TStars> m_stars;
    std::array<QList<QPointer<QWidget>>, 4> m_blocks;
    std::array<QFrame *, 4> m_shapes{};
    QList<QLineEdit *> m_edits;
    QList<QPlainTextEdit *> m_memos;
    QList<TCardCombo *> m_combos;
    QList<QFrame *> m_panels;
    QListWidget *m_openPicker = nullptr;
    std::vector<std::pair<QListWidget *, std::function<void(const QString &)>>> m_pickers;
    QTimer *m_imgTimer = nullptr;
    int m_hoverDelay = DefaultHoverDelay;
    int m_hoverArea = 0;
    std::vector<std::pair<QPointer<QWidget>, int>> m_hoverWidgets;
};
