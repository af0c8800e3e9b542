#pragma once

#include <string>

namespace velmora {

// The outputs and the core tell the user what to change in the editor's
// words ("choose another output folder"); on the command line that is an
// option ("give --out-dir"). The message with each such phrase put in the
// tool's words.
std::string InToolWords(std::string message);

} // namespace velmora
