#pragma once

// The real circuits in tests/data/circuits, read and imported as
// velmora-export does with its defaults.
#include "core/inputs/centreline_import.h"
#include "core/raceline/raceline.h"
#include "core/settings/settings.h"
#include "core/track/track_generator.h"

#include <cstdint>
#include <fstream>
#include <gtest/gtest.h>
#include <initializer_list>
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

// The file's rows as the race line's corridor, metres as they stand.
inline RacelineInput RacelineInputOf(const std::vector<CentrelineRow>& rows)
{
    RacelineInput in;
    for (const CentrelineRow& r : rows) {
        in.centre.push_back({r.x, r.y});
        in.widthRight.push_back(r.widthRight);
        in.widthLeft.push_back(r.widthLeft);
    }
    return in;
}

// Closed, fitted to the default 2048 x 2048 canvas, the width from the file.
inline Result<ImportedCentreline> Import(const std::string& name)
{
    CentrelineImportOptions o;
    o.trackWidthFromFile = true;
    return ImportCentreline(Rows(name), o);
}

// A track as the tool exports it: its path, its width in pixels and the frame
// of its metres.
struct Track {
    std::string name;
    std::string path;
    double width = 0;
    WorldFrame frame;
};

// The three circuits, then the first `perSeed` generated tracks of each seed
// at the default settings and scale.
inline std::vector<Track> CircuitsAndGenerated(std::initializer_list<std::uint64_t> seeds, int perSeed)
{
    std::vector<Track> out;
    for (const char* name : kNames) {
        const Result<ImportedCentreline> c = Import(name);
        EXPECT_TRUE(c) << c.error();
        if (c)
            out.push_back({name, c->model.TrackPath, c->trackWidth, c->frame});
    }
    const Settings s;
    for (const std::uint64_t seed : seeds)
        for (int i = 0; i < perSeed; ++i) {
            const Result<TrackModel> g = GenerateTrack(s, DefaultGeneratorOptions(s), seed, std::uint64_t(i));
            EXPECT_TRUE(g) << g.error();
            if (g)
                out.push_back({"seed " + std::to_string(seed) + " track " + std::to_string(i), g->TrackPath,
                               s.TrackWidth, WorldFrame{}});
        }
    return out;
}

} // namespace velmora::circuits
