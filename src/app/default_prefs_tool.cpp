// Build-time tool: writes the Preferences.ini that ships with the program,
// byte for byte what Apply writes when no setting was changed, so a fresh
// install starts without the "Missing" box.
// Usage: velmora_default_prefs <output file>
#include <cstdio>
#include <fstream>

#include "core/settings/prefs_file.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: velmora_default_prefs <output file>\n");
        return 2;
    }
    const std::string bytes = velmora::WritePrefs(velmora::Settings{});
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "velmora_default_prefs: could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
