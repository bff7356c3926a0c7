#include "app/coverview.h"

#include <algorithm>
#include <cstdlib>

#include <QDrag>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSlider>
#include <QStyle>
#include <QStyleOption>
#include <QWheelEvent>

#include "app/catalogview.h"
#include "app/listcolumns.h"
#include "app/listmodel.h"
#include "app/thumbnailcache.h"
#include "catalog/basemovie.h"
#include "logic/settings.h"
#include "views/translate.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int Spacing = 10;
constexpr int Padding = 6;
constexpr int HeaderHeight = 26;
constexpr int HeaderIndent = 16;
constexpr int SliderWidth = 160;
// One wheel notch with Ctrl held.
constexpr int WheelStep = 20;
// The width of a state frame round the poster.
constexpr int FrameWidth = 3;
// The slider's text number: its tooltip follows the language with the window's texts.
constexpr int SliderTag = 4310;

QSize BoxSize(int side)
{
    return QSize(side * 2 / 3, side);
}

} // namespace

TCoverView::TCoverView(TCatalogList *list)
    : QAbstractItemView(list)
    , m_list(list)
    , m_model(list->Model())
    , m_thumbnails(new TThumbnailCache(TThumbnailCache::DefaultFolder(), this))
    , m_slider(new QSlider(Qt::Horizontal, this))
{
    setObjectName(u"CoverView"_s);
    setModel(m_model);
    // The list's selection is the one selection: the card, the commands and the other
    // views all read it.
    QItemSelectionModel *own = selectionModel();
    setSelectionModel(list->selectionModel());
    delete own;
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Records are dragged out as from the list; files dropped here go on to the window.
    setDragDropMode(QAbstractItemView::DragOnly);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalScrollBar()->setSingleStep(20);
    // It hides the list below it: the slider's strip needs a background of its own, and
    // the viewport is filled by every paint.
    setAutoFillBackground(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);

    connect(m_model, &QAbstractItemModel::modelReset, this, &TCoverView::MarkDirty);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, &TCoverView::MarkDirty);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &TCoverView::MarkDirty);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &TCoverView::MarkDirty);
    connect(m_model, &QAbstractItemModel::rowsMoved, this, &TCoverView::MarkDirty);
    connect(m_thumbnails, &TThumbnailCache::Ready, viewport(), [this] { viewport()->update(); });
    // A series opened or closed in the list shows or hides its episodes here too.
    const auto seriesToggled = [this](const QModelIndex &index) {
        if (const TViewNode *node = m_model->NodeOf(index); node && !node->IsGroup())
            MarkDirty();
    };
    connect(m_list, &QTreeView::expanded, this, seriesToggled);
    connect(m_list, &QTreeView::collapsed, this, seriesToggled);

    m_slider->setObjectName(u"CoverSizeSlider"_s);
    m_slider->setRange(TSettings::CoverSizeMin, TSettings::CoverSizeMax);
    m_slider->setValue(m_side);
    m_slider->setFocusPolicy(Qt::NoFocus);
    m_slider->setProperty(TagProperty, SliderTag);
    connect(m_slider, &QSlider::valueChanged, this, [this](int value) {
        if (value == m_side)
            return;
        SetSide(value);
        emit SideChanged(m_side);
    });
    setViewportMargins(0, 0, 0, m_slider->sizeHint().height() + 4);

    // The list's context menu is the one the window set up.
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, m_list, [this](const QPoint &at) {
        emit m_list->customContextMenuRequested(
            m_list->viewport()->mapFromGlobal(viewport()->mapToGlobal(at)));
    });
}

void TCoverView::SetSide(int side)
{
    side = std::clamp(side, TSettings::CoverSizeMin, TSettings::CoverSizeMax);
    if (side == m_side)
        return;
    m_side = side;
    {
        const QSignalBlocker block(m_slider);
        m_slider->setValue(side);
    }
    const QModelIndex current = currentIndex();
    MarkDirty();
    EnsureLayout();
    updateGeometries();
    if (current.isValid())
        scrollTo(current);
}

void TCoverView::SetSliderHint(const QString &hint)
{
    m_slider->setToolTip(hint);
}

void TCoverView::MarkDirty()
{
    m_dirty = true;
    scheduleDelayedItemsLayout();
    viewport()->update();
}

void TCoverView::doItemsLayout()
{
    EnsureLayout();
    updateGeometries();
    QAbstractItemView::doItemsLayout();
}

QSize TCoverView::TileSize() const
{
    const QSize box = BoxSize(m_side);
    return QSize(box.width() + 2 * Padding,
                 box.height() + 2 * Padding + 3 * fontMetrics().lineSpacing());
}

void TCoverView::EnsureLayout() const
{
    const int width = viewport()->width();
    if (!m_dirty && width == m_layoutWidth)
        return;
    if (!isVisible()) {
        // Rows may be gone: nothing here may point at them. The wall is laid out when shown.
        m_entries.clear();
        m_entryOf.clear();
        m_contentHeight = 0;
        m_dirty = true;
        return;
    }
    Relayout();
}

void TCoverView::Relayout() const
{
    m_dirty = false;
    m_layoutWidth = viewport()->width();
    m_entries.clear();
    m_entryOf.clear();
    const QSize tile = TileSize();
    const int columns = std::max(1, (m_layoutWidth - Spacing) / (tile.width() + Spacing));
    // What is left over spreads between the tiles, so rows fill the width.
    const int gap = std::max(Spacing, (m_layoutWidth - columns * tile.width()) / (columns + 1));
    int y = Spacing;
    int column = 0;
    const auto endRow = [&] {
        if (column > 0) {
            y += tile.height() + Spacing;
            column = 0;
        }
    };
    m_entries.reserve(size_t(m_model->NodeCount()));
    const auto place = [&](TViewNode *node) {
        m_entries.push_back({node, QRect(QPoint(gap + column * (tile.width() + gap), y), tile)});
        if (++column == columns)
            endRow();
    };
    const auto walk = [&](const TViewNode *parent, const auto &self) -> void {
        for (TViewNode *node : m_model->Children(parent)) {
            if (node->IsGroup()) {
                endRow();
                const int indent = std::max(0, node->level) * HeaderIndent;
                m_entries.push_back({node, QRect(indent, y, m_layoutWidth - indent, HeaderHeight)});
                y += HeaderHeight + Spacing / 2;
                self(node, self);
                endRow();
                continue;
            }
            place(node);
            // An open series is followed by its episodes, as the tree shows them below it.
            if (m_model->ChildCount(node) > 0 && SeriesOpen(node)) {
                for (TViewNode *episode : m_model->Children(node))
                    place(episode);
            }
        }
    };
    walk(nullptr, walk);
    endRow();
    m_contentHeight = y;
    m_entryOf.reserve(qsizetype(m_entries.size()));
    for (int i = 0; i < int(m_entries.size()); ++i)
        m_entryOf.insert(m_entries[size_t(i)].node, i);
}

int TCoverView::TileCount() const
{
    EnsureLayout();
    return int(std::count_if(
        m_entries.begin(), m_entries.end(), [](const TEntry &e) { return !e.node->IsGroup(); }));
}

int TCoverView::HeaderCount() const
{
    EnsureLayout();
    return int(m_entries.size()) - TileCount();
}

QList<const TViewNode *> TCoverView::TileNodes() const
{
    EnsureLayout();
    QList<const TViewNode *> nodes;
    for (const TEntry &entry : m_entries) {
        if (!entry.node->IsGroup())
            nodes.append(entry.node);
    }
    return nodes;
}

int TCoverView::EntryOf(const QModelIndex &index) const
{
    EnsureLayout();
    const TViewNode *node = m_model->NodeOf(index);
    // An episode of a closed series has no tile: its series stands for it.
    while (node && !m_entryOf.contains(node))
        node = node->Parent();
    return node ? m_entryOf.value(node, -1) : -1;
}

QModelIndex TCoverView::IndexOfEntry(int entry) const
{
    if (entry < 0 || entry >= int(m_entries.size()))
        return {};
    return m_model->IndexOf(m_entries[size_t(entry)].node, m_list->TitleColumn());
}

int TCoverView::EntryAt(const QPoint &content) const
{
    EnsureLayout();
    // Rows go down the wall in order, so the bottoms never decrease.
    auto it = std::lower_bound(m_entries.begin(),
                               m_entries.end(),
                               content.y(),
                               [](const TEntry &entry, int y) { return entry.rect.bottom() < y; });
    for (; it != m_entries.end() && it->rect.top() <= content.y(); ++it) {
        if (it->rect.contains(content))
            return int(it - m_entries.begin());
    }
    return -1;
}

QRect TCoverView::visualRect(const QModelIndex &index) const
{
    const int entry = EntryOf(index);
    if (entry < 0)
        return {};
    return m_entries[size_t(entry)].rect.translated(0, -verticalOffset());
}

void TCoverView::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    const int entry = EntryOf(index);
    if (entry < 0)
        return;
    updateGeometries();
    const QRect rect = m_entries[size_t(entry)].rect;
    const int top = verticalOffset();
    const int height = viewport()->height();
    int value = top;
    if (hint == PositionAtTop || (hint == EnsureVisible && rect.top() < top))
        value = rect.top() - Spacing;
    else if (hint == PositionAtBottom || (hint == EnsureVisible && rect.bottom() > top + height))
        value = rect.bottom() + Spacing - height;
    else if (hint == PositionAtCenter)
        value = rect.center().y() - height / 2;
    verticalScrollBar()->setValue(value);
}

QModelIndex TCoverView::indexAt(const QPoint &point) const
{
    return IndexOfEntry(EntryAt(point + QPoint(0, verticalOffset())));
}

int TCoverView::verticalOffset() const
{
    return verticalScrollBar()->value();
}

bool TCoverView::isIndexHidden(const QModelIndex &index) const
{
    Q_UNUSED(index);
    return false;
}

int TCoverView::NextTile(int entry, int step) const
{
    for (int at = entry + step; at >= 0 && at < int(m_entries.size()); at += step) {
        if (!m_entries[size_t(at)].node->IsGroup())
            return at;
    }
    return entry;
}

int TCoverView::TileBelow(int entry, bool down) const
{
    const QRect from = m_entries[size_t(entry)].rect;
    const int step = down ? 1 : -1;
    // The first tile of the next row in that direction, then the one of that row nearest
    // the column we came from.
    int row = -1;
    for (int at = entry + step; at >= 0 && at < int(m_entries.size()); at += step) {
        const TEntry &candidate = m_entries[size_t(at)];
        if (!candidate.node->IsGroup() && candidate.rect.top() != from.top()) {
            row = at;
            break;
        }
    }
    if (row < 0)
        return entry;
    const int rowTop = m_entries[size_t(row)].rect.top();
    int best = row;
    for (int at = row; at >= 0 && at < int(m_entries.size()); at += step) {
        const TEntry &candidate = m_entries[size_t(at)];
        if (candidate.node->IsGroup() || candidate.rect.top() != rowTop)
            break;
        if (std::abs(candidate.rect.left() - from.left())
            < std::abs(m_entries[size_t(best)].rect.left() - from.left())) {
            best = at;
        }
    }
    return best;
}

QModelIndex TCoverView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    Q_UNUSED(modifiers);
    EnsureLayout();
    if (m_entries.empty())
        return {};
    int entry = EntryOf(currentIndex());
    if (entry < 0)
        return IndexOfEntry(NextTile(-1, 1));
    switch (cursorAction) {
    case MoveLeft:
    case MovePrevious:
        entry = NextTile(entry, -1);
        break;
    case MoveRight:
    case MoveNext:
        entry = NextTile(entry, 1);
        break;
    case MoveUp:
        entry = TileBelow(entry, false);
        break;
    case MoveDown:
        entry = TileBelow(entry, true);
        break;
    case MovePageUp:
    case MovePageDown: {
        const int rows = std::max(1, viewport()->height() / (TileSize().height() + Spacing));
        for (int i = 0; i < rows; ++i)
            entry = TileBelow(entry, cursorAction == MovePageDown);
        break;
    }
    case MoveHome:
        entry = NextTile(-1, 1);
        break;
    case MoveEnd:
        entry = NextTile(int(m_entries.size()), -1);
        break;
    }
    return IndexOfEntry(entry);
}

void TCoverView::setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command)
{
    EnsureLayout();
    const QRect content = rect.normalized().translated(0, verticalOffset());
    const int lastColumn = m_model->columnCount() - 1;
    QItemSelection selection;
    for (const TEntry &entry : m_entries) {
        if (entry.rect.top() > content.bottom())
            break;
        if (!entry.rect.intersects(content))
            continue;
        selection.select(m_model->IndexOf(entry.node, 0), m_model->IndexOf(entry.node, lastColumn));
    }
    selectionModel()->select(selection, command);
}

QRegion TCoverView::visualRegionForSelection(const QItemSelection &selection) const
{
    QRegion region;
    const QRect visible = viewport()->rect();
    for (const QItemSelectionRange &range : selection) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            const QRect rect = visualRect(m_model->index(row, 0, range.parent()));
            if (rect.intersects(visible))
                region += rect;
        }
    }
    return region;
}

TViewNode *TCoverView::SeriesOf(const QModelIndex &index) const
{
    TViewNode *node = m_model->NodeOf(index);
    if (node && !node->IsGroup() && m_model->ChildCount(node) == 0)
        node = node->Parent();
    return node && !node->IsGroup() && m_model->ChildCount(node) > 0 ? node : nullptr;
}

bool TCoverView::IsSeriesTile(const QModelIndex &index) const
{
    const TViewNode *node = m_model->NodeOf(index);
    return node && node == SeriesOf(index);
}

bool TCoverView::SeriesOpen(const TViewNode *series) const
{
    // The tree keeps its expand state on the first column's index.
    return m_list->isExpanded(m_model->IndexOf(series, 0));
}

bool TCoverView::OpenSeries(const QModelIndex &index, bool open, bool toggle)
{
    TViewNode *series = SeriesOf(index);
    if (!series)
        return false;
    if (toggle)
        open = !SeriesOpen(series);
    const bool fromEpisode = m_model->NodeOf(index) != series;
    m_list->setExpanded(m_model->IndexOf(series, 0), open);
    if (!open && fromEpisode)
        m_list->FocusNode(series);
    EnsureLayout();
    updateGeometries();
    scrollTo(currentIndex());
    return true;
}

void TCoverView::updateGeometries()
{
    EnsureLayout();
    QScrollBar *bar = verticalScrollBar();
    bar->setPageStep(viewport()->height());
    bar->setRange(0, std::max(0, m_contentHeight - viewport()->height()));
    PlaceSlider();
    QAbstractItemView::updateGeometries();
}

void TCoverView::PlaceSlider()
{
    const QRect frame = contentsRect();
    const int height = m_slider->sizeHint().height();
    const int width = std::min(SliderWidth, frame.width());
    m_slider->setGeometry(frame.right() - width, frame.bottom() - height - 1, width, height);
}

void TCoverView::resizeEvent(QResizeEvent *event)
{
    QAbstractItemView::resizeEvent(event);
    updateGeometries();
}

void TCoverView::showEvent(QShowEvent *event)
{
    QAbstractItemView::showEvent(event);
    MarkDirty();
}

void TCoverView::paintEvent(QPaintEvent *event)
{
    EnsureLayout();
    QPainter painter(viewport());
    const QRect area = event->rect();
    painter.fillRect(area, palette().color(QPalette::Base));
    const int offset = verticalOffset();
    const QRect content = area.translated(0, offset);
    auto it = std::lower_bound(m_entries.begin(),
                               m_entries.end(),
                               content.top(),
                               [](const TEntry &entry, int y) { return entry.rect.bottom() < y; });
    m_thumbnails->BeginFrame();
    for (; it != m_entries.end() && it->rect.top() <= content.bottom(); ++it) {
        const QRect rect = it->rect.translated(0, -offset);
        if (it->node->IsGroup())
            PaintHeader(painter, *it, rect);
        else
            PaintTile(painter, *it, rect);
    }
    m_thumbnails->EndFrame();
}

void TCoverView::PaintHeader(QPainter &painter, const TEntry &entry, const QRect &rect) const
{
    const TRowLook &look = m_list->Delegate()->Look();
    const QModelIndex index = m_model->IndexOf(entry.node, m_list->TitleColumn());
    const bool selected = selectionModel()->isSelected(index);
    const QColor background = RowBackground(*entry.node, selected, hasFocus(), look);
    painter.fillRect(rect.adjusted(0, 2, -Spacing, -2), background);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(rect.left(), rect.bottom() - 1, rect.right() - Spacing, rect.bottom() - 1);
    QFont font = painter.font();
    font.setBold(true);
    painter.save();
    painter.setFont(font);
    painter.setPen(RowTextColor(background, selected, look));
    const QRect text = rect.adjusted(Spacing, 0, -2 * Spacing, 0);
    painter.drawText(
        text,
        Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
        QFontMetrics(font).elidedText(entry.node->caption, Qt::ElideRight, text.width()));
    painter.restore();
    if (index == currentIndex() && hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect.adjusted(0, 2, -Spacing, -2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void TCoverView::PaintTile(QPainter &painter, const TEntry &entry, const QRect &rect)
{
    const TRowLook &look = m_list->Delegate()->Look();
    const TViewNode &node = *entry.node;
    const QModelIndex index = m_model->IndexOf(&node, m_list->TitleColumn());
    const bool selected = selectionModel()->isSelected(index);
    // The state colours of the rows: the tile takes the row's background, and a stronger
    // frame of it marks the poster, so lent, unseen, wished and bookmarked read at a glance.
    const int colour = RowColorIndex(node, false);
    const bool marked = look.DoListColors && colour != RowColorIndex(TViewNode(), false);
    if (selected || marked) {
        const QColor background = RowBackground(node, selected, hasFocus(), look);
        painter.fillRect(rect, background);
    }
    const QSize boxSize = BoxSize(m_side);
    const QRect box(rect.x() + Padding, rect.y() + Padding, boxSize.width(), boxSize.height());
    const QString title = index.data(Qt::DisplayRole).toString();
    // Episodes stand on a tinted ground, so a series' tiles read as one run.
    if (!selected && !marked && node.record->Kind() == TRecordKind::Episode) {
        const QColor tint = palette().color(QPalette::Highlight);
        painter.fillRect(rect, QColor(tint.red(), tint.green(), tint.blue(), 28));
    }

    QPixmap pixmap;
    const TThumbnailCache::TState state = m_thumbnails->Lookup(*node.record, m_side, pixmap);
    QRect poster = box;
    if (state == TThumbnailCache::TState::Ready) {
        QSize size = pixmap.size();
        size.scale(box.size(), Qt::KeepAspectRatio);
        if (pixmap.width() <= box.width() && pixmap.height() <= box.height())
            size = pixmap.size();
        // Posters stand on the same line, whatever their height.
        poster = QRect(box.x() + (box.width() - size.width()) / 2,
                       box.bottom() + 1 - size.height(),
                       size.width(),
                       size.height());
        const bool scaled = size != pixmap.size();
        painter.setRenderHint(QPainter::SmoothPixmapTransform, scaled);
        painter.drawPixmap(poster, pixmap);
    } else {
        // A drawn stand-in with the title, also while the thumbnail is being made.
        painter.fillRect(box, palette().color(QPalette::AlternateBase));
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(box.adjusted(4, 4, -4, -4),
                         Qt::AlignCenter | Qt::TextWordWrap,
                         state == TThumbnailCache::TState::None ? title : QString());
    }
    if (marked) {
        QPen pen(ColorFromWindows(look.Colors[size_t(colour)]).darker(160), FrameWidth);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(poster.adjusted(1, 1, -2, -2));
    }

    if (const int episodes = m_model->ChildCount(&node); episodes > 0)
        PaintSeriesBadge(painter, box, episodes, SeriesOpen(&node));

    // The title and, for movies, the year below it.
    const QFontMetrics metrics = fontMetrics();
    const QColor textColour =
        selected || marked
            ? RowTextColor(RowBackground(node, selected, hasFocus(), look), selected, look)
            : palette().color(QPalette::Text);
    painter.setPen(textColour);
    const QRect titleRect(
        rect.x() + 2, box.bottom() + Padding / 2, rect.width() - 4, 2 * metrics.lineSpacing());
    painter.save();
    painter.setClipRect(titleRect);
    painter.drawText(titleRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, title);
    painter.restore();
    if (node.record->Kind() != TRecordKind::Person) {
        const int year = static_cast<const TBaseMovie *>(node.record)->Year();
        const QString yearText = year > 0 ? QString::number(year) : QString();
        if (!yearText.isEmpty() && !title.contains(yearText)) {
            painter.drawText(QRect(titleRect.x(),
                                   titleRect.bottom() + 1,
                                   titleRect.width(),
                                   metrics.lineSpacing()),
                             Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
                             yearText);
        }
    }
    if (index == currentIndex() && hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void TCoverView::PaintSeriesBadge(QPainter &painter,
                                  const QRect &box,
                                  int episodes,
                                  bool open) const
{
    // The episode count with an arrow: down while the episodes are shown, right while not.
    const QString text = QString::number(episodes) + (open ? u" \u25BE"_s : u" \u25B8"_s);
    const QFontMetrics metrics = fontMetrics();
    const QRect badge(box.right() - metrics.horizontalAdvance(text) - 10,
                      box.top() + 4,
                      metrics.horizontalAdvance(text) + 6,
                      metrics.height() + 2);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().color(QPalette::ToolTipBase));
    painter.drawRoundedRect(badge, 4, 4);
    painter.setPen(palette().color(QPalette::ToolTipText));
    painter.drawText(badge, Qt::AlignCenter | Qt::TextSingleLine, text);
    painter.restore();
}

void TCoverView::wheelEvent(QWheelEvent *event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        const int notches = event->angleDelta().y() / 120;
        if (notches != 0) {
            const int before = m_side;
            SetSide(m_side + notches * WheelStep);
            if (m_side != before)
                emit SideChanged(m_side);
        }
        event->accept();
        return;
    }
    QAbstractItemView::wheelEvent(event);
}

void TCoverView::keyPressEvent(QKeyEvent *event)
{
    // The commands the list's keys stand for.
    switch (event->key()) {
    case Qt::Key_Delete:
        emit m_list->DeleteRequested();
        event->accept();
        return;
    case Qt::Key_Insert:
        emit m_list->BookmarkRequested();
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // A series is not edited in place: Enter shows or hides its episodes.
        if (IsSeriesTile(currentIndex()))
            OpenSeries(currentIndex(), true, true);
        else
            m_list->StartEditing();
        event->accept();
        return;
    case Qt::Key_Plus:
    case Qt::Key_Minus:
        if (OpenSeries(currentIndex(), event->key() == Qt::Key_Plus)) {
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    QAbstractItemView::keyPressEvent(event);
}

void TCoverView::mousePressEvent(QMouseEvent *event)
{
    m_pressPoint = event->position().toPoint();
    m_pressed = indexAt(m_pressPoint);
    // Ctrl+Shift+click links the movie as in the list, leaving the focus where it is.
    if (m_list->BeginLink(*event, m_pressed)) {
        event->accept();
        return;
    }
    QAbstractItemView::mousePressEvent(event);
}

void TCoverView::mouseMoveEvent(QMouseEvent *event)
{
    // While a link is held the pointer selects nothing.
    if (m_list->LinkDragging()) {
        event->accept();
        return;
    }
    QAbstractItemView::mouseMoveEvent(event);
}

void TCoverView::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_list->EndLink(indexAt(event->position().toPoint()))) {
        event->accept();
        return;
    }
    QAbstractItemView::mouseReleaseEvent(event);
}

void TCoverView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (m_list->LinkDragging()) {
        event->accept();
        return;
    }
    const QModelIndex index = indexAt(event->position().toPoint());
    QAbstractItemView::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton || !index.isValid() || index != currentIndex())
        return;
    // A double click on a series opens or closes it, as in the tree.
    if (IsSeriesTile(index))
        OpenSeries(index, true, true);
    else
        m_list->StartEditing();
}

void TCoverView::startDrag(Qt::DropActions supportedActions)
{
    // The selected records travel as the list's drags carry them: one title cell a row.
    QModelIndexList indexes;
    for (const QModelIndex &row : selectionModel()->selectedRows(m_list->TitleColumn())) {
        if (m_model->flags(row) & Qt::ItemIsDragEnabled)
            indexes.append(row);
    }
    QMimeData *data = indexes.isEmpty() ? nullptr : m_model->mimeData(indexes);
    if (!data)
        return;
    auto *drag = new QDrag(this);
    drag->setMimeData(data);
    // The pressed tile, as drawn, goes with the pointer.
    const QRect tile = visualRect(m_pressed) & viewport()->rect();
    if (!tile.isEmpty()) {
        drag->setPixmap(viewport()->grab(tile));
        drag->setHotSpot(m_pressPoint - tile.topLeft());
    }
    drag->exec(supportedActions, Qt::CopyAction);
}

void TCoverView::focusInEvent(QFocusEvent *event)
{
    QAbstractItemView::focusInEvent(event);
    // Selected tiles change colour with the focus.
    viewport()->update();
}

void TCoverView::focusOutEvent(QFocusEvent *event)
{
    QAbstractItemView::focusOutEvent(event);
    viewport()->update();
}

void TCoverView::dataChanged(const QModelIndex &topLeft,
                             const QModelIndex &bottomRight,
                             const QList<int> &roles)
{
    // An edited record may have a new picture.
    for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
        if (const TDBItem *record = m_model->RecordOf(m_model->index(row, 0, topLeft.parent())))
            m_thumbnails->Forget(record);
    }
    QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
    viewport()->update();
}
