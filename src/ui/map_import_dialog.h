#pragma once

#include "core/result.h"
#include "core/track/world_frame.h"
#include "ui/map_import_choice.h"

#include <QDialog>
#include <QImage>
#include <QPointF>
#include <QWidget>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace velmora {

// The map's picture shown `scale` screen pixels a cell: a point on it (x
// right, y down from its top-left corner) in the map's frame in metres, and
// back. A click means the middle of the screen pixel clicked.
QPointF PreviewToMetres(QPointF at, double scale, const WorldFrame& frame);
QPointF MetresToPreview(QPointF metres, double scale, const WorldFrame& frame);

// The map scaled to fit a square of `side` screen pixels: smaller maps are
// magnified by whole steps no further than the side, so cells stay square.
double PreviewScale(QSize map, int side);

// The map's picture scaled to fit, with the start marked (and the way the
// car faces, when given); a click picks the start there.
class MapPreview : public QWidget {
public:
    MapPreview(const QImage& map, const WorldFrame& frame, QWidget* parent);

    double Scale() const { return scale_; }
    // The start to mark, in metres; none: nothing marked. `heading` in
    // radians counter-clockwise from +x, when the direction follows it.
    void Mark(std::optional<QPointF> start, std::optional<double> heading);

    std::function<void(QPointF metres)> picked; // a click on the map

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QImage shown_;
    WorldFrame frame_;
    double scale_ = 1;
    std::optional<QPointF> start_;
    std::optional<double> heading_;
};

// Import Map's questions over the map itself: the start (clicked on the map
// or typed), the direction, the wall gaps to close and the obstacles to
// ignore. Numbers are read and shown with a decimal point whatever the
// locale; an empty field takes the automatic choice.
class MapImportDialog : public QDialog {
public:
    MapImportDialog(const QImage& map, const WorldFrame& frame, const MapImportChoice& initial, QWidget* parent);

    // What the dialog holds, or what is wrong with it.
    Result<MapImportChoice> Chosen() const;

    MapPreview* preview = nullptr;
    QLineEdit* startX = nullptr; // both empty: automatic
    QLineEdit* startY = nullptr;
    QPushButton* automatic = nullptr; // empties them
    QComboBox* direction = nullptr;   // in the order of MapImportChoice::Direction
    QLineEdit* heading = nullptr;     // degrees, for the start heading
    QLineEdit* closeGaps = nullptr;   // empty: none
    QLineEdit* minObstacle = nullptr; // empty: three cells
    QCheckBox* measuredWidth = nullptr;
    QLabel* problem = nullptr;
    QPushButton* ok = nullptr;

private:
    void Update();
    void TryAccept();
};

} // namespace velmora
