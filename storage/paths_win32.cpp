#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdlib>
#include <vector>

#include "storage/paths.h"

namespace quorvel {
namespace {

std::filesystem::path envPath(const wchar_t* name) {
    const DWORD n = GetEnvironmentVariableW(name, nullptr, 0);
    if (n == 0)
        return {};
    std::wstring v(n, L'\0');
    const DWORD got = GetEnvironmentVariableW(name, v.data(), n);
    v.resize(got);
    return std::filesystem::path(v);
}

}  // namespace

std::filesystem::path executableDirectory() {
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0)
            return {};
        if (n < buf.size())
            return std::filesystem::path(std::wstring(buf.data(), n)).parent_path();
        buf.resize(buf.size() * 2);
    }
}

PathEnvironment PathEnvironment::fromSystem(const std::filesystem::path& dataDirOption) {
    PathEnvironment env;
    env.dataDirOption = dataDirOption;
    env.dataDirVariable = envPath(L"QUORVEL_DATA_DIR");
    env.executableDir = executableDirectory();
    if (auto appData = envPath(L"APPDATA"); !appData.empty())
        env.userDataDir = appData / L"Quorvel";
    if (!env.executableDir.empty()) {
        env.shareDirs.push_back(env.executableDir / L"share");
        // The layout `cmake --install` makes: bin beside share/quorvel.
        env.shareDirs.push_back(
            (env.executableDir / L".." / L"share" / L"quorvel").lexically_normal());
    }
    return env;
}

}  // namespace quorvel
