// Any bytes must read without fault, and what the reader makes of them must
// survive saving and loading again unchanged.
#include "core/formats/track_file.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    velmora::TrackModel model;
    velmora::ReadTrackFile(bytes, model);
    const std::string once = velmora::WriteTrackFile(model);
    velmora::TrackModel again;
    velmora::ReadTrackFile(once, again);
    if (velmora::WriteTrackFile(again) != once)
        __builtin_trap();
    return 0;
}
