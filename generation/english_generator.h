// The English random telegram generator: batches of 200 radiotelegrams from a template file and
// a dictionary file, both pools enlarged after loading.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "generation/generator_files.h"
#include "generation/random.h"
#include "practice/telegram.h"

namespace quorvel {

class TelegramDocument;
struct PracticeSettings;

inline constexpr int kLatinBatchSize = 200;
inline constexpr std::string_view kEnglishTemplatesFile = "english_telegram_templates.txt";
inline constexpr std::string_view kEnglishDictionaryFile = "english_telegram_dictionary.txt";

struct EnglishTemplate {
    std::u16string category;
    int lowestLevel = 0;
    int highestLevel = 0;
    std::u16string text;  // may hold "[KEY]" places
    bool operator==(const EnglishTemplate&) const = default;
};

using EnglishDictionary = std::map<std::u16string, std::vector<std::u16string>>;

// "BEGINNER" 0 ... "EXAM" 4, else a decimal integer (sign and leading digits; 0 without digits).
int parseLevel(std::u16string_view field);

// "CATEGORY|LEVEL|TEXT" or "CATEGORY|LOW|HIGH|TEXT"; false for a line that yields no template.
bool parseTemplateLine(std::u16string_view line, EnglishTemplate& record);

// The templates of a decoded template file, in file order.
std::vector<EnglishTemplate> parseEnglishTemplates(std::u16string_view text);

// The entries "KEY = word, word, ..." of a decoded dictionary file, same keys merged.
EnglishDictionary parseEnglishDictionary(std::u16string_view text);

// Word pairs, "ALTERNATE" variants, "ALSO" template pairs and receipt requests.
void enlargePools(std::vector<EnglishTemplate>& templates, EnglishDictionary& dictionary);

// Reads, parses and enlarges both files; true when both pools are non-empty.
bool loadEnglishSources(const GeneratorFiles& files, std::vector<EnglishTemplate>& templates,
                        EnglishDictionary& dictionary);

std::u16string expandEnglish(std::u16string_view text, const EnglishDictionary& dictionary,
                             RandomGenerator& random);

// Runs of characters other than space, TAB, CR and LF.
int wordCount(std::u16string_view text);

// The template category of a position in the "カテゴリ" list; "ALL" for 0 and out of range.
std::u16string englishCategory(int position);

enum class LatinBatchError { None, NoTemplate };

// 200 telegrams for the level and category, or NoTemplate when no template fits the level.
LatinBatchError latinBatch(const std::vector<EnglishTemplate>& templates,
                           const EnglishDictionary& dictionary, int level, int category,
                           RandomGenerator& random, TelegramList& records);

// The button action in Latin mode; a failure is reported in a message box and changes nothing.
bool generateLatinSet(TelegramDocument& document, const PracticeSettings& settings,
                      RandomGenerator& random, const GeneratorFiles& files,
                      std::uint32_t nowSeconds);

}  // namespace quorvel
