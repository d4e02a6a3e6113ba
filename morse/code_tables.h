// The Latin and wabun code tables, the text folds and the abbreviated numerals.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

using CodeString = std::string;  // "." and "-", first element first
using EncodeTable = std::map<char16_t, CodeString>;
using DecodeTable = std::map<CodeString, char16_t, std::less<>>;

struct CodeTables {
    EncodeTable latinEncode;
    DecodeTable latinDecode;
    EncodeTable wabunEncode;
    DecodeTable wabunDecode;
};

// Empties and fills the four tables; calling it again gives the same tables.
void buildCodeTables(CodeTables& tables);

// The process's tables, built once on first use and read-only afterwards.
const CodeTables& codeTables();

// The decode table the keyed characters are read with.
const DecodeTable& activeDecodeTable(bool latinMode);

// Procedure signals.
inline constexpr std::string_view kSignalBT = "-...-";
inline constexpr std::string_view kSignalAR = ".-.-.";
inline constexpr std::string_view kSignalVE = "...-.";
inline constexpr std::string_view kSignalCorrection = "........";
inline constexpr std::string_view kSignalPageTurn = "..--..";
inline constexpr std::string_view kSignalTelegramSeparator = ".-.---";

inline constexpr char16_t kUnknownCharacter = u'?';

char16_t foldForLookup(char16_t c);
char16_t foldForCompare(char16_t c);
std::u16string toPracticeForm(std::u16string_view text, bool latinMode);

// Code of c in the table of the language, after the lookup fold; none when it has no code.
std::optional<CodeString> codeFor(char16_t c, bool latinMode);

// Short form of a digit or kanji numeral in the Japanese filing time; none for anything else.
std::optional<CodeString> cutNumeralCode(char16_t c);

// Reverse of cutNumeralCode: the kanji numeral for a short code, or none.
std::optional<char16_t> cutNumeralCharacter(std::string_view code);

// Decoded character of a code in the given table, or "?".
char16_t decodeCode(const DecodeTable& table, std::string_view code);

// Scoring weight: elements of the compare-folded character's code (wabun first), else 1.
int characterWeight(char16_t c);

}  // namespace quorvel
