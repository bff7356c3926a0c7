#include "starpanel.h"

#include <cmath>
#include <numbers>

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace {

enum class TStarLook { Full, Half, Grey };

const QColor Gold(0xF2, 0xB8, 0x1C);
const QColor GoldHovered(0xFF, 0x8C, 0x00);
const QColor Grey(0xC8, 0xC8, 0xC8);
const QColor Outline(0x80, 0x80, 0x80);

// Star k (1 to 10) for value v: full from k on, half for the star v rounds up to.
TStarLook LookOf(double value, int k)
{
    if (value >= k)
        return TStarLook::Full;
    if (std::ceil(value) == k)
        return TStarLook::Half;
    return TStarLook::Grey;
}

// A five-pointed star filling a StarSize square, point up.
QPolygonF StarPolygon(double left)
{
    const double size = TStarPanel::StarSize;
    const QPointF centre(left + size / 2, size / 2 + 0.5);
    const double outer = size / 2 - 0.5;
    const double inner = outer * 0.45;
    QPolygonF polygon;
    for (int i = 0; i < 10; ++i) {
        const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        const double radius = i % 2 == 0 ? outer : inner;
        polygon << centre + QPointF(std::cos(angle) * radius, std::sin(angle) * radius);
    }
    return polygon;
}

} // namespace

TStarPanel::TStarPanel(QWidget *parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void TStarPanel::SetValue(double value)
{
    m_value = value;
    m_hover = -1;
    update();
}

void TStarPanel::SetEditable(bool editable)
{
    m_editable = editable;
    if (!editable && Hovering()) {
        m_hover = -1;
        emit HoverEnded(m_value);
    }
    update();
}

double TStarPanel::ShownValue() const
{
    return Hovering() ? m_hover : m_value;
}

QSize TStarPanel::sizeHint() const
{
    return {StarCount * StarSize, StarSize};
}

void TStarPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Outline, 0.6));
    const QColor full = Hovering() ? GoldHovered : Gold;
    const double value = ShownValue();
    for (int index = 0; index < StarCount; ++index) {
        const int left = index * StarSize;
        const QPolygonF star = StarPolygon(left);
        const TStarLook look = LookOf(value, index + 1);
        painter.setBrush(look == TStarLook::Full ? full : Grey);
        painter.drawPolygon(star);
        if (look == TStarLook::Half) {
            QPainterPath path;
            path.addPolygon(star);
            painter.save();
            painter.setClipRect(QRectF(left, 0, StarSize / 2.0, StarSize));
            painter.setBrush(full);
            painter.drawPath(path);
            painter.restore();
        }
    }
}

void TStarPanel::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_editable)
        return;
    const int x = int(event->position().x());
    if (x < 0 || x >= StarCount * StarSize) {
        leaveEvent(event);
        return;
    }
    const int k = x / StarSize + 1;
    const double proposal = x % StarSize >= StarSize / 2 ? k : k - 0.5;
    if (proposal == m_hover)
        return;
    m_hover = proposal;
    update();
    emit Hovered(proposal);
}

void TStarPanel::mousePressEvent(QMouseEvent *event)
{
    if (!m_editable || event->button() != Qt::LeftButton)
        return;
    mouseMoveEvent(event);
    if (!Hovering())
        return;
    // The pointer still rests on the stars: the stored value stays drawn as hovered.
    m_value = m_hover;
    update();
    emit Clicked(m_value);
}

void TStarPanel::leaveEvent(QEvent *)
{
    if (!Hovering())
        return;
    m_hover = -1;
    update();
    emit HoverEnded(m_value);
}
