#include "linktext.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include <QClipboard>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

using namespace Qt::StringLiterals;

namespace {

constexpr QChar CR = u'\r';
// The text starts 2 pixels in from the left and the top; the usable width is the
// control's width less 5.
constexpr int LeftMargin = 2;
constexpr int TopMargin = 2;
constexpr int WidthReserve = 5;
// Moving farther than this (in either direction) with the button held starts a selection.
constexpr int DragThreshold = 2;
// Re-rendering during a drag is throttled to one per tick.
constexpr int RenderDelayMs = 10;
// Characters that stay on a link's line with it: a link never ends a line with its comma
// pushed to the next one.
const QString LinkFollowers = u" ,/\\;|"_s;

bool IsBlank(QChar c)
{
    return c.unicode() <= u' ';
}

// Trims white space and control characters, as the markup's writers expect.
QString TrimBlanks(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && IsBlank(text.at(first)))
        ++first;
    while (last > first && IsBlank(text.at(last - 1)))
        --last;
    return text.mid(first, last - first);
}

QString TrimRightBlanks(const QString &text)
{
    qsizetype last = text.size();
    while (last > 0 && IsBlank(text.at(last - 1)))
        --last;
    return text.left(last);
}

// The source as one text with a CR after every line (so it ends with one unless empty).
QString JoinSource(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines) {
        text += line;
        text += u"\r\n"_s;
    }
    text.replace(u"\r\n"_s, u"\r"_s);
    return text;
}

QString CrToSpace(QString text)
{
    return text.replace(CR, u' ');
}

// Up to three characters right after `end` that keep a link company on its line.
QString Followers(const QString &display, qsizetype end)
{
    QString result;
    for (qsizetype i = end; i < display.size() && result.size() < 3; ++i) {
        if (!LinkFollowers.contains(display.at(i)))
            break;
        result += display.at(i);
    }
    return result;
}

// Length of the character at `i`, keeping surrogate pairs whole.
qsizetype CharLength(const QString &text, qsizetype i)
{
    return i + 1 < text.size() && text.at(i).isHighSurrogate() && text.at(i + 1).isLowSurrogate()
               ? 2
               : 1;
}

} // namespace

TLinkText::TLinkText(QWidget *parent)
    : QWidget(parent)
    , m_delimiters(u",/\\;|\r"_s)
{
    setFocusPolicy(Qt::ClickFocus);
    setMouseTracking(true);
    setCursor(Qt::IBeamCursor);
    // Every exposed pixel comes from the off-screen image.
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_renderTimer = new QTimer(this);
    m_renderTimer->setSingleShot(true);
    m_renderTimer->setInterval(RenderDelayMs);
    connect(m_renderTimer, &QTimer::timeout, this, &TLinkText::ScheduleRender);
    Relayout();
}

void TLinkText::SetLines(const QStringList &lines)
{
    m_lines = lines;
    m_pressPoint = m_currentPoint = QPoint();
    m_selectAll = false;
    Relayout();
}

void TLinkText::SetText(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != CR && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == CR && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    // A final line break ends the last line rather than starting an empty one.
    if (start < text.size())
        lines.append(text.mid(start));
    SetLines(lines);
}

QString TLinkText::GetText() const
{
    return m_lines.join(u"\r\n"_s);
}

void TLinkText::SetLinkTag(const QString &tag)
{
    m_linkTag = tag;
    // Without a tag there are no patterns: the tag layout then shows plain text only.
    m_openPattern = tag.isEmpty() ? QString() : u"<"_s + tag;
    m_closePattern = tag.isEmpty() ? QString() : u"</"_s + tag + u">"_s;
    Relayout();
}

void TLinkText::SetDefaultAttribute(const QString &attribute)
{
    m_defaultAttribute = attribute;
    Relayout();
}

void TLinkText::SetDelimiters(const QString &delimiters)
{
    m_delimiters = delimiters;
    Relayout();
}

void TLinkText::SetDrawDefaultDelimiter(bool flag)
{
    m_drawDefaultDelimiter = flag;
    Relayout();
}

bool TLinkText::GetLink(int index, TLink &link) const
{
    if (index < 0 || index >= m_links.size())
        return false;
    link = m_links.at(index);
    return true;
}

int TLinkText::NeededHeight(bool oneLineOnly) const
{
    return (oneLineOnly ? 1 : int(m_wrapped.size())) * m_lineHeight + 4;
}

void TLinkText::Relayout()
{
    m_wrapped.clear();
    m_lineLinks.clear();
    m_links.clear();
    m_hoverLink = -1;
    EnsureImage();
    m_metrics = QFontMetrics(font(), &m_image);
    m_lineHeight = m_metrics.size(Qt::TextSingleLine, u"HEIGHT"_s).height() + 1;
    const QString source = JoinSource(m_lines);
    if (!m_linkTag.isEmpty() || m_drawDefaultDelimiter)
        LayOutTags(source);
    else
        LayOutList(source);
    m_lineLinks.resize(m_wrapped.size());
    ComputeBounds();
    m_needsRender = true;
    update();
}

void TLinkText::LayOutTags(const QString &source)
{
    // Parse: the display text and, per link, where its text starts in it (0-based).
    QString display;
    QList<qsizetype> starts;
    qsizetype pos = 0;
    if (!m_openPattern.isEmpty()) {
        const QString valueStart = u"=\""_s;
        const QString valueEnd = u"\">"_s;
        qsizetype open;
        while ((open = source.indexOf(m_openPattern, pos)) >= 0) {
            display += QStringView(source).mid(pos, open - pos);
            pos = open + m_openPattern.size();
            TLink link;
            // The searches run on to later tags when one is missing: the writers' markup
            // has always been read this way.
            qsizetype mark = source.indexOf(valueStart, pos);
            if (mark >= 0) {
                link.Attribute = TrimBlanks(source.mid(pos, mark - pos));
                if (link.Attribute.isEmpty())
                    link.Attribute = m_defaultAttribute;
                pos = mark + valueStart.size();
            }
            mark = source.indexOf(valueEnd, pos);
            if (mark >= 0) {
                link.Value = CrToSpace(source.mid(pos, mark - pos));
                pos = mark + valueEnd.size();
            }
            mark = source.indexOf(m_closePattern, pos);
            if (mark >= 0) {
                link.Text = CrToSpace(source.mid(pos, mark - pos));
                pos = mark + m_closePattern.size();
            }
            starts.append(display.size());
            display += link.Text;
            m_links.append(link);
        }
    }
    display += QStringView(source).mid(pos);
    display = TrimRightBlanks(display);

    // Wrap.
    const int limit = width() - WidthReserve;
    QString line;
    int x = 0;
    const auto finishLine = [&] {
        m_wrapped.append(line);
        line.clear();
        x = 0;
    };
    qsizetype next = 0;
    qsizetype p = 0;
    while (p < display.size()) {
        if (next < m_links.size() && starts.at(next) <= p) {
            const QString &text = m_links.at(next).Text;
            const qsizetype end = starts.at(next) + text.size();
            if (x > 0
                && (x + TextWidth(text) > limit
                    || x + TextWidth(text + Followers(display, end)) > limit))
                finishLine();
            PlaceLink(int(next), line);
            line += text;
            x += TextWidth(text);
            p = std::max(p, end);
            ++next;
            continue;
        }
        if (display.at(p) == CR) {
            finishLine();
            ++p;
            continue;
        }
        qsizetype end = display.size();
        if (next < m_links.size())
            end = std::min(end, starts.at(next));
        const qsizetype cr = display.indexOf(CR, p);
        if (cr >= 0)
            end = std::min(end, cr);
        QString chunk = display.mid(p, end - p);
        if (x > 0 && chunk != u" "_s) {
            const qsizetype space = chunk.indexOf(u' ');
            const QString firstWord = space < 0 ? chunk : chunk.left(space + 1);
            if (x + TextWidth(firstWord) > limit)
                finishLine();
        }
        chunk.truncate(FittingLength(chunk, limit - x));
        line += chunk;
        x += TextWidth(chunk);
        p += chunk.size();
    }
    if (!line.isEmpty())
        finishLine();
}

void TLinkText::LayOutList(const QString &source)
{
    // Split from the end: each delimiter match cuts off the piece after it, and the final
    // CR moves up to the match, so later delimiters in the list are compared with the CR.
    QString rest = source;
    QStringList pieces;
    for (qsizetype i = source.size() - 2; i >= 1; --i) {
        for (const QChar delimiter : std::as_const(m_delimiters)) {
            if (rest.at(i) != delimiter)
                continue;
            const qsizetype finalCr = rest.size() - 1;
            pieces.prepend(TrimBlanks(rest.mid(i + 1, finalCr - i - 1)));
            rest.remove(i, finalCr - i);
        }
    }
    rest = TrimBlanks(rest);
    if (!rest.isEmpty())
        pieces.prepend(rest);

    const int limit = width() - WidthReserve;
    QString line;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const bool last = i + 1 == pieces.size();
        TLink link;
        link.Text = link.Value = CrToSpace(pieces.at(i));
        link.Attribute = m_defaultAttribute;
        m_links.append(link);
        const QString candidate = line + link.Text + (last ? QString() : u" "_s);
        if (!line.isEmpty() && TextWidth(candidate) > limit) {
            m_wrapped.append(line);
            line.clear();
        }
        PlaceLink(int(i), line);
        line += link.Text;
        if (!last)
            line += u' ';
    }
    if (!pieces.isEmpty())
        m_wrapped.append(line);
}

void TLinkText::PlaceLink(int index, const QString &line)
{
    TLink &link = m_links[index];
    link.StartColumn = int(line.size()) + 1;
    link.LineIndex = int(m_wrapped.size());
    if (m_lineLinks.size() <= link.LineIndex)
        m_lineLinks.resize(link.LineIndex + 1);
    m_lineLinks[link.LineIndex].append(index);
}

// Bounds are known from the layout alone; setting them for every line (not only the ones
// painted so far) lets an anchor jump reach a link that has not been on screen yet.
void TLinkText::ComputeBounds()
{
    for (int line = 0; line < m_wrapped.size(); ++line) {
        ForEachPiece(line, [&](const QString &text, int, int x, int link) {
            if (link >= 0)
                m_links[link].Bounds =
                    QRect(x, TopMargin + m_lineHeight * line, TextWidth(text), m_lineHeight);
        });
    }
}

void TLinkText::ForEachPiece(int line, const TPieceVisitor &visit) const
{
    if (line < 0 || line >= m_wrapped.size())
        return;
    const QString &text = m_wrapped.at(line);
    int x = LeftMargin;
    int column = 1;
    const auto step = [&](const QString &piece, int link) {
        visit(piece, column, x, link);
        x += TextWidth(piece);
        column += int(piece.size());
    };
    if (line < m_lineLinks.size()) {
        for (const int link : m_lineLinks.at(line)) {
            const TLink &item = m_links.at(link);
            const int plain = item.StartColumn - column;
            if (plain > 0)
                step(text.mid(column - 1, plain), -1);
            step(item.Text, link);
        }
    }
    if (column - 1 < text.size())
        step(text.mid(column - 1), -1);
}

qsizetype TLinkText::FittingLength(const QString &chunk, int room) const
{
    // The cuts a line tries, longest first: the whole chunk, then after each space from the
    // end (not one that ends the text), then, with no space left, one character less at a
    // time, down to two characters, which go in whether they fit or not.
    std::vector<qsizetype> lengths{chunk.size()};
    bool spaces = true;
    while (lengths.back() > 2) {
        const qsizetype size = lengths.back();
        const qsizetype space = spaces ? chunk.lastIndexOf(u' ', size - 2) : -1;
        spaces = space >= 0;
        lengths.push_back(spaces ? space + 1 : size - 1);
    }
    // The first cut that fits. A longer text is never narrower, so the cuts that fit are
    // the tail of the list: a binary search measures a few of them instead of each in turn
    // (a long description took some 90 ms to lay out). The whole chunk is tried first: it
    // usually fits.
    const auto fits = [&](size_t i) {
        return lengths[i] <= 2 || TextWidth(chunk.left(lengths[i])) <= room;
    };
    size_t low = 0;
    size_t high = lengths.size() - 1;
    while (low < high) {
        const size_t middle = low == 0 ? 0 : low + (high - low) / 2;
        if (fits(middle))
            high = middle;
        else
            low = middle + 1;
    }
    return lengths[low];
}

int TLinkText::TextWidth(const QString &text) const
{
    return m_metrics.horizontalAdvance(text);
}

void TLinkText::EnsureImage()
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels =
        (QSizeF(std::max(width(), 1), std::max(height(), 1)) * ratio).toSize().expandedTo({1, 1});
    if (m_image.size() == pixels && m_image.devicePixelRatio() == ratio)
        return;
    m_image = QImage(pixels, QImage::Format_RGB32);
    m_image.setDevicePixelRatio(ratio);
    m_renderedBand = QRect();
}

void TLinkText::paintEvent(QPaintEvent *event)
{
    // Inside a scroll area Qt exposes only the visible part; only that band is rendered.
    const QRect band = event->rect() & rect();
    if (band.isEmpty())
        return;
    EnsureImage();
    if (m_needsRender || !m_renderedBand.contains(band)) {
        Render(band);
        m_renderedBand = band;
        m_needsRender = false;
    }
    QPainter painter(this);
    const qreal ratio = m_image.devicePixelRatio();
    painter.drawImage(QRectF(band),
                      m_image,
                      QRectF(QPointF(band.topLeft()) * ratio, QSizeF(band.size()) * ratio));
}

void TLinkText::Render(const QRect &band)
{
    QPainter painter(&m_image);
    painter.setClipRect(band);
    painter.fillRect(band, palette().color(backgroundRole()));
    for (int line = 0; line < m_wrapped.size(); ++line) {
        const int top = TopMargin + m_lineHeight * line;
        // Lines that would not fit whole are left out, so a collapsed box shows no half line.
        if (m_lineHeight * (line + 1) + 4 > height() || top > band.bottom())
            break;
        if (top + m_lineHeight <= band.top())
            continue;
        ForEachPiece(line, [&](const QString &text, int, int x, int link) {
            DrawPiece(painter, text, x, line, link);
        });
    }
}

void TLinkText::DrawPiece(QPainter &painter, const QString &text, int x, int line, int link) const
{
    QFont face = font();
    face.setUnderline(link >= 0);
    painter.setFont(face);
    // The palette's, so the box follows the desktop theme and the card's pane colours.
    const QColor ink = palette().color(link >= 0 ? QPalette::Link : foregroundRole());
    const int top = TopMargin + m_lineHeight * line;
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip;

    bool anySelected = false;
    if (m_selectAll || AreaActive()) {
        for (qsizetype i = 0; i < text.size() && !anySelected; i += CharLength(text, i))
            anySelected = InArea(x + TextWidth(text.left(i)), line);
    }
    if (!anySelected) {
        painter.setPen(ink);
        painter.drawText(QRect(x, top, TextWidth(text), m_lineHeight), flags, text);
        return;
    }
    const QColor highlight = palette().color(QPalette::Highlight);
    const QColor highlightedInk = palette().color(QPalette::HighlightedText);
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = CharLength(text, i);
        const QString character = text.mid(i, length);
        const int left = x + TextWidth(text.left(i));
        // Up to the next character's edge, so rounding leaves no gap in the highlight.
        const QRect cell(left, top, x + TextWidth(text.left(i + length)) - left, m_lineHeight);
        if (InArea(left, line)) {
            painter.fillRect(cell, highlight);
            painter.setPen(highlightedInk);
        } else {
            painter.setPen(ink);
        }
        painter.drawText(cell, flags, character);
        i += length;
    }
}

bool TLinkText::AreaActive() const
{
    const int dx = std::abs(m_pressPoint.x() - m_currentPoint.x());
    const int dy = std::abs(m_pressPoint.y() - m_currentPoint.y());
    return (dx >= DragThreshold || dy >= DragThreshold) && dx >= 1 && dy >= 1;
}

int TLinkText::Row(int y) const
{
    // ceiling((y - 2) / H), also for points above the text.
    const int n = y - TopMargin;
    return n > 0 ? (n + m_lineHeight - 1) / m_lineHeight : -(-n / m_lineHeight);
}

bool TLinkText::InArea(int x, int line) const
{
    if (m_selectAll)
        return true;
    if (!AreaActive())
        return false;
    const bool pressAbove = m_pressPoint.y() <= m_currentPoint.y();
    const QPoint &upper = pressAbove ? m_pressPoint : m_currentPoint;
    const QPoint &lower = pressAbove ? m_currentPoint : m_pressPoint;
    const int row = Row(TopMargin + m_lineHeight * line + m_lineHeight);
    const int upperRow = Row(upper.y());
    const int lowerRow = Row(lower.y());
    if (upperRow < row && row < lowerRow)
        return true;
    if (upperRow != lowerRow)
        return (row == upperRow && x >= upper.x()) || (row == lowerRow && x <= lower.x());
    return row == upperRow && x >= std::min(upper.x(), lower.x())
           && x <= std::max(upper.x(), lower.x());
}

std::pair<int, int> TLinkText::SelectionRange() const
{
    if (m_selectAll)
        return {1, int(JoinedWrapped().size())};
    if (!AreaActive())
        return {0, 0};
    // The characters the painter would draw inside the area, in every line that fits,
    // whether or not it is scrolled into view.
    int first = 0;
    int last = 0;
    int base = 0;
    for (int line = 0; line < m_wrapped.size(); ++line) {
        if (m_lineHeight * (line + 1) + 4 > height())
            break;
        ForEachPiece(line, [&](const QString &text, int column, int x, int) {
            for (qsizetype i = 0; i < text.size(); i += CharLength(text, i)) {
                if (!InArea(x + TextWidth(text.left(i)), line))
                    continue;
                const int index = base + column + int(i);
                if (first == 0)
                    first = index;
                last = std::max(last, index + int(CharLength(text, i)) - 1);
            }
        });
        base += int(m_wrapped.at(line).size()) + 2;
    }
    return first == 0 ? std::pair{0, 0} : std::pair{first, last - first + 1};
}

QString TLinkText::JoinedWrapped() const
{
    QString text;
    for (const QString &line : m_wrapped) {
        text += line;
        text += u"\r\n"_s;
    }
    return text;
}

QString TLinkText::SelectedText() const
{
    const auto [start, length] = SelectionRange();
    return length > 0 ? JoinedWrapped().mid(start - 1, length) : QString();
}

void TLinkText::CopySelection()
{
    QGuiApplication::clipboard()->setText(SelectedText());
}

void TLinkText::SelectAll()
{
    m_pressPoint = QPoint(0, 0);
    m_currentPoint = QPoint(width(), height());
    m_selectAll = true;
    ScheduleRender();
}

void TLinkText::ClearSelection()
{
    m_pressPoint = m_currentPoint = QPoint();
    m_selectAll = false;
    ScheduleRender();
}

void TLinkText::ScheduleRender()
{
    m_needsRender = true;
    update();
}

int TLinkText::LinkAt(const QPoint &pos) const
{
    for (int i = 0; i < m_links.size(); ++i) {
        const TLink &link = m_links.at(i);
        // Lines that do not fit are not painted, so their links cannot be hit.
        if (link.Bounds.contains(pos) && m_lineHeight * (link.LineIndex + 1) + 4 <= height())
            return i;
    }
    return -1;
}

bool TLinkText::event(QEvent *event)
{
    // Ctrl+C and Ctrl+A belong to this control while it has the focus, not to the window's
    // shortcuts.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->modifiers() & Qt::ControlModifier)
            && (key->key() == Qt::Key_C || key->key() == Qt::Key_A)) {
            event->accept();
            return true;
        }
    }
    return QWidget::event(event);
}

void TLinkText::resizeEvent(QResizeEvent *event)
{
    if (event->oldSize().width() != width())
        Relayout();
    else
        ScheduleRender();
    QWidget::resizeEvent(event);
}

void TLinkText::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    m_pressPoint = m_currentPoint = event->position().toPoint();
    m_selectAll = false;
    m_pressed = true;
    m_dragging = false;
    m_renderTimer->start();
}

void TLinkText::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (m_pressed) {
        if (!m_dragging
            && (std::abs(pos.x() - m_pressPoint.x()) > DragThreshold
                || std::abs(pos.y() - m_pressPoint.y()) > DragThreshold))
            m_dragging = true;
        if (m_dragging) {
            m_currentPoint = pos;
            m_hoverLink = -1;
            setCursor(Qt::IBeamCursor);
            m_renderTimer->start();
        }
        return;
    }
    const int link = LinkAt(pos);
    if (link != m_hoverLink) {
        m_hoverLink = link;
        setCursor(link >= 0 ? Qt::PointingHandCursor : Qt::IBeamCursor);
    }
}

void TLinkText::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const bool clicked = m_pressed && !m_dragging;
    const bool dragged = m_dragging;
    m_pressed = m_dragging = false;
    if (dragged) {
        m_renderTimer->start();
        return;
    }
    if (!clicked)
        return;
    m_renderTimer->stop();
    ScheduleRender();
    const int index = LinkAt(event->position().toPoint());
    if (index >= 0) {
        // A copy: the receiver may well replace this control's text.
        const TLink link = m_links.at(index);
        emit LinkClicked(link);
    }
}

void TLinkText::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        if (event->key() == Qt::Key_C)
            CopySelection();
        else if (event->key() == Qt::Key_A)
            SelectAll();
    }
    QWidget::keyPressEvent(event);
}

void TLinkText::focusOutEvent(QFocusEvent *event)
{
    // A context menu takes the focus for a moment; its Copy entry still needs the selection.
    if (event->reason() != Qt::PopupFocusReason)
        ClearSelection();
    QWidget::focusOutEvent(event);
}

void TLinkText::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        Relayout();
    else if (event->type() == QEvent::PaletteChange)
        ScheduleRender();
    QWidget::changeEvent(event);
}
