#include "ui/canvas_widget.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>

#include "ui/source_position.h"

namespace velmora {

namespace {
constexpr int kUnitsPerNotch = 120;
}

CanvasWidget::CanvasWidget(const QImage& picture, QWidget* parent) : QWidget(parent), picture_(picture)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);  // every move is an event the status bar follows
}

void CanvasWidget::paintEvent(QPaintEvent* event)
{
    VELMORA_HERE();
    QPainter painter(this);
    const QRect r = event->rect();
    painter.drawImage(r.topLeft(), picture_, r);
    if (overlay) {
        painter.setClipRect(r);
        overlay(painter, visibleRegion().boundingRect());
    }
}

void CanvasWidget::mousePressEvent(QMouseEvent* event)
{
    VELMORA_HERE();
    pressed_ |= event->button();
    event->accept();
}

void CanvasWidget::mouseReleaseEvent(QMouseEvent* event)
{
    VELMORA_HERE();
    const Qt::MouseButton button = event->button();
    const bool wasPressed = pressed_.testFlag(button);
    pressed_ &= ~Qt::MouseButtons(button);
    event->accept();
    if (wasPressed && rect().contains(event->position().toPoint()) && onClick &&
        (button == Qt::LeftButton || button == Qt::RightButton))
        onClick(button);
}

void CanvasWidget::wheelEvent(QWheelEvent* event)
{
    VELMORA_HERE();
    event->accept();  // the canvas scrolls itself, vertically only
    wheelRemainder_ += event->angleDelta().y();
    const int notches = wheelRemainder_ / kUnitsPerNotch;
    wheelRemainder_ -= notches * kUnitsPerNotch;
    if (notches != 0 && onWheel)
        onWheel(notches);
}

}  // namespace velmora
