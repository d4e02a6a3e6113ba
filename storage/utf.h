// UTF-8 and UTF-16 conversions at file and console boundaries.
#pragma once

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

}  // namespace quorvel
