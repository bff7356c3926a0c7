#pragma once

#include <QSet>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeView>

#include "app/listcolumns.h"

class TCoverView;
class TDBItem;
class TListModel;

// Paints the rows of a catalog list: state colours, thumbnails in column 0, folder images
// for group rows, wrapped text and grid lines in the grid view.
class TListDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit TListDelegate(QTreeView *view);

    void SetLook(const TRowLook &look) { m_look = look; }
    const TRowLook &Look() const { return m_look; }
    void SetGrid(bool grid) { m_grid = grid; }
    // The title column, which shows folder images on group rows.
    void SetTitleColumn(int column) { m_titleColumn = column; }

    void paint(QPainter *painter,
               const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    // Cell editors show text their cell refuses with a red frame and this tooltip, and keep
    // it open on Enter and Tab; nothing refused is stored.
    void SetRefusalHint(const QString &hint) { m_refusalHint = hint; }
    QWidget *createEditor(QWidget *parent,
                          const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    // The editor starts with the cell's text, all of it selected, as in any spreadsheet.
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor,
                      QAbstractItemModel *model,
                      const QModelIndex &index) const override;

    // The property an editor holding refused text carries (true).
    static constexpr char RefusedProperty[] = "refused";

    static constexpr int ListRowHeight = 18;
    static constexpr int GridRowHeight = 100;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Whether the editor's text would be stored by its cell.
    static bool Accepted(const QWidget *editor, const QModelIndex &index);

    QTreeView *m_view;
    QString m_refusalHint;
    TRowLook m_look;
    bool m_grid = false;
    int m_titleColumn = 0;
};

// One catalog list (movies or people) in its plain, tree or grid view. It reports what the
// user does; the main window decides what follows.
class TCatalogList : public QTreeView
{
    Q_OBJECT

public:
    TCatalogList(TListModel *model, int titleColumn, QWidget *parent = nullptr);

    TListModel *Model() const { return m_model; }
    int TitleColumn() const { return m_titleColumn; }
    using QTreeView::edit;
    TListDelegate *Delegate() const { return m_delegate; }
    TViewMode ViewMode() const { return m_view; }
    // Header, row height, grid lines, in-place editing and drag of the view. In the plain
    // and tree views only the title column shows, as wide as the list.
    void SetViewMode(TViewMode view);
    // Widens the title column to the list (plain and tree views).
    void FitTitleColumn();
    // The poster wall lying over the list in the covers view, made on first use. It shares
    // the list's rows and selection and takes its keyboard focus while shown.
    TCoverView *Covers();
    // Whether the covers view is shown and made.
    TCoverView *CoversShown() const;
    // Opens the focused record's card for editing, as Enter and a double click do.
    void StartEditing();

    // The node the 50 ms timer will hand on; nullptr when none is waiting.
    TViewNode *PendingNode() const { return m_timer.isActive() ? m_pendingNode : nullptr; }
    // Hands the focused node on at once (tests, and callers that cannot wait).
    void FlushFocus();
    // Hands the focused node on again after the usual delay (the list became visible).
    void Refocus() { Schedule(false); }
    // Whether a cell editor is open.
    bool CellEditing() const { return state() == QAbstractItemView::EditingState; }
    // Closes the open cell editor, storing its text or not.
    void CloseCellEditor(bool store);
    // The node after node going forward or backward: its first (last) child when
    // intoChildren is set and it has one, else the next (previous) sibling of the node or
    // of its nearest ancestor that has one; nullptr at the end. Collapsed rows count.
    TViewNode *NextInOrder(TViewNode *node, bool forward, bool intoChildren) const;
    // Where the focus goes when the records in `doomed` lose their rows, `nodes` among them:
    // the nearest row above the topmost of `nodes` that stays, else the nearest one below
    // it; nullptr when no row stays. A group row stays while it holds a record that stays.
    TViewNode *RowAfterDelete(const QList<TViewNode *> &nodes,
                              const QSet<const TDBItem *> &doomed) const;
    // Focuses and selects the node's row; false when it is not this list's.
    bool FocusNode(TViewNode *node);
    // Whether a Ctrl+Shift+click is being held on a movie row.
    bool LinkDragging() const { return m_linkRecord != nullptr; }
    // A Ctrl+Shift+press on a movie's row starts a link instead of a click; true when
    // `event` did (the covers view hands its presses here too, with the tile's index).
    bool BeginLink(const QMouseEvent &event, const QModelIndex &index);
    // Ends a link being held, released over `index`: LinkRequested when that is still the
    // movie's row. False when no link was held.
    bool EndLink(const QModelIndex &index);

    // Clears the selection, scrolls to the record's first node and selects and focuses it.
    // False when the record has no node here.
    bool SelectRecord(const TDBItem *record);
    // Selects and focuses the first row, or nothing when there is none.
    void SelectFirst();

signals:
    // The focused node is about to change: a record being edited must be stored now.
    void FocusLeaving();
    // The focused node settled (50 ms after it changed); record is null for a group row.
    void NodeFocused(TViewNode *node, TDBItem *record, bool startEditing);
    void DeleteRequested();
    void BookmarkRequested();
    // Ctrl+Shift+click released on a movie row.
    void LinkRequested(TDBItem *movie);
    void HeaderClicked(int column);
    void CellEditStarted(int column);
    void CellEditFinished();

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void
    drawBranches(QPainter *painter, const QRect &rect, const QModelIndex &index) const override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void OnTimer();
    void OnHeaderClicked(int logicalIndex);
    // Restarts the timer for the current node; startEditing marks an Enter or double click.
    void Schedule(bool startEditing);
    // Makes index the only selected row and the focused one.
    void FocusRow(const QModelIndex &index);

    TListModel *m_model;
    TListDelegate *m_delegate;
    TViewMode m_view = TViewMode::Plain;
    int m_titleColumn;
    QTimer m_timer;
    TViewNode *m_pendingNode = nullptr;
    bool m_pendingEdit = false;
    TDBItem *m_linkRecord = nullptr;
    bool m_editorOpen = false;
    TCoverView *m_covers = nullptr;
};
