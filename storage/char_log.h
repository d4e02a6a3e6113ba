// The character log: all-time counts per model character and what it was confused with,
// replaced whole (through a temporary file) by the log writer.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "storage/char_stat.h"

namespace quorvel {

using CharLogTable = CharStats;

inline constexpr std::string_view kCharLogHeader = "文字,出題,正解,誤答,正答率,誤送信文字\r\n";

// One judgement: asked, correct or wrong, and the confusion when something was keyed.
void addJudgement(CharStat& stat, char16_t keyed, bool correct);

// Whether the character log can hold a row for this model character (not 0, not a control
// character, which would break the row's line).
bool charLogAccepts(char16_t model);

// Mark, header and one row per character in ascending order. A "," or double quote in the
// first column is written quoted so that it reads back.
std::string formatCharLog(const CharLogTable& table);

// Adds the rows of a log text (UTF-8, with or without mark) to `table`; both row layouts are
// read and repeated rows of one character sum.
void parseCharLog(std::string_view bytes, CharLogTable& table);

// Empties `table` and fills it from the file; false when the file is missing or holds nothing.
bool readCharLog(const std::filesystem::path& file, CharLogTable& table);

// Reads the log, adds the judgement and replaces the file. False when the file could not be
// written (its previous content is then untouched). `sync` flushes it to the disk first.
bool updateCharLog(const std::filesystem::path& file, char16_t model, char16_t keyed, bool correct,
                   bool sync = true);

}  // namespace quorvel
