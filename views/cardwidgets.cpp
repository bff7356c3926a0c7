#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QResizeEvent>
#include <QWheelEvent>

#include "views/cardwidgets_p.h"

TCardCombo::TCardCombo(QWidget *parent)
    : QComboBox(parent)
{
    // Editable in both modes so any stored text can be shown, not only the choices.
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
}

void TCardCombo::SetViewMode(bool flag)
{
    m_viewMode = flag;
    setFrame(!flag);
    lineEdit()->setReadOnly(flag);
    // Let the style place the line edit again, then line it up with the card's edits.
    QResizeEvent event(size(), size());
    resizeEvent(&event);
    update();
}

void TCardCombo::resizeEvent(QResizeEvent *event)
{
    QComboBox::resizeEvent(event);
    if (m_viewMode)
        lineEdit()->setGeometry(rect());
}

void TCardCombo::SetChoices(const QStringList &choices)
{
    const QString text = currentText();
    const QSignalBlocker blocker(this);
    clear();
    addItems(choices);
    setEditText(text);
}

void TCardCombo::showPopup()
{
    if (!m_viewMode)
        QComboBox::showPopup();
}

void TCardCombo::paintEvent(QPaintEvent *event)
{
    if (!m_viewMode) {
        QComboBox::paintEvent(event);
        return;
    }
    // The line edit child shows the text; the background is the field colour.
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
}

void TCardCombo::wheelEvent(QWheelEvent *event)
{
    if (m_viewMode)
        event->ignore();
    else
        QComboBox::wheelEvent(event);
}

void TCardCombo::keyPressEvent(QKeyEvent *event)
{
    // Arrow keys would pick another choice.
    if (m_viewMode) {
        event->ignore();
        return;
    }
    QComboBox::keyPressEvent(event);
}

TPicturePanel::TPicturePanel(QWidget *parent)
    : QFrame(parent)
{}

void TPicturePanel::SetImage(const QImage &image)
{
    m_image = image;
    update();
}

QSize TPicturePanel::FittedSize(QSize picture, int maxWidth, int maxHeight)
{
    if (picture.width() <= 0 || picture.height() <= 0)
        return QSize(140, 100);
    maxWidth = std::max(1, maxWidth);
    maxHeight = std::max(1, maxHeight);
    if (picture.width() <= maxWidth && picture.height() <= maxHeight)
        return picture;
    const qint64 w = picture.width();
    const qint64 h = picture.height();
    // Compare w / h with maxWidth / maxHeight without rounding.
    if (w * maxHeight >= h * qint64(maxWidth))
        return QSize(maxWidth, std::max<qint64>(1, h * maxWidth / w));
    return QSize(std::max<qint64>(1, w * maxHeight / h), maxHeight);
}

void TPicturePanel::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect area = contentsRect();
    if (m_image.isNull()) {
        // An empty poster place: a faint tint of the block colour keeps the gap readable.
        painter.fillRect(area, palette().color(QPalette::Window).darker(104));
    } else {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        if (m_proportional) {
            const QSize size = m_image.size().scaled(area.size(), Qt::KeepAspectRatio);
            QRect target(QPoint(), size);
            target.moveCenter(area.center());
            painter.drawImage(target, m_image);
        } else {
            painter.drawImage(area, m_image);
        }
    }
    painter.end();
    QFrame::paintEvent(event);
}
