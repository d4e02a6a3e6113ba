#include "morse/slider_labels.h"

#include <algorithm>
#include <array>
#include <string>

namespace quorvel {
namespace {

struct Scale {
    const char16_t* caption;
    std::array<const char16_t*, 5> words;  // the middle word is always "標準"
};

const Scale& scaleOf(ToleranceSlider slider) {
    static const std::array<Scale, 5> kScales = {{
        {u"判定しやすさ", {u"厳密", u"やや厳密", u"標準", u"やや容易", u"容易"}},
        {u"打鍵の甘さ", {u"鋭い", u"やや鋭い", u"標準", u"やや甘い", u"甘い"}},
        {u"符号長許容度", {u"厳密", u"やや厳密", u"標準", u"やや許容", u"許容"}},
        {u"文字速度許容度", {u"厳密", u"やや厳密", u"標準", u"広い", u"最大"}},
        {u"総合判定度", {u"難しい", u"やや難しい", u"標準", u"やや易しい", u"易しい"}},
    }};
    return kScales[static_cast<std::size_t>(slider)];
}

std::size_t wordIndex(int value) {
    if (value <= 20)
        return 0;
    if (value <= 40)
        return 1;
    if (value <= 59)
        return 2;
    if (value <= 79)
        return 3;
    return 4;
}

std::u16string decimal(int v) {
    std::u16string out;
    for (char ch : std::to_string(v))
        out.push_back(static_cast<char16_t>(ch));
    return out;
}

}  // namespace

std::u16string toleranceLabel(ToleranceSlider slider, int value) {
    const Scale& scale = scaleOf(slider);
    const int v = std::clamp(value, 0, 100);
    return std::u16string(scale.caption) + u" " + decimal(v) + u" " + scale.words[wordIndex(v)];
}

std::u16string speedLabel(int wpm) {
    return u"速度 " + decimal(wpm) + u" WPM";
}

std::u16string frequencyLabel(int hertz) {
    return u"周波数 " + decimal(hertz) + u" Hz";
}

SliderLabels sliderLabels(const SliderValues& values) {
    SliderLabels labels;
    labels.speed = speedLabel(values.WPM);
    labels.frequency = frequencyLabel(values.Freq);
    labels.judgeEase = toleranceLabel(ToleranceSlider::JudgeEase, values.JudgeEase);
    labels.elementTolerance =
        toleranceLabel(ToleranceSlider::ElementTolerance, values.ElementTolerance);
    labels.keySoftness = toleranceLabel(ToleranceSlider::KeySoftness, values.KeySoftness);
    labels.charSpeedTolerance =
        toleranceLabel(ToleranceSlider::CharSpeedTolerance, values.CharSpeedTolerance);
    labels.totalEase = toleranceLabel(ToleranceSlider::TotalEase, values.TotalEase);
    return labels;
}

}  // namespace quorvel
