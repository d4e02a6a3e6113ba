// Cost of rendering the practice tone at 48 kHz, per frame and as a share of the real-time
// budget of one frame (20.8 µs), for each timbre and each band effect.
#include <benchmark/benchmark.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <utility>
#include <vector>

#include "audio/renderer.h"
#include "keying/shared_flags.h"
#include "storage/settings.h"

namespace {

using quorvel::PracticeSettings;

constexpr int kRate = 48000;
constexpr std::size_t kBufferFrames = 256;  // the sound device's buffer
constexpr double kBudgetPerFrame = 1.0 / kRate;

using Setting = std::atomic<int> PracticeSettings::*;
const std::array<std::pair<const char*, Setting>, 20> kEffects = {{
    {"QRN", &PracticeSettings::BandQRN},
    {"QRM", &PracticeSettings::BandQRM},
    {"QSB", &PracticeSettings::BandQSB},
    {"Flutter", &PracticeSettings::BandFlutter},
    {"Lids", &PracticeSettings::BandLids},
    {"Chirp", &PracticeSettings::BandChirp},
    {"AGC", &PracticeSettings::BandAGC},
    {"IFFilter", &PracticeSettings::BandIFFilter},
    {"PitchDrift", &PracticeSettings::BandPitchDrift},
    {"Echo", &PracticeSettings::BandEcho},
    {"Multipath", &PracticeSettings::BandMultipath},
    {"Lightning", &PracticeSettings::BandLightning},
    {"Adjacent", &PracticeSettings::BandAdjacent},
    {"Split", &PracticeSettings::BandSplit},
    {"Atmospheric", &PracticeSettings::BandAtmospheric},
    {"Hum", &PracticeSettings::BandHum},
    {"Ignition", &PracticeSettings::BandIgnition},
    {"AgcPump", &PracticeSettings::BandAgcPump},
    {"Ringing", &PracticeSettings::BandRinging},
    {"Overload", &PracticeSettings::BandOverload},
}};

// Renders 256-frame buffers with the key down and the tick advancing as on a device.
void run(benchmark::State& state, PracticeSettings& settings, bool bandActive) {
    quorvel::SharedFlags flags;
    quorvel::AudioState audio;
    flags.ToneKeyDown.store(1);
    flags.BandEffectsActive.store(bandActive ? 1 : 0);
    quorvel::Renderer renderer(settings, flags, audio, kRate, 1);
    std::vector<float> buffer(kBufferFrames);
    std::uint32_t tick = 1000;
    renderer.render(tick, buffer.data(), kBufferFrames);
    for (auto _ : state) {
        tick += 5;
        renderer.render(tick, buffer.data(), kBufferFrames);
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    const double frames = static_cast<double>(state.iterations()) * kBufferFrames;
    using C = benchmark::Counter;
    state.counters["ns_per_frame"] = C(frames * 1e-9, C::kIsRate | C::kInvert);
    state.counters["budget_pct"] = C(frames * kBudgetPerFrame / 100.0, C::kIsRate | C::kInvert);
}

void Clean(benchmark::State& state) {
    PracticeSettings settings;
    run(state, settings, false);
}
BENCHMARK(Clean);

void Timbre(benchmark::State& state) {
    PracticeSettings settings;
    settings.SoundType.store(static_cast<int>(state.range(0)));
    run(state, settings, false);
}
BENCHMARK(Timbre)->DenseRange(0, 5);

void Effect(benchmark::State& state) {
    PracticeSettings settings;
    const auto& [name, setting] = kEffects[static_cast<std::size_t>(state.range(0))];
    state.SetLabel(name);
    (settings.*setting).store(1);
    settings.BandActivity.store(5);
    run(state, settings, true);
}
BENCHMARK(Effect)->DenseRange(0, static_cast<int>(kEffects.size()) - 1);

void ChainOnNoEffect(benchmark::State& state) {
    PracticeSettings settings;
    settings.BandActivity.store(5);
    run(state, settings, true);
}
BENCHMARK(ChainOnNoEffect);

void AllEffects(benchmark::State& state) {
    PracticeSettings settings;
    settings.SoundType.store(static_cast<int>(state.range(0)));
    for (const auto& effect : kEffects)
        (settings.*effect.second).store(1);
    settings.BandActivity.store(5);
    settings.BandNoiseLevel.store(100);
    run(state, settings, true);
}
BENCHMARK(AllEffects)->Arg(0)->Arg(4);

// The noise hash takes the oscillator phase, which grows for the life of the program; the
// sine's argument reduction costs more once the phase is large.
void HashNoiseAtPhase(benchmark::State& state) {
    double x = static_cast<double>(state.range(0));
    float sum = 0;
    std::uint32_t k = 0;
    for (auto _ : state) {
        sum += quorvel::HashNoise(++k, x);
        x += 0.1;
    }
    benchmark::DoNotOptimize(sum);
}
// Phase after 1 s, 1 h and 1 day of an 800 Hz tone.
BENCHMARK(HashNoiseAtPhase)->Arg(5027)->Arg(18095574)->Arg(434293769);

}  // namespace
