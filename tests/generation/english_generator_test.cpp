#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "generation/english_generator.h"
#include "practice/document.h"
#include "storage/settings.h"
#include "storage/utf.h"
#include "tests/generation/stand_in.h"
#include "tests/support/recording_view.h"

namespace quorvel {
namespace {

using Words = std::vector<std::u16string>;

EnglishTemplate parsed(std::u16string_view line) {
    EnglishTemplate t;
    EXPECT_TRUE(parseTemplateLine(line, t)) << toUtf8(line);
    return t;
}

TEST(EnglishSources, LevelFields) {
    EXPECT_EQ(parseLevel(u"BEGINNER"), 0);
    EXPECT_EQ(parseLevel(u"INTERMEDIATE"), 2);
    EXPECT_EQ(parseLevel(u"EXAM"), 4);
    EXPECT_EQ(parseLevel(u"basic"), 0);  // names are case-sensitive
    EXPECT_EQ(parseLevel(u"3"), 3);
    EXPECT_EQ(parseLevel(u"+2x"), 2);
    EXPECT_EQ(parseLevel(u"-1"), -1);
    EXPECT_EQ(parseLevel(u""), 0);
    EXPECT_GT(parseLevel(u"99999999999999999999"), 4);
}

TEST(EnglishSources, TemplateLines) {
    EXPECT_EQ(parsed(u" PORT | BASIC | ARRIVING [PORTNAME] "),
              (EnglishTemplate{u"PORT", 1, 1, u"ARRIVING [PORTNAME]"}));
    EXPECT_EQ(parsed(u"RADIO|1|EXAM|QSL A|B"), (EnglishTemplate{u"RADIO", 1, 4, u"QSL A|B"}));
    EXPECT_EQ(parsed(u"RADIO|ADVANCED|BASIC|X"), (EnglishTemplate{u"RADIO", 3, 3, u"X"}));
    EXPECT_EQ(parsed(u"RADIO|-3|9|X"), (EnglishTemplate{u"RADIO", 0, 4, u"X"}));
    EnglishTemplate t{u"kept", 0, 0, u"kept"};
    EXPECT_FALSE(parseTemplateLine(u"PORT|ONLY ONE BAR", t));
    EXPECT_FALSE(parseTemplateLine(u" |BASIC|TEXT", t));
    EXPECT_FALSE(parseTemplateLine(u"PORT|BASIC| ", t));
    EXPECT_EQ(t.text, u"kept");

    const auto list = parseEnglishTemplates(u"# comment\n\nPORT|BASIC|A\r\n  bad line\nPORT|0|B\n");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].text, u"B");
}

TEST(EnglishSources, DictionaryLinesAndWordPairs) {
    auto d = parseEnglishDictionary(
        u"ROUTE = NORTH ,SOUTH,  EAST\nHEADING=NORTH, SOUTH ,EAST\nnoequals\n = X\nEMPTY = , ,\n"
        u"HEADING = WEST, NORTH\n");
    EXPECT_EQ(d.size(), 2u);
    EXPECT_EQ(d[u"HEADING"], (Words{u"NORTH", u"SOUTH", u"EAST", u"WEST"}));
    d[u"HEADING"].pop_back();
    std::vector<EnglishTemplate> none;
    enlargePools(none, d);
    EXPECT_EQ(d[u"ROUTE"],
              (Words{u"NORTH", u"SOUTH", u"EAST", u"NORTH AND SOUTH", u"SOUTH AND EAST",
                     u"ALTERNATE NORTH", u"ALTERNATE SOUTH", u"ALTERNATE EAST"}));
    EXPECT_EQ(d[u"HEADING"],
              (Words{u"NORTH", u"SOUTH", u"EAST", u"NORTH AND SOUTH", u"SOUTH AND EAST"}));

    // Only the first twelve words take part in pairs; an existing entry is not repeated.
    EnglishDictionary big;
    for (int i = 0; i < 15; ++i)
        big[u"CARGO"].push_back(u"W" + fromUtf8(std::to_string(i)));
    big[u"CARGO"].push_back(u"W0 AND W1");
    enlargePools(none, big);
    EXPECT_EQ(big[u"CARGO"].size(), 16u + 10u);
    EXPECT_EQ(big[u"CARGO"].back(), u"W10 AND W11");
}

TEST(EnglishSources, TemplatePairsAndReceipts) {
    std::vector<EnglishTemplate> t = parseEnglishTemplates(
        u"PORT|BASIC|FIRST\nPORT|1|SECOND\nPORT|1|2|THIRD\nWEATHER|BASIC|FOURTH\nPORT|1|FIFTH\n");
    EnglishDictionary d{{u"K", {u"V"}}};
    enlargePools(t, d);
    std::vector<std::u16string> added;
    for (std::size_t i = 5; i < t.size(); ++i)
        added.push_back(t[i].text);
    EXPECT_EQ(added, (Words{u"FIRST ALSO SECOND", u"SECOND ALSO FIFTH",
                            u"FIRST PLEASE CONFIRM RECEIPT", u"FOURTH PLEASE CONFIRM RECEIPT"}));
    EXPECT_EQ(t[5].lowestLevel, 1);
    EXPECT_EQ(t[5].highestLevel, 1);
    EXPECT_EQ(t[8].category, u"WEATHER");
}

TEST(EnglishText, ExpansionAndWordCount) {
    const EnglishDictionary d{{u"SHIP", {u"SEABIRD"}}, {u"EMPTY", {}}};
    RandomGenerator r;
    r.seed(1);
    EXPECT_EQ(expandEnglish(u"[SHIP] ARRIVED [ship] [EMPTY] ", d, r), u"SEABIRD ARRIVED");
    EXPECT_EQ(expandEnglish(u"A [SHIP", d, r), u"A [SHIP");
    EXPECT_EQ(expandEnglish(u"[NONE]", d, r), u"");
    EXPECT_EQ(wordCount(u"  A  BC\tD\r\nE "), 4);
    EXPECT_EQ(wordCount(u""), 0);
    EXPECT_EQ(englishCategory(0), u"ALL");
    EXPECT_EQ(englishCategory(8), u"PORT");
    EXPECT_EQ(englishCategory(9), u"EXAM");
    EXPECT_EQ(englishCategory(10), u"ALL");
    EXPECT_EQ(englishCategory(-1), u"ALL");
}

TEST(EnglishBatch, CandidatesByLevelAndCategory) {
    const std::vector<EnglishTemplate> t = {{u"PORT", 0, 0, u"PORT LOW"},
                                            {u"RADIO", 3, 4, u"RADIO HIGH"},
                                            {u"RADIO", 3, 4, u"RADIO HIGH TWO"}};
    const EnglishDictionary d;
    RandomGenerator r;
    r.seed(2);
    TelegramList out;
    ASSERT_EQ(latinBatch(t, d, 0, 8, r, out), LatinBatchError::None);  // "行政": PORT
    for (const auto& rec : out)
        EXPECT_EQ(rec.text, u"PORT LOW");
    // No PORT template fits level 4: templates of every category are used.
    ASSERT_EQ(latinBatch(t, d, 4, 8, r, out), LatinBatchError::None);
    for (std::size_t i = 1; i < out.size(); ++i) {
        EXPECT_NE(out[i].text, out[i - 1].text);
        EXPECT_EQ(out[i].text.substr(0, 10), u"RADIO HIGH");
    }
    TelegramList kept = out;
    EXPECT_EQ(latinBatch(t, d, 2, 0, r, out), LatinBatchError::NoTemplate);
    EXPECT_EQ(out, kept);
}

TEST(EnglishBatch, PreambleAddressAndAlternation) {
    const std::vector<EnglishTemplate> t = {{u"NATURE", 0, 4, u"[W] [W] STOP"}};
    const EnglishDictionary d{{u"W", {u"SEA", u"FOG", u"WIND"}}};
    RandomGenerator r;
    r.seed(99);
    TelegramList out;
    ASSERT_EQ(latinBatch(t, d, 2, 0, r, out), LatinBatchError::None);
    ASSERT_EQ(out.size(), 200u);
    const std::regex preamble(R"(([1-9]\d*) ([A-Z]+) (\d+) ([1-9]\d*) (\d+) (\d\d) ([SM]))");
    bool sawShortMinute = false;
    std::set<std::u16string> addresses;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const std::string p = toUtf8(out[i].preamble);
        std::smatch m;
        ASSERT_TRUE(std::regex_match(p, m, preamble)) << p;
        EXPECT_LE(std::stoi(m[1]), 999);
        EXPECT_EQ(std::stoi(m[3]), 3);
        EXPECT_LE(std::stoi(m[4]), 28);
        EXPECT_LE(std::stoi(m[5]), 23);
        EXPECT_TRUE(m[5].str().size() == 1 || m[5].str()[0] != '0');
        EXPECT_LE(std::stoi(m[6]), 59);
        sawShortMinute |= m[6].str()[0] == '0';
        EXPECT_EQ(m[7], i % 2 == 0 ? "S" : "M");
        EXPECT_TRUE(out[i].office.empty() && out[i].serial.empty() && out[i].filingTime.empty());
        EXPECT_FALSE(out[i].address.empty());
        if (i > 0) {
            EXPECT_NE(out[i].text, out[i - 1].text);
        }
        addresses.insert(out[i].address);
    }
    EXPECT_TRUE(sawShortMinute);
    EXPECT_EQ(addresses.size(), 6u);
    EXPECT_TRUE(addresses.count(u"HELENA VOSKUIJLEN MARINE CENTER ROTTERDAM"));
}

class LatinButton : public ::testing::Test {
  protected:
    LatinButton() { doc.setView(&view); }

    PracticeSettings settings;
    SharedFlags flags;
    TelegramDocument doc{settings, flags};
    test::RecordingView view;
    test::TempDir dir;
    GeneratorFiles files{{dir.path()}};
};

TEST_F(LatinButton, MissingFilesOrTemplatesLeaveThePracticeAlone) {
    const auto before = doc.currentSet();
    RandomGenerator r;
    EXPECT_FALSE(generateLatinSet(doc, settings, r, files, 1));
    dir.write("english_telegram_templates.txt", "PORT|EXAM|ARRIVED [X]\n");
    EXPECT_FALSE(generateLatinSet(doc, settings, r, files, 1));
    dir.write("english_telegram_dictionary.txt", "# only a comment\n");
    EXPECT_FALSE(generateLatinSet(doc, settings, r, files, 1));
    dir.write("english_telegram_dictionary.txt", "X = HAMBURG\n");
    EXPECT_FALSE(generateLatinSet(doc, settings, r, files, 1));  // nothing for level 0
    ASSERT_EQ(view.boxes.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(view.boxes[static_cast<std::size_t>(i)].title, u"欧文ランダム生成");
        EXPECT_EQ(view.boxes[static_cast<std::size_t>(i)].text,
                  u"english_telegram_templates.txt または english_telegram_dictionary.txt "
                  u"を読み込めません。\r\nEXEと同じフォルダーに配置してください。");
        EXPECT_EQ(view.boxes[static_cast<std::size_t>(i)].icon, MessageIcon::Error);
    }
    EXPECT_EQ(view.boxes[3].text,
              u"選択したカテゴリと学習レベルに対応する欧文テンプレートがありません。");
    EXPECT_EQ(view.boxes[3].icon, MessageIcon::Warning);
    EXPECT_EQ(doc.currentSet(), before);
    EXPECT_FALSE(doc.latinMode());
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(LatinButton, InstallsTwoHundredLatinTelegrams) {
    dir.write("english_telegram_templates.txt",
              "\xEF\xBB\xBFPORT|EXAM|ARRIVED [X]\r\nPORT|EXAM|LEFT [X]\r\n");
    dir.write("english_telegram_dictionary.txt", "X = HAMBURG, KOBE\r\n");
    settings.LearningLevel = 4;
    settings.RandomCategory = 8;
    RandomGenerator r;
    ASSERT_TRUE(generateLatinSet(doc, settings, r, files, 1));
    EXPECT_TRUE(r.seeded());
    EXPECT_TRUE(doc.latinMode());
    EXPECT_EQ(doc.telegramCount(), 200);
    EXPECT_EQ(doc.telegramNumber(), 1);
    EXPECT_EQ(view.lastMessage(), u"欧文第2世代ランダム電報を生成しました");
    EXPECT_EQ(view.resultLabel, u"欧文第2世代ランダム電報 200通生成");
    EXPECT_TRUE(view.boxes.empty());
}

}  // namespace
}  // namespace quorvel
