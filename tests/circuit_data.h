#pragma once

// The real circuits in tests/data/circuits, read and imported as
// velmora-export does with its defaults.
#include "core/formats/centreline_import.h"

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace velmora::circuits {

inline const char* const kNames[] = {"BrandsHatch", "Monza", "Spa"};

inline std::string Bytes(const std::string& name)
{
    std::ifstream in(std::string(VELMORA_TEST_DATA) + "/circuits/" + name + ".csv", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::vector<CentrelineRow> Rows(const std::string& name)
{
    Result<std::vector<CentrelineRow>> rows = ReadCentrelineRows(Bytes(name));
    return rows ? std::move(*rows) : std::vector<CentrelineRow>();
}

// Closed, fitted to the default 2048 x 2048 canvas, the width from the file.
inline Result<ImportedCentreline> Import(const std::string& name)
{
    CentrelineImportOptions o;
    o.trackWidthFromFile = true;
    return ImportCentreline(Rows(name), o);
}

} // namespace velmora::circuits
