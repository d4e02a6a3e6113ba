#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "audio/sdl/sdl_audio_device.h"
#include "keying/shared_flags.h"
#include "storage/settings.h"
#include "tests/support/temp_dir.h"

namespace quorvel {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

fs::path scratchDir(const std::string& name) {
    return test::scratchDir("audio_sdl", name);
}

// SDL reads its driver choice when the audio subsystem starts, i.e. in the device's
// constructor; every test sets it first.
void useDriver(const char* driver, const fs::path& diskFile = {}) {
    setenv("SDL_AUDIODRIVER", driver, 1);
    if (!diskFile.empty())
        setenv("SDL_DISKAUDIOFILE", diskFile.c_str(), 1);
}

std::vector<float> readFloats(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::vector<float> v;
    float x;
    while (in.read(reinterpret_cast<char*>(&x), sizeof x))
        v.push_back(x);
    return v;
}

TEST(SdlAudioDevice, KeyedToneReachesTheDeviceOnEveryChannelBetweenSilences) {
    const fs::path file = scratchDir("tone") / "device.raw";
    useDriver("disk", file);
    PracticeSettings settings;
    settings.Freq.store(600);
    SharedFlags flags;
    AudioState audio;
    int rate = 0;
    int channels = 0;
    {
        SdlAudioDevice device(settings, flags, audio);
        ASSERT_TRUE(device.isOpen());
        rate = device.sampleRate();
        channels = device.channels();
        std::this_thread::sleep_for(80ms);
        flags.ToneKeyDown.store(1);
        std::this_thread::sleep_for(100ms);
        flags.ToneKeyDown.store(0);
        std::this_thread::sleep_for(120ms);
    }
    ASSERT_GT(rate, 0);
    ASSERT_GT(channels, 0);
    const auto raw = readFloats(file);
    const auto ch = static_cast<std::size_t>(channels);
    const std::size_t frames = raw.size() / ch;
    ASSERT_GT(frames, static_cast<std::size_t>(rate) / 5) << "the device hardly ran";

    std::vector<float> mono(frames);
    for (std::size_t f = 0; f < frames; ++f) {
        for (std::size_t c = 1; c < ch; ++c)
            ASSERT_EQ(raw[f * ch + c], raw[f * ch]) << "frame " << f << " channel " << c;
        mono[f] = raw[f * ch];
    }

    std::size_t first = frames, last = 0;
    for (std::size_t f = 0; f < frames; ++f) {
        if (std::fabs(mono[f]) > 0.001f) {
            first = std::min(first, f);
            last = f;
        }
    }
    ASSERT_LT(first, frames) << "no tone in the device output";
    const double msPerFrame = 1000.0 / rate;
    EXPECT_GT(static_cast<double>(first) * msPerFrame, 30.0) << "no silence before the tone";
    EXPECT_GT(static_cast<double>(frames - 1 - last) * msPerFrame, 30.0)
        << "no silence after the tone";
    const double toneMs = static_cast<double>(last - first) * msPerFrame;
    EXPECT_GT(toneMs, 60.0);
    EXPECT_LT(toneMs, 200.0);

    // Pitch from the rising zero crossings inside the tone.
    std::size_t crossings = 0, firstCrossing = 0, lastCrossing = 0;
    for (std::size_t f = first + 1; f <= last; ++f) {
        if (mono[f - 1] < 0 && mono[f] >= 0) {
            if (crossings++ == 0)
                firstCrossing = f;
            lastCrossing = f;
        }
    }
    ASSERT_GT(crossings, 10u);
    const double hz = static_cast<double>(crossings - 1) * rate /
                      static_cast<double>(lastCrossing - firstCrossing);
    EXPECT_NEAR(hz, 600.0, 3.0);
    EXPECT_NEAR(*std::max_element(mono.begin(), mono.end()), 0.3f, 0.01f);
}

TEST(SdlAudioDevice, StartsWithASilentBuffer) {
    const fs::path file = scratchDir("preroll") / "device.raw";
    useDriver("disk", file);
    PracticeSettings settings;
    SharedFlags flags;
    AudioState audio;
    flags.ToneKeyDown.store(1);  // a key already down when the device opens
    std::size_t silentFrames = 0;
    std::size_t channels = 0;
    {
        SdlAudioDevice device(settings, flags, audio);
        ASSERT_TRUE(device.isOpen());
        silentFrames = static_cast<std::size_t>(device.bufferFrames());
        channels = static_cast<std::size_t>(device.channels());
        std::this_thread::sleep_for(60ms);
    }
    const auto raw = readFloats(file);
    std::size_t first = 0;
    while (first * channels < raw.size() && raw[first * channels] == 0.0f)
        ++first;
    ASSERT_LT(first * channels, raw.size()) << "the key never sounded";
    // SDL may add silence of its own while the device is still paused; never less than the
    // one buffer, and the tone then rises from nothing along the envelope.
    EXPECT_GT(first, silentFrames);
    for (std::size_t k = 0; k < 50 && (first + k) * channels < raw.size(); ++k)
        ASSERT_LE(std::fabs(raw[(first + k) * channels]),
                  0.3f * 0.02f * static_cast<float>(k + 2) + 1e-6f)
            << "frame " << k << " of the tone";
}

TEST(SdlAudioDevice, WithoutAUsableDriverTheProgramGoesOnSilently) {
    useDriver("no-such-driver");
    PracticeSettings settings;
    SharedFlags flags;
    AudioState audio;
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    {
        SdlAudioDevice device(settings, flags, audio);
        EXPECT_FALSE(device.isOpen());
        EXPECT_EQ(device.sampleRate(), 0);
        EXPECT_EQ(device.channels(), 0);
        flags.ToneKeyDown.store(1);  // keying goes on as if nothing happened
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    // A later attempt with a working driver still opens.
    useDriver("disk", scratchDir("after") / "device.raw");
    SdlAudioDevice again(settings, flags, audio);
    EXPECT_TRUE(again.isOpen());
}

TEST(SdlAudioDevice, ClosingWhileRenderingStopsTheCallbackFirst) {
    const fs::path dir = scratchDir("churn");
    PracticeSettings settings;
    SharedFlags flags;
    AudioState audio;
    startBandEffects(flags);
    settings.BandQRN.store(1);
    settings.BandEcho.store(1);
    for (int i = 0; i < 10; ++i) {
        useDriver("disk", dir / ("device" + std::to_string(i) + ".raw"));
        SdlAudioDevice device(settings, flags, audio);
        ASSERT_TRUE(device.isOpen());
        flags.ToneKeyDown.store(i % 2);
        std::this_thread::sleep_for(std::chrono::milliseconds(i));
    }
    // No crash and, under the sanitizers, no race: the device leaves the flag to the keying
    // thread, its only writer.
}

}  // namespace
}  // namespace quorvel
