// Keys a fixed telegram in real time through the sound device (SDL's disk driver) and prints
// how far its element and gap lengths stray from the simulated run of the same telegram, and
// how long a contact takes to reach the device as sound.
//
// With --record CMD the device is whatever SDL_AUDIODRIVER names (a sound server) and the audio
// judged is what CMD records of it (raw float32 mono at the device's rate on standard output,
// e.g. parec on the sink's monitor): holes inside elements are counted as dropouts, and the
// latency runs from the contact closing to the recorded sound. tools/sidetone-check sets up a
// private PulseAudio server for it.
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
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "audio/sdl/sdl_audio_device.h"
#include "audio/tone_bursts.h"
#include "engine/simulated_run.h"
#include "engine/trainer.h"
#include "keying/deadline_sleep.h"
#include "tools/key_timing/recording.h"

namespace {

using namespace quorvel;
using namespace std::chrono_literals;

const TelegramRecord kTelegram{u"一", u"ア", u"二", u"コ一、二", u"イ」", u"アイウエオカキ」"};

// A short Latin telegram, about 100 elements at 40 WPM in 15 s.
const TelegramRecord kLatinTelegram{u"NR 7", u"", u"", u"", u"ROSE", u"ARRIVE MONDAY"};
bool latin = false;  // kLatinTelegram instead of kTelegram

void prepare(Trainer& t, int wpm) {
    t.settings().WPM = wpm;
    if (latin) {
        t.switchLanguage(true);
        t.document().installSet({kLatinTelegram}, true);
    } else {
        t.document().installSet({kTelegram}, false);
    }
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
    std::vector<int> frames = std::vector<int>(kCapacity);
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
            log.frames[i] = frames;
            log.count.store(i + 1, std::memory_order_release);
        }
        if (log.clock)
            log.clock->pace(frames, log.rate);
    }
};

struct Stats {
    double mean = 0, worst = 0;
};

// Deviation of each length from the simulated run's after the constant offset (the median
// difference) is taken away: a device adds the same latency to both edges of an element.
Stats deviation(const std::vector<double>& got, const std::vector<double>& want) {
    Stats s;
    const std::size_t n = std::min(got.size(), want.size());
    std::vector<double> d(n);
    for (std::size_t i = 0; i < n; ++i)
        d[i] = got[i] - want[i];
    std::vector<double> sorted = d;
    std::sort(sorted.begin(), sorted.end());
    const double offset = n > 0 ? sorted[n / 2] : 0.0;
    for (double x : d) {
        s.mean += std::fabs(x - offset);
        s.worst = std::max(s.worst, std::fabs(x - offset));
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

std::vector<float> readRaw(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<float> samples;
    float x;
    while (in.read(reinterpret_cast<char*>(&x), sizeof x))
        samples.push_back(x);
    return samples;
}

struct Options {
    int wpm = 40;
    int frames = 0;  // 0: the program's own choice
    bool driverClock = false;
    bool grow = true;    // false: the device keeps its first buffer (measuring one size)
    std::string record;  // capture command; empty: the disk driver's file
};

int runOnce(const Options& o, const std::filesystem::path& file) {
    Trainer t;
    prepare(t, o.wpm);
    BufferLog log;
    DeviceClock clock;
    std::vector<std::int64_t> closes;  // steady µs of each contact closing
    int rate = 0, channels = 0, frames = 0, grownTo = 0, underruns = 0;
    std::string driver;
    std::optional<tools::Recording> recording;
    {
        SdlAudioDevice device(t.settings(), t.flags(), t.audio(), o.frames, o.grow);
        if (!device.isOpen()) {
            std::fprintf(stderr, "no sound device (set SDL_AUDIODRIVER)\n");
            return 2;
        }
        rate = device.sampleRate();
        channels = device.channels();
        frames = device.bufferFrames();
        driver = device.driver();
        if (!o.record.empty()) {
            recording.emplace(o.record, rate);
            if (!recording->running()) {
                std::fprintf(stderr, "cannot start: %s\n", o.record.c_str());
                return 2;
            }
            // The keying starts once the capture has run for half a second.
            const auto limit = std::chrono::steady_clock::now() + 10s;
            while (recording->received() < static_cast<std::size_t>(rate) * sizeof(float) / 2 &&
                   std::chrono::steady_clock::now() < limit)
                std::this_thread::sleep_for(10ms);
        }
        log.rate = rate;
        log.clock = o.driverClock || recording ? nullptr : &clock;
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
        if (recording) {
            std::this_thread::sleep_for(200ms);  // what the server still holds
            recording->stop();
        }
        grownTo = device.bufferFrames();
        underruns = device.underruns();
    }
    const ToneTimeline sim = simulated(o.wpm, rate);
    const int unit = 1200 / std::max(o.wpm, 1);
    std::vector<double> bursts, gaps, onsets;
    int dropouts = 0;
    double longest = 0;
    std::int64_t firstUs = 0;
    if (recording) {
        // Anything shorter than a third of the shortest gap keyed is a hole, not a gap.
        const tools::Heard heard = tools::listen(recording->samples(), rate, unit / 3.0);
        bursts = heard.elements;
        gaps = heard.gaps;
        onsets = heard.onsets;
        dropouts = heard.dropouts;
        longest = heard.longestDropout;
        firstUs = recording->firstSampleUs();
    } else {
        const std::vector<float> samples = readRaw(file);
        const ToneTimeline real = toneTimeline(
            samples.data(), samples.size() / static_cast<std::size_t>(channels), channels, rate);
        bursts = real.bursts;
        gaps = real.gaps;
        dropouts = clock.dropouts.load();
    }
    if (std::getenv("QUORVEL_KEY_TIMING_DUMP"))  // every element and gap, for a closer look
        for (std::size_t i = 0; i < std::min(bursts.size(), sim.bursts.size()); ++i)
            std::printf("%3zu real %7.2f sim %7.2f  gap real %7.2f sim %7.2f\n", i, bursts[i],
                        sim.bursts[i], i < gaps.size() ? gaps[i] : 0.0,
                        i < sim.gaps.size() ? sim.gaps[i] : 0.0);
    // A recording may lack the first elements of the run (the capture stream still starting):
    // the simulated elements are compared from where they best match the recorded ones.
    std::size_t skip = 0, fewest = bursts.size() + 1;
    for (std::size_t k = 0; k + bursts.size() <= sim.bursts.size() && k < 32; ++k) {
        std::size_t differ = 0;
        for (std::size_t i = 0; i < bursts.size(); ++i)
            differ += std::fabs(bursts[i] - sim.bursts[k + i]) > 20.0 ? 1 : 0;
        if (differ < fewest) {
            fewest = differ;
            skip = k;
        }
    }
    const auto tail = [skip](const std::vector<double>& v) {
        return std::vector<double>(
            v.begin() + static_cast<std::ptrdiff_t>(std::min(skip, v.size())), v.end());
    };
    const Stats elements = deviation(bursts, tail(sim.bursts));
    const Stats gapStats = deviation(gaps, tail(sim.gaps));

    std::vector<double> latency;
    if (recording) {
        // Each closing is heard as the first element that starts after it.
        std::size_t e = 0;
        for (std::int64_t c : closes) {
            const auto heardUs = [&](std::size_t i) {
                return firstUs + static_cast<std::int64_t>(onsets[i] * 1000.0);
            };
            while (e < onsets.size() && heardUs(e) < c)
                ++e;
            if (e < onsets.size())
                latency.push_back(static_cast<double>(heardUs(e) - c) / 1000.0);
        }
    } else {
        const std::size_t buffers = log.count.load(std::memory_order_acquire);
        std::size_t b = 0;
        for (std::int64_t c : closes) {
            while (b < buffers && (log.at[b] < c || !log.sounding[b]))
                ++b;
            if (b < buffers)
                latency.push_back(static_cast<double>(log.at[b] - c) / 1000.0);
        }
    }
    if (std::getenv("QUORVEL_KEY_TIMING_LATENESS")) {
        // How much later than ever before each callback came against the frames handed over.
        const std::size_t n = log.count.load(std::memory_order_acquire);
        std::int64_t given = 0, least = 0;
        std::vector<double> excess;
        for (std::size_t i = 0; i < n; ++i) {
            const std::int64_t late = log.at[i] - log.at[0] - given * 1000000 / rate;
            least = std::min(least, late);
            excess.push_back(static_cast<double>(late - least) / 1000.0);
            given += log.frames[i];
        }
        std::printf(
            "callbacks %zu, lateness over the least: p50 %.2f p99 %.2f p999 %.2f max %.2f ms\n", n,
            percentile(excess, 0.5), percentile(excess, 0.99), percentile(excess, 0.999),
            percentile(excess, 1.0));
    }
    std::string dropText = "dropouts " + std::to_string(dropouts);
    if (recording && dropouts > 0)
        dropText += " (longest " + std::to_string(longest).substr(0, 4) + " ms)";
    if (!recording)
        dropText = o.driverClock ? "" : "dropouts " + std::to_string(dropouts) + " (clocked)";
    std::printf(
        "%s, %d WPM, %d Hz, %d frames%s: %zu elements (simulated %zu); %s; "
        "element deviation mean %.2f worst %.2f ms; gap deviation mean %.2f worst %.2f "
        "ms; key to sound median %.2f p95 %.2f worst %.2f ms; underruns %d\n",
        driver.c_str(), o.wpm, rate, frames,
        grownTo != frames ? (" grown to " + std::to_string(grownTo)).c_str() : "", bursts.size(),
        sim.bursts.size(), dropText.c_str(), elements.mean, elements.worst, gapStats.mean,
        gapStats.worst, percentile(latency, 0.5), percentile(latency, 0.95),
        percentile(latency, 1.0), underruns);
    std::fflush(stdout);
    // Through a sound server only what the device adds is judged: on a loaded machine the
    // keying itself may now and then lose an element.
    if (recording)
        return dropouts > 0 ? 1 : 0;
    return bursts.size() == sim.bursts.size() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    int runs = 1;
    std::vector<int> numbers;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--driver-clock")
            o.driverClock = true;
        else if (arg == "--fixed")
            o.grow = false;
        else if (arg == "--latin")
            latin = true;
        else if (arg == "--record" && i + 1 < argc)
            o.record = argv[++i];
        else
            numbers.push_back(std::atoi(argv[i]));
    }
    o.wpm = numbers.size() > 0 ? numbers[0] : 40;
    runs = numbers.size() > 1 ? numbers[1] : 1;
    o.frames = numbers.size() > 2 ? numbers[2] : 0;
    // In memory where the system has it: the disk driver's writes to a real disk stall its
    // thread now and then for tens of milliseconds, which says nothing about the program.
    std::error_code ec;
    const std::filesystem::path shm = "/dev/shm";
    const auto dir =
        std::filesystem::is_directory(shm, ec) ? shm : std::filesystem::temp_directory_path();
    const auto file = dir / ("quorvel-key-timing-" + std::to_string(getpid()) + ".raw");
    if (o.record.empty()) {
        setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
        if (!std::getenv("SDL_AUDIODRIVER"))
            setenv("SDL_AUDIODRIVER", "disk", 1);
        if (!o.driverClock)
            setenv("SDL_DISKAUDIODELAY", "0", 1);  // the tool's clock takes the driver's place
    }
    // Exit status: 0 every run clean, 1 a run with a dropout or an element lost, 2 no device.
    int status = 0;
    for (int i = 0; i < runs && status < 2; ++i)
        status = std::max(status, runOnce(o, file));
    std::filesystem::remove(file, ec);
    return status;
}
