#pragma once

#include <string>

namespace velmora {

// velmora-export's manual page in roff, made from the same tables of
// options and outputs as --help, so that the two never tell different
// stories. It renders within 80 columns.
std::string ExportManPage(const std::string& version);

} // namespace velmora
