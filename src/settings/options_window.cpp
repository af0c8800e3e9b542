#include "settings/options_window.h"

// Placeholder until the Options window lands.
namespace velmora {

OptionsWindow::OptionsWindow(const Settings&, QWidget* parent) : QWidget(parent) {}

void RunOptionsWindow(Workspace&, OptionsWindow&, const Prompts&) {}

void ApplySettings(Workspace&, const Prompts&) {}

}  // namespace velmora
