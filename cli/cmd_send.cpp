// quorvel-cli send: a sending run in simulated time, keyed from a file of contact timings.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "cli/telegram_output.h"
#include "keying/keying_engine.h"
#include "keying/sending_control.h"
#include "keying/timing_script.h"
#include "practice/document.h"
#include "practice/telegram_file.h"
#include "storage/settings.h"

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
    std::string timings;
    std::string telegrams;
    bool latin = false;
    bool haveWpm = false;
    int wpm = 15;
    bool autoKeyer = false;
    bool goOn = false;
    bool json = false;
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
        std::string v;
        if (a == "--serial") {
#ifdef QUORVEL_HAVE_SERIAL_SEND
            return runSerialSend(args);
#else
            std::fprintf(stderr, "quorvel-cli send: serial keying is not available\n");
            return 2;
#endif
        } else if (a == "--timings") {
            if (!r.value(o.timings))
                return usageError(kName, "--timings needs a FILE");
        } else if (a == "--telegrams") {
            if (!r.value(o.telegrams))
                return usageError(kName, "--telegrams needs a FILE");
        } else if (a == "--wpm") {
            if (!r.value(v) || !parseInt(v, 5, 40, o.wpm))
                return usageError(kName, "--wpm takes a speed from 5 to 40");
            o.haveWpm = true;
        } else if (a == "--latin") {
            o.latin = true;
        } else if (a == "--auto") {
            o.autoKeyer = true;
        } else if (a == "--go-on") {
            o.goOn = true;
        } else if (a == "--json") {
            o.json = true;
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
    std::optional<TelegramFile> file;
    if (!o.telegrams.empty()) {
        file = readTelegramFile(o.telegrams);
        if (!file) {
            std::fprintf(stderr, "quorvel-cli send: cannot read telegram file %s\n",
                         o.telegrams.c_str());
            return 2;
        }
    }

    PracticeSettings settings;
    SharedFlags flags;
    PracticeSettings::set(settings.WPM, o.haveWpm ? o.wpm : 15);
    PracticeSettings::set(settings.Auto, o.autoKeyer ? 1 : 0);
    PracticeSettings::set(settings.goOnAfterMistakes, o.goOn ? 1 : 0);
    PracticeSettings::set(settings.Mode, 1);      // sending practice
    PracticeSettings::set(settings.KeyKeyer, 1);  // keyed on the keyboard contacts

    TelegramDocument document(settings, flags);
    TelegramOutput output(stdout, o.json);
    PrintingView view(output, document);
    if (o.latin)
        document.switchLanguage(true);
    if (file)
        document.installSet(std::move(file->records), file->latin);
    PracticeSettings::set(settings.Lang, document.latinMode() ? 0 : 1);
    document.setView(&view);

    KeyingEngine engine(settings, flags, document);
    SendingControl control(settings, flags, document, engine, {});
    std::uint32_t now = 0;
    engine.restartTiming(now);
    control.startSending();
    now = playTimingScript(engine, flags, script, now);
    now = playTimingScript(engine, flags, {ContactSegment{false, false, kFlushMs}}, now);
    view.printUnfinished();
    return 0;
}

const bool registered = registerCommand(
    {kName,
     "--timings FILE [--latin] [--telegrams FILE] [--wpm N] [--auto] [--go-on] [--json]\n"
     "       quorvel-cli send --serial PORT --realtime [--latin] [--telegrams FILE]",
     runSend});

}  // namespace
}  // namespace quorvel::cli
