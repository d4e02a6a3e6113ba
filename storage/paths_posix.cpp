#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include "storage/paths.h"

#ifndef QUORVEL_SHARE_DIR
#define QUORVEL_SHARE_DIR "/usr/local/share/quorvel"
#endif

namespace quorvel {
namespace {

std::filesystem::path envPath(const char* name) {
    const char* v = ::getenv(name);
    return v && *v ? std::filesystem::path(v) : std::filesystem::path();
}

}  // namespace

std::filesystem::path executableDirectory() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty())
        return {};
    return exe.parent_path();
}

PathEnvironment PathEnvironment::fromSystem(const std::filesystem::path& dataDirOption) {
    PathEnvironment env;
    env.dataDirOption = dataDirOption;
    env.dataDirVariable = envPath(kDataDirVariable);
    env.executableDir = executableDirectory();
    // XDG: a relative XDG_DATA_HOME is invalid and ignored.
    auto xdg = envPath("XDG_DATA_HOME");
    if (!xdg.empty() && xdg.is_absolute())
        env.userDataDir = xdg / "quorvel";
    else if (auto home = envPath("HOME"); !home.empty())
        env.userDataDir = home / ".local" / "share" / "quorvel";
    if (!env.executableDir.empty())
        env.shareDirs.push_back(
            (env.executableDir / ".." / "share" / "quorvel").lexically_normal());
    const std::filesystem::path installed(QUORVEL_SHARE_DIR);
    if (env.shareDirs.empty() || env.shareDirs.front() != installed)
        env.shareDirs.push_back(installed);
    return env;
}

}  // namespace quorvel
