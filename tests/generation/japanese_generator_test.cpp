#include <gtest/gtest.h>

#include <set>

#include "generation/japanese_generator.h"
#include "practice/document.h"
#include "storage/settings.h"
#include "tests/generation/stand_in.h"
#include "tests/support/recording_view.h"

namespace quorvel {
namespace {

using test::standInTables;

const CharStats kNoStats;

CharStats weakStats() {
    CharStats stats;
    stats[u'ア'] = {10, 5, 5, {}};
    stats[u'ネ'] = {4, 1, 3, {}};
    return stats;
}

JapaneseGenerator generator(RandomGenerator& random, JapaneseOptions options,
                            const CharStats& stats = kNoStats, GeneratorFiles files = {}) {
    return JapaneseGenerator(standInTables(), random, options, std::move(files), stats);
}

// Value of a kanji numeral written without leading zeros, or -1.
int kanjiValue(std::u16string_view s) {
    static constexpr std::u16string_view kDigits = u"〇一二三四五六七八九";
    if (s.empty() || (s.size() > 1 && s[0] == u'〇'))
        return -1;
    int v = 0;
    for (char16_t c : s) {
        const auto d = kDigits.find(c);
        if (d == std::u16string_view::npos)
            return -1;
        v = v * 10 + static_cast<int>(d);
    }
    return v;
}

// Which of the stand-in themes' markers a text holds.
std::set<char16_t> markers(std::u16string_view text) {
    std::set<char16_t> found;
    for (char16_t c : text)
        if (c == u'ヌ' || c == u'ホ' || c == u'ム')
            found.insert(c);
    return found;
}

TEST(RandomGenerator, FollowsTheClassicSequenceAndSeedsOnce) {
    RandomGenerator r;
    EXPECT_FALSE(r.seeded());
    r.seedOnce(1);
    EXPECT_EQ(r.draw(), 41);
    EXPECT_EQ(r.draw(), 18467);
    r.seedOnce(1);  // already seeded: the sequence goes on
    EXPECT_EQ(r.draw(), 6334);
    EXPECT_EQ(r.draw(), 26500);
    r.seed(0);
    EXPECT_EQ(r.draw(), 38);
}

TEST(JapaneseText, LengthsAndEndingPerLevel) {
    struct Case {
        int level;
        bool second;
        std::size_t lo, hi;
    };
    for (const Case c : {Case{0, false, 80, 95}, Case{0, true, 80, 95}, Case{4, false, 145, 175},
                         Case{4, true, 145, 175}, Case{2, true, 105, 135}}) {
        SCOPED_TRACE(testing::Message() << "level " << c.level << " second " << c.second);
        std::set<std::size_t> lengths;
        for (std::uint32_t seed = 1; seed <= 40; ++seed) {
            RandomGenerator r;
            r.seed(seed);
            for (const auto& t : generator(r, {c.level, 0, c.second, false}).batch()) {
                ASSERT_GE(t.text.size(), c.lo);
                ASSERT_LE(t.text.size(), c.hi);
                EXPECT_EQ(t.text.back(), u'」');
                lengths.insert(t.text.size());
            }
        }
        EXPECT_GT(lengths.size(), 5u);
    }
}

TEST(JapaneseText, WeakTelegramsUseTheUnclampedTarget) {
    const CharStats stats = weakStats();
    std::set<std::size_t> lengths;
    int weakSeen = 0;
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        RandomGenerator r;
        r.seed(seed);
        for (const auto& t : generator(r, {0, 0, true, true}, stats).batch()) {
            ASSERT_GE(t.text.size(), 65u);
            ASSERT_LE(t.text.size(), 95u);
            EXPECT_EQ(t.text.back(), u'」');
            lengths.insert(t.text.size());
            weakSeen += t.text.find(u'ネ') != std::u16string::npos;
        }
    }
    EXPECT_LT(*lengths.begin(), 80u);
    EXPECT_EQ(weakSeen, 400);
}

TEST(JapaneseText, WeakTextWithoutStatisticsIsUnchanged) {
    RandomGenerator a, b;
    a.seed(7);
    b.seed(7);
    EXPECT_EQ(generator(a, {0, 0, true, true}).batch(), generator(b, {0, 0, true, false}).batch());
}

TEST(JapaneseText, WeakCharactersGoInAtTheLevelsSpacing) {
    CharStats stats;
    stats[u'カ'] = {10, 0, 10, {}};
    RandomGenerator r;
    const std::u16string a40(40, u'ア');
    // Level 0 spacing 16; "カ" goes in before source positions 16 and 32.
    EXPECT_EQ(generator(r, {0, 0, true, true}, stats).weakText(a40, 40),
              std::u16string(16, u'ア') + u"カ" + std::u16string(16, u'ア') + u"カ" +
                  std::u16string(5, u'ア') + u"」");
    // Level 4 spacing 7; every third inserted character is followed by "」".
    stats[u'キ'] = {10, 0, 9, {}};
    stats[u'ク'] = {10, 0, 8, {}};
    const std::u16string a30(30, u'ア');
    const std::u16string a7(7, u'ア');
    EXPECT_EQ(generator(r, {4, 0, true, true}, stats).weakText(a30, 30),
              a7 + u"カ" + a7 + u"キ" + a7 + u"ク」" + std::u16string(4, u'ア') + u"」");
    // A short source: weak characters and "」" alternate up to the target.
    EXPECT_EQ(generator(r, {0, 0, true, true}, stats).weakText(u"アア", 7), u"アアカ」キ」」");
}

TEST(WeakCharacters, RankingAndExclusions) {
    CharStats stats;
    // Equal scores keep the exchange sort's order: ウ (16) first, then イ before ア (13 each).
    stats[u'ア'] = {10, 10, 1, {}};
    stats[u'イ'] = {10, 10, 1, {}};
    stats[u'ウ'] = {10, 10, 2, {}};
    EXPECT_EQ(weakCharacters(stats, 8), u"ウイア");

    stats[u'エ'] = {10, 9, 0, {}};   // 90 % and no wrong answer: not weak
    stats[u'オ'] = {0, 0, 5, {}};    // never asked
    stats[u'」'] = {50, 0, 50, {}};  // separators are never chosen
    stats[u'　'] = {50, 0, 50, {}};
    stats[u' '] = {50, 0, 50, {}};
    stats[u'A'] = {50, 0, 50, {}};  // Latin practice: no wabun code
    stats[u'カ'] = {20, 2, 18, {}};
    // The swaps that lift カ past the equal pair leave ア ahead of イ this time.
    EXPECT_EQ(weakCharacters(stats, 8), u"カウアイ");
    EXPECT_EQ(weakCharacters(stats, 2), u"カウ");
    EXPECT_EQ(weakCharacters({}, 8), u"");
}

TEST(JapaneseText, SmallHelpers) {
    EXPECT_EQ(kanjiNumber(158), u"一五八");
    EXPECT_EQ(kanjiNumber(0), u"〇");
    EXPECT_EQ(kanjiNumber(999), u"九九九");
    EXPECT_EQ(countField(u"アイ ウ\u3000エ」」」"), 5);
    EXPECT_EQ(countField(u"」」"), 1);
    EXPECT_EQ(countField(u""), 0);
    EXPECT_EQ(cleanText(u"あ い\tう\u3000ん\nカ」"), u"アイウンカ」");
}

TEST(JapaneseTables, JoinedFilesWithMarksAndCrLf) {
    const auto t = parseJapaneseTables(
        "\xEF\xBB\xBFT\tア・イ\tX[K]」\r\n# note\r\nW\tア・イ\tK\tア,イ\r\n"
        "\xEF\xBB\xBFW\tア・イ\tK\tウ\nW\tア・イ\tL\t\nbroken line\n",
        "ヤマダ タロウ\r\n");
    ASSERT_EQ(t.templates.size(), 1u);
    EXPECT_EQ(t.templates[0].text, u"X[K]」");
    ASSERT_EQ(t.wordLists.size(), 3u);
    EXPECT_EQ(t.wordLists[0].words, (std::vector<std::u16string>{u"ア", u"イ"}));
    EXPECT_EQ(t.findWordList(u"K"), 0);  // the first list of a key counts
    EXPECT_TRUE(t.wordLists[2].words.empty());
    EXPECT_EQ(t.templatesOfTheme(u"ア・イ"), std::vector<int>{0});
    EXPECT_EQ(t.addressees, std::vector<std::u16string>{u"ヤマダ タロウ"});
}

TEST(JapaneseText, TemplateExpansion) {
    RandomGenerator r;
    r.seed(3);
    auto g = generator(r, {0, 0, true, false});
    EXPECT_EQ(g.expandTemplate(u"ア[ナイカギ]イ[ウ"), u"アイ[ウ");
    EXPECT_EQ(g.expandTemplate(u"[四季自然カテゴリ004人物語]」"), u"」");
    EXPECT_EQ(g.pickWord(u"ナイカギ"), u"");
    const std::set<std::u16string> words = {u"ハル", u"ナツ", u"アキ", u"フユ"};
    int pairs = 0;
    for (int i = 0; i < 400; ++i) {
        const std::u16string w = g.pickWordOrPair(u"四季自然カテゴリ001季節語");
        const auto t = w.find(u'ト');
        if (t == std::u16string::npos) {
            EXPECT_TRUE(words.count(w)) << w.size();
            continue;
        }
        ++pairs;
        EXPECT_TRUE(words.count(w.substr(0, t)));
        EXPECT_TRUE(words.count(w.substr(t + 1)));
        EXPECT_NE(w.substr(0, t), w.substr(t + 1));
    }
    EXPECT_GT(pairs, 10);
    EXPECT_LT(pairs, 100);
}

TEST(JapaneseText, OneThemePerTelegram) {
    std::set<char16_t> seen;
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        RandomGenerator r;
        r.seed(seed);
        // "行政" matches no theme: any start theme, then only that theme.
        for (const auto& t : generator(r, {1, 8, true, false}).batch()) {
            const auto m = markers(t.text);
            ASSERT_EQ(m.size(), 1u) << seed;
            seen.insert(*m.begin());
        }
        r.seed(seed);
        for (const auto& t : generator(r, {1, 1, true, false}).batch())
            EXPECT_EQ(markers(t.text), std::set<char16_t>{u'ヌ'});
        r.seed(seed);
        for (const auto& t : generator(r, {1, 7, true, false}).batch())
            EXPECT_EQ(markers(t.text), std::set<char16_t>{u'ム'});
    }
    EXPECT_EQ(seen.size(), 3u);
}

TEST(JapaneseText, TemplateFilesByLevel) {
    test::TempDir dir;
    GeneratorFiles files{{dir.path()}};
    // Only comments: the built-in templates are used.
    dir.write("templates_beginner.txt", "# ひとこと\n#コメント\n\n");
    dir.write("templates_nature.txt",
              "\xEF\xBB\xBF# nature\r\n  そよかぜ ふく」\r\n[四季自然カテゴリ001季節語]」\r\n");
    RandomGenerator r;
    r.seed(11);
    for (const auto& t : generator(r, {0, 0, true, false}, kNoStats, files).batch())
        EXPECT_EQ(markers(t.text).size(), 1u);
    // Level 2 reads the nature file: its lines, cleaned, literal.
    const std::u16string allowed = u"ソヨカゼフク」[四季自然カテゴリ001季節語]";
    for (const auto& t : generator(r, {2, 0, true, false}, kNoStats, files).batch()) {
        EXPECT_GE(t.text.size(), 105u);
        for (char16_t c : t.text)
            EXPECT_NE(allowed.find(c), std::u16string::npos);
    }
    EXPECT_EQ(templateFileName(1), "templates_beginner.txt");
    EXPECT_EQ(templateFileName(3), "templates_nature.txt");
    EXPECT_EQ(templateFileName(4), "templates_exam.txt");
}

TEST(JapaneseBatch, HeadFieldsFollowTheBatchNumber) {
    for (std::uint32_t seed : {1u, 2u, 77u, 4000u}) {
        RandomGenerator r;
        r.seed(seed);
        const TelegramList batch = generator(r, {3, 0, seed % 2 == 0, false}).batch();
        ASSERT_EQ(batch.size(), 10u);
        std::vector<int> hour, minute, serial, office;
        for (std::size_t i = 0; i < batch.size(); ++i) {
            const auto& t = batch[i];
            EXPECT_EQ(t.preamble, kanjiNumber(countField(t.text)));
            EXPECT_EQ(t.filingTime[0], i % 2 == 0 ? u'コ' : u'セ');
            const auto comma = t.filingTime.find(u'、');
            ASSERT_NE(comma, std::u16string::npos);
            hour.push_back(kanjiValue(t.filingTime.substr(1, comma - 1)));
            minute.push_back(kanjiValue(t.filingTime.substr(comma + 1)));
            serial.push_back(kanjiValue(t.serial));
            EXPECT_TRUE(hour.back() >= 0 && hour.back() <= 11) << hour.back();
            EXPECT_TRUE(minute.back() >= 0 && minute.back() <= 59) << minute.back();
            EXPECT_TRUE(serial.back() >= 1 && serial.back() <= 999) << serial.back();
            int o = 0;
            while (o < kAddressRows && kJapaneseOffices[static_cast<std::size_t>(o)] != t.office)
                ++o;
            ASSERT_LT(o, kAddressRows);
            office.push_back(o);
        }
        // Some batch number m explains every field of the ten telegrams.
        int found = -1;
        for (int m = 0; m <= 32767 && found < 0; ++m) {
            bool all = true;
            for (int i = 0; i < 10 && all; ++i) {
                const auto k = static_cast<std::size_t>(i);
                all = office[k] == (m + 7 * i) % 47 && serial[k] == (13 * m + 37 * i) % 999 + 1 &&
                      hour[k] == (m + 5 * i) % 12 && minute[k] == (7 * m + 11 * i) % 60 &&
                      batch[k].address == japaneseAddress(standInTables(), (11 * i + 3 * m) % 47);
            }
            if (all)
                found = m;
        }
        EXPECT_GE(found, 0) << seed;
    }
    EXPECT_EQ(japaneseAddress(standInTables(), 12), u"トウキョウト」シナガワク」ヤマダ タロウ」");
}

TEST(JapaneseBatch, ButtonInstallsTheSetAndReports) {
    PracticeSettings settings;
    SharedFlags flags;
    TelegramDocument doc(settings, flags);
    test::RecordingView view;
    doc.setView(&view);
    settings.LearningLevel = 4;

    RandomGenerator used;
    generateJapaneseSet(doc, settings, used, {}, kNoStats, 5, standInTables());
    settings.secondGeneration = 0;
    generateJapaneseSet(doc, settings, used, {}, kNoStats, 999, standInTables());

    // Seeded once with the first press's time; the second press goes on with the sequence.
    RandomGenerator expected;
    expected.seed(5);
    generator(expected, {4, 0, true, false}).batch();
    EXPECT_EQ(*doc.currentSet(), generator(expected, {4, 0, false, false}).batch());
    EXPECT_FALSE(doc.latinMode());
    EXPECT_EQ(doc.telegramNumber(), 1);
    ASSERT_EQ(view.messages.size(), 2u);
    EXPECT_EQ(view.messages[0], u"第2世代ランダム電報を生成しました");
    EXPECT_EQ(view.messages[1], u"通常ランダム電報を生成しました");
    EXPECT_EQ(view.resultLabel, u"通常ランダム電報 10通生成");
}

}  // namespace
}  // namespace quorvel
