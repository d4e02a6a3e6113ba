// Keys a fixed telegram in real time through the sound device (SDL's disk driver) and prints
// how far its element and gap lengths stray from the simulated run of the same telegram, and
// how long a contact takes to reach the device as sound.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "audio/sdl/sdl_audio_device.h"
#include "audio/tone_bursts.h"
#include "engine/simulated_run.h"
#include "engine/trainer.h"

namespace {

using namespace quorvel;
using namespace std::chrono_literals;

const TelegramRecord kTelegram{u"一", u"ア", u"二", u"コ一、二", u"イ」", u"アイウエオカキ」"};

void prepare(Trainer& t, int wpm) {
    t.settings().WPM = wpm;
    t.document().installSet({kTelegram}, false);
}

ToneTimeline simulated(int wpm, int rate) {
    Trainer t;
    prepare(t, wpm);
    SimulatedRun run(t, nullptr, rate, 1);
    std::vector<float> audio;
    run.setAudioSink([&](const float* s, std::size_t n) { audio.insert(audio.end(), s, s + n); });
    run.receive(300);
    return toneTimeline(audio.data(), audio.size(), 1, rate);
}

// What the audio thread saw: each buffer's callback time and whether it carried sound.
struct BufferLog {
    static constexpr std::size_t kCapacity = 1 << 20;
    std::vector<std::int64_t> at = std::vector<std::int64_t>(kCapacity);
    std::vector<char> sounding = std::vector<char>(kCapacity);
    std::atomic<std::size_t> count{0};

    static void observe(void* self, const float* samples, int frames, int channels,
                        std::int64_t us) {
        auto& log = *static_cast<BufferLog*>(self);
        const std::size_t i = log.count.load(std::memory_order_relaxed);
        if (i >= kCapacity)
            return;
        bool loud = false;
        for (int f = 0; f < frames && !loud; ++f)
            loud = samples[f * channels] != 0.0f;
        log.at[i] = us;
        log.sounding[i] = loud ? 1 : 0;
        log.count.store(i + 1, std::memory_order_release);
    }
};

struct Stats {
    double mean = 0, worst = 0;
};

Stats deviation(const std::vector<double>& got, const std::vector<double>& want) {
    Stats s;
    const std::size_t n = std::min(got.size(), want.size());
    for (std::size_t i = 0; i < n; ++i) {
        const double d = std::fabs(got[i] - want[i]);
        s.mean += d;
        s.worst = std::max(s.worst, d);
    }
    if (n > 0)
        s.mean /= static_cast<double>(n);
    return s;
}

double percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

int runOnce(int wpm, int askedFrames, const std::filesystem::path& file) {
    Trainer t;
    prepare(t, wpm);
    BufferLog log;
    std::vector<std::int64_t> closes;  // steady µs of each contact closing
    int rate = 0, channels = 0, frames = 0;
    {
        SdlAudioDevice device(t.settings(), t.flags(), t.audio(), askedFrames);
        if (!device.isOpen()) {
            std::fprintf(stderr, "no sound device (set SDL_AUDIODRIVER=disk)\n");
            return 1;
        }
        rate = device.sampleRate();
        channels = device.channels();
        frames = device.bufferFrames();
        device.setBufferObserver(&BufferLog::observe, &log);
        std::atomic<bool> watching{true};
        std::thread watcher([&] {
            bool closed = false;
            while (watching.load(std::memory_order_relaxed)) {
                const bool now = t.flags().dotClosed() || t.flags().dashClosed();
                if (now && !closed)
                    closes.push_back(steadyMicroseconds());
                closed = now;
                std::this_thread::sleep_for(50us);
            }
        });
        t.startThreads();
        t.rxStart();
        const auto deadline = std::chrono::steady_clock::now() + 120s;
        while (t.receive().running() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        std::this_thread::sleep_for(300ms);
        watching = false;
        watcher.join();
        t.rxStop();
        t.shutdown();
    }
    std::ifstream in(file, std::ios::binary);
    std::vector<float> samples;
    float x;
    while (in.read(reinterpret_cast<char*>(&x), sizeof x))
        samples.push_back(x);
    const ToneTimeline real = toneTimeline(
        samples.data(), samples.size() / static_cast<std::size_t>(channels), channels, rate);
    const ToneTimeline sim = simulated(wpm, rate);
    if (std::getenv("QUORVEL_KEY_TIMING_DUMP"))  // every element and gap, for a closer look
        for (std::size_t i = 0; i < std::min(real.bursts.size(), sim.bursts.size()); ++i)
            std::printf("%3zu real %7.2f sim %7.2f  gap real %7.2f sim %7.2f\n", i, real.bursts[i],
                        sim.bursts[i], i < real.gaps.size() ? real.gaps[i] : 0.0,
                        i < sim.gaps.size() ? sim.gaps[i] : 0.0);
    const Stats elements = deviation(real.bursts, sim.bursts);
    const Stats gaps = deviation(real.gaps, sim.gaps);

    std::vector<double> latency;
    const std::size_t buffers = log.count.load(std::memory_order_acquire);
    std::size_t b = 0;
    for (std::int64_t c : closes) {
        while (b < buffers && (log.at[b] < c || !log.sounding[b]))
            ++b;
        if (b < buffers)
            latency.push_back(static_cast<double>(log.at[b] - c) / 1000.0);
    }
    std::printf(
        "%d WPM, %d Hz, %d-frame buffers: %zu elements (simulated %zu); element deviation "
        "mean %.2f worst %.2f ms; gap deviation mean %.2f worst %.2f ms; key to sound "
        "median %.2f p95 %.2f worst %.2f ms\n",
        wpm, rate, frames, real.bursts.size(), sim.bursts.size(), elements.mean, elements.worst,
        gaps.mean, gaps.worst, percentile(latency, 0.5), percentile(latency, 0.95),
        percentile(latency, 1.0));
    return real.bursts.size() == sim.bursts.size() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const int wpm = argc > 1 ? std::atoi(argv[1]) : 40;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 1;
    const int frames = argc > 3 ? std::atoi(argv[3]) : 0;  // 0: the program's own choice
    // In memory where the system has it: the disk driver's writes to a real disk stall its
    // thread now and then for tens of milliseconds, which says nothing about the program.
    std::error_code ec;
    const std::filesystem::path shm = "/dev/shm";
    const auto dir =
        std::filesystem::is_directory(shm, ec) ? shm : std::filesystem::temp_directory_path();
    const auto file = dir / "quorvel-key-timing.raw";
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    if (!std::getenv("SDL_AUDIODRIVER"))
        setenv("SDL_AUDIODRIVER", "disk", 1);
    int status = 0;
    for (int i = 0; i < runs; ++i)
        status |= runOnce(wpm, frames, file);
    std::filesystem::remove(file);
    return status;
}
