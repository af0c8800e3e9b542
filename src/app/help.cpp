#include "app/help.h"

// Placeholder until Help lands.
namespace velmora {

void ShowHelp(Workspace&, const Prompts&) {}

}  // namespace velmora
