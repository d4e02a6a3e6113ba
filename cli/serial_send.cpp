#include "cli/serial_send.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <optional>
#include <thread>

#include "cli/telegram_output.h"
#include "keying/keying_engine.h"
#include "keying/port_list.h"
#include "keying/sending_control.h"
#include "keying/serial_key.h"
#include "practice/document.h"
#include "practice/telegram_file.h"
#include "storage/settings.h"
#include "storage/utf.h"

namespace quorvel::cli {
namespace {

constexpr const char* kName = "send";

volatile std::sig_atomic_t interrupted = 0;

extern "C" void onInterrupt(int) {
    interrupted = 1;
}

// Ctrl-C ends the run instead of the process, so the port is closed and the telegram in
// progress is printed.
class InterruptGuard {
  public:
    InterruptGuard() : previous_(std::signal(SIGINT, onInterrupt)) { interrupted = 0; }
    ~InterruptGuard() { std::signal(SIGINT, previous_ == SIG_ERR ? SIG_DFL : previous_); }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

  private:
    void (*previous_)(int);
};

struct SerialOptions {
    std::string port;
    std::string telegrams;
    bool realtime = false;
    bool latin = false;
    bool haveWpm = false;
    int wpm = 15;
    bool autoKeyer = false;
    bool json = false;
};

// Prints each judged character as the document takes it, and notices the end of the set.
class LiveJudgements final : public ScoringSink {
  public:
    LiveJudgements(std::FILE* out, bool json) : out_(out), json_(json) {}

    void scoreCharacter(char16_t, char16_t, bool) override {}
    void showJudgement(char16_t keyed, char16_t model, bool correct) override {
        const std::string k = keyed ? toUtf8(std::u16string(1, keyed)) : std::string();
        const std::string m = model ? toUtf8(std::u16string(1, model)) : std::string();
        std::string line;
        if (json_) {
            nlohmann::ordered_json j;
            j["character"] = k;
            j["model"] = m;
            j["correct"] = correct;
            line = j.dump();
        } else {
            line = "character " + k + " model " + m + (correct ? " right" : " wrong");
        }
        std::fprintf(out_, "%s\n", line.c_str());
        std::fflush(out_);
    }
    void resetScores() override {}
    void clearTelegramScore() override {}
    void finishSet() override { finished_.store(true, std::memory_order_release); }

    bool finished() const { return finished_.load(std::memory_order_acquire); }

  private:
    std::FILE* out_;
    bool json_;
    std::atomic<bool> finished_{false};
};

// The printing view, plus the key type as a message and message boxes on stderr.
class SerialRunView final : public PrintingView {
  public:
    using PrintingView::PrintingView;
    void keyTypeChanged(const std::u16string& label) override { showMessage(label); }
    void messageBox(const std::u16string& title, const std::u16string& text, MessageIcon) override {
        std::fprintf(stderr, "%s: %s\n", toUtf8(title).c_str(), toUtf8(text).c_str());
    }
};

bool parse(const Args& args, SerialOptions& o, int& exitCode) {
    ArgReader r(args);
    while (!r.done()) {
        const std::string a = r.next();
        std::string v;
        if (a == "--serial") {
            if (!r.value(o.port) || o.port.empty()) {
                exitCode =
                    usageError(kName, "--serial needs a PORT (quorvel-cli ports lists them)");
                return false;
            }
        } else if (a == "--realtime") {
            o.realtime = true;
        } else if (a == "--telegrams") {
            if (!r.value(o.telegrams)) {
                exitCode = usageError(kName, "--telegrams needs a FILE");
                return false;
            }
        } else if (a == "--wpm") {
            if (!r.value(v) || !parseInt(v, 5, 40, o.wpm)) {
                exitCode = usageError(kName, "--wpm takes a speed from 5 to 40");
                return false;
            }
            o.haveWpm = true;
        } else if (a == "--latin") {
            o.latin = true;
        } else if (a == "--auto") {
            o.autoKeyer = true;
        } else if (a == "--json") {
            o.json = true;
        } else {
            exitCode = usageError(kName, "unknown argument " + a + " with --serial");
            return false;
        }
    }
    if (!o.realtime) {
        exitCode = usageError(kName, "a serial key is keyed live: add --realtime");
        return false;
    }
    return true;
}

}  // namespace

int runSerialSend(const Args& args) {
    SerialOptions o;
    int exitCode = 0;
    if (!parse(args, o, exitCode))
        return exitCode;

    const auto port = findSerialPort(listSerialPorts(), o.port);
    if (!port) {
        std::fprintf(stderr, "quorvel-cli send: no serial port %s (quorvel-cli ports lists them)\n",
                     o.port.c_str());
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
    PracticeSettings::set(settings.Mode, 1);      // sending practice
    PracticeSettings::set(settings.KeyKeyer, 0);  // the serial key, not the keyboard

    TelegramDocument document(settings, flags);
    TelegramOutput output(stdout, o.json);
    SerialRunView view(output, document);
    LiveJudgements judgements(stdout, o.json);
    if (o.latin)
        document.switchLanguage(true);
    if (file)
        document.installSet(std::move(file->records), file->latin);
    PracticeSettings::set(settings.Lang, document.latinMode() ? 0 : 1);
    document.setView(&view);
    document.setScoring(&judgements);

    KeyingEngine engine(settings, flags, document);
    if (!engine.start()) {
        std::fprintf(stderr, "quorvel-cli send: cannot start the keying threads\n");
        return 1;
    }
    SendingHooks hooks;
    hooks.makeSerialKey = [&] { return makeSerialKeySource(&*port, flags, settings, view); };
    SendingControl control(settings, flags, document, engine, std::move(hooks));

    InterruptGuard guard;
    control.startSending();
    const KeySource* key = control.keySource();
    if (key == nullptr || !key->running()) {
        control.closeKeying();
        engine.stop();
        std::fprintf(stderr,
                     "quorvel-cli send: cannot open %s as a telegraph key (a port with DSR and "
                     "CTS lines is needed)\n",
                     port->location.c_str());
        return 1;
    }
    std::fprintf(stderr, "keying from %s (%s): DSR dot, CTS dash; Ctrl-C ends\n",
                 toUtf8(port->displayName).c_str(), port->location.c_str());

    bool lost = false;
    while (interrupted == 0 && !judgements.finished()) {
        if (!key->running()) {
            lost = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    control.closeKeying();
    engine.stop();
    if (!judgements.finished())
        view.printUnfinished();
    if (lost) {
        std::fprintf(stderr, "quorvel-cli send: the serial key stopped answering\n");
        return 1;
    }
    return 0;
}

}  // namespace quorvel::cli
