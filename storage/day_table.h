// The practice log summed per day, and one report line of such a sum.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

#include "storage/practice_log.h"

namespace quorvel {

// Keyed by the first ten characters of a row's 日時 field ("2024/06/15"), so the map's order is
// chronological for the dates the writer produces.
using DayTable = std::map<std::u16string, PracticeAggregate>;

// The day key of a 日時 field (UTF-8); false when the field is shorter than ten characters.
bool dayKeyOf(std::string_view field, std::u16string& key);

// Every day of the practice log; a day of rows that do not count (only "途中" rows) is listed
// with zero sums. A missing file gives an empty table.
DayTable readDayTable(const std::filesystem::path& practiceLog);

// "%-12s  回数:%4d  電報:%4d通  ..." with its CR LF; CPM and rates are 0 when their whole is 0.
std::u16string formatAggregate(std::u16string_view label, const PracticeAggregate& a);

}  // namespace quorvel
