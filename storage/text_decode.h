// Reading text files the learner brings: whole-file reads and the decoding of UTF-16LE, UTF-8
// and the system's legacy code page (Shift-JIS on Japanese machines).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

// Reads the whole file into bytes. False when it cannot be opened or read (a directory, a
// missing file, a file too large for memory); an empty file gives true and no bytes.
bool readWholeFile(const std::filesystem::path& path, std::string& bytes);

// UTF-16LE with its mark, else strict UTF-8 (mark optional), else the legacy code page; every
// CR becomes LF. False only when none of them can read the bytes.
bool decodeText(std::string_view bytes, std::u16string& text);

// The platform's legacy code page: CP932 through iconv on POSIX, the ANSI code page on Windows.
// None when the bytes are not valid in it.
std::optional<std::u16string> decodeLegacyCodePage(std::string_view bytes);

}  // namespace quorvel
