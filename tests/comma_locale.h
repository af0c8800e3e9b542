#pragma once

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <unistd.h>

namespace velmora {

// A comma-decimal locale for tests: de_DE.UTF-8 from the machine, else built
// with localedef in a scratch folder. Gives the LOCPATH to run under (empty
// when the machine's own locales hold it), or nothing when there is none.
class CommaLocale {
public:
    static constexpr const char* kName = "de_DE.UTF-8";

    std::optional<std::string> Prepare()
    {
        const std::string before = std::setlocale(LC_ALL, nullptr);
        const bool installed = std::setlocale(LC_ALL, kName) != nullptr;
        std::setlocale(LC_ALL, before.c_str());
        if (installed)
            return std::string();
        folder_ = std::filesystem::temp_directory_path() / ("velmora-locale-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
        const std::string build =
            "localedef -i de_DE -f UTF-8 " + (folder_ / kName).string() + " >/dev/null 2>&1";
        if (std::system(build.c_str()) != 0)
            return std::nullopt;
        return folder_.string();
    }

    ~CommaLocale()
    {
        if (!folder_.empty())
            std::filesystem::remove_all(folder_);
    }

private:
    std::filesystem::path folder_;
};

} // namespace velmora
