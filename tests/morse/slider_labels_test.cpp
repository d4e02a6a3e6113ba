#include <gtest/gtest.h>

#include "morse/slider_labels.h"

namespace quorvel {
namespace {

TEST(SliderLabelsTest, WordBoundaries) {
    using S = ToleranceSlider;
    EXPECT_EQ(toleranceLabel(S::JudgeEase, 20), u"判定しやすさ 20 厳密");
    EXPECT_EQ(toleranceLabel(S::JudgeEase, 21), u"判定しやすさ 21 やや厳密");
    EXPECT_EQ(toleranceLabel(S::JudgeEase, 40), u"判定しやすさ 40 やや厳密");
    EXPECT_EQ(toleranceLabel(S::JudgeEase, 41), u"判定しやすさ 41 標準");
    EXPECT_EQ(toleranceLabel(S::JudgeEase, 59), u"判定しやすさ 59 標準");
    EXPECT_EQ(toleranceLabel(S::JudgeEase, 60), u"判定しやすさ 60 やや容易");
    EXPECT_EQ(toleranceLabel(S::JudgeEase, 79), u"判定しやすさ 79 やや容易");
    EXPECT_EQ(toleranceLabel(S::JudgeEase, 80), u"判定しやすさ 80 容易");
    EXPECT_EQ(toleranceLabel(S::JudgeEase, 130), u"判定しやすさ 100 容易");
    EXPECT_EQ(toleranceLabel(S::KeySoftness, 0), u"打鍵の甘さ 0 鋭い");
    EXPECT_EQ(toleranceLabel(S::ElementTolerance, 70), u"符号長許容度 70 やや許容");
    EXPECT_EQ(toleranceLabel(S::CharSpeedTolerance, 90), u"文字速度許容度 90 最大");
    EXPECT_EQ(toleranceLabel(S::TotalEase, 30), u"総合判定度 30 やや難しい");
}

TEST(SliderLabelsTest, AllSevenTogether) {
    SliderValues v;
    v.WPM = 25;
    v.Freq = 650;
    v.CharSpeedTolerance = 65;
    const SliderLabels l = sliderLabels(v);
    EXPECT_EQ(l.speed, u"速度 25 WPM");
    EXPECT_EQ(l.frequency, u"周波数 650 Hz");
    EXPECT_EQ(l.charSpeedTolerance, u"文字速度許容度 65 広い");
    EXPECT_EQ(l.totalEase, u"総合判定度 50 標準");
    EXPECT_EQ(l.keySoftness, u"打鍵の甘さ 50 標準");
}

}  // namespace
}  // namespace quorvel
