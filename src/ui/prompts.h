#pragma once

#include <QString>

#include "ui/workspace.h"

class QWidget;

namespace velmora {

// "Tracks|*.trk;*.txt" (pairs of description and patterns, all joined by
// '|') as the toolkit writes it: "Tracks (*.trk *.txt)", pairs joined by ";;".
QString QtFileFilter(const QString& filter);

// The real dialogs and boxes, shown over `owner` or the active window.
Prompts MakeDialogPrompts(QWidget* owner);

}  // namespace velmora
