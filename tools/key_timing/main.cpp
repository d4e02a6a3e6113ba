// Keys a fixed telegram in real time through the sound device (SDL's disk driver) and prints
// how far its element and gap lengths stray from the simulated run of the same telegram, and
// how long a contact takes to reach the device as sound.
//
// The disk driver has no clock of its own: it sleeps a whole number of milliseconds after each
// buffer, so it takes audio some per cent slower than real time, and the program has to drop
// that drift in the silences, which shortens gaps. Unless --driver-clock is given, the driver's
// sleep is turned off and the tool clocks it instead, taking each buffer at the absolute time a
// device running at its rate would, as a sound card does.
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
#include "keying/deadline_sleep.h"

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

// A sound card's clock for a driver that has none: the audio thread is held until the time
// the buffers taken so far would have finished playing at the device's rate. Audio thread only.
class DeviceClock {
  public:
    void pace(int frames, int rate) {
        const auto now = std::chrono::steady_clock::now();
        // A device keeps one buffer queued ahead: a buffer handed over later than that
        // would have been a dropout.
        const auto late = now - (start_ + length(frames_, rate));
        if (frames_ > 0 && late > length(frames, rate))
            dropouts.fetch_add(1, std::memory_order_relaxed);
        // A stall the length of several buffers: the device starts over.
        if (frames_ == 0 || late > 20ms) {
            start_ = now;
            frames_ = 0;
        }
        frames_ += frames;
        sleeper_.sleepUntil(start_ + length(frames_, rate));
    }

    std::atomic<int> dropouts{0};

  private:
    static std::chrono::nanoseconds length(std::int64_t frames, int rate) {
        return std::chrono::nanoseconds(frames * 1'000'000'000 / std::max(rate, 1));
    }

    DeadlineSleeper sleeper_;
    std::chrono::steady_clock::time_point start_{};
    std::int64_t frames_ = 0;
};

// What the audio thread saw: each buffer's callback time and whether it carried sound.
struct BufferLog {
    static constexpr std::size_t kCapacity = 1 << 20;
    std::vector<std::int64_t> at = std::vector<std::int64_t>(kCapacity);
    std::vector<char> sounding = std::vector<char>(kCapacity);
    std::atomic<std::size_t> count{0};
    DeviceClock* clock = nullptr;  // set before the observer is
    int rate = 0;

    static void observe(void* self, const float* samples, int frames, int channels,
                        std::int64_t us) {
        auto& log = *static_cast<BufferLog*>(self);
        const std::size_t i = log.count.load(std::memory_order_relaxed);
        if (i < kCapacity) {
            bool loud = false;
            for (int f = 0; f < frames && !loud; ++f)
                loud = samples[f * channels] != 0.0f;
            log.at[i] = us;
            log.sounding[i] = loud ? 1 : 0;
            log.count.store(i + 1, std::memory_order_release);
        }
        if (log.clock)
            log.clock->pace(frames, log.rate);
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

int runOnce(int wpm, int askedFrames, bool driverClock, const std::filesystem::path& file) {
    Trainer t;
    prepare(t, wpm);
    BufferLog log;
    DeviceClock clock;
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
        log.rate = rate;
        log.clock = driverClock ? nullptr : &clock;
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
    const std::string dropouts =
        driverClock ? "" : "; dropouts " + std::to_string(clock.dropouts.load());
    std::printf(
        "%d WPM, %d Hz, %d-frame buffers, %s clock: %zu elements (simulated %zu); "
        "element deviation mean %.2f worst %.2f ms; gap deviation mean %.2f worst %.2f "
        "ms; key to sound median %.2f p95 %.2f worst %.2f ms%s\n",
        wpm, rate, frames, driverClock ? "driver's" : "device", real.bursts.size(),
        sim.bursts.size(), elements.mean, elements.worst, gaps.mean, gaps.worst,
        percentile(latency, 0.5), percentile(latency, 0.95), percentile(latency, 1.0),
        dropouts.c_str());
    return real.bursts.size() == sim.bursts.size() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    bool driverClock = false;
    std::vector<int> numbers;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--driver-clock")
            driverClock = true;
        else
            numbers.push_back(std::atoi(argv[i]));
    }
    const int wpm = numbers.size() > 0 ? numbers[0] : 40;
    const int runs = numbers.size() > 1 ? numbers[1] : 1;
    const int frames = numbers.size() > 2 ? numbers[2] : 0;  // 0: the program's own choice
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
    if (!driverClock)
        setenv("SDL_DISKAUDIODELAY", "0", 1);  // the tool's clock takes the driver's place
    int status = 0;
    for (int i = 0; i < runs; ++i)
        status |= runOnce(wpm, frames, driverClock, file);
    std::filesystem::remove(file);
    return status;
}
