// Caption texts of the speed, frequency and keying-tolerance sliders.
#pragma once

#include <string>

namespace quorvel {

enum class ToleranceSlider {
    JudgeEase,
    KeySoftness,
    ElementTolerance,
    CharSpeedTolerance,
    TotalEase
};

// "判定しやすさ 50 標準" and the like: the caption, the value (clamped to 0..100) and the word
// of its fifth of the scale.
std::u16string toleranceLabel(ToleranceSlider slider, int value);
std::u16string speedLabel(int wpm);        // "速度 %d WPM"
std::u16string frequencyLabel(int hertz);  // "周波数 %d Hz"

// All seven captions, rewritten together whenever any of their settings changes.
struct SliderLabels {
    std::u16string speed;
    std::u16string frequency;
    std::u16string judgeEase;
    std::u16string elementTolerance;
    std::u16string keySoftness;
    std::u16string charSpeedTolerance;
    std::u16string totalEase;
};

struct SliderValues {
    int WPM = 15;
    int Freq = 800;
    int JudgeEase = 50;
    int ElementTolerance = 50;
    int KeySoftness = 50;
    int CharSpeedTolerance = 50;
    int TotalEase = 50;
};

SliderLabels sliderLabels(const SliderValues& values);

}  // namespace quorvel
