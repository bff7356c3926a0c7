#pragma once

#include <vector>

#include <QAbstractItemView>
#include <QHash>
#include <QPersistentModelIndex>

class QSlider;
class TCatalogList;
class TListModel;
class TThumbnailCache;
struct TViewNode;

// The covers view of a catalog list: its records as a wall of posters (photos for people)
// with their titles, group rows as section headers. It lies over the list it belongs to
// and shares its model and selection, so the focused record, the selection, the card and
// every record command stay the list's; keys and clicks that mean a command are handed to
// the list, and drags carry the list's records. A series opened in the list (its expand
// state is the one of the tree) shows its episodes' tiles after its own; Enter, a double
// click and +/- open and close it here. Thumbnails come from a TThumbnailCache; only
// visible tiles ask for them.
class TCoverView : public QAbstractItemView
{
    Q_OBJECT

public:
    explicit TCoverView(TCatalogList *list);

    // The poster box height in pixels, clamped to 80..300; the box is 2/3 as wide.
    int Side() const { return m_side; }
    void SetSide(int side);
    TThumbnailCache &Thumbnails() const { return *m_thumbnails; }
    void SetSliderHint(const QString &hint);

    QRect visualRect(const QModelIndex &index) const override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint &point) const override;
    void doItemsLayout() override;
    // Tiles and section headers laid out (tests).
    int TileCount() const;
    int HeaderCount() const;
    // The records of the tiles in order, headers left out (tests).
    QList<const TViewNode *> TileNodes() const;

signals:
    // The user changed the size (slider or Ctrl+wheel).
    void SideChanged(int side);

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override { return 0; }
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex &index) const override;
    void setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection &selection) const override;
    void updateGeometries() override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void dataChanged(const QModelIndex &topLeft,
                     const QModelIndex &bottomRight,
                     const QList<int> &roles = QList<int>()) override;

private:
    struct TEntry
    {
        TViewNode *node = nullptr;
        // In content coordinates (y from the top of the wall).
        QRect rect;
    };

    void MarkDirty();
    // Lays the wall out again if the rows changed; a hidden view only forgets its layout.
    void EnsureLayout() const;
    void Relayout() const;
    QSize TileSize() const;
    int EntryAt(const QPoint &content) const;
    int EntryOf(const QModelIndex &index) const;
    QModelIndex IndexOfEntry(int entry) const;
    // The next tile from `entry` in a direction: rows (down > 0, up < 0) or along.
    int TileBelow(int entry, bool down) const;
    int NextTile(int entry, int step) const;
    void PaintTile(QPainter &painter, const TEntry &entry, const QRect &rect);
    void PaintHeader(QPainter &painter, const TEntry &entry, const QRect &rect) const;
    void PaintSeriesBadge(QPainter &painter, const QRect &box, int episodes, bool open) const;
    void PlaceSlider();
    // The series row of the tile at `index` (an episode's series); nullptr for none.
    TViewNode *SeriesOf(const QModelIndex &index) const;
    bool IsSeriesTile(const QModelIndex &index) const;
    bool SeriesOpen(const TViewNode *series) const;
    // Opens, closes (or with `toggle` switches) the series at `index` in the list's expand
    // state; false when the tile is no series or episode. An episode closed away hands the
    // focus to its series.
    bool OpenSeries(const QModelIndex &index, bool open, bool toggle = false);

    TCatalogList *m_list;
    TListModel *m_model;
    TThumbnailCache *m_thumbnails;
    QSlider *m_slider;
    int m_side = 160;
    // Where the last press fell, for the drag's picture.
    QPoint m_pressPoint;
    QPersistentModelIndex m_pressed;
    mutable bool m_dirty = true;
    mutable std::vector<TEntry> m_entries;
    mutable QHash<const TViewNode *, int> m_entryOf;
    mutable int m_contentHeight = 0;
    mutable int m_layoutWidth = -1;
};
