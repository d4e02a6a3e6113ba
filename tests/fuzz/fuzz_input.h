// Small helpers shared by the fuzz harnesses: splitting one input into parts, a scratch file.
#pragma once

#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace quorvel::fuzz {

inline std::string_view bytesOf(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The input up to the first NUL and the rest after it, so one input can feed two files.
inline std::pair<std::string_view, std::string_view> splitAtNul(std::string_view in) {
    const auto nul = in.find('\0');
    if (nul == std::string_view::npos)
        return {in, {}};
    return {in.substr(0, nul), in.substr(nul + 1)};
}

// A per-process scratch directory (libFuzzer runs one input at a time in a process).
inline const std::filesystem::path& scratchDirectory() {
    static const std::filesystem::path dir = [] {
        const char* base = std::getenv("TMPDIR");
        auto d = std::filesystem::path(base && *base ? base : "/tmp") /
                 ("quorvel-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

inline std::filesystem::path writeScratch(std::string_view name, std::string_view bytes) {
    const auto path = scratchDirectory() / std::string(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

// Stops the run with a finding when an invariant does not hold.
inline void check(bool ok) {
    if (!ok)
        std::abort();
}

}  // namespace quorvel::fuzz
