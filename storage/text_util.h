// Small text helpers shared by the file readers and the label texts.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// TAB, LF, CR, space or the ideographic space U+3000.
bool isTextBlank(char16_t c);
std::u16string_view trimmed(std::u16string_view s);
// Lines split at LF and trimmed, without empty lines and lines that start with "#".
std::vector<std::u16string_view> usableLines(std::u16string_view text);
// Reads and decodes a whole file (UTF-16LE with mark, UTF-8, else the ANSI code page); false
// when it is missing, unreadable or undecodable.
bool readDecodedFile(const std::filesystem::path& path, std::u16string& text);
std::u16string asciiText(std::string_view s);
std::u16string decimalText(long long value);

}  // namespace quorvel
