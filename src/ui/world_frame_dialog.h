#pragma once

#include "core/result.h"
#include "core/track/world_frame.h"

#include <QDialog>
#include <QSize>

class QLabel;
class QLineEdit;
class QPushButton;

namespace velmora {

// Scale (metres per pixel) and origin (where the canvas's top-left corner
// lies in the world), with what they make of the track's width and the
// canvas's extent in metres, worked out as the user types. Numbers are read
// and shown with a decimal point whatever the locale; OK is offered only for
// a frame CheckFrame accepts.
class WorldFrameDialog : public QDialog {
public:
    WorldFrameDialog(const WorldFrame& frame, QSize canvas, double trackWidth, QWidget* parent);

    // The frame as typed, or what is wrong with it.
    Result<WorldFrame> Typed() const;

    QLineEdit* scale = nullptr;
    QLineEdit* originX = nullptr;
    QLineEdit* originY = nullptr;
    QLabel* facts = nullptr; // the track's width and the canvas's extent, or the problem
    QPushButton* ok = nullptr;

private:
    void Update();

    QSize canvas_;
    double trackWidth_;
};

} // namespace velmora
