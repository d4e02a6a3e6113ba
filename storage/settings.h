// The settings record: one atomic integer per key of telegram_practice.ini, plus the
// check-box options that are not saved.
#pragma once

#include <atomic>

namespace quorvel {

// Read by the audio, keying and playback threads as they run, so every value is atomic
// (relaxed: each value stands alone).
struct PracticeSettings {
    std::atomic<int> WPM{15};
    std::atomic<int> Freq{800};
    std::atomic<int> JudgeEase{50};
    std::atomic<int> ElementTolerance{50};
    std::atomic<int> KeySoftness{50};
    std::atomic<int> CharSpeedTolerance{50};
    std::atomic<int> TotalEase{50};
    std::atomic<int> ShowNextHint{1};
    std::atomic<int> AutoSpeedAdjust{0};
    std::atomic<int> Lang{1};
    std::atomic<int> Mode{0};
    std::atomic<int> Auto{0};
    std::atomic<int> KeyKeyer{0};
    std::atomic<int> SoundType{0};
    std::atomic<int> LearningLevel{0};
    std::atomic<int> AutoDifficulty{1};
    std::atomic<int> WeakTelegram{0};
    std::atomic<int> RandomCategory{0};
    std::atomic<int> BandQRN{0};
    std::atomic<int> BandQRM{0};
    std::atomic<int> BandQSB{0};
    std::atomic<int> BandFlutter{0};
    std::atomic<int> BandLids{0};
    std::atomic<int> BandChirp{0};
    std::atomic<int> BandUnevenLength{0};
    std::atomic<int> BandActivity{3};
    std::atomic<int> BandNoiseLevel{30};
    std::atomic<int> BandFilterWidth{1};
    std::atomic<int> BandAGC{0};
    std::atomic<int> BandIFFilter{0};
    std::atomic<int> BandPitchDrift{0};
    std::atomic<int> BandEcho{0};
    std::atomic<int> BandMultipath{0};
    std::atomic<int> BandLightning{0};
    std::atomic<int> BandAdjacent{0};
    std::atomic<int> BandSplit{0};
    std::atomic<int> BandAtmospheric{0};
    std::atomic<int> BandHum{0};
    std::atomic<int> BandIgnition{0};
    std::atomic<int> BandAgcPump{0};
    std::atomic<int> BandRinging{0};
    std::atomic<int> BandOverload{0};
    std::atomic<int> ComIndex{0};
    std::atomic<int> PaperZoom1000{1000};
    std::atomic<int> PaperOffsetX{0};
    std::atomic<int> PaperOffsetY{0};
    std::atomic<int> FirstRun{1};

    // Check boxes that are not saved.
    std::atomic<int> goOnAfterMistakes{0};  // "間違っても先へ進む"
    std::atomic<int> secondGeneration{1};   // "第2世代ランダム", on at every start

    static int get(const std::atomic<int>& v) { return v.load(std::memory_order_relaxed); }
    static void set(std::atomic<int>& v, int x) { v.store(x, std::memory_order_relaxed); }
};

}  // namespace quorvel
