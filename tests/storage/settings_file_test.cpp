#include "storage/settings_file.h"

#include <gtest/gtest.h>

#include <set>

#include "tests/support/temp_dir.h"

namespace quorvel {
namespace {

using test::readAll;
using test::TempDir;
using test::writeAll;

int get(const std::atomic<int>& v) {
    return PracticeSettings::get(v);
}

void load(const std::string& text, PracticeSettings& s, SettingsContext ctx = {}) {
    applySettings(parseSettingsText(text), s, ctx);
}

TEST(SettingsTable, EveryKeyOnceWithItsDefaultAndAReadingPosition) {
    const auto table = settingsTable();
    ASSERT_EQ(table.size(), 47u);
    std::set<std::string> keys;
    std::set<int> orders;
    PracticeSettings fresh;
    for (const auto& k : table) {
        keys.insert(k.key);
        orders.insert(k.readOrder);
        // The record's initial values are the file defaults.
        EXPECT_EQ(get(fresh.*(k.field)), k.defaultValue) << k.key;
        EXPECT_EQ(applyLoadRule(k, k.defaultValue), k.defaultValue) << k.key;
        EXPECT_EQ(findSetting(k.key), &k);
    }
    EXPECT_EQ(keys.size(), table.size());
    EXPECT_EQ(orders.size(), table.size());
    EXPECT_EQ(*orders.begin(), 0);
    EXPECT_EQ(*orders.rbegin(), 46);
    EXPECT_EQ(findSetting("wpm"), findSetting("WPM"));
    EXPECT_EQ(findSetting("Nope"), nullptr);
}

TEST(SettingsLoad, ClampsAndOnOffRules) {
    PracticeSettings s;
    load(
        "[Settings]\r\nWPM=3\r\nFreq=2000\r\nLang=2\r\nMode=2\r\nSoundType=6\r\n"
        "PaperZoom1000=50\r\nBandQRN=7\r\nLearningLevel=9\r\nBandActivity=-1\r\n"
        "BandFilterWidth=3\r\nRandomCategory=10\r\nJudgeEase=101\r\nPaperOffsetX=-12345\r\n",
        s);
    EXPECT_EQ(get(s.WPM), 5);
    EXPECT_EQ(get(s.Freq), 1200);
    EXPECT_EQ(get(s.Lang), 1);  // 和文
    EXPECT_EQ(get(s.Mode), 0);  // 受信
    EXPECT_EQ(get(s.SoundType), 0);
    EXPECT_EQ(get(s.PaperZoom1000), 100);  // zoom 0.1
    EXPECT_EQ(get(s.BandQRN), 1);
    EXPECT_EQ(get(s.LearningLevel), 4);
    EXPECT_EQ(get(s.BandActivity), 0);
    EXPECT_EQ(get(s.BandFilterWidth), 2);
    EXPECT_EQ(get(s.RandomCategory), 0);
    EXPECT_EQ(get(s.JudgeEase), 100);
    EXPECT_EQ(get(s.PaperOffsetX), -12345);

    load("[Settings]\nLang=0\nMode=1\nSoundType=5\nRandomCategory=9\n", s);
    EXPECT_EQ(get(s.Lang), 0);
    EXPECT_EQ(get(s.Mode), 1);
    EXPECT_EQ(get(s.SoundType), 5);
    EXPECT_EQ(get(s.RandomCategory), 9);
}

TEST(SettingsLoad, MissingKeysAndNonNumbersTakeTheirDefaults) {
    PracticeSettings s;
    PracticeSettings::set(s.WPM, 33);
    PracticeSettings::set(s.Freq, 999);
    PracticeSettings::set(s.BandNoiseLevel, 77);
    load(
        "[Settings]\r\nWPM = 20 \r\nFreq=fast\r\nBandNoiseLevel=12abc\r\n"
        "Auto=\r\nWPM=30\r\n",
        s);
    EXPECT_EQ(get(s.WPM), 20);  // the first of two lines counts
    EXPECT_EQ(get(s.Freq), 800);
    EXPECT_EQ(get(s.BandNoiseLevel), 30);
    EXPECT_EQ(get(s.Auto), 0);
    EXPECT_EQ(get(s.BandActivity), 3);
    EXPECT_EQ(get(s.FirstRun), 1);
}

TEST(SettingsLoad, OnlyTheSettingsSectionCountsAndKeysIgnoreCase) {
    PracticeSettings s;
    load("WPM=30\r\n[Other]\r\nWPM=31\r\n[ settings ]\r\nwpm=25\r\n; Freq=900\r\n", s);
    EXPECT_EQ(get(s.WPM), 25);
    EXPECT_EQ(get(s.Freq), 800);
    // A UTF-16 file with its mark reads the same.
    std::string wide = "\xFF\xFE";
    for (char c : std::string("[Settings]\r\nFreq=650\r\n"))
        wide += {c, '\0'};
    load(wide, s);
    EXPECT_EQ(get(s.Freq), 650);
}

// Files that were never clean text load the same before and after the program saves them.
TEST(SettingsFile, StrayMarksReadTheSameAfterASave) {
    // Two UTF-8 marks: the section behind them counts from the first load on.
    PracticeSettings doubled;
    const std::string twoMarks = "\xEF\xBB\xBF\xEF\xBB\xBF[Settings]\r\nWPM=31\r\n";
    load(twoMarks, doubled);
    EXPECT_EQ(get(doubled.WPM), 31);

    // Behind one mark, a first line opening with FF FE is a stray line, not a UTF-16 mark,
    // and must not become one when the mark is not written back.
    const std::string stray = "\xEF\xBB\xBF\xFF\xFEjunk\r\n[Settings]\r\nFreq=900\r\n";
    PracticeSettings first;
    load(stray, first);
    EXPECT_EQ(get(first.Freq), 900);
    const std::string saved = formatSettingsFile(first, stray);
    PracticeSettings second;
    load(saved, second);
    EXPECT_EQ(get(second.Freq), 900);
    EXPECT_NE(saved.find("\xFF\xFEjunk\r\n"), std::string::npos);
}

TEST(SettingsLoad, PortIndexFollowsThePortList) {
    const SettingKey& com = *findSetting("ComIndex");
    EXPECT_EQ(applyLoadRule(com, 3, {4}), 3);
    EXPECT_EQ(applyLoadRule(com, 4, {4}), 0);
    EXPECT_EQ(applyLoadRule(com, -1, {4}), 0);
    // Without a known list the choice is kept for the next save.
    EXPECT_EQ(applyLoadRule(com, 7, {}), 7);
    EXPECT_EQ(applyLoadRule(com, 7, {0}), 7);
}

TEST(SettingsFile, SaveWritesEveryKeyButFirstRunInTableOrder) {
    TempDir dir;
    const auto file = dir / "telegram_practice.ini";
    PracticeSettings s;
    PracticeSettings::set(s.WPM, 22);
    PracticeSettings::set(s.FirstRun, 0);
    ASSERT_TRUE(saveSettings(file, s));
    const std::string text = readAll(file);
    std::string expected = "[Settings]\r\n";
    for (const auto& k : settingsTable())
        if (k.saved)
            expected += std::string(k.key) + "=" + std::to_string(get(s.*(k.field))) + "\r\n";
    EXPECT_EQ(text, expected);
    EXPECT_EQ(text.find("FirstRun"), std::string::npos);
    EXPECT_NE(text.find("WPM=22\r\n"), std::string::npos);
}

TEST(SettingsFile, SaveAndLoadRoundTripEveryValue) {
    TempDir dir;
    const auto file = dir / "telegram_practice.ini";
    PracticeSettings a;
    int v = 0;
    for (const auto& k : settingsTable()) {
        // A value its rule keeps: inside the clamp range, 0/1 for switches.
        int x = k.rule == LoadRule::Clamp || k.rule == LoadRule::ZeroOutside  ? k.high - (v % 2)
                : k.rule == LoadRule::AsRead || k.rule == LoadRule::PortIndex ? 100 + v
                                                                              : v % 2;
        PracticeSettings::set(a.*(k.field), x);
        ++v;
    }
    ASSERT_TRUE(saveSettings(file, a));
    PracticeSettings b;
    EXPECT_EQ(loadSettings(file, b), SettingsLoad::Read);
    for (const auto& k : settingsTable()) {
        if (!k.saved)
            continue;
        EXPECT_EQ(get(b.*(k.field)), get(a.*(k.field))) << k.key;
    }
}

TEST(SettingsFile, SaveKeepsLinesItDoesNotOwn) {
    TempDir dir;
    const auto file = dir / "telegram_practice.ini";
    writeAll(file,
             "; notes\r\n[Settings]\r\nFirstRun=0\r\nWPM=9\r\nCustom=5\r\nWPM=11\r\n\r\n"
             "[Window]\r\nX=10\r\n");
    PracticeSettings s;
    loadSettings(file, s);
    EXPECT_EQ(get(s.FirstRun), 0);
    ASSERT_TRUE(saveSettings(file, s));
    const std::string text = readAll(file);
    EXPECT_EQ(text.rfind("; notes\r\n[Settings]\r\nWPM=9\r\nFreq=800\r\n", 0), 0u) << text;
    EXPECT_NE(text.find("PaperOffsetY=0\r\nFirstRun=0\r\nCustom=5\r\n\r\n[Window]\r\nX=10\r\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("WPM=11"), std::string::npos);
    // Saving again changes nothing.
    ASSERT_TRUE(saveSettings(file, s));
    EXPECT_EQ(readAll(file), text);
}

TEST(SettingsFile, DeletingTheFileRestoresDefaultsAndTheFirstRunGuide) {
    TempDir dir;
    const auto file = dir / "telegram_practice.ini";
    int shown = 0;
    auto show = [&](std::u16string_view title, std::u16string_view text) {
        ++shown;
        EXPECT_EQ(title, u"Quorvel 初回起動ガイド");
        EXPECT_EQ(text.substr(0, 9), u"Quorvel\r\n");
    };

    PracticeSettings first;
    EXPECT_EQ(loadSettings(file, first), SettingsLoad::Missing);
    EXPECT_TRUE(showFirstRunGuide(first, file, show));
    PracticeSettings::set(first.WPM, 30);
    ASSERT_TRUE(saveSettings(file, first));

    PracticeSettings second;
    EXPECT_EQ(loadSettings(file, second), SettingsLoad::Read);
    EXPECT_EQ(get(second.WPM), 30);
    EXPECT_FALSE(showFirstRunGuide(second, file, show));
    EXPECT_EQ(shown, 1);

    std::filesystem::remove(file);
    PracticeSettings third;
    PracticeSettings::set(third.WPM, 30);
    loadSettings(file, third);
    EXPECT_EQ(get(third.WPM), 15);
    EXPECT_TRUE(showFirstRunGuide(third, file, show));
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(readAll(file), "[Settings]\r\nFirstRun=0\r\n");
}

TEST(SettingsFile, FirstRunIsWrittenInPlace) {
    TempDir dir;
    const auto file = dir / "telegram_practice.ini";
    writeAll(file, "[Settings]\r\nWPM=9\r\nFirstRun=1\r\nFreq=900\r\n[X]\r\nY=1\r\n");
    PracticeSettings s;
    loadSettings(file, s);
    EXPECT_TRUE(showFirstRunGuide(s, file, [](auto, auto) {}));
    EXPECT_EQ(readAll(file), "[Settings]\r\nWPM=9\r\nFirstRun=0\r\nFreq=900\r\n[X]\r\nY=1\r\n");
}

TEST(SettingsFile, AFileTheUserNamedMustBeUsable) {
    TempDir dir;
    PracticeSettings s;
    PracticeSettings::set(s.WPM, 33);
    std::string error;
    EXPECT_FALSE(loadSettingsFile(dir / "none.ini", s, error));
    EXPECT_NE(error.find("none.ini"), std::string::npos);
    writeAll(dir / "plain.txt", "WPM=20\n");
    EXPECT_FALSE(loadSettingsFile(dir / "plain.txt", s, error));
    EXPECT_NE(error.find("[Settings]"), std::string::npos);
    EXPECT_EQ(get(s.WPM), 33);  // nothing changed
    writeAll(dir / "good.ini", "[Settings]\nWPM=20\n");
    EXPECT_TRUE(loadSettingsFile(dir / "good.ini", s, error));
    EXPECT_EQ(get(s.WPM), 20);
    EXPECT_EQ(get(s.Freq), 800);
}

TEST(SettingsFile, SaveFailsCleanlyWhereItCannotWrite) {
    TempDir dir;
    PracticeSettings s;
    std::string error;
    EXPECT_FALSE(saveSettings(dir / "no" / "such" / "dir.ini", s, &error));
    EXPECT_FALSE(error.empty());
}

TEST(SettingsLabels, SliderCaptionsAndListNames) {
    PracticeSettings s;
    PracticeSettings::set(s.WPM, 25);
    PracticeSettings::set(s.KeySoftness, 85);
    const SliderLabels l = sliderLabelsOf(s);
    EXPECT_EQ(l.speed, u"速度 25 WPM");
    EXPECT_EQ(l.frequency, u"周波数 800 Hz");
    EXPECT_EQ(l.judgeEase, u"判定しやすさ 50 標準");
    EXPECT_EQ(l.keySoftness, u"打鍵の甘さ 85 甘い");
    EXPECT_EQ(learningLevelName(4), u"国家試験");
    EXPECT_EQ(learningLevelName(5), u"");
    EXPECT_EQ(timbreName(0), u"デフォルト（現在の音）");
    EXPECT_EQ(timbreName(5), u"ブザー風");
}

}  // namespace
}  // namespace quorvel
