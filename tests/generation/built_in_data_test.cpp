// Checks the shipped generator data as it stands in the source tree: shape, counts, and that
// every character can be keyed.
#include <gtest/gtest.h>

#include <array>
#include <set>

#include "generation/english_generator.h"
#include "generation/japanese_generator.h"
#include "morse/code_tables.h"
#include "storage/text_decode.h"
#include "storage/utf.h"

namespace quorvel {
namespace {

const std::filesystem::path kResources = std::filesystem::path(QUORVEL_SOURCE_DIR) / "resources";

struct Theme {
    std::u16string_view name;
    int rows;
};

constexpr std::array<Theme, 12> kThemes = {{{u"四季・自然", 60},
                                            {u"天候・風景", 50},
                                            {u"家庭生活", 50},
                                            {u"学校・教育", 40},
                                            {u"仕事・会社", 50},
                                            {u"鉄道・駅・交通", 40},
                                            {u"郵便・電報", 40},
                                            {u"無線・モールス・通信", 40},
                                            {u"旅行・観光", 40},
                                            {u"農業・漁業", 30},
                                            {u"災害・防災", 30},
                                            {u"地域行事・祭り", 30}}};

constexpr std::array<std::u16string_view, 60> kSubcategories = {
    u"季節語", u"時間帯", u"場所語", u"人物語", u"自然語", u"色彩語", u"動作語", u"感情語",
    u"天候語", u"風景語", u"家庭語", u"学校語", u"仕事語", u"交通語", u"郵便語", u"電報語",
    u"無線語", u"旅行語", u"農業語", u"防災語", u"行事語", u"施設語", u"道具語", u"植物語",
    u"動物語", u"食事語", u"町語",   u"記録語", u"試験語", u"練習語", u"安全語", u"連絡語",
    u"準備語", u"結果語", u"目標語", u"方角語", u"光語",   u"音語",   u"水語",   u"空語",
    u"山語",   u"川語",   u"海語",   u"駅語",   u"港語",   u"市場語", u"会社語", u"家族語",
    u"地域語", u"終止語", u"副詞語", u"形容語", u"状態語", u"朝語",   u"夕語",   u"夜語",
    u"休日語", u"会話語", u"報告語", u"確認語"};

std::u16string keyPrefix(std::u16string_view theme) {
    std::u16string p;
    for (char16_t c : theme)
        if (c != u'・')
            p.push_back(c);
    return p;
}

// Characters of the practice form that have no code in the language, as UTF-8 for messages.
std::string unkeyable(std::u16string_view text, bool latin) {
    std::u16string bad;
    for (char16_t c : toPracticeForm(text, latin))
        if (!codeFor(c, latin))
            bad.push_back(c);
    return toUtf8(bad);
}

struct Split {
    std::u16string outside;  // the text with its "[key]" places removed
    std::vector<std::u16string> keys;
    bool unmatched = false;
};

Split splitKeys(std::u16string_view text) {
    Split s;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'[') {
            const auto close = text.find(u']', i + 1);
            if (close == std::u16string_view::npos) {
                s.unmatched = true;
                s.outside.append(text.substr(i));
                break;
            }
            s.keys.emplace_back(text.substr(i + 1, close - i - 1));
            i = close;
        } else {
            s.outside.push_back(text[i]);
        }
    }
    return s;
}

std::u16string readText(const std::filesystem::path& path) {
    std::string bytes;
    std::u16string text;
    EXPECT_TRUE(readWholeFile(path, bytes)) << path;
    EXPECT_TRUE(decodeText(bytes, text)) << path;
    return text;
}

TEST(BuiltInJapaneseData, ThemeTemplates) {
    const auto& t = builtInJapaneseTables();
    EXPECT_EQ(t.templates.size(), 500u);
    std::size_t row = 0;
    for (const auto& theme : kThemes) {
        const std::u16string prefix = keyPrefix(theme.name);
        for (int i = 0; i < theme.rows && row < t.templates.size(); ++i, ++row) {
            const auto& templ = t.templates[row];
            SCOPED_TRACE(toUtf8(templ.text));
            ASSERT_EQ(templ.theme, theme.name) << "row " << row;
            const Split s = splitKeys(templ.text);
            EXPECT_FALSE(s.unmatched);
            EXPECT_GE(s.keys.size(), 3u);
            EXPECT_LE(s.keys.size(), 5u);
            for (const auto& key : s.keys) {
                const int list = t.findWordList(key);
                ASSERT_GE(list, 0) << toUtf8(key);
                EXPECT_EQ(t.wordLists[static_cast<std::size_t>(list)].theme, theme.name);
            }
            ASSERT_FALSE(s.outside.empty());
            EXPECT_EQ(s.outside.back(), u'」');
            EXPECT_EQ(s.outside.find(u'」'), s.outside.size() - 1);
            EXPECT_EQ(s.outside.find(u']'), std::u16string::npos);
            EXPECT_EQ(unkeyable(s.outside, false), "");
        }
    }
}

TEST(BuiltInJapaneseData, WordLists) {
    const auto& t = builtInJapaneseTables();
    EXPECT_EQ(t.wordLists.size(), 500u);
    std::size_t row = 0;
    for (const auto& theme : kThemes) {
        const std::u16string prefix = keyPrefix(theme.name);
        for (int i = 0; i < theme.rows && row < t.wordLists.size(); ++i, ++row) {
            const auto& list = t.wordLists[row];
            SCOPED_TRACE(toUtf8(list.key));
            ASSERT_EQ(list.theme, theme.name) << "row " << row;
            char number[12];
            std::snprintf(number, sizeof number, "%03d", i + 1);
            EXPECT_EQ(list.key, prefix + u"カテゴリ" + fromUtf8(number) +
                                    std::u16string(kSubcategories[static_cast<std::size_t>(i)]));
            EXPECT_EQ(list.words.size(), 18u);
            EXPECT_EQ(std::set<std::u16string>(list.words.begin(), list.words.end()).size(),
                      list.words.size());
            for (const auto& w : list.words) {
                EXPECT_FALSE(w.empty());
                EXPECT_EQ(unkeyable(w, false), "") << toUtf8(w);
                EXPECT_EQ(w.find_first_of(u"[]」 "), std::u16string::npos) << toUtf8(w);
            }
        }
    }
}

TEST(BuiltInJapaneseData, OfficesAndAddresses) {
    const auto& t = builtInJapaneseTables();
    EXPECT_EQ(t.addressees.size(), 47u);
    for (const auto& name : t.addressees) {
        const auto space = name.find(u' ');
        EXPECT_TRUE(space != std::u16string::npos && space > 0 && space + 1 < name.size() &&
                    name.find(u' ', space + 1) == std::u16string::npos)
            << toUtf8(name);
    }
    for (int row = 0; row < kAddressRows; ++row) {
        EXPECT_EQ(unkeyable(kJapaneseOffices[static_cast<std::size_t>(row)], false), "");
        EXPECT_EQ(unkeyable(japaneseAddress(t, row), false), "") << row;
    }
}

TEST(BuiltInJapaneseData, TemplateFiles) {
    for (const char* name :
         {"templates_beginner.txt", "templates_nature.txt", "templates_exam.txt"}) {
        SCOPED_TRACE(name);
        const auto lines = readTemplateFile(kResources / name);
        EXPECT_GE(lines.size(), 100u);
        for (const auto& line : lines) {
            const std::u16string clean = cleanText(line);
            EXPECT_EQ(unkeyable(clean, false), "") << toUtf8(line);
            EXPECT_EQ(clean.find_first_of(u"[]"), std::u16string::npos) << toUtf8(line);
            ASSERT_FALSE(clean.empty());
            EXPECT_EQ(clean.back(), u'」') << toUtf8(line);
        }
    }
}

TEST(BuiltInEnglishData, TemplatesAndDictionary) {
    const auto templates = parseEnglishTemplates(readText(kResources / kEnglishTemplatesFile));
    const auto dictionary = parseEnglishDictionary(readText(kResources / kEnglishDictionaryFile));
    EXPECT_GE(templates.size(), 150u);
    std::set<std::u16string> categories;
    std::array<int, 5> perLevel{};
    for (const auto& t : templates) {
        SCOPED_TRACE(toUtf8(t.text));
        categories.insert(t.category);
        for (int l = t.lowestLevel; l <= t.highestLevel && l < 5; ++l)
            ++perLevel[static_cast<std::size_t>(l)];
        const Split s = splitKeys(t.text);
        EXPECT_FALSE(s.unmatched);
        for (const auto& key : s.keys)
            EXPECT_TRUE(dictionary.count(key)) << toUtf8(key);
        EXPECT_EQ(s.outside.find_first_not_of(u"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 "),
                  std::u16string::npos);
        EXPECT_EQ(unkeyable(s.outside, true), "");
    }
    for (int c = 1; c <= 9; ++c)
        EXPECT_TRUE(categories.count(englishCategory(c))) << c;
    for (int l = 0; l < 5; ++l)
        EXPECT_GT(perLevel[static_cast<std::size_t>(l)], 0) << l;
    for (auto key : {u"ROUTE", u"SERVICE", u"OPERATION", u"DOCUMENT", u"ANCHORAGE", u"BERTH"})
        EXPECT_TRUE(dictionary.count(key)) << toUtf8(key);
    for (const auto& [key, words] : dictionary)
        for (const auto& w : words) {
            EXPECT_EQ(w.find_first_not_of(u"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 "),
                      std::u16string::npos)
                << toUtf8(key) << ": " << toUtf8(w);
            EXPECT_EQ(unkeyable(w, true), "");
        }
}

}  // namespace
}  // namespace quorvel
