#include "storage/paths.h"

#include <atomic>
#include <fstream>

namespace quorvel {

bool isWritableDirectory(const std::filesystem::path& dir) {
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec))
        return false;
    static std::atomic<unsigned> counter{0};
    const auto probe =
        dir / (".quorvel-write-test-" + std::to_string(counter.fetch_add(1)) + ".tmp");
    bool ok = false;
    {
        std::ofstream out(probe, std::ios::binary | std::ios::trunc);
        ok = static_cast<bool>(out << 'x') && static_cast<bool>(out.flush());
    }
    std::filesystem::remove(probe, ec);
    return ok;
}

bool isPortableInstallation(const std::filesystem::path& dir) {
    if (dir.empty())
        return false;
    std::error_code ec;
    return std::filesystem::exists(dir / kSettingsFileName, ec) ||
           std::filesystem::exists(dir / kPracticeLogFileName, ec);
}

DataPaths::DataPaths(std::filesystem::path dataDir, std::vector<std::filesystem::path> resourceDirs,
                     DataDirSource source)
    : dataDir_(std::move(dataDir)), resourceDirs_(std::move(resourceDirs)), source_(source) {}

DataPaths DataPaths::resolve(const PathEnvironment& env,
                             const std::function<bool(const std::filesystem::path&)>& writable) {
    std::vector<std::filesystem::path> resources;
    if (!env.executableDir.empty())
        resources.push_back(env.executableDir);
    for (const auto& d : env.shareDirs)
        if (!d.empty())
            resources.push_back(d);

    if (!env.dataDirOption.empty())
        return DataPaths(env.dataDirOption, resources, DataDirSource::Option);
    if (!env.dataDirVariable.empty())
        return DataPaths(env.dataDirVariable, resources, DataDirSource::Variable);
    if (isPortableInstallation(env.executableDir) && writable(env.executableDir))
        return DataPaths(env.executableDir, resources, DataDirSource::Executable);
    // Empty when no per-user directory is known: the caller says that nothing can be kept.
    return DataPaths(env.userDataDir, resources, DataDirSource::User);
}

DataPaths DataPaths::fromSystem(const std::filesystem::path& dataDirOption) {
    return resolve(PathEnvironment::fromSystem(dataDirOption));
}

std::optional<std::filesystem::path> DataPaths::findResource(
    const std::filesystem::path& name) const {
    for (const auto& dir : resourceDirs_) {
        std::error_code ec;
        auto p = dir / name;
        if (std::filesystem::is_regular_file(p, ec))
            return p;
    }
    return std::nullopt;
}

bool DataPaths::prepare(std::string* error) const {
    std::error_code ec;
    if (dataDir_.empty()) {
        if (error)
            *error = "no data directory";
        return false;
    }
    if (std::filesystem::is_directory(dataDir_, ec))
        return true;
    std::filesystem::create_directories(dataDir_, ec);
    if (ec || !std::filesystem::is_directory(dataDir_, ec)) {
        if (error)
            *error = "cannot create data directory " + dataDir_.string() + ": " +
                     (ec ? ec.message() : std::string("not a directory"));
        return false;
    }
    return true;
}

}  // namespace quorvel
