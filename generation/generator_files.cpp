#include "generation/generator_files.h"

#include <system_error>

#include "storage/paths.h"

namespace quorvel {

std::filesystem::path GeneratorFiles::find(std::string_view name) const {
    for (const auto& dir : directories) {
        std::error_code ec;
        auto candidate = dir / std::filesystem::path(name);
        if (std::filesystem::is_regular_file(candidate, ec))
            return candidate;
    }
    if (directories.empty())
        return {};
    return directories.front() / std::filesystem::path(name);
}

GeneratorFiles generatorFiles(const DataPaths& paths) {
    return GeneratorFiles{paths.resourceDirectories()};
}

}  // namespace quorvel
