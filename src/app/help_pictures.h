#pragma once

#include <QImage>
#include <QString>
#include <vector>

namespace velmora {

// One picture of the help document, named as the help text refers to it
// (<img src="NAME">).
struct HelpPicture {
    QString name;
    QImage image;
};

// The help document's pictures, drawn by the program's own windows and
// renderer so they always show the program as it is: the main window with a
// track being drawn, the circuit closed with its race line shown, the Options
// window, and a finished track with kerbs, dots, labels and RL markers. Needs a QApplication. Empty when the images
// in `imagesFolder` cannot be loaded.
std::vector<HelpPicture> MakeHelpPictures(const QString& imagesFolder);

}  // namespace velmora
