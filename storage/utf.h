// UTF-8 and UTF-16 conversions at file and console boundaries.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

std::string toUtf8(std::u16string_view text);
// Lenient: malformed sequences become U+FFFD.
std::u16string fromUtf8(std::string_view text);
// Strict: none when the bytes are not well-formed UTF-8.
std::optional<std::u16string> fromUtf8Strict(std::string_view text);
// Whether fromUtf8Strict would accept the bytes, without converting them.
bool isUtf8(std::string_view text);

// A path as text to show: exact where the system names files in UTF-16 or UTF-8; a POSIX name
// in another encoding (Shift-JIS bytes) shows its undecodable bytes as U+FFFD, never throws.
std::u16string pathText(const std::filesystem::path& path);

}  // namespace quorvel
