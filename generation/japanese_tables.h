// The built-in tables of the Japanese generator: themed sentence templates, the word lists
// their keys name, the offices and the addresses.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quorvel {

struct ThemeTemplate {
    std::u16string theme;
    std::u16string text;  // katakana with "[key]" places, ending in its only "」"
};

struct WordList {
    std::u16string theme;
    std::u16string key;
    std::vector<std::u16string> words;  // the items between ","; empty for an empty list
};

struct JapaneseTables {
    std::vector<ThemeTemplate> templates;
    std::vector<WordList> wordLists;
    std::vector<std::u16string> addressees;  // "FAMILY GIVEN", one per address row

    // Index of the first word list with this exact key, or -1.
    int findWordList(std::u16string_view key) const;
    // Rows of templates whose theme is exactly `theme`, in table order.
    const std::vector<int>& templatesOfTheme(std::u16string_view theme) const;

    // Fills the lookups; called once the rows are in place.
    void index();

  private:
    std::unordered_map<std::u16string, int> firstKey_;
    std::unordered_map<std::u16string, std::vector<int>> byTheme_;
};

// Parses the theme data (lines "T<TAB>theme<TAB>template" and
// "W<TAB>theme<TAB>key<TAB>word,word,..."; "#" starts a comment) and the addressee lines.
// Lines of another shape are skipped.
JapaneseTables parseJapaneseTables(std::string_view themeData, std::string_view addresseeData);

// The tables embedded in the program, parsed on first use.
const JapaneseTables& builtInJapaneseTables();

inline constexpr int kAddressRows = 47;

// The originating offices, by row.
extern const std::array<std::u16string_view, kAddressRows> kJapaneseOffices;

// "PREFECTURE」CITY」FAMILY GIVEN」" of an address row (0-46); the name is left out when the
// tables have none for the row.
std::u16string japaneseAddress(const JapaneseTables& tables, int row);

}  // namespace quorvel
