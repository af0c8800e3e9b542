#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

class QPainter;

namespace velmora {

// Shows the canvas picture and reports what the editor reacts to: a left or
// right click (the button released over the canvas after it was pressed
// there) and whole wheel notches (positive away from the user).
class CanvasWidget : public QWidget {
    Q_OBJECT

public:
    CanvasWidget(const QImage& picture, QWidget* parent);

    std::function<void(Qt::MouseButton)> onClick;
    std::function<void(int notches)> onWheel;
    // Drawn over the picture, never into it: the painter is in canvas
    // pixels and `inView` is the part of the canvas the user can see.
    std::function<void(QPainter& painter, const QRect& inView)> overlay;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    const QImage& picture_;
    Qt::MouseButtons pressed_;
    int wheelRemainder_ = 0;  // wheel units short of a whole notch
};

}  // namespace velmora
