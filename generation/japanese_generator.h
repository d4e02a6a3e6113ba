// The Japanese random telegram generator: batches of ten kana telegrams from built-in phrases,
// themed templates or the learner's template files, optionally worked with weak characters.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "generation/generator_files.h"
#include "generation/japanese_tables.h"
#include "generation/random.h"
#include "practice/telegram.h"
#include "storage/char_stat.h"

namespace quorvel {

class TelegramDocument;
struct PracticeSettings;

inline constexpr int kBatchSize = 10;
inline constexpr int kLevelCount = 5;
inline constexpr int kCategoryCount = 10;

// The "カテゴリ" list, by position.
extern const std::array<std::u16string_view, kCategoryCount> kCategoryNames;

inline constexpr std::u16string_view kFallbackText = u"デンポウレンシュウヲシズカニオコナイ」";

struct JapaneseOptions {
    int level = 0;     // learning level 0-4
    int category = 0;  // position in the category list; 0 = "すべて"
    bool secondGeneration = true;
    bool weak = false;  // "苦手電報"
};

class JapaneseGenerator {
  public:
    // `stats` is the character log's table (only read when options.weak is set).
    JapaneseGenerator(const JapaneseTables& tables, RandomGenerator& random,
                      JapaneseOptions options, GeneratorFiles files, const CharStats& stats);

    int targetLength();
    std::u16string normalText(int target);
    std::u16string secondGenerationText(int target);
    bool templateFileText(int target, std::u16string& out);
    std::u16string expandTemplate(std::u16string_view templ);
    std::u16string pickWord(std::u16string_view key);
    std::u16string pickWordOrPair(std::u16string_view key);
    std::u16string joinedPair(std::u16string_view theme);
    std::u16string weakText(std::u16string_view text, int target);

    // Ten telegrams with their preamble, office, serial, filing time and address.
    TelegramList batch();

  private:
    int level() const;
    int anyTemplate();
    int templateOfTheme(std::u16string_view theme);
    std::u16string cleanExpansion(int row);
    std::u16string startTemplateTheme(int& row);

    const JapaneseTables& tables_;
    RandomGenerator& random_;
    JapaneseOptions options_;
    GeneratorFiles files_;
    const CharStats& stats_;
};

// The template file of a level: beginner for 0 and 1, nature for 2 and 3, exam for 4.
std::string_view templateFileName(int level);

// Usable lines of a template file: trimmed, without empty and "#" lines. Empty when the file
// is missing or cannot be decoded.
std::vector<std::u16string> readTemplateFile(const std::filesystem::path& path);

// Drops blanks (TAB, LF, CR, space, U+3000) and turns hiragana into katakana.
std::u16string cleanText(std::u16string_view text);

// Up to `limit` of the characters most often missed, worst first, from the character log's
// table. With `wabunOnly` (what a kana telegram can hold) characters without a wabun code are
// passed over.
std::u16string weakCharacters(const CharStats& stats, int limit, bool wabunOnly = true);

// Characters of a text without blanks, counting a closing run of "」" as one.
int countField(std::u16string_view text);

// Decimal digits as kanji numerals: 158 -> "一五八". Negative numbers count as 0.
std::u16string kanjiNumber(int n);

// The button action in Japanese mode: seeds the generator on first use, builds ten telegrams,
// installs them and reports on the view. `stats` is the character log's table.
void generateJapaneseSet(TelegramDocument& document, const PracticeSettings& settings,
                         RandomGenerator& random, const GeneratorFiles& files,
                         const CharStats& stats, std::uint32_t nowSeconds,
                         const JapaneseTables& tables = builtInJapaneseTables());

}  // namespace quorvel
