// Any bytes must read as settings without fault, and the settings must come
// back unchanged from the file they are saved to.
#include "core/settings/prefs_file.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string once = velmora::WritePrefs(velmora::ReadPrefs(bytes));
    if (velmora::WritePrefs(velmora::ReadPrefs(once)) != once)
        __builtin_trap();
    return 0;
}
