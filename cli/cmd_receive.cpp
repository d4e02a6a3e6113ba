// quorvel-cli receive: a whole receive run, in simulated time (optionally written to a WAV
// file) or in real time through the threads and the sound device.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <sstream>
#include <thread>

#include "audio/sdl/sdl_audio_device.h"
#include "audio/wav_writer.h"
#include "cli/practice_run.h"
#include "engine/simulated_run.h"
#include "storage/local_time.h"
#include "storage/settings_file.h"

namespace quorvel::cli {
namespace {

constexpr const char* kName = "receive";
constexpr int kWavRate = 48000;

std::atomic<bool> interrupted{false};

void onInterrupt(int) {
    interrupted.store(true);
}

struct ReceiveOptions {
    PracticeRunOptions run;
    std::optional<int> freq, soundType, activity, noise, filter;
    std::vector<std::string> bands;
    std::string wav;
    bool realtime = false;
};

// The band effect keys that --band turns on: every on/off key of the band settings.
bool isBandKey(const std::string& key) {
    const SettingKey* k = findSetting(key);
    return k != nullptr && key.rfind("Band", 0) == 0 && k->rule == LoadRule::OnOff &&
           std::string_view(k->key) == key;
}

int parseArgs(const Args& args, ReceiveOptions& o) {
    ArgReader r(args);
    while (!r.done()) {
        const std::string a = r.next();
        switch (readPracticeOption(kName, a, r, o.run)) {
            case OptionRead::Taken:
                continue;
            case OptionRead::Error:
                return 2;
            case OptionRead::NotMine:
                break;
        }
        std::string v;
        auto number = [&](std::optional<int>& out, int lo, int hi, const char* what) {
            int n = 0;
            if (!r.value(v) || !parseInt(v, lo, hi, n))
                return usageError(kName, what);
            out = n;
            return 0;
        };
        int rc = 0;
        if (a == "--freq") {
            rc = number(o.freq, 300, 1200, "--freq takes a frequency from 300 to 1200 Hz");
        } else if (a == "--sound-type") {
            rc = number(o.soundType, 0, 5, "--sound-type takes a timbre from 0 to 5");
        } else if (a == "--band-activity") {
            rc = number(o.activity, 0, 5, "--band-activity takes a value from 0 to 5");
        } else if (a == "--band-noise") {
            rc = number(o.noise, 0, 100, "--band-noise takes a level from 0 to 100");
        } else if (a == "--band-filter") {
            rc = number(o.filter, 0, 2, "--band-filter takes 0, 1 or 2");
        } else if (a == "--band") {
            if (!r.value(v))
                return usageError(kName, "--band needs KEY[,KEY...]");
            std::stringstream keys(v);
            std::string key;
            while (std::getline(keys, key, ',')) {
                if (!isBandKey(key))
                    return usageError(kName, "unknown band effect " + key);
                o.bands.push_back(key);
            }
        } else if (a == "--wav") {
            if (!r.value(o.wav))
                return usageError(kName, "--wav needs a FILE");
        } else if (a == "--realtime") {
            o.realtime = true;
        } else {
            return usageError(kName, "unknown argument " + a);
        }
        if (rc != 0)
            return rc;
    }
    if (o.realtime && !o.wav.empty())
        return usageError(kName, "--wav renders a simulated run; it does not go with --realtime");
    return 0;
}

void applyAudioOptions(const ReceiveOptions& o, PracticeSettings& s) {
    if (o.freq)
        PracticeSettings::set(s.Freq, *o.freq);
    if (o.soundType)
        PracticeSettings::set(s.SoundType, *o.soundType);
    if (o.activity)
        PracticeSettings::set(s.BandActivity, *o.activity);
    if (o.noise)
        PracticeSettings::set(s.BandNoiseLevel, *o.noise);
    if (o.filter)
        PracticeSettings::set(s.BandFilterWidth, *o.filter);
    for (const std::string& key : o.bands)
        PracticeSettings::set(s.*findSetting(key)->field, 1);
}

int runSimulated(const ReceiveOptions& o) {
    ManualScoringClock clock(0, currentLocalTime());
    auto run = PracticeRun::create(kName, o.run, &clock, true);
    if (!run)
        return 2;
    applyAudioOptions(o, run->trainer().settings());
    SimulatedRun sim(run->trainer(), &clock, kWavRate, 1);
    std::optional<WavWriter> wav;
    try {
        if (!o.wav.empty()) {
            wav.emplace(o.wav, kWavRate, 1);
            sim.setAudioSink(
                [&](const float* samples, std::size_t frames) { wav->write(samples, frames); });
        }
        sim.receive();
        if (wav)
            wav->finish();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quorvel-cli %s: %s\n", kName, e.what());
        return 2;
    }
    run->finish();
    return 0;
}

int runRealtime(const ReceiveOptions& o) {
    auto run = PracticeRun::create(kName, o.run, nullptr, false);
    if (!run)
        return 2;
    Trainer& t = run->trainer();
    applyAudioOptions(o, t.settings());
    PracticeSettings::set(t.settings().Mode, 0);
    // Silent when there is no sound device; the reception goes on all the same.
    SdlAudioDevice device(t.settings(), t.flags(), t.audio());
    if (!t.startThreads()) {
        std::fprintf(stderr, "quorvel-cli %s: cannot start the keying threads\n", kName);
        return 1;
    }
    std::signal(SIGINT, onInterrupt);
    t.rxStart();
    while (t.receive().running() && !interrupted.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    // Characters still in the queue when the playback ends are decoded before the summary.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    t.rxStop();
    t.shutdown();
    run->finish();
    std::signal(SIGINT, SIG_DFL);
    return interrupted.load() ? 130 : 0;
}

int runReceive(const Args& args) {
    ReceiveOptions o;
    if (int rc = parseArgs(args, o); rc != 0)
        return rc;
    return o.realtime ? runRealtime(o) : runSimulated(o);
}

const bool registered = registerCommand(
    {kName,
     "[--telegrams FILE] [--latin] [--wpm N] [--freq HZ] [--sound-type N] [--band KEY,...]\n"
     "       [--band-activity N] [--band-noise N] [--band-filter N] [--go-on] [--wav FILE]\n"
     "       [--realtime] [--json] [--settings FILE] [--data-dir DIR]",
     runReceive});

}  // namespace
}  // namespace quorvel::cli
