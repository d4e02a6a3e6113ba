#include "generation/generator_files.h"

#include <system_error>

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

std::filesystem::path installedShareDirectory() {
    return std::filesystem::path(QUORVEL_SHARE_DIR);
}

GeneratorFiles generatorFilesBeside(const std::filesystem::path& executableDirectory) {
    GeneratorFiles files;
    if (!executableDirectory.empty())
        files.directories.push_back(executableDirectory);
    files.directories.push_back(installedShareDirectory());
    return files;
}

}  // namespace quorvel
