#include "storage/csv.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

using Fields = std::vector<std::u16string>;

TEST(CsvSplit, QuotesCommasAndTheLastField) {
    EXPECT_EQ(splitCsvLine(u""), Fields{u""});
    EXPECT_EQ(splitCsvLine(u"a,b,"), (Fields{u"a", u"b", u""}));
    EXPECT_EQ(splitCsvLine(u"ア,\"x,y\",3"), (Fields{u"ア", u"x,y", u"3"}));
    EXPECT_EQ(splitCsvLine(u"\"say \"\"hi\"\"\",1"), (Fields{u"say \"hi\"", u"1"}));
    // A quoted comma and a quoted quote as whole fields (the character log's first column).
    EXPECT_EQ(splitCsvLine(u"\",\",1,1,0"), (Fields{u",", u"1", u"1", u"0"}));
    EXPECT_EQ(splitCsvLine(u"\"\"\"\",2"), (Fields{u"\"", u"2"}));
    // An unterminated quote swallows the rest of the line instead of failing.
    EXPECT_EQ(splitCsvLine(u"a,\"b,c"), (Fields{u"a", u"b,c"}));
}

TEST(CsvSplit, Utf8FormMatchesAndReusesItsVector) {
    std::vector<std::string> f{"old", "old", "old", "old", "old"};
    splitCsvLine(std::string_view("x,\"a\"\"b\",,"), f);
    EXPECT_EQ(f, (std::vector<std::string>{"x", "a\"b", "", ""}));
}

TEST(CsvText, QuotesDoublesAndKeepsRowsOnOneLine) {
    EXPECT_EQ(csvText(u"ア→イ "), u"\"ア→イ \"");
    EXPECT_EQ(csvText(u"\"→ア "), u"\"\"\"→ア \"");
    EXPECT_EQ(csvText(u"a\r\nb"), u"\"a  b\"");
    // Round trip of a text holding quotes and commas.
    const std::u16string pairs = u"\"→, ア→\" ";
    EXPECT_EQ(splitCsvLine(u"1," + csvText(pairs) + u",2"), (Fields{u"1", pairs, u"2"}));
}

TEST(CsvNumbers, IntegerFieldsReadLikeTheirLeadingNumber) {
    EXPECT_EQ(csvInt(u"42"), 42);
    EXPECT_EQ(csvInt(u"  -7"), -7);
    EXPECT_EQ(csvInt(u"+3x"), 3);
    EXPECT_EQ(csvInt(u"x3"), 0);
    EXPECT_EQ(csvInt(u""), 0);
    EXPECT_EQ(csvInt(u"-"), 0);
    EXPECT_EQ(csvInt(std::string_view("99999999999999")), 2147483647);
    EXPECT_EQ(csvInt(std::string_view("-99999999999999")), -2147483647 - 1);
}

TEST(CsvNumbers, Durations) {
    EXPECT_EQ(parseDuration(u"01:02:03"), 3723);
    EXPECT_EQ(parseDuration(u"05:30"), 330);
    EXPECT_EQ(parseDuration(u"125:07"), 125 * 60 + 7);
    EXPECT_EQ(parseDuration(u"90"), 90);
    EXPECT_EQ(parseDuration(u"3:"), 3);  // "m:" is not a complete pair
    EXPECT_EQ(parseDuration(u"abc"), 0);
    EXPECT_EQ(parseDuration(std::string_view("999999999:00:00")), 2147483647);
}

TEST(CsvDates, DayNumbersCountFrom1601AndRejectInvalidDates) {
    EXPECT_EQ(dayNumber(1601, 1, 1), 0);
    EXPECT_EQ(dayNumber(1601, 1, 2), 1);
    EXPECT_EQ(dayNumber(1970, 1, 1), 134774);
    EXPECT_EQ(dayNumber(2024, 3, 1) - dayNumber(2024, 2, 28), 2);  // leap year
    EXPECT_EQ(dayNumber(2023, 3, 1) - dayNumber(2023, 2, 28), 1);
    EXPECT_EQ(dayNumber(2000, 2, 29) - dayNumber(1999, 12, 31), 60);
    EXPECT_EQ(dayNumber(2023, 2, 29), 0);
    EXPECT_EQ(dayNumber(1900, 2, 29), 0);
    EXPECT_EQ(dayNumber(2024, 13, 1), 0);
    EXPECT_EQ(dayNumber(2024, 4, 31), 0);
    EXPECT_EQ(dayNumber(1600, 12, 31), 0);
    EXPECT_EQ(dayNumber(2024, 1, 0), 0);
}

TEST(CsvDates, ScanReadsTheLeadingDate) {
    int y = 0, m = 0, d = 0;
    EXPECT_EQ(scanDate("2024/05/06 07:08:09,1", y, m, d), 3);
    EXPECT_EQ(y * 10000 + m * 100 + d, 20240506);
    EXPECT_EQ(scanDate("2024/5", y, m, d), 2);
    EXPECT_EQ(scanDate("日時,CPM", y, m, d), 0);
}

TEST(Confusions, ParseTheListFormsTheLogsHold) {
    std::map<char16_t, int> c;
    parseConfusions(u"ア:2 イ：3、ウ", c);
    EXPECT_EQ(c, (std::map<char16_t, int>{{u'ア', 2}, {u'イ', 3}, {u'ウ', 1}}));

    std::map<char16_t, int> none;
    parseConfusions(u"なし", none);
    parseConfusions(u"", none);
    parseConfusions(u"  、 ", none);
    parseConfusions(u"無し なし、", none);
    EXPECT_TRUE(none.empty());

    // Counts add to what is there; zero and missing numbers count once.
    std::map<char16_t, int> sum{{u'カ', 1}};
    parseConfusions(u"カ:4 キ:0 ク:", sum);
    EXPECT_EQ(sum, (std::map<char16_t, int>{{u'カ', 5}, {u'キ', 1}, {u'ク', 1}}));
}

TEST(Confusions, SeparatorCharactersThatWereKeyedReadBack) {
    const std::map<char16_t, int> keyed{{u',', 2}, {u':', 1},  {u'、', 3},
                                        {u'A', 4}, {u'な', 5}, {u'無', 6}};
    const std::u16string text = formatConfusions(keyed);
    EXPECT_EQ(text, u",:2 ::1 A:4 、:3 な:5 無:6 ");
    std::map<char16_t, int> back;
    parseConfusions(text, back);
    EXPECT_EQ(back, keyed);
    EXPECT_EQ(formatConfusions({}), u"なし");
}

}  // namespace
}  // namespace quorvel
