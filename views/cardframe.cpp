#include "views/cardframe.h"

#include <cmath>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>

#include "catalog/dbitem.h"
#include "catalog/image.h"
#include "catalog/localetext.h"
#include "catalog/textutils.h"
#include "views/cardframe_p.h"
#include "views/cardwidgets_p.h"
#include "views/contrast.h"
#include "views/imageqt.h"
#include "views/linktext.h"
#include "views/newlinkdlg.h"
#include "views/starpanel.h"

using namespace Qt::StringLiterals;

using namespace CardFrame;

namespace {

// "%1" and "%2" of a language text, filled in one pass so a value holding "%2" stays as
// it is.
QString FormatText(const QString &text, const QString &first, const QString &second = {})
{
    QString out;
    out.reserve(text.size() + first.size() + second.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'%' && i + 1 < text.size()
            && (text[i + 1] == u'1' || text[i + 1] == u'2')) {
            out.append(text[i + 1] == u'1' ? first : second);
            ++i;
        } else {
            out.append(text[i]);
        }
    }
    return out;
}

QLocale NumberLocale()
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return locale;
}

} // namespace

TCardFrame::TCardFrame(TRecordKind kind, QWidget *parent)
    : QScrollArea(parent)
    , m_people(kind == TRecordKind::Person)
{
    // Until the main window hands over its settings every field is shown.
    m_settings.ItemVisible.fill(true);
    m_settings.PeopleItemVisible.fill(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWidgetResizable(false);
    m_body = new QWidget;
    m_body->setObjectName(u"CardBody"_s);
    m_body->setAutoFillBackground(true);
    // A click on empty space takes the focus, which closes an open pick list.
    m_body->setFocusPolicy(Qt::ClickFocus);
    setWidget(m_body);
    viewport()->installEventFilter(this);
    verticalScrollBar()->setSingleStep(20);

    m_message = new QLabel(m_body);
    m_message->setObjectName(u"MessageLbl"_s);
    m_message->setWordWrap(true);
    QFont font = m_message->font();
    font.setPointSize(18);
    m_message->setFont(font);
    m_message->hide();
    SetCaption(m_message, 1868, u"No record is selected."_s);

    for (QLabel **link : {&m_newLink, &m_importLink}) {
        *link = new QLabel(m_body);
        QFont linkFont = (*link)->font();
        linkFont.setPointSize(12);
        (*link)->setFont(linkFont);
        (*link)->setTextFormat(Qt::RichText);
        (*link)->setWordWrap(true);
        (*link)->setTextInteractionFlags(Qt::LinksAccessibleByMouse
                                         | Qt::LinksAccessibleByKeyboard);
        (*link)->setFocusPolicy(Qt::StrongFocus);
        (*link)->hide();
        connect(*link, &QLabel::linkActivated, this, &TCardFrame::WelcomeLinkActivated);
    }
    m_newLink->setObjectName(u"WelcomeNewLink"_s);
    m_importLink->setObjectName(u"WelcomeImportLink"_s);
}

TCardFrame::~TCardFrame() = default;

void TCardFrame::SetHost(ICardHost *host)
{
    m_host = host;
    Retranslate();
}

void TCardFrame::SetSettings(const TCardSettings &settings)
{
    m_settings = settings;
    ApplySettings();
    ApplyBlockColors();
    if (m_mode == ModeEdit || m_mode == ModeView)
        UpdateVisibility();
    Relayout(true);
}

void TCardFrame::SetReadOnly(bool flag)
{
    m_readOnly = flag;
    ApplyStarsEditable();
    ApplyReadOnly();
}

void TCardFrame::ApplyColors(bool on)
{
    m_colorsOn = on;
    ApplyBlockColors();
    Relayout(true);
}

void TCardFrame::Retranslate()
{
    for (const TCaption &caption : m_captions) {
        if (!caption.Control)
            continue;
        const QString text = Text(caption.Number, caption.Fallback);
        if (caption.Hint)
            caption.Control->setToolTip(text);
        else if (auto *label = qobject_cast<QLabel *>(caption.Control))
            label->setText(text);
        else if (auto *button = qobject_cast<QAbstractButton *>(caption.Control))
            button->setText(text);
    }
    UpdateWelcome();
    UpdateDerivedTexts();
    Relayout(true);
}

void TCardFrame::SetWelcome(bool on, bool withImport)
{
    if (on == m_welcome && withImport == m_welcomeImport)
        return;
    m_welcome = on;
    m_welcomeImport = withImport;
    UpdateWelcome();
    Relayout(false);
}

void TCardFrame::UpdateWelcome()
{
    // Rich text takes its link colour from the application when the text is set, not from
    // the label: the card's own (readable) link colour is written into the anchor.
    const QString ink = m_newLink->palette().color(QPalette::Link).name();
    const auto link = [&ink](const char *target, const QString &text) {
        return u"<a href=\"%1\" style=\"color:%2\">%3</a>"_s.arg(
            QLatin1StringView(target), ink, text.toHtmlEscaped());
    };
    if (m_welcome) {
        m_message->setText(m_people ? Text(3741, u"This catalog has no people yet."_s)
                                    : Text(3740, u"This catalog has no movies yet."_s));
    } else {
        m_message->setText(Text(1868, u"No record is selected."_s));
    }
    m_newLink->setText(link(WelcomeNew,
                            m_people ? Text(3743, u"Add your first person (Ctrl+N)"_s)
                                     : Text(3742, u"Add your first movie (Ctrl+N)"_s)));
    m_importLink->setText(
        link(WelcomeImport, Text(3744, u"Import a catalog from another program"_s)));
    const bool message = m_mode == ModeMessage;
    m_newLink->setVisible(message && m_welcome);
    m_importLink->setVisible(message && m_welcome && m_welcomeImport);
}

void TCardFrame::FocusTitle()
{
    if (QWidget *title = TitleWidget(); title && Shown(title))
        title->setFocus(Qt::OtherFocusReason);
}

bool TCardFrame::ScrollPage()
{
    QScrollBar *bar = verticalScrollBar();
    if (bar->value() >= bar->maximum())
        return false;
    bar->setValue(bar->value() + viewport()->height());
    return true;
}

void TCardFrame::ScrollHome()
{
    verticalScrollBar()->setValue(0);
}

bool TCardFrame::HasKeyboardFocus() const
{
    const QWidget *focus = QApplication::focusWidget();
    return focus && (focus == this || isAncestorOf(focus));
}

bool TCardFrame::Expanded(const QString &boxName) const
{
    const TCollapsible *box = FindBox(boxName);
    return box && box->Expanded;
}

void TCardFrame::SetExpanded(const QString &boxName, bool flag)
{
    TCollapsible *box = FindBox(boxName);
    if (!box)
        return;
    box->Expanded = flag;
    box->Button->setText(flag ? u"-"_s : u"+"_s);
    if (m_mode != ModeView)
        return;
    // The reader stays at the same share of the card.
    QScrollBar *bar = verticalScrollBar();
    const int oldRange = m_layoutHeight;
    const double percent = oldRange > 0 ? bar->value() * 100.0 / oldRange : 0.0;
    Relayout(false);
    if (m_layoutHeight > viewport()->height())
        bar->setValue(int(std::ceil(percent * m_layoutHeight / 100.0)));
}

QStringList TCardFrame::CollapsibleBoxes() const
{
    QStringList names;
    for (const TCollapsible &box : m_boxes)
        names.append(box.Box->objectName());
    return names;
}

QWidget *TCardFrame::FocusedControl() const
{
    QWidget *focus = QApplication::focusWidget();
    if (!focus || !isAncestorOf(focus))
        return nullptr;
    // The line edit inside a drop-down, the viewport inside a memo.
    for (QWidget *w = focus; w && w != m_body; w = w->parentWidget()) {
        if (qobject_cast<QPlainTextEdit *>(w) || qobject_cast<TLinkText *>(w)
            || qobject_cast<QLineEdit *>(w))
            return w;
    }
    return nullptr;
}

void TCardFrame::CreateHyperlink()
{
    if (m_mode != ModeEdit)
        return;
    auto *memo = qobject_cast<QPlainTextEdit *>(FocusedControl());
    if (!memo || memo->isReadOnly())
        return;
    TNewLinkDlg::Run(memo);
}

bool TCardFrame::CanCopy() const
{
    QWidget *control = FocusedControl();
    if (auto *box = qobject_cast<TLinkText *>(control))
        return !box->SelectedText().isEmpty();
    if (auto *edit = qobject_cast<QLineEdit *>(control))
        return edit->hasSelectedText();
    if (auto *memo = qobject_cast<QPlainTextEdit *>(control))
        return memo->textCursor().hasSelection();
    return false;
}

void TCardFrame::CopySelection()
{
    QWidget *control = FocusedControl();
    if (auto *box = qobject_cast<TLinkText *>(control))
        box->CopySelection();
    else if (auto *edit = qobject_cast<QLineEdit *>(control))
        edit->copy();
    else if (auto *memo = qobject_cast<QPlainTextEdit *>(control))
        memo->copy();
}

void TCardFrame::SelectAllText()
{
    QWidget *control = FocusedControl();
    if (auto *box = qobject_cast<TLinkText *>(control))
        box->SelectAll();
    else if (auto *edit = qobject_cast<QLineEdit *>(control))
        edit->selectAll();
    else if (auto *memo = qobject_cast<QPlainTextEdit *>(control))
        memo->selectAll();
}

QMenu *TCardFrame::FieldMenu(QWidget *field)
{
    if (m_mode != ModeView || !field)
        return nullptr;
    bool ok = false;
    const int number = field->property(SearchFieldProperty).toInt(&ok);
    if (!ok)
        return nullptr;
    const QString value = ControlText(field);
    if (value.isEmpty() || value == u"0")
        return nullptr;
    delete m_menu;
    m_menu = new QMenu(this);
    m_menu->setObjectName(u"FieldMenu"_s);
    const bool people = m_people;
    const TRecordKind kind = people ? TRecordKind::Person : TRecordKind::Movie;
    const QString column = m_host ? m_host->SortColumnCaption(kind, number) : QString();
    auto sortBy = [this, kind, number] {
        if (m_host)
            m_host->SortByItem(kind, number);
    };
    // The title and name fields sort only; they are no filter.
    if (number == 2 || number == 3) {
        const QString text = people ? Text(1893, u"Sort by %1"_s) : Text(1886, u"Sort by %1"_s);
        connect(m_menu->addAction(FormatText(text, column)), &QAction::triggered, this, sortBy);
        return m_menu;
    }
    const QString caption = m_host ? m_host->SearchFieldCaption(kind, number) : QString();
    connect(m_menu->addAction(FormatText(Text(1885, u"Sort by %1"_s), caption, column)),
            &QAction::triggered,
            this,
            sortBy);
    m_menu->addSeparator();
    const QString filterText = people ? Text(1894, u"Show all with %1 \"%2\""_s)
                                      : Text(1869, u"Show all with %1 \"%2\""_s);
    for (const QString &part : MenuParts(field, value)) {
        if (part.isEmpty() || part == u"0")
            continue;
        QAction *action = m_menu->addAction(FormatText(filterText, caption, part));
        connect(action, &QAction::triggered, this, [this, kind, number, part] {
            if (m_host)
                m_host->SetSearchField(kind, number, part);
        });
    }
    return m_menu;
}

QMenu *TCardFrame::EditMenu(QWidget *control)
{
    delete m_menu;
    m_menu = new QMenu(this);
    m_menu->setObjectName(u"EditMenu"_s);
    const bool edit = m_mode == ModeEdit;
    // The control may go (custom fields are rebuilt) while the menu stays open.
    const QPointer<QPlainTextEdit> memo = qobject_cast<QPlainTextEdit *>(control);
    const QPointer<QLineEdit> line = qobject_cast<QLineEdit *>(control);
    const QPointer<TLinkText> box = qobject_cast<TLinkText *>(control);
    const bool writable = edit && ((memo && !memo->isReadOnly()) || (line && !line->isReadOnly()));
    const bool selected = (memo && memo->textCursor().hasSelection())
                          || (line && line->hasSelectedText())
                          || (box && !box->SelectedText().isEmpty());
    auto add = [this](const QString &text, bool visible, bool enabled, auto handler) {
        QAction *action = m_menu->addAction(text);
        action->setVisible(visible);
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    QAction *link = add(u"Create &Hyperlink"_s, edit, memo && writable, [this, memo] {
        if (memo && m_mode == ModeEdit) {
            memo->setFocus(Qt::OtherFocusReason);
            TNewLinkDlg::Run(memo);
        }
    });
    link->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    m_menu->addSeparator();
    add(Text(147, u"Cu&t"_s), edit, writable && selected, [memo, line] {
        if (memo)
            memo->cut();
        else if (line)
            line->cut();
    });
    add(Text(148, u"&Copy"_s), true, selected, [memo, line, box] {
        if (memo)
            memo->copy();
        else if (line)
            line->copy();
        else if (box)
            box->CopySelection();
    });
    add(Text(149, u"&Paste"_s), edit, writable, [memo, line] {
        if (memo)
            memo->paste();
        else if (line)
            line->paste();
    });
    add(Text(125, u"&Delete"_s), edit, writable && selected, [memo, line] {
        if (memo)
            memo->textCursor().removeSelectedText();
        else if (line)
            line->del();
    });
    m_menu->addSeparator();
    add(Text(146, u"Select &All"_s), true, memo || line || box, [memo, line, box] {
        if (memo)
            memo->selectAll();
        else if (line)
            line->selectAll();
        else if (box)
            box->SelectAll();
    });
    return m_menu;
}

QStringList TCardFrame::MenuParts(QWidget *, const QString &value) const
{
    return SplitList(value);
}

void TCardFrame::ShowRecord(TDBItem *record, int mode)
{
    if (mode < ModeHidden || mode > ModeView)
        mode = ModeHidden;
    const bool collapse = m_people ? m_settings.PeopleCollapse : m_settings.Collapse;
    if (record != m_record && !collapse)
        ExpandAll();
    setUpdatesEnabled(false);
    ClosePicker(false);
    m_record = record;
    m_mode = mode;
    m_filling = true;
    FillControls();
    m_filling = false;
    ApplyModeLook();
    if (mode == ModeEdit || mode == ModeView) {
        UpdateVisibility();
    } else {
        for (QObject *child : m_body->children()) {
            if (auto *widget = qobject_cast<QWidget *>(child))
                widget->hide();
        }
    }
    m_message->setVisible(mode == ModeMessage);
    UpdateWelcome();
    ApplyStarsEditable();
    ApplyReadOnly();
    // Buttons already shown follow the new record, mode and read-only flag.
    if (m_imgTimer)
        ShowHoverButtons(record && (mode == ModeEdit || mode == ModeView) ? m_hoverArea : 0);
    Relayout(false);
    setUpdatesEnabled(true);
}

void TCardFrame::Relayout(bool keepPosition)
{
    if (m_inLayout)
        return;
    m_relayoutPending = false;
    m_inLayout = true;
    QScrollBar *bar = verticalScrollBar();
    const int position = keepPosition ? bar->value() : 0;
    RunLayout();
    // The scroll bar came or went and changed the client width.
    if (m_body->width() != viewport()->width())
        RunLayout();
    bar->setValue(position);
    m_inLayout = false;
}

void TCardFrame::RunLayout()
{
    const int width = viewport()->width();
    const int height = viewport()->height();
    int laidOut = 0;
    if (m_mode == ModeEdit || m_mode == ModeView) {
        laidOut = LayOut(width, height);
    } else if (m_mode == ModeMessage) {
        const int labelWidth = std::max(40, width - 40);
        Place(m_message, 20, 30, labelWidth, m_message->heightForWidth(labelWidth));
        laidOut = m_message->geometry().bottom() + 1;
        for (QLabel *link : {m_newLink, m_importLink}) {
            if (link->isHidden())
                continue;
            Place(link, 20, laidOut + 16, labelWidth, link->heightForWidth(labelWidth));
            laidOut = link->geometry().bottom() + 1;
        }
    }
    if (!m_colorsOn || (m_mode != ModeEdit && m_mode != ModeView)) {
        for (QFrame *shape : m_shapes) {
            if (shape)
                shape->hide();
        }
    }
    m_layoutHeight = laidOut;
    m_body->resize(width, std::max(laidOut, height));
}

void TCardFrame::ScheduleRelayout()
{
    if (m_relayoutPending)
        return;
    m_relayoutPending = true;
    QTimer::singleShot(0, this, [this] {
        if (m_relayoutPending)
            Relayout(true);
    });
}

QString TCardFrame::Text(int number, const QString &fallback) const
{
    return m_host ? m_host->Text(number, fallback) : fallback;
}

bool TCardFrame::ItemOn(int item) const
{
    if (item < 0)
        return true;
    if (m_people)
        return item >= int(m_settings.PeopleItemVisible.size())
               || m_settings.PeopleItemVisible[size_t(item)];
    return item >= int(m_settings.ItemVisible.size()) || m_settings.ItemVisible[size_t(item)];
}

bool TCardFrame::RuleVisible(const QWidget *control, int item) const
{
    if (m_mode != ModeEdit && m_mode != ModeView)
        return false;
    if (m_mode == ModeView) {
        if (auto *combo = qobject_cast<const QComboBox *>(control)) {
            if (combo->currentText().isEmpty())
                return false;
        } else if (EmptyValue(ControlText(control))) {
            return false;
        }
    }
    return ItemOn(item);
}

bool TCardFrame::EmptyValue(const QString &text)
{
    if (text.isEmpty() || text == u"0")
        return true;
    // A duration of 00:00:00 says nothing either; text that is no time is a value.
    const std::optional<double> time = ParseLongTime(text);
    return time && *time == 0;
}

QString TCardFrame::ControlText(const QWidget *control)
{
    if (auto *edit = qobject_cast<const QLineEdit *>(control))
        return edit->text();
    if (auto *memo = qobject_cast<const QPlainTextEdit *>(control))
        return memo->toPlainText();
    if (auto *label = qobject_cast<const QLabel *>(control))
        return label->text();
    if (auto *combo = qobject_cast<const QComboBox *>(control))
        return combo->currentText();
    if (auto *box = qobject_cast<const TLinkText *>(control))
        return box->GetText();
    return {};
}

void TCardFrame::SetVisible(QWidget *widget, bool flag)
{
    if (widget && widget->isHidden() == flag)
        widget->setVisible(flag);
}

bool TCardFrame::Shown(const QWidget *widget)
{
    return widget && !widget->isHidden();
}

void TCardFrame::SetBlockShape(TBlock block, QFrame *shape)
{
    shape->lower();
    shape->setAutoFillBackground(true);
    shape->hide();
    m_shapes[size_t(block)] = shape;
}

QFrame *TCardFrame::BlockShape(TBlock block) const
{
    return m_shapes[size_t(block)];
}

void TCardFrame::AddToBlock(QWidget *control, TBlock block)
{
    m_blocks[size_t(block)].append(control);
}

void TCardFrame::InstallMenu(QWidget *control)
{
    control->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(control, &QWidget::customContextMenuRequested, this, [this, control](QPoint pos) {
        OnContextMenu(control, pos);
    });
}

void TCardFrame::OnContextMenu(QWidget *control, const QPoint &pos)
{
    // Scroll areas report the point in their viewport.
    QWidget *origin = control;
    if (auto *area = qobject_cast<QAbstractScrollArea *>(control))
        origin = area->viewport();
    QMenu *menu = FieldMenu(control);
    // Labels (the seen mark, the date) have nothing to edit or copy.
    if (!menu && qobject_cast<QLabel *>(control))
        return;
    control->setFocus(Qt::PopupFocusReason);
    if (!menu)
        menu = EditMenu(control);
    menu->popup(origin->mapToGlobal(pos));
}

void TCardFrame::ApplyModeLook()
{
    const bool edit = m_mode == ModeEdit;
    for (QLineEdit *line : std::as_const(m_edits)) {
        line->setFrame(edit);
        line->setReadOnly(!edit);
    }
    for (QPlainTextEdit *memo : std::as_const(m_memos)) {
        memo->setFrameStyle(edit ? QFrame::StyledPanel | QFrame::Sunken : QFrame::NoFrame);
        memo->setReadOnly(!edit);
        if (!edit)
            memo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    }
    for (TCardCombo *combo : std::as_const(m_combos))
        combo->SetViewMode(!edit);
    for (QFrame *panel : std::as_const(m_panels))
        panel->setFrameStyle(edit ? QFrame::StyledPanel | QFrame::Plain : QFrame::NoFrame);
}

void TCardFrame::SetCaption(QWidget *control, int textNumber, const QString &fallback)
{
    control->setProperty(TextNumberProperty, textNumber);
    m_captions.push_back({control, textNumber, fallback});
    const QString text = Text(textNumber, fallback);
    if (auto *label = qobject_cast<QLabel *>(control))
        label->setText(text);
    else if (auto *button = qobject_cast<QAbstractButton *>(control))
        button->setText(text);
}

void TCardFrame::SetHint(QWidget *control, int textNumber, const QString &fallback)
{
    m_captions.push_back({control, textNumber, fallback, true});
    control->setToolTip(Text(textNumber, fallback));
}

void TCardFrame::ApplyStarsEditable()
{
    for (const TStars &stars : m_stars)
        stars.Panel->SetEditable(m_mode == ModeEdit && !m_readOnly);
}

void TCardFrame::ApplyBlockColors()
{
    // The frame's own palette is the desktop's; the card's areas get theirs from it. Without
    // block colours the card takes the palette's page colour, so a dark desktop stays dark.
    const QPalette desktop = palette();
    const QColor card = m_colorsOn ? m_settings.CardColor : desktop.color(QPalette::Base);
    const std::array<QColor, 4> colors = {
        m_colorsOn ? m_settings.MainColor : card,
        m_colorsOn ? m_settings.CustomColor : card,
        m_colorsOn ? m_settings.FileColor : card,
        m_colorsOn ? m_settings.PictureColor : card,
    };
    // Block colours are fixed colours of the settings: the desktop's text colours are kept
    // where they read on them, else replaced by ones that do.
    const auto inks = [&desktop](QPalette &palette, const QColor &window, const QColor &base) {
        const QColor windowText =
            ReadableInk(window, desktop.color(QPalette::WindowText), desktop.color(QPalette::Text));
        const QColor text =
            ReadableInk(base, desktop.color(QPalette::Text), desktop.color(QPalette::WindowText));
        const QColor link = ReadableLink(window, desktop.color(QPalette::Link));
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            palette.setColor(group, QPalette::WindowText, windowText);
            palette.setColor(group, QPalette::Text, text);
            palette.setColor(group, QPalette::Link, link);
            palette.setColor(group, QPalette::LinkVisited, link);
        }
    };
    for (QWidget *area : {static_cast<QWidget *>(m_body), viewport()}) {
        QPalette palette = area->palette();
        palette.setColor(QPalette::Window, card);
        inks(palette, card, desktop.color(QPalette::Base));
        area->setPalette(palette);
    }
    // The message reads as a link-coloured headline on the card.
    QPalette message = m_message->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        message.setColor(
            group, QPalette::WindowText, ReadableLink(card, desktop.color(QPalette::Link)));
    m_message->setPalette(message);
    UpdateWelcome();
    for (size_t block = 0; block < m_blocks.size(); ++block) {
        auto paint = [&colors, &inks, block](QWidget *widget) {
            QPalette palette = widget->palette();
            palette.setColor(QPalette::Window, colors[block]);
            palette.setColor(QPalette::Base, colors[block]);
            inks(palette, colors[block], colors[block]);
            widget->setPalette(palette);
        };
        if (m_shapes[block])
            paint(m_shapes[block]);
        for (const QPointer<QWidget> &control : std::as_const(m_blocks[block])) {
            if (control)
                paint(control);
        }
    }
}

QString TCardFrame::RatingText(double value)
{
    return value > 0 ? NumberLocale().toString(value, 'f', 1) : QString();
}

QString TCardFrame::NumberText(double value)
{
    return NumberLocale().toString(value, 'f', QLocale::FloatingPointShortest);
}

double TCardFrame::ParseNumber(const QString &text)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    double value = NumberLocale().toDouble(trimmed, &ok);
    if (!ok)
        value = QLocale::c().toDouble(trimmed, &ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

qint64 TCardFrame::ParseInteger(const QString &text)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    qint64 value = QLocale::c().toLongLong(trimmed, &ok);
    if (!ok)
        value = NumberLocale().toLongLong(trimmed, &ok);
    return ok ? value : 0;
}

void TCardFrame::SetMemoText(QPlainTextEdit *memo, const QString &text)
{
    QString plain = text;
    plain.replace(u"\r\n"_s, u"\n"_s);
    plain.replace(u'\r', u'\n');
    memo->setPlainText(plain);
}

QString TCardFrame::MemoText(const QPlainTextEdit *memo)
{
    QString text = memo->toPlainText();
    text.replace(u'\n', u"\r\n"_s);
    return text;
}

void TCardFrame::OnLinkClicked(TLinkText *box, const TLink &link)
{
    if (!box->property(FollowLinksProperty).toBool())
        return;
    const QString kind = link.Attribute.isEmpty() ? box->DefaultAttribute() : link.Attribute;
    if (kind == u"anchor") {
        JumpToAnchor(link.Value);
        return;
    }
    if (!m_host)
        return;
    const QString &value = link.Value;
    if (kind == u"id")
        m_host->GoToMovieById(value);
    else if (kind == u"otitle")
        m_host->GoToMovieByTitle(value, true);
    else if (kind == u"title")
        m_host->GoToMovieByTitle(value, false);
    else if (kind == u"name")
        m_host->GoToPersonByName(value, false);
    else if (kind == u"tname")
        m_host->GoToPersonByName(value, true);
    else if (kind == u"year")
        m_host->SetSearchField(TRecordKind::Movie, 5, value);
    else if (kind == u"genre")
        m_host->SetSearchField(TRecordKind::Movie, 6, value);
    else if (kind == u"country")
        m_host->SetSearchField(TRecordKind::Movie, 12, value);
    else if (kind == u"tag")
        m_host->SetSearchField(TRecordKind::Movie, 18, value);
    else if (kind == u"url")
        m_host->OpenAddress(value);
}

void TCardFrame::JumpToAnchor(const QString &value)
{
    for (TLinkText *box : AnchorBoxes()) {
        // A hidden box has no place to scroll to.
        if (!Shown(box))
            continue;
        for (int i = 0; i < box->LinkCount(); ++i) {
            TLink link;
            if (!box->GetLink(i, link) || link.Value != value)
                continue;
            if (FindBox(box->objectName()) && !Expanded(box->objectName()))
                SetExpanded(box->objectName(), true);
            QScrollBar *bar = verticalScrollBar();
            // From the link's line: its painted bounds may be older than the layout.
            if (bar->maximum() > 0)
                bar->setValue(box->y() + 2 + link.LineIndex * box->LineHeight());
            return;
        }
    }
}

void TCardFrame::changeEvent(QEvent *event)
{
    // A new desktop palette (a theme switch) gives the card's areas their inks again.
    if (event->type() == QEvent::PaletteChange)
        ApplyBlockColors();
    QScrollArea::changeEvent(event);
}

void TCardFrame::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    Relayout(true);
}

void TCardFrame::wheelEvent(QWheelEvent *event)
{
    const QPoint pixels = event->pixelDelta();
    const int delta = pixels.isNull() ? event->angleDelta().y() : pixels.y();
    QScrollBar *bar = verticalScrollBar();
    bar->setValue(bar->value() - delta);
    event->accept();
}

bool TCardFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (HoverEvent(watched, event))
        return false;
    if (watched == viewport() && event->type() == QEvent::Resize && !m_inLayout) {
        ScheduleRelayout();
    } else if (event->type() == QEvent::Wheel
               && qobject_cast<QPlainTextEdit *>(watched->parent())) {
        // A memo is as high as its text (or shows one line on purpose): the wheel
        // scrolls the card.
        wheelEvent(static_cast<QWheelEvent *>(event));
        return true;
    } else if (m_openPicker && watched == m_openPicker) {
        if (event->type() == QEvent::FocusOut) {
            ClosePicker(true);
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) {
                ClosePicker(true);
                return true;
            }
        }
    }
    return QScrollArea::eventFilter(watched, event);
}
