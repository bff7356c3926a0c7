// Geometry the movie and person cards share: line and memo heights, rows, full-width
// blocks and the poster or photo.
#include <algorithm>
#include <cmath>

#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QTextLayout>
#include <QToolButton>

#include "views/cardframe.h"
#include "views/cardframe_p.h"
#include "views/cardwidgets_p.h"
#include "views/linktext.h"

using namespace Qt::StringLiterals;
using namespace CardFrame;

int TCardFrame::LineHeight(const QWidget *control)
{
    const QFontMetrics metrics(control->font());
    return std::max(metrics.boundingRect(u"WHQTRU"_s).height(), metrics.lineSpacing());
}

int TCardFrame::MemoLines(const QPlainTextEdit *memo)
{
    const QString text = memo->toPlainText();
    if (text.isEmpty())
        return 0;
    const qreal width = std::max(
        10, memo->width() - 2 * memo->frameWidth() - 2 * MemoMargin - memo->cursorWidth() - 2);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    int lines = 0;
    for (const QString &paragraph : text.split(u'\n')) {
        QTextLayout layout(paragraph, memo->font());
        layout.setTextOption(option);
        layout.beginLayout();
        int count = 0;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            ++count;
        }
        layout.endLayout();
        lines += std::max(1, count);
    }
    return lines;
}

int TCardFrame::MemoHeight(const QPlainTextEdit *memo, int lines)
{
    return lines * LineHeight(memo) + 2 + 2 * memo->frameWidth() + 2 * MemoMargin;
}

int TCardFrame::TextTop(const QWidget *control)
{
    if (auto *memo = qobject_cast<const QPlainTextEdit *>(control))
        return memo->frameWidth() + MemoMargin;
    if (qobject_cast<const TLinkText *>(control))
        return 2;
    const int text = QFontMetrics(control->font()).height();
    return std::max(0, (control->height() - text) / 2);
}

void TCardFrame::Place(QWidget *widget, int x, int y, int width, int height)
{
    widget->setGeometry(x, y, std::max(1, width), std::max(1, height));
    // A control that is not on screen yet gets its resize only when shown; the layout
    // needs its wrapped lines now.
    if (widget->testAttribute(Qt::WA_PendingResizeEvent)) {
        QResizeEvent event(widget->size(), QSize());
        QCoreApplication::sendEvent(widget, &event);
        widget->setAttribute(Qt::WA_PendingResizeEvent, false);
    }
}

int TCardFrame::CollapsibleMemoHeight(QPlainTextEdit *memo) const
{
    if (Expanded(memo->objectName()))
        return MemoHeight(memo, std::max(1, MemoLines(memo)));
    // Exactly the first line: no sliver of the second below it.
    return memo->frameWidth() + MemoMargin + LineHeight(memo);
}

int TCardFrame::BoxHeight(TLinkText *box) const
{
    return box->NeededHeight(!Expanded(box->objectName()));
}

void TCardFrame::PlaceMoreButton(const QWidget *box, bool wanted)
{
    QToolButton *button = MoreButton(box);
    if (!button)
        return;
    const bool show = wanted && Shown(box);
    SetVisible(button, show);
    if (show) {
        Place(button, box->x() + box->width() + 2, box->y(), MoreButtonSize, MoreButtonSize);
        button->raise();
    }
}

void TCardFrame::PlaceRow(TRows &rows, QLabel *label, QWidget *field, int width, int height)
{
    if (!Shown(field)) {
        SetVisible(label, false);
        return;
    }
    SetVisible(label, true);
    const int labelWidth = rows.FieldX - 6 - rows.LabelLeft;
    if (height <= RowSlot) {
        Place(field, rows.FieldX, rows.Y + (RowSlot - height) / 2, width, height);
        if (label) {
            label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            Place(label, rows.LabelLeft, rows.Y, labelWidth, RowSlot);
        }
        rows.Y += RowStep;
        return;
    }
    Place(field, rows.FieldX, rows.Y, width, height);
    if (label) {
        // Level with the field's first text line.
        label->setAlignment(Qt::AlignRight | Qt::AlignTop);
        Place(label, rows.LabelLeft, rows.Y + TextTop(field), labelWidth, LineHeight(label) + 2);
    }
    rows.Y += height + RowGap;
}

int TCardFrame::TextWidth(const QWidget *control, const QString &text)
{
    return QFontMetrics(control->font()).horizontalAdvance(text);
}

int TCardFrame::FittedEditWidth(const QLineEdit *edit)
{
    // The edit's inner margin of 2 pixels on each side, its text margins and the cursor.
    const QMargins margins = edit->textMargins();
    return TextWidth(edit, edit->text()) + margins.left() + margins.right() + 6;
}

QRect TCardFrame::PlacePicture(
    TPicturePanel *panel, int top, int width, int height, int maxWidthPercent, int maxHeightPercent)
{
    QSize size(140, 100);
    if (panel->HasImage()) {
        // Limits in percent of the card, rounded up.
        const int maxWidth = int(std::ceil(width * maxWidthPercent / 100.0));
        const int maxHeight = int(std::ceil(height * maxHeightPercent / 100.0));
        size = TPicturePanel::FittedSize(panel->Image().size(), maxWidth, maxHeight);
    }
    if (!Shown(panel))
        return QRect(10, top, 0, 0);
    Place(panel, 10, top, size.width(), size.height());
    return QRect(QPoint(10, top), size);
}

void TCardFrame::PlaceMemoRow(TRows &rows, const TMemoBlock &block, int width, int minLines)
{
    if (m_mode == ModeEdit) {
        QPlainTextEdit *memo = block.Memo;
        // Lines wrap at the memo's width: it takes its width first.
        Place(memo, rows.FieldX, memo->y(), width, std::max(1, memo->height()));
        const int lines = MemoLines(memo);
        PlaceRow(rows,
                 block.Caption,
                 memo,
                 width,
                 MemoHeight(memo, lines < 4 ? std::max(lines, minLines) : lines));
        PlaceMoreButton(block.Box, false);
        return;
    }
    TLinkText *box = block.Box;
    Place(box, rows.FieldX, box->y(), width, std::max(1, box->height()));
    PlaceRow(rows, block.Caption, box, width, BoxHeight(box));
    PlaceMoreButton(box, box->HasMoreLines());
}

void TCardFrame::PlaceUnderCaption(TTextColumn &column, QLabel *caption, QWidget *field, int height)
{
    if (!Shown(field)) {
        SetVisible(caption, false);
        return;
    }
    SetVisible(caption, true);
    const int centre = column.Width / 2 - 10;
    const int captionWidth = TextWidth(caption, caption->text()) + 8;
    const int captionHeight = caption->sizeHint().height();
    Place(caption, centre - captionWidth / 2, column.Y, captionWidth, captionHeight);
    Place(field, 10, column.Y + captionHeight + 2, column.FieldWidth(), height);
    column.Bottom = field->y() + height;
    column.Y = column.Bottom + 24;
}

void TCardFrame::PlaceTextBlock(TTextColumn &column, const TMemoBlock &block)
{
    const bool edit = m_mode == ModeEdit;
    QWidget *field = edit ? static_cast<QWidget *>(block.Memo) : block.Box;
    // Lines wrap at the field's width: it takes its width first.
    Place(field, 10, field->y(), column.FieldWidth(), std::max(1, field->height()));
    int height = 0;
    if (edit) {
        const int lines = MemoLines(block.Memo);
        height = MemoHeight(block.Memo, lines < 3 ? std::max(lines, 4) : lines);
    } else {
        height = BoxHeight(block.Box);
    }
    PlaceUnderCaption(column, block.Caption, field, height);
    PlaceMoreButton(block.Box, !edit && block.Box->HasMoreLines());
}
