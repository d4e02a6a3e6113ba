#include <gtest/gtest.h>

#include "practice/scoring_text.h"

namespace quorvel {
namespace {

struct Row {
    int rate;
    std::u16string_view grade;
    std::u16string_view message;
    Rgb colour;
};

TEST(ClassifyResult, EveryCutPointOfTheThreeScales) {
    const Rgb green{0, 150, 95}, blue{35, 115, 210}, purple{150, 85, 200}, orange{235, 135, 20},
        red{215, 55, 65};
    const std::u16string_view great = u"すばらしい受信です", good = u"とても良い成績です",
                              steady = u"着実に力がついています",
                              calm = u"次の電報も落ち着いて受信しましょう",
                              retry = u"誤答を確認してもう一度挑戦しましょう";
    const Row rows[] = {
        {100, u"S", great, green},  {95, u"S", great, green},   {94, u"A", good, green},
        {90, u"A", good, green},    {89, u"A", good, blue},     {85, u"A", good, blue},
        {84, u"B", good, blue},     {80, u"B", good, blue},     {79, u"B", steady, blue},
        {75, u"B", steady, blue},   {74, u"B", steady, purple}, {70, u"B", steady, purple},
        {69, u"C", steady, purple}, {60, u"C", steady, purple}, {59, u"C", calm, orange},
        {50, u"C", calm, orange},   {49, u"D", calm, orange},   {40, u"D", calm, orange},
        {39, u"D", retry, red},     {0, u"D", retry, red},
    };
    for (const Row& r : rows) {
        const ResultClass c = classifyResult(r.rate);
        EXPECT_EQ(c.grade, r.grade) << r.rate;
        EXPECT_EQ(c.message, r.message) << r.rate;
        EXPECT_EQ(c.colour, r.colour) << r.rate;
    }
}

TEST(RatePercent, TruncatesAndNeverDividesByZero) {
    EXPECT_EQ(ratePercent(2, 3), 66);
    EXPECT_EQ(ratePercent(0, 0), 0);
    EXPECT_EQ(ratePercent(5, -1), 0);
    EXPECT_EQ(ratePercent(2000000000, 2000000000), 100);
}

}  // namespace
}  // namespace quorvel
