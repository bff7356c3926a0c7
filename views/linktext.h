#pragma once

#include <functional>
#include <utility>

#include <QFontMetrics>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

class QPainter;

// One link of a TLinkText.
struct TLink
{
    QString Text;        // what is shown
    QString Value;       // what it points to
    QString Attribute;   // the kind: "id", "otitle", "title", "name", "tname", "year", "genre",
                         // "country", "tag", "url", "anchor"
    QRect Bounds;        // where it was last painted; empty until painted
    int StartColumn = 0; // 1-based column within its display line
    int LineIndex = 0;   // 0-based display line
};

// Read-only text with links: tag mode ("<link kind=\"value\">text</link>" markup, hard line
// breaks) or list mode (the text split at delimiters, every piece a link). Wraps to its
// width, paints links blue and underlined, selects with the mouse and copies.
class TLinkText : public QWidget
{
    Q_OBJECT

public:
    explicit TLinkText(QWidget *parent = nullptr);

    QStringList Lines() const { return m_lines; }
    void SetLines(const QStringList &lines);
    // Replaces the lines by the text split at line breaks.
    void SetText(const QString &text);
    // The lines joined with CR LF.
    QString GetText() const;

    QString LinkTag() const { return m_linkTag; }
    void SetLinkTag(const QString &tag);
    QString DefaultAttribute() const { return m_defaultAttribute; }
    void SetDefaultAttribute(const QString &attribute);
    // Default ",/\;|" followed by a carriage return.
    QString Delimiters() const { return m_delimiters; }
    void SetDelimiters(const QString &delimiters);
    bool DrawDefaultDelimiter() const { return m_drawDefaultDelimiter; }
    void SetDrawDefaultDelimiter(bool flag);

    int LinkCount() const { return int(m_links.size()); }
    // False (and `link` untouched) for an index out of range.
    bool GetLink(int index, TLink &link) const;
    // The wrapped display lines.
    QStringList DisplayLines() const { return m_wrapped; }
    bool HasMoreLines() const { return m_wrapped.size() > 1; }
    // Line height + 4 for one line, else lines × line height + 4.
    int NeededHeight(bool oneLineOnly) const;
    int LineHeight() const { return m_lineHeight; }

    // The selected text (empty when none).
    QString SelectedText() const;
    void CopySelection();
    void SelectAll();

signals:
    void LinkClicked(const TLink &link);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // Called for each plain or link piece of a wrapped line, left to right: its text, the
    // 1-based column of its first character, its left edge and the link index (-1: plain).
    using TPieceVisitor = std::function<void(const QString &text, int column, int x, int link)>;

    void Relayout();
    void LayOutTags(const QString &source);
    void LayOutList(const QString &source);
    void PlaceLink(int index, const QString &line);
    void ComputeBounds();
    void ForEachPiece(int line, const TPieceVisitor &visit) const;
    int TextWidth(const QString &text) const;
    // How much of `chunk` (text without links or line breaks) goes on a line with `room`
    // pixels left: the longest cut at a space that fits, else at a character.
    qsizetype FittingLength(const QString &chunk, int room) const;
    void EnsureImage();
    void Render(const QRect &band);
    void DrawPiece(QPainter &painter, const QString &text, int x, int line, int link) const;
    void ClearSelection();
    void ScheduleRender();
    bool AreaActive() const;
    bool InArea(int x, int line) const;
    int Row(int y) const;
    // 1-based start and length in the joined wrapped text; length 0 for none.
    std::pair<int, int> SelectionRange() const;
    QString JoinedWrapped() const;
    int LinkAt(const QPoint &pos) const;

    QStringList m_lines;
    QString m_linkTag;
    QString m_openPattern;
    QString m_closePattern;
    QString m_defaultAttribute;
    QString m_delimiters;
    bool m_drawDefaultDelimiter = false;
    QList<TLink> m_links;
    QStringList m_wrapped;
    QList<QList<int>> m_lineLinks; // per wrapped line, its links left to right
    int m_lineHeight = 0;
    QFontMetrics m_metrics{QFont()}; // of the control's font on the image

    QImage m_image;
    QRect m_renderedBand; // the part of m_image that is up to date
    bool m_needsRender = true;
    QTimer *m_renderTimer = nullptr;

    QPoint m_pressPoint;
    QPoint m_currentPoint;
    bool m_pressed = false;
    bool m_dragging = false;
    bool m_selectAll = false;
    int m_hoverLink = -1;
};
