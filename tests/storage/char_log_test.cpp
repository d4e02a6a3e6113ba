#include "storage/char_log.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "storage/practice_log.h"
#include "tests/support/temp_dir.h"

namespace quorvel {
namespace {

using test::readAll;
using test::TempDir;
using test::u8;
using test::writeAll;

const std::string kMarkAndHeader = std::string(kUtf8Mark) + std::string(kCharLogHeader);

TEST(CharLog, ConfusedTwiceThenCorrect) {
    TempDir dir;
    const auto file = dir / "chars.csv";
    ASSERT_TRUE(updateCharLog(file, u'ア', u'イ', false));
    ASSERT_TRUE(updateCharLog(file, u'ア', u'イ', false));
    ASSERT_TRUE(updateCharLog(file, u'ア', u'ア', true));
    EXPECT_EQ(readAll(file), kMarkAndHeader + u8(u"ア,3,1,2,33,\"イ:2 \"\r\n"));
}

TEST(CharLog, RowsInCodeOrderWithRatesAndConfusions) {
    TempDir dir;
    const auto file = dir / "chars.csv";
    updateCharLog(file, u'イ', 0, false);  // nothing keyed: no confusion
    updateCharLog(file, u'A', u'B', false);
    updateCharLog(file, u'A', u'C', false);
    updateCharLog(file, u'A', u'B', false);
    updateCharLog(file, u'A', u'A', true);
    EXPECT_EQ(readAll(file),
              kMarkAndHeader + u8(u"A,4,1,3,25,\"B:2 C:1 \"\r\nイ,1,0,1,0,\"なし\"\r\n"));
}

TEST(CharLog, ReadsBothLayoutsAndSumsRepeatedRows) {
    const std::string text =
        kMarkAndHeader + u8(u",ア,5,4,1,\"イ:1\"\r\n"  // second layout: first field empty
                            u"ア,2,1,1,50,\"イ:2 ウ:1 \"\r\n"
                            u"日時,ignored\r\n"
                            u"xy,1,1,1,1\r\n"  // first field too long: second layout, "1"
                            u"\r\n"
                            u"カ,1,1\n"  // too few fields
                            u"キ,abc,2,-1");
    CharLogTable t;
    parseCharLog(text, t);
    ASSERT_EQ(t.size(), 3u);
    const CharStat& a = t.at(u'ア');
    EXPECT_EQ(a.asked, 7);
    EXPECT_EQ(a.correct, 5);
    EXPECT_EQ(a.wrong, 2);
    EXPECT_EQ(a.confusions, (std::map<char16_t, int>{{u'イ', 3}, {u'ウ', 1}}));
    EXPECT_EQ(t.at(u'1').asked, 1);
    EXPECT_EQ(t.at(u'キ').asked, 0);
    EXPECT_EQ(t.at(u'キ').wrong, -1);
}

TEST(CharLog, CommaAndQuoteCharactersSurviveRewrites) {
    TempDir dir;
    const auto file = dir / "chars.csv";
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(updateCharLog(file, u',', u'"', false));
        ASSERT_TRUE(updateCharLog(file, u'"', u',', true));
    }
    EXPECT_EQ(readAll(file), kMarkAndHeader + "\"\"\"\",3,3,0,100,\"" + u8(u"なし") +
                                 "\"\r\n\",\",3,0,3,0,\"\"\"" + ":3 \"\r\n");
    CharLogTable t;
    ASSERT_TRUE(readCharLog(file, t));
    EXPECT_EQ(t.at(u',').confusions.at(u'"'), 3);
    EXPECT_EQ(t.at(u'"').correct, 3);
}

TEST(CharLog, ControlCharactersAreNotRecorded) {
    TempDir dir;
    const auto file = dir / "chars.csv";
    ASSERT_TRUE(updateCharLog(file, u'1', u'2', false));
    EXPECT_FALSE(updateCharLog(file, u'\n', u'2', false));
    EXPECT_FALSE(updateCharLog(file, 0, u'2', false));
    CharLogTable t;
    readCharLog(file, t);
    EXPECT_EQ(t.size(), 1u);
    EXPECT_EQ(t.at(u'1').wrong, 1);  // the "1" row was not disturbed by a broken line
}

TEST(CharLog, MissingAndMarkOnlyFilesAreEmpty) {
    TempDir dir;
    CharLogTable t{{u'ア', {}}};
    EXPECT_FALSE(readCharLog(dir / "none.csv", t));
    EXPECT_TRUE(t.empty());
    writeAll(dir / "mark.csv", std::string(kUtf8Mark));
    EXPECT_FALSE(readCharLog(dir / "mark.csv", t));
    EXPECT_TRUE(t.empty());
}

TEST(CharLog, AFileThatCannotBeReadIsNotReplaced) {
    TempDir dir;
    const auto file = dir / "chars.csv";
    ASSERT_TRUE(updateCharLog(file, u'ア', u'イ', false));
    const std::string before = readAll(file);
    // A directory in its place stands for a file that exists but cannot be read.
    const auto blocked = dir / "blocked.csv";
    std::filesystem::create_directory(blocked);
    EXPECT_FALSE(updateCharLog(blocked, u'ア', u'イ', false));
    EXPECT_TRUE(std::filesystem::is_directory(blocked));
    EXPECT_EQ(readAll(file), before);
    // Nothing is left behind beside the files.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 2);
}

}  // namespace
}  // namespace quorvel
