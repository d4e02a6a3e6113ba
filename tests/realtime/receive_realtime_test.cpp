#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <thread>
#include <vector>

#include "audio/sdl/sdl_audio_device.h"
#include "engine/trainer.h"
#include "morse/code_tables.h"
#include "tests/support/recording_view.h"
#include "tests/support/temp_dir.h"

namespace quorvel {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

fs::path scratchDir(const std::string& name) {
    return test::scratchDir("realtime", name);
}

// Lengths in ms of the tone bursts in interleaved float audio (first channel), a burst being a
// run of 1 ms windows whose peak passes a tenth of the loudest sample.
std::vector<double> burstLengths(const std::vector<float>& samples, int rate, int channels) {
    const auto frames = samples.size() / static_cast<std::size_t>(channels);
    float loudest = 0;
    for (float s : samples)
        loudest = std::max(loudest, std::fabs(s));
    std::vector<double> bursts;
    std::size_t start = 0;
    bool on = false;
    const auto window = static_cast<std::size_t>(rate / 1000);
    for (std::size_t f = 0; f + window <= frames; f += window) {
        float peak = 0;
        for (std::size_t i = f; i < f + window; ++i)
            peak = std::max(peak, std::fabs(samples[i * static_cast<std::size_t>(channels)]));
        const bool loud = peak > loudest / 10;
        if (loud && !on)
            start = f;
        if (!loud && on)
            bursts.push_back(1000.0 * static_cast<double>(f - start) / rate);
        on = loud;
    }
    return bursts;
}

// A short Japanese telegram played at 40 WPM through the real threads and the SDL device (its
// disk driver): the reception is right, and the tones in the device's output have the keyed
// lengths.
TEST(RealTimeReceive, PlaysThroughThreadsAndDeviceWithTheRightReception) {
    const fs::path audioFile = scratchDir("receive") / "device.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", audioFile.c_str(), 1);

    test::RecordingView view;
    Trainer trainer;
    trainer.setView(&view);
    trainer.settings().WPM = 40;
    trainer.document().installSet({{u"一", u"ア", u"二", u"コ一、二", u"イ」", u"アイウ」"}},
                                  false);
    int rate = 0;
    int channels = 0;
    {
        SdlAudioDevice device(trainer.settings(), trainer.flags(), trainer.audio());
        ASSERT_TRUE(device.isOpen());
        rate = device.sampleRate();
        channels = device.channels();
        ASSERT_TRUE(trainer.startThreads());
        trainer.rxStart();
        const auto deadline = std::chrono::steady_clock::now() + 60s;
        while (trainer.receive().running() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        ASSERT_FALSE(trainer.receive().running());
        // The end signal is decoded a character gap after the playback let go of it.
        while (!trainer.document().telegramFinished() &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        trainer.rxStop();
        trainer.shutdown();
    }
    TelegramDocument& doc = trainer.document();
    EXPECT_TRUE(doc.telegramFinished());
    const TelegramRecord r = doc.record(0);
    const TelegramProgress p = doc.savedProgress(0);
    for (int s = 0; s < kSectionCount; ++s)
        EXPECT_EQ(p.sections[static_cast<std::size_t>(s)].enteredText,
                  toPracticeForm(r.field(s), false))
            << "section " << s;

    std::ifstream in(audioFile, std::ios::binary);
    std::vector<float> samples;
    float x;
    while (in.read(reinterpret_cast<char*>(&x), sizeof x))
        samples.push_back(x);
    const std::vector<double> bursts = burstLengths(samples, rate, channels);
    ASSERT_FALSE(bursts.empty());
    // Nominal: a dot 30 ms, a dash 90 ms; split at 60 ms.
    double sum[2] = {0, 0}, worst = 0;
    int count[2] = {0, 0};
    for (double b : bursts) {
        const int dash = b < 60 ? 0 : 1;
        const double deviation = b - (dash ? 90 : 30);
        sum[dash] += deviation;
        ++count[dash];
        worst = std::max(worst, std::fabs(deviation));
    }
    std::cout << "tone bursts at " << rate << " Hz: " << count[0] << " dots, mean deviation "
              << sum[0] / count[0] << " ms; " << count[1] << " dashes, mean deviation "
              << sum[1] / count[1] << " ms; worst " << worst << " ms\n";
    // Every keyed element reaches the device as one tone: none lost, none merged.
    std::size_t elements = std::string(kSignalVE).size();
    for (int f = 0; f < kSectionCount; ++f) {
        for (char16_t c : toPracticeForm(r.field(f), false)) {
            auto code = f == FilingTime ? cutNumeralCode(c) : std::nullopt;
            if (!code)
                code = codeFor(c, false);
            elements += code ? code->size() : 0;
        }
    }
    EXPECT_EQ(bursts.size(), elements);
}

}  // namespace
}  // namespace quorvel
