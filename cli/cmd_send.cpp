// quorvel-cli send: a sending run, in simulated time keyed from a file of contact timings, or
// live on a telegraph key at a serial port.
#include <cstdio>

#include "cli/cli.h"
#include "cli/practice_run.h"
#include "cli/serial_send.h"
#include "keying/timing_script.h"
#include "storage/local_time.h"
#include "storage/text_decode.h"

namespace quorvel::cli {
namespace {

constexpr const char* kName = "send";

// Long enough after the last contact for any character and word gap to close (5 WPM, the
// easiest settings: under 2.5 s).
constexpr std::uint32_t kFlushMs = 3000;

struct SendOptions {
    SerialSendOptions serial;  // its run options are the ones of every send
    std::string timings;
    bool realtime = false;
};

constexpr const char* kFooter =
    "Timing files (--timings): whitespace-separated tokens, each a stretch of time in ms with "
    "the contacts held as its letter says; \"#\" starts a comment.\n"
    "  d<ms>  dot contact closed (J, DSR)    a<ms>  dash contact closed (K, CTS)\n"
    "  b<ms>  both closed                    u<ms>  all open\n"
    "With a straight key (the default) a closure of either contact is one key-down and its "
    "length decides: under two units a dot, longer a dash. At 15 WPM a unit is 80 ms: a dot "
    "d80, a dash d240, the gap inside a character u80; leave a little more than three units "
    "between characters (u300) and more than seven between words (u800). \"CQ\":\n"
    "  d240 u80 d80 u80 d240 u80 d80 u300      # C  -.-.\n"
    "  d240 u80 d240 u80 d80 u80 d240 u800     # Q  --.-\n"
    "With --auto (a paddle and the automatic keyer) the contacts are levers: while one is "
    "held the keyer sends dots (d) or dashes (a) of its own length, each followed by a "
    "one-unit space; hold a lever about as long as its elements last. \"CQ\":\n"
    "  a300 d140 a300 d140 u300                # C\n"
    "  a620 d140 a300 u800                     # Q\n"
    "Example: quorvel-cli send --latin --go-on --timings cq.txt\n"
    "Live: quorvel-cli send --serial /dev/ttyUSB0 --realtime (quorvel-cli ports lists the "
    "ports); Ctrl-C, SIGTERM or SIGHUP end the run.";

int runTimed(const SendOptions& o) {
    std::string text;
    if (!readWholeFile(o.timings, text)) {
        std::fprintf(stderr, "quorvel-cli %s: cannot read timing file %s\n", kName,
                     o.timings.c_str());
        return kUsageExit;
    }
    TimingScript script;
    TimingParseError error;
    if (!parseTimingScript(text, script, error)) {
        std::fprintf(stderr, "quorvel-cli %s: %s: %s (see 'quorvel-cli send --help')\n", kName,
                     o.timings.c_str(), error.message().c_str());
        return kUsageExit;
    }

    ManualScoringClock clock(0, currentLocalTime());
    int refused = 0;
    auto run = PracticeRun::create(kName, o.serial.run, &clock, true, refused);
    if (!run)
        return refused;
    Trainer& t = run->trainer();
    PracticeSettings& settings = t.settings();
    if (o.serial.autoKeyer)
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
    return run->finish();
}

int runSend(const SendOptions& o) {
    if (!o.serial.port.empty()) {
        if (!o.timings.empty())
            return usageError(kName, "--timings and --serial are two ways to key: give one");
        if (!o.realtime)
            return usageError(kName, "a serial key is keyed live: add --realtime");
        return runSerialSend(o.serial);
    }
    if (o.realtime)
        return usageError(kName, "--realtime keys a serial key: add --serial PORT");
    if (o.timings.empty())
        return usageError(kName, "give --timings FILE, or --serial PORT --realtime");
    return runTimed(o);
}

Runner defineSend(CLI::App& app) {
    auto o = std::make_shared<SendOptions>();
    app.add_option("--timings", o->timings, "Timing file to key in simulated time (see below)")
        ->type_name("FILE");
    app.add_option("--serial", o->serial.port,
                   "Key live on the telegraph key at this serial port (with --realtime)")
        ->type_name("PORT");
    app.add_flag("--realtime", o->realtime, "Run in real time (needed with --serial)");
    app.add_flag("--auto", o->serial.autoKeyer,
                 "Automatic keyer: the two contacts are the levers of a paddle");
    addPracticeOptions(app, o->serial.run);
    app.footer(std::string(kFooter) + "\n\n" + telegramFileHelp());
    return [o] { return runSend(*o); };
}

const bool registered = registerCommand(
    {kName, "Send a telegram set: keyed from a timing file or a serial key, decoded and judged",
     defineSend});

}  // namespace
}  // namespace quorvel::cli
