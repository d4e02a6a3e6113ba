// quorvel-cli receive: a whole receive run, in simulated time (optionally written to an audio
// file) or in real time through the threads and the sound device.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string_view>
#include <thread>

#include "audio/file/audio_file_writer.h"
#include "audio/sdl/sdl_audio_device.h"
#include "cli/cli.h"
#include "cli/interrupt.h"
#include "cli/path_option.h"
#include "cli/practice_run.h"
#include "engine/audio_export.h"
#include "engine/simulated_run.h"
#include "storage/local_time.h"
#include "storage/settings_file.h"
#include "storage/utf.h"

namespace quorvel::cli {
namespace {

constexpr const char* kName = "receive";
constexpr int kAudioRate = 48000;
constexpr std::uint64_t kWavMaxBytes = 0xFFFFFFFFull;  // the RIFF size field is 32 bits

struct ReceiveOptions {
    PracticeRunOptions run;
    std::optional<int> freq, soundType, activity, noise, filter;
    std::vector<std::string> bands;
    std::string audio;
    std::optional<int> quality;
    bool realtime = false;
};

struct BandKey {
    std::string_view key;
    std::string_view effect;
};

// Every on/off band effect, in the order of the settings file.
constexpr BandKey kBandKeys[] = {
    {"BandQRN", "static noise with occasional crashes (level: --band-noise)"},
    {"BandQRM", "interfering stations (how many: --band-activity)"},
    {"BandQSB", "slow fading of the wanted signal"},
    {"BandFlutter", "fast pitch flutter"},
    {"BandLids", "rough, unsteady sender level while keyed"},
    {"BandChirp", "pitch chirp at each key-down"},
    {"BandUnevenLength", "uneven dot and dash lengths in the playback"},
    {"BandAGC", "level compression"},
    {"BandIFFilter", "mild saturation of the wanted signal"},
    {"BandPitchDrift", "slow pitch drift"},
    {"BandEcho", "200 ms echo"},
    {"BandMultipath", "short (1/14 s) echo"},
    {"BandLightning", "sparse loud noise bursts"},
    {"BandAdjacent", "steady carrier slightly above the signal"},
    {"BandSplit", "steady carrier slightly below the signal"},
    {"BandAtmospheric", "continuous background noise"},
    {"BandHum", "mains hum"},
    {"BandIgnition", "ignition-like pulses"},
    {"BandAgcPump", "periodic level pumping"},
    {"BandRinging", "narrow-filter ringing while keyed"},
    {"BandOverload", "hard receiver saturation"},
};

std::string receiveFooter() {
    std::string text = "Band effects (--band KEY,KEY,...; the settings file's on/off keys):\n";
    for (const BandKey& b : kBandKeys) {
        std::string key(b.key);
        key.resize(18, ' ');
        text += "  " + key + std::string(b.effect) + "\n";
    }
    text += "Timbres (--sound-type N):\n";
    for (int i = 0; i < kTimbreCount; ++i)
        text += "  " + std::to_string(i) + "  " + toUtf8(std::u16string(timbreName(i))) + "\n";
    text += "Filter widths (--band-filter N): 0 250 Hz, 1 500 Hz, 2 1 kHz.\n\n";
    text += telegramFileHelp();
    text +=
        "\nA real-time run (--realtime) plays through the sound device (silent when there is "
        "none); Ctrl-C, SIGTERM or SIGHUP end it, keeping what was judged.\n"
        "--audio FILE writes the audio of a simulated run; the name's ending chooses the format: "
        ".wav (16-bit), .flac, .ogg (Vorbis), .opus or .mp3 (48 kHz mono), with the telegrams' "
        "texts as its title and comment.\n"
        "Example: quorvel-cli receive --latin --wpm 20 --band BandQRN,BandQSB --audio set.mp3";
    return text;
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
        if (const SettingKey* k = findSetting(key))
            PracticeSettings::set(s.*k->field, 1);
}

std::string megabytes(std::uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
    return text;
}

// Announces the file's length and size on stderr; false (with the reason) when the format
// cannot hold it.
bool announceAudio(Trainer& trainer, const std::string& path, AudioFileFormat format, int quality) {
    const std::uint64_t frames = receiveAudioFrames(trainer, kAudioRate);
    const std::uint64_t bytes =
        estimatedAudioBytes(format, frames, kAudioRate, quality, noisyBand(trainer.settings()));
    const std::uint64_t seconds = frames / kAudioRate;
    const std::string length =
        std::to_string(seconds / 60) + " min " + std::to_string(seconds % 60) + " s";
    if (format == AudioFileFormat::Wav && bytes > kWavMaxBytes) {
        std::fprintf(stderr,
                     "quorvel-cli %s: %s of audio would need %s, more than a WAV file can hold "
                     "(4 GiB, about 12 h at 48 kHz); use a smaller telegram file or .flac\n",
                     kName, length.c_str(), megabytes(bytes).c_str());
        return false;
    }
    std::fprintf(stderr, "quorvel-cli %s: writing %s of audio (%s%s) to %s\n", kName,
                 length.c_str(), format == AudioFileFormat::Wav ? "" : "about ",
                 megabytes(bytes).c_str(), path.c_str());
    return true;
}

struct Interrupted {};

int runSimulated(const ReceiveOptions& o) {
    ManualScoringClock clock(0, currentLocalTime());
    int refused = 0;
    auto run = PracticeRun::create(kName, o.run, &clock, true, refused);
    if (!run)
        return refused;
    Trainer& t = run->trainer();
    applyAudioOptions(o, t.settings());
    const int quality = o.quality.value_or(kDefaultAudioQuality);
    // Taken before the length count and the file: a Ctrl-C at any point of an export ends it
    // cleanly, never the process with a temporary left behind.
    std::optional<InterruptGuard> guard;
    if (!o.audio.empty())
        guard.emplace();
    if (!o.audio.empty() && !announceAudio(t, o.audio, *audioFormatForPath(o.audio), quality))
        return kUsageExit;
    SimulatedRun sim(t, &clock, kAudioRate, 1);
    std::unique_ptr<AudioFileWriter> file;
    try {
        if (!o.audio.empty()) {
            AudioFileOptions fo;
            fo.sampleRate = kAudioRate;
            fo.quality = quality;
            describeTelegrams(*t.snapshot()->set, fo.title, fo.comment);
            file = openAudioFile(o.audio, fo);
            // A long export can be stopped; the unfinished file is then not put in place.
            sim.setAudioSink([&](const float* samples, std::size_t frames) {
                if (guard->interrupted())
                    throw Interrupted{};
                file->write(samples, frames);
            });
        }
        sim.receive();
        if (file)
            file->finish();
    } catch (const Interrupted&) {
        file.reset();
        std::fprintf(stderr, "quorvel-cli %s: interrupted; %s was not written\n", kName,
                     o.audio.c_str());
        run->finish();
        return guard->exitStatus();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quorvel-cli %s: %s\n", kName, e.what());
        return 1;
    }
    return run->finish();
}

// Sleeps in short slices until done() or the deadline; false at the deadline.
template <typename Done>
bool waitUntil(std::chrono::milliseconds limit, Done done) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

int runRealtime(const ReceiveOptions& o) {
    int refused = 0;
    auto run = PracticeRun::create(kName, o.run, nullptr, false, refused);
    if (!run)
        return refused;
    Trainer& t = run->trainer();
    applyAudioOptions(o, t.settings());
    PracticeSettings::set(t.settings().Mode, 0);
    // Silent when there is no sound device; the reception goes on all the same.
    SdlAudioDevice device(t.settings(), t.flags(), t.audio());
    if (!device.isOpen())
        std::fprintf(stderr, "no sound device: running silent\n");
    run->output().audio(device.isOpen(), device.driver(), device.sampleRate(), device.channels(),
                        device.bufferFrames(), device.latencyMicroseconds());
    if (!t.startThreads()) {
        std::fprintf(stderr, "quorvel-cli %s: cannot start the keying threads\n", kName);
        return 1;
    }
    InterruptGuard guard;
    t.rxStart();
    while (t.receive().running() && !guard.interrupted())
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const auto unit = static_cast<int>(1200 / std::max(1, PracticeSettings::get(t.settings().WPM)));
    if (guard.interrupted()) {
        t.receive().stop();
        // What was keyed before the stop is still decoded.
        waitUntil(std::chrono::milliseconds(200), [&] { return t.keying().queue().size() == 0; });
    } else {
        // The end signal is decoded a character gap after the playback let go of it.
        waitUntil(std::chrono::milliseconds(10 * unit + 1000),
                  [&] { return t.snapshot()->position.telegramFinished || guard.interrupted(); });
    }
    t.rxStop();
    t.shutdown();
    const int status = run->finish();
    return guard.interrupted() ? guard.exitStatus() : status;
}

int runReceive(const ReceiveOptions& o) {
    if (o.realtime && !o.audio.empty())
        return usageError(kName, "--audio renders a simulated run; it does not go with --realtime");
    if (o.quality && (o.audio.empty() || !isLossy(*audioFormatForPath(o.audio))))
        return usageError(kName, "--quality sets the quality of an .ogg, .opus or .mp3 file");
    return o.realtime ? runRealtime(o) : runSimulated(o);
}

Runner defineReceive(CLI::App& app) {
    auto o = std::make_shared<ReceiveOptions>();
    addPracticeOptions(app, o->run);
    auto number = [&app](const char* name, std::optional<int>& out, int lo, int hi,
                         const std::string& what) {
        app.add_option_function<int>(
               name, [&out](const int& v) { out = v; }, what)
            ->check(CLI::Range(lo, hi))
            ->type_name("N");
    };
    number("--freq", o->freq, 300, 1200, "Tone frequency in Hz (default: the settings' Freq, 800)");
    number("--sound-type", o->soundType, 0, kTimbreCount - 1,
           "Timbre, by number as listed below (default 0)");
    number("--band-activity", o->activity, 0, 5,
           "Band activity: number and level of interfering stations (default 3)");
    number("--band-noise", o->noise, 0, 100, "Level of the static noise (default 30)");
    number("--band-filter", o->filter, 0, 2, "Receive filter width, as listed below (default 1)");
    std::vector<std::string> keys;
    for (const BandKey& b : kBandKeys)
        keys.emplace_back(b.key);
    app.add_option("--band", o->bands, "Band effects to switch on, as listed below")
        ->delimiter(',')
        ->check(CLI::IsMember(keys).description(""))
        ->type_name("KEY,...");
    app.add_option("--audio,--wav", o->audio,
                   "Write the audio of a simulated run to FILE, in the format its name ends "
                   "in (see below)")
        ->type_name("FILE")
        ->check(nonEmptyPath())
        ->check([](const std::string& path) -> std::string {
            const auto format = audioFormatForPath(path);
            if (!format)
                return "the file name must end in .wav, .flac, .ogg, .opus or .mp3";
            if (!audioFormatAvailable(*format))
                return "this build writes .wav files only";
            return {};
        });
    number("--quality", o->quality, 0, 10,
           "Quality of an .ogg, .opus or .mp3 file: 0 smallest to 10 best (default 5)");
    app.add_flag("--realtime", o->realtime,
                 "Run in real time through the threads and the sound device instead of "
                 "simulated time");
    app.footer(receiveFooter());
    return [o] { return runReceive(*o); };
}

const bool registered = registerCommand(
    {kName, "Receive a telegram set: keyed, decoded, judged and logged", defineReceive});

}  // namespace
}  // namespace quorvel::cli
