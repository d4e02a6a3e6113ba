// A fresh directory per test, removed afterwards; under QUORVEL_TEST_TMP when CTest sets it.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "storage/utf.h"

namespace quorvel::test {

class TempDir {
  public:
    TempDir() {
        const char* base = std::getenv("QUORVEL_TEST_TMP");
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = info ? std::string(info->test_suite_name()) + "." + info->name()
                                : std::string("quorvel");
        for (char& c : name)
            if (c == '/')
                c = '_';
        path_ =
            std::filesystem::path(base && *base ? base : std::filesystem::temp_directory_path()) /
            (name + "." + std::to_string(::getpid()));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    // Writes a file of these bytes in the directory and returns its path.
    std::filesystem::path write(const std::string& name, std::string_view bytes) const {
        const auto p = path_ / name;
        std::ofstream out(p, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return p;
    }

  private:
    std::filesystem::path path_;
};

// A fresh directory area/name under the test area, kept after the test for inspection.
inline std::filesystem::path scratchDir(const std::string& area, const std::string& name) {
    const char* base = std::getenv("QUORVEL_TEST_TMP");
    const std::filesystem::path dir =
        std::filesystem::path(base && *base ? base : std::filesystem::temp_directory_path()) /
        area / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

inline std::string readAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void writeAll(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// UTF-8 of a UTF-16 literal, for comparing file bytes with readable expectations.
inline std::string u8(std::u16string_view text) {
    return toUtf8(text);
}

}  // namespace quorvel::test
