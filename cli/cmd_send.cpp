// quorvel-cli send: a sending run in simulated time, keyed from a file of contact timings.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "cli/practice_run.h"
#include "keying/timing_script.h"
#include "storage/local_time.h"

#if __has_include("cli/serial_send.h")
#include "cli/serial_send.h"
#define QUORVEL_HAVE_SERIAL_SEND 1
#endif

namespace quorvel::cli {
namespace {

constexpr const char* kName = "send";

// Long enough after the last contact for any character and word gap to close (5 WPM, the
// easiest settings: under 2.5 s).
constexpr std::uint32_t kFlushMs = 3000;

struct SendOptions {
    PracticeRunOptions run;
    std::string timings;
    bool autoKeyer = false;
};

bool readFile(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad())
        return false;
    out = buffer.str();
    return true;
}

int runSend(const Args& args) {
    SendOptions o;
    ArgReader r(args);
    while (!r.done()) {
        const std::string a = r.next();
        if (a == "--serial") {
#ifdef QUORVEL_HAVE_SERIAL_SEND
            return runSerialSend(args);
#else
            std::fprintf(stderr, "quorvel-cli send: serial keying is not available\n");
            return 2;
#endif
        }
        switch (readPracticeOption(kName, a, r, o.run)) {
            case OptionRead::Taken:
                continue;
            case OptionRead::Error:
                return 2;
            case OptionRead::NotMine:
                break;
        }
        if (a == "--timings") {
            if (!r.value(o.timings))
                return usageError(kName, "--timings needs a FILE");
        } else if (a == "--auto") {
            o.autoKeyer = true;
        } else {
            return usageError(kName, "unknown argument " + a);
        }
    }
    if (o.timings.empty())
        return usageError(kName, "missing --timings FILE");

    std::string text;
    if (!readFile(o.timings, text)) {
        std::fprintf(stderr, "quorvel-cli send: cannot read timing file %s\n", o.timings.c_str());
        return 2;
    }
    TimingScript script;
    TimingParseError error;
    if (!parseTimingScript(text, script, error)) {
        std::fprintf(stderr, "quorvel-cli send: %s: %s\n", o.timings.c_str(),
                     error.message().c_str());
        return 2;
    }

    ManualScoringClock clock(0, currentLocalTime());
    auto run = PracticeRun::create(kName, o.run, &clock, true);
    if (!run)
        return 2;
    Trainer& t = run->trainer();
    PracticeSettings& settings = t.settings();
    if (o.autoKeyer)
        PracticeSettings::set(settings.Auto, 1);
    PracticeSettings::set(settings.Mode, 1);      // sending practice
    PracticeSettings::set(settings.KeyKeyer, 1);  // keyed on the keyboard contacts

    std::uint32_t now = 0;
    t.keying().restartTiming(now);
    t.sending().startSending();
    auto tick = [&clock](std::uint32_t at) { clock.setNow(at); };
    now = playTimingScript(t.keying(), t.flags(), script, now, tick);
    now = playTimingScript(t.keying(), t.flags(), {ContactSegment{false, false, kFlushMs}}, now,
                           tick);
    run->finish();
    return 0;
}

const bool registered = registerCommand(
    {kName,
     "--timings FILE [--latin] [--telegrams FILE] [--wpm N] [--auto] [--go-on] [--json]\n"
     "       [--settings FILE] [--data-dir DIR]\n"
     "       quorvel-cli send --serial PORT --realtime [--latin] [--telegrams FILE]",
     runSend});

}  // namespace
}  // namespace quorvel::cli
