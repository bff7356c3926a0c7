#include "app/catalogview.h"

#include <limits>

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QTextLayout>
#include <QToolTip>

#include "app/coverview.h"
#include "app/listmodel.h"
#include "catalog/image.h"
#include "catalog/movie.h"
#include "views/imageqt.h"

using namespace Qt::StringLiterals;

namespace {

// How long the focused row must stay before the card follows it; arrowing through a long
// list would otherwise redraw the card at every step.
constexpr int FocusDelayMs = 50;

bool IsSeries(const TDBItem *record)
{
    return record && record->Kind() == TRecordKind::Movie
           && static_cast<const TMovie *>(record)->HasEpisodes();
}

// Text broken into lines at word boundaries (or anywhere when a word is too long), cut
// off below the cell.
void DrawWrappedText(QPainter *painter, const QRect &rect, const QString &text, const QFont &font)
{
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = 0;
    while (true) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(rect.width());
        line.setPosition(QPointF(0, y));
        y += line.height();
        if (y > rect.height() + line.height())
            break;
    }
    layout.endLayout();
    painter->save();
    painter->setClipRect(rect);
    layout.draw(painter, rect.topLeft());
    painter->restore();
}

} // namespace

// ---- Delegate ----

TListDelegate::TListDelegate(QTreeView *view)
    : QStyledItemDelegate(view)
    , m_view(view)
{}

QSize TListDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    Q_UNUSED(option);
    Q_UNUSED(index);
    // One height for every row keeps a list of tens of thousands of rows fast.
    return QSize(80, m_grid ? GridRowHeight : ListRowHeight);
}

QWidget *TListDelegate::createEditor(QWidget *parent,
                                     const QStyleOptionViewItem &option,
                                     const QModelIndex &index) const
{
    QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
    auto *line = qobject_cast<QLineEdit *>(editor);
    if (!line)
        return editor;
    // A line edit cuts text at 32767 characters; a long description would lose its end.
    line->setMaxLength(std::numeric_limits<int>::max());
    const QPersistentModelIndex cell(index);
    connect(line, &QLineEdit::textChanged, line, [this, line, cell] {
        const bool refused = !Accepted(line, cell);
        if (line->property(RefusedProperty).toBool() == refused)
            return;
        line->setProperty(RefusedProperty, refused);
        line->setStyleSheet(refused ? u"QLineEdit { border: 2px solid #d00000; }"_s : QString());
        line->setToolTip(refused ? m_refusalHint : QString());
        if (refused)
            QToolTip::showText(line->mapToGlobal(QPoint(0, line->height())), m_refusalHint, line);
        else
            QToolTip::hideText();
    });
    return editor;
}

void TListDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    QStyledItemDelegate::setEditorData(editor, index);
    if (auto *line = qobject_cast<QLineEdit *>(editor))
        line->selectAll();
}

void TListDelegate::setModelData(QWidget *editor,
                                 QAbstractItemModel *model,
                                 const QModelIndex &index) const
{
    // Refused text leaves the record as it was.

    if (!Accepted(editor, index))
        return;
    QStyledItemDelegate::setModelData(editor, model, index);
}

bool TListDelegate::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *editor = qobject_cast<QWidget *>(watched);
        const int key = static_cast<QKeyEvent *>(event)->key();
        const bool leaves = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Tab
                            || key == Qt::Key_Backtab;
        // Enter and Tab would store and close; refused text stays for the user to mend.
        if (leaves && editor && editor->property(RefusedProperty).toBool())
            return true;
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}

bool TListDelegate::Accepted(const QWidget *editor, const QModelIndex &index)
{
    const auto *line = qobject_cast<const QLineEdit *>(editor);
    const auto *model = qobject_cast<const TListModel *>(index.model());
    const TViewNode *node = model ? model->NodeOf(index) : nullptr;
    if (!line || !node)
        return true;
    return model->TextProvider().AcceptsText(*node, index.column(), line->text());
}

void TListDelegate::paint(QPainter *painter,
                          const QStyleOptionViewItem &option,
                          const QModelIndex &index) const
{
    const auto *model = static_cast<const TListModel *>(index.model());
    TViewNode *node = model->NodeOf(index);
    if (!node)
        return;
    const bool selected = option.state & QStyle::State_Selected;
    const bool focused = m_view->hasFocus();
    const QRect rect = option.rect;

    const QColor background = RowBackground(*node, selected, focused, m_look);
    painter->fillRect(rect, background);

    if (index.column() == 0 && node->record) {
        // The thumbnail is made on first paint, so only rows that are seen cost anything.
        const TImage &thumbnail = node->record->Thumbnail();
        if (!thumbnail.IsNull()) {
            const QImage image = ImageView(thumbnail);
            QSize size = image.size();
            if (size.width() > rect.width() || size.height() > rect.height())
                size.scale(rect.size(), Qt::KeepAspectRatio);
            const QRect target(rect.x() + (rect.width() - size.width()) / 2,
                               rect.y() + (rect.height() - size.height()) / 2,
                               size.width(),
                               size.height());
            painter->drawImage(target, image);
        }
    } else {
        QRect textRect = rect.adjusted(2, 0, -2, 0);
        if (node->IsGroup() && index.column() == m_titleColumn) {
            const QIcon icon = m_view->style()->standardIcon(
                m_view->isExpanded(model->index(index.row(), 0, index.parent()))
                    ? QStyle::SP_DirOpenIcon
                    : QStyle::SP_DirClosedIcon);
            const int side = std::min(16, rect.height());
            icon.paint(painter,
                       QRect(textRect.x(), rect.y() + (rect.height() - side) / 2, side, side));
            textRect.setLeft(textRect.left() + side + 3);
        }
        const QString text = index.data(Qt::DisplayRole).toString();
        if (!text.isEmpty()) {
            painter->save();
            painter->setPen(RowTextColor(background, selected, m_look));
            painter->setFont(option.font);
            if (m_grid) {
                DrawWrappedText(painter, textRect.adjusted(0, 2, 0, -2), text, option.font);
            } else {
                const QString shown =
                    option.fontMetrics.elidedText(QString(text).replace(u'\n', u' ').remove(u'\r'),
                                                  Qt::ElideRight,
                                                  textRect.width());
                painter->drawText(
                    textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, shown);
            }
            painter->restore();
        }
    }

    if (m_grid) {
        painter->save();
        painter->setPen(option.palette.color(QPalette::Mid));
        painter->drawLine(rect.bottomLeft(), rect.bottomRight());
        painter->drawLine(rect.topRight(), rect.bottomRight());
        painter->restore();
    }
    if (option.state & QStyle::State_HasFocus && focused) {
        QStyleOptionFocusRect focusOption;
        focusOption.rect = rect;
        focusOption.state = option.state;
        m_view->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focusOption, painter, m_view);
    }
}

// ---- List ----

TCatalogList::TCatalogList(TListModel *model, int titleColumn, QWidget *parent)
    : QTreeView(parent)
    , m_model(model)
    , m_delegate(new TListDelegate(this))
    , m_titleColumn(titleColumn)
{
    setModel(model);
    setItemDelegate(m_delegate);
    m_delegate->SetTitleColumn(titleColumn);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    // Branches and indentation belong to the title, wherever the grid puts its column.
    setTreePosition(titleColumn);
    setExpandsOnDoubleClick(true);
    header()->setSectionsMovable(true);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    header()->setStretchLastSection(false);
    header()->setMinimumSectionSize(10);
    m_timer.setSingleShot(true);
    m_timer.setInterval(FocusDelayMs);
    connect(&m_timer, &QTimer::timeout, this, &TCatalogList::OnTimer);
    connect(header(), &QHeaderView::sectionClicked, this, &TCatalogList::OnHeaderClicked);
    SetViewMode(TViewMode::Plain);
}

void TCatalogList::SetViewMode(TViewMode view)
{
    m_view = view;
    const bool grid = view == TViewMode::Grid;
    m_delegate->SetGrid(grid);
    m_model->SetEditable(grid);
    m_model->SetDraggable(!grid);
    setHeaderHidden(!grid);
    setDragEnabled(!grid);
    setDragDropMode(grid ? QAbstractItemView::NoDragDrop : QAbstractItemView::DragOnly);
    setEditTriggers(grid ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                               | QAbstractItemView::SelectedClicked
                         : QAbstractItemView::NoEditTriggers);
    header()->setSortIndicatorShown(grid);
    if (!grid) {
        for (int i = 0; i < m_model->columnCount(); ++i)
            setColumnHidden(i, i != m_titleColumn);
        FitTitleColumn();
    }
    const bool covers = view == TViewMode::Covers;
    if (covers) {
        TCoverView *wall = Covers();
        const bool focused = hasFocus();
        wall->setGeometry(rect());
        wall->show();
        wall->raise();
        setFocusProxy(wall);
        if (focused)
            wall->setFocus();
        wall->scrollTo(currentIndex());
    } else if (m_covers && !m_covers->isHidden()) {
        const bool focused = m_covers->hasFocus();
        setFocusProxy(nullptr);
        m_covers->hide();
        if (focused)
            setFocus();
        scrollTo(currentIndex());
    }
    // Rows change height: let the view measure again.
    scheduleDelayedItemsLayout();
    viewport()->update();
}

TCoverView *TCatalogList::Covers()
{
    if (!m_covers) {
        m_covers = new TCoverView(this);
        m_covers->hide();
    }
    return m_covers;
}

TCoverView *TCatalogList::CoversShown() const
{
    return m_covers && !m_covers->isHidden() ? m_covers : nullptr;
}

void TCatalogList::StartEditing()
{
    const TViewNode *node = m_model->NodeOf(currentIndex());
    if (node && node->record && !IsSeries(node->record))
        Schedule(true);
}

void TCatalogList::FitTitleColumn()
{
    if (m_view == TViewMode::Grid)
        return;
    setColumnWidth(m_titleColumn, std::max(10, viewport()->width()));
}

void TCatalogList::resizeEvent(QResizeEvent *event)
{
    QTreeView::resizeEvent(event);
    FitTitleColumn();
    if (m_covers)
        m_covers->setGeometry(rect());
}

void TCatalogList::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTreeView::currentChanged(current, previous);
    if (m_linkRecord)
        return;
    TViewNode *node = m_model->NodeOf(current);
    if (!node && m_model->rowCount() > 0)
        return;
    m_timer.stop();
    emit FocusLeaving();
    m_pendingNode = node;
    m_pendingEdit = false;
    m_timer.start();
}

void TCatalogList::Schedule(bool startEditing)
{
    m_timer.stop();
    m_pendingNode = m_model->NodeOf(currentIndex());
    m_pendingEdit = startEditing;
    m_timer.start();
}

void TCatalogList::FlushFocus()
{
    if (!m_timer.isActive())
        return;
    m_timer.stop();
    OnTimer();
}

void TCatalogList::OnTimer()
{
    TViewNode *node = m_model->NodeOf(currentIndex());
    if (node != m_pendingNode || (node && !m_model->Contains(node)) || m_linkRecord)
        return;
    const bool edit = m_pendingEdit;
    m_pendingEdit = false;
    emit NodeFocused(node, node ? node->record : nullptr, edit);
}

void TCatalogList::keyPressEvent(QKeyEvent *event)
{
    if (!CellEditing()) {
        switch (event->key()) {
        case Qt::Key_Delete:
            emit DeleteRequested();
            event->accept();
            return;
        case Qt::Key_Insert:
            emit BookmarkRequested();
            event->accept();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter: {
            const TViewNode *node = m_model->NodeOf(currentIndex());
            if (node && node->record && !IsSeries(node->record)) {
                Schedule(true);
                event->accept();
                return;
            }
            break;
        }
        default:
            break;
        }
    }
    QTreeView::keyPressEvent(event);
}

bool TCatalogList::BeginLink(const QMouseEvent &event, const QModelIndex &index)
{
    const Qt::KeyboardModifiers linkKeys = Qt::ControlModifier | Qt::ShiftModifier;
    if (event.button() != Qt::LeftButton || (event.modifiers() & linkKeys) != linkKeys)
        return false;
    // A link to this movie is being made: the focus stays on the movie being shown.
    TDBItem *record = m_model->RecordOf(index);
    if (!record || record->Kind() != TRecordKind::Movie)
        return false;
    m_linkRecord = record;
    return true;
}

bool TCatalogList::EndLink(const QModelIndex &index)
{
    if (!m_linkRecord)
        return false;
    TDBItem *record = m_linkRecord;
    m_linkRecord = nullptr;
    if (m_model->RecordOf(index) == record)
        emit LinkRequested(record);
    return true;
}

void TCatalogList::mousePressEvent(QMouseEvent *event)
{
    if (BeginLink(*event, indexAt(event->position().toPoint()))) {
        event->accept();
        return;
    }
    QTreeView::mousePressEvent(event);
}

void TCatalogList::mouseReleaseEvent(QMouseEvent *event)
{
    if (EndLink(indexAt(event->position().toPoint()))) {
        event->accept();
        return;
    }
    QTreeView::mouseReleaseEvent(event);
}

void TCatalogList::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (m_linkRecord) {
        event->accept();
        return;
    }
    const QModelIndex index = indexAt(event->position().toPoint());
    const TViewNode *node = m_model->NodeOf(index);
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && node && node->record && !IsSeries(node->record)
        && index == currentIndex().siblingAtColumn(index.column())) {
        Schedule(true);
    }
}

void TCatalogList::focusInEvent(QFocusEvent *event)
{
    QTreeView::focusInEvent(event);
    // Selected rows change colour with the focus.
    viewport()->update();
}

void TCatalogList::focusOutEvent(QFocusEvent *event)
{
    QTreeView::focusOutEvent(event);
    viewport()->update();
}

bool TCatalogList::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    if (m_view != TViewMode::Grid)
        return false;
    const bool opened = QTreeView::edit(index, trigger, event);
    if (opened && !m_editorOpen) {
        m_editorOpen = true;
        emit CellEditStarted(index.column());
    }
    return opened;
}

void TCatalogList::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    QTreeView::closeEditor(editor, hint);
    if (m_editorOpen) {
        m_editorOpen = false;
        emit CellEditFinished();
    }
}

void TCatalogList::drawBranches(QPainter *painter,
                                const QRect &rect,
                                const QModelIndex &index) const
{
    // The indentation takes the row's colour, so a row reads as one band.
    if (const TViewNode *node = m_model->NodeOf(index)) {
        const bool selected = selectionModel()->isSelected(index);
        painter->fillRect(rect, RowBackground(*node, selected, hasFocus(), m_delegate->Look()));
    }
    QTreeView::drawBranches(painter, rect, index);
}

void TCatalogList::OnHeaderClicked(int logicalIndex)
{
    // Only left clicks reach sectionClicked; column 0 holds pictures and has no order.
    if (logicalIndex > 0)
        emit HeaderClicked(logicalIndex);
}

bool TCatalogList::SelectRecord(const TDBItem *record)
{
    TViewNode *node = m_model->FirstNodeOf(record);
    if (!node)
        return false;
    const QModelIndex index = m_model->IndexOf(node, m_titleColumn);
    // Parents of an episode or of a grouped row open so the row can be seen.
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
        expand(parent);
    FocusRow(index);
    return true;
}

void TCatalogList::FocusRow(const QModelIndex &index)
{
    // Rows are found by their title cell, but the grid stays scrolled where the user left
    // it sideways.
    const int across = horizontalScrollBar()->value();
    clearSelection();
    scrollTo(index);
    selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (m_view == TViewMode::Grid)
        horizontalScrollBar()->setValue(across);
}

void TCatalogList::CloseCellEditor(bool store)
{
    if (!CellEditing())
        return;
    QWidget *editor = indexWidget(currentIndex());
    if (!editor) {
        // The editor may sit on another cell than the focused one.
        editor = findChild<QLineEdit *>();
    }
    if (!editor)
        return;
    if (store)
        commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

TViewNode *TCatalogList::NextInOrder(TViewNode *node, bool forward, bool intoChildren) const
{
    if (!node || !m_model->Contains(node))
        return nullptr;
    // Children come right after their row, the first one going forward and the last one
    // going backward.
    if (intoChildren && m_model->ChildCount(node) > 0)
        return m_model->Child(node, forward ? 0 : m_model->ChildCount(node) - 1);
    for (TViewNode *at = node; at; at = at->Parent()) {
        const int row = m_model->RowOf(at) + (forward ? 1 : -1);
        if (TViewNode *sibling = m_model->Child(at->Parent(), row))
            return sibling;
    }
    return nullptr;
}

TViewNode *TCatalogList::RowAfterDelete(const QList<TViewNode *> &nodes,
                                        const QSet<const TDBItem *> &doomed) const
{
    const auto holdsSurvivor = [this, &doomed](const TViewNode *group, const auto &self) -> bool {
        for (const TViewNode *child : m_model->Children(group)) {
            if (child->IsGroup() ? self(child, self) : !doomed.contains(child->record))
                return true;
        }
        return false;
    };
    const auto stays = [&](const QModelIndex &index) {
        const TViewNode *node = m_model->NodeOf(index);
        if (!node)
            return false;
        for (const TViewNode *at = node; at; at = at->Parent()) {
            if (at->record && doomed.contains(at->record))
                return false;
        }
        return !node->IsGroup() || holdsSurvivor(node, holdsSurvivor);
    };
    // The topmost row: the smallest chain of rows from the top level.
    const auto path = [this](const TViewNode *node) {
        QList<int> rows;
        for (const TViewNode *at = node; at; at = at->Parent())
            rows.prepend(m_model->RowOf(at));
        return rows;
    };
    const TViewNode *top = nullptr;
    QList<int> topPath;
    for (const TViewNode *node : nodes) {
        if (!m_model->Contains(node))
            continue;
        const QList<int> rows = path(node);
        if (!top || rows < topPath) {
            top = node;
            topPath = rows;
        }
    }
    if (!top)
        return nullptr;
    const QModelIndex start = m_model->IndexOf(top, m_titleColumn);
    for (QModelIndex at = indexAbove(start); at.isValid(); at = indexAbove(at)) {
        if (stays(at))
            return m_model->NodeOf(at);
    }
    for (QModelIndex at = indexBelow(start); at.isValid(); at = indexBelow(at)) {
        if (stays(at))
            return m_model->NodeOf(at);
    }
    return nullptr;
}

bool TCatalogList::FocusNode(TViewNode *node)
{
    if (!m_model->Contains(node))
        return false;
    const QModelIndex index = m_model->IndexOf(node, m_titleColumn);
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
        expand(parent);
    FocusRow(index);
    return true;
}

void TCatalogList::SelectFirst()
{
    const QModelIndex first = m_model->index(0, m_titleColumn);
    if (!first.isValid())
        return;
    FocusRow(first);
}
