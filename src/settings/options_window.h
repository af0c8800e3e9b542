#pragma once

#include <QWidget>

#include "app/workspace.h"

namespace velmora {

// The "Set Options" window: built once at start-up, hidden, and only shown
// and hidden afterwards. Its fields keep what the user typed between showings.
class OptionsWindow : public QWidget {
    Q_OBJECT

public:
    explicit OptionsWindow(const Settings& initial, QWidget* parent = nullptr);
};

// Shows the window and runs its own loop until Apply, Cancel or the close
// box. While it runs, ws.optionsLoopRunning is true.
void RunOptionsWindow(Workspace& ws, OptionsWindow& window, const Prompts& prompts);

// Puts the current settings in force: canvas size, fonts, Preferences.ini in
// ws.workFolder, and a redraw request.
void ApplySettings(Workspace& ws, const Prompts& prompts);

}  // namespace velmora
