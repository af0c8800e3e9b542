#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "core/settings/settings.h"

namespace velmora {

inline constexpr char kPrefsFileName[] = "Preferences.ini";

// The bytes of Preferences.ini: UTF-8 BOM, an empty line, 19 keys, CR LF.
std::string WritePrefs(const Settings& s);

// Reads any bytes; keys not found keep their defaults.
Settings ReadPrefs(std::string_view bytes);

struct PrefsLoad {
    Settings settings;
    bool missing = false;  // no readable file: the caller tells the user
};

// Reads folder/Preferences.ini.
PrefsLoad LoadPrefs(const std::filesystem::path& folder);

}  // namespace velmora
