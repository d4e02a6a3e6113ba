// Where the generators find their read-only files: beside the executable, then the installed
// share directory.
#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

namespace quorvel {

struct GeneratorFiles {
    std::vector<std::filesystem::path> directories;  // searched in order

    // The first existing regular file of that name; when none exists, the name in the first
    // directory, or an empty path without directories (a read of either fails as "missing").
    std::filesystem::path find(std::string_view name) const;
};

// The installed share directory of this build (e.g. /usr/local/share/quorvel).
std::filesystem::path installedShareDirectory();

// The executable's directory, then the installed share directory.
GeneratorFiles generatorFilesBeside(const std::filesystem::path& executableDirectory);

}  // namespace quorvel
