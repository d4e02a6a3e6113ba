// Telegram text files: reading the tagged Japanese and Latin layouts, installing them into the
// document, and writing a set back in the same format.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "practice/telegram.h"

namespace quorvel {

class TelegramDocument;

inline constexpr std::u16string_view kTelegramFileError =
    u"和文電報テキストファイルを読み込めません。";

struct TelegramFile {
    TelegramList records;  // in file order, every one complete
    bool latin = false;    // the Latin layout ("[Preamble]", "[To]", "[Text]")
};

// The value of the first `tag` at or after `from`: up to the next line starting with "[", or
// the next "[VALA]" when no such line follows, or the end; blanks trimmed. Empty when none.
std::u16string tagValue(std::u16string_view text, std::u16string_view tag, std::size_t from);

// Splits decoded text into telegrams; none when it holds no tag or no complete telegram.
std::optional<TelegramFile> parseTelegramText(std::u16string_view text);

// Reads, decodes and splits a file; none on any failure.
std::optional<TelegramFile> readTelegramFile(const std::filesystem::path& path);

// Installs the file's telegrams as the practice set. On failure shows the one error box and
// leaves the set, position and progress as they were.
bool loadTelegramFile(TelegramDocument& document, const std::filesystem::path& path);

// The file text of a set (LF lines, a tag on its own line above each value). Fails with a
// reason when a field would not read back as written: empty, blank at either end, holding a
// CR, a tag of its layout, or a line starting with "[".
bool formatTelegramFile(const TelegramList& records, bool latin, std::u16string& text,
                        std::string* reason = nullptr);

// Writes the set as UTF-8 without a mark: a regular file is replaced atomically, a device or
// FIFO written directly. `reason` names the file.
bool writeTelegramFile(const std::filesystem::path& path, const TelegramList& records, bool latin,
                       std::string* reason = nullptr);

}  // namespace quorvel
