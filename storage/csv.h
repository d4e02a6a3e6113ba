// The CSV conventions of the practice logs: splitting, quoting, number and list fields, dates.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// Splits one line: "," outside quotes ends a field, a double quote toggles quoting, and inside
// quotes a doubled quote stands for one. The text after the last comma is always a field, so
// the result has at least one. The UTF-8 form works on the bytes (the separators are ASCII) and
// reuses the capacity of `fields`.
std::vector<std::u16string> splitCsvLine(std::u16string_view line);
void splitCsvLine(std::string_view line, std::vector<std::string>& fields);

// A text field: enclosed in double quotes with inner quotes doubled. Line breaks and other
// control characters become spaces, so a row always stays on one line.
std::u16string csvText(std::u16string_view text);

// Optional white space, an optional sign and decimal digits; anything else reads as 0.
// Values beyond the int range saturate.
int csvInt(std::u16string_view text);
int csvInt(std::string_view text);

// "h:m:s" or "m:s" in seconds, else the integer value of the text.
int parseDuration(std::u16string_view text);
int parseDuration(std::string_view text);

// Leading "%d/%d/%d" of a log date; the number of values read (0-3).
int scanDate(std::string_view text, int& year, int& month, int& day);

// Days from 1601-01-01 to the date; 0 when it is not a valid calendar date.
std::int64_t dayNumber(int year, int month, int day);

// Adds the entries of a confusion list ("ア:2 イ：3、ウ", "なし") to `confusions`.
void parseConfusions(std::u16string_view text, std::map<char16_t, int>& confusions);
// "%c:%d " per entry in ascending order, "なし" when there is none.
std::u16string formatConfusions(const std::map<char16_t, int>& confusions);

}  // namespace quorvel
