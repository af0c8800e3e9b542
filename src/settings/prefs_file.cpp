#include "settings/prefs_file.h"

// Placeholder until the preferences file lands.
namespace velmora {

std::string WritePrefs(const Settings&) { return {}; }
Settings ReadPrefs(std::string_view) { return {}; }
PrefsLoad LoadPrefs(const std::filesystem::path&) { return {Settings{}, true}; }

}  // namespace velmora
