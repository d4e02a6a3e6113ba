// Where the generators find their read-only files: the resource directories of the data paths
// (beside the executable, then the installed share directories).
#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

namespace quorvel {

class DataPaths;

struct GeneratorFiles {
    std::vector<std::filesystem::path> directories;  // searched in order

    // The first existing regular file of that name; when none exists, the name in the first
    // directory, or an empty path without directories (a read of either fails as "missing").
    std::filesystem::path find(std::string_view name) const;
};

GeneratorFiles generatorFiles(const DataPaths& paths);

}  // namespace quorvel
