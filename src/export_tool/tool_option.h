#pragma once

#include "core/result.h"
#include "export_tool/export_options.h"
#include "outputs/output_table.h" // ReadPositive

#include <span>
#include <string>

namespace velmora {

// One option of the command line: its name without the dashes ("scale" for
// --scale), the name of its value in --help (nullptr for a switch), its help
// text (lines after the first begin with '\n') and how it is read into the
// options. A switch is read with an empty value. The failure is the usage
// error the user sees.
struct ToolOption {
    const char* name;
    const char* valueName;
    const char* help;
    Status (*read)(const std::string& value, ExportOptions& o);
};

// The options of one part of the tool under one heading of --help, and the
// check of their combination once all are read; its failure is the usage
// error.
struct OptionSection {
    const char* heading; // nullptr: the general options at the top
    std::span<const ToolOption> options;
    Status (*check)(const ExportOptions& o);
};

std::span<const OptionSection> OptionSections();

} // namespace velmora
