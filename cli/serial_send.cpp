#include "cli/serial_send.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <thread>

#include "cli/interrupt.h"
#include "cli/usage.h"
#include "keying/port_list.h"
#include "keying/serial_key.h"
#include "storage/utf.h"

namespace quorvel::cli {
namespace {

constexpr const char* kName = "send";

// Prints each judged character as the document takes it, notices the end of the set, and
// passes everything on to the run's scoring.
class LiveJudgements final : public ScoringSink {
  public:
    LiveJudgements(ScoringSink& scoring, std::FILE* out, bool json)
        : scoring_(scoring), out_(out), json_(json) {}

    void scoreCharacter(char16_t model, char16_t keyed, bool correct) override {
        scoring_.scoreCharacter(model, keyed, correct);
    }
    void showJudgement(char16_t keyed, char16_t model, bool correct) override {
        const std::string k = keyed ? toUtf8(std::u16string(1, keyed)) : std::string();
        const std::string m = model ? toUtf8(std::u16string(1, model)) : std::string();
        std::string line;
        if (json_) {
            nlohmann::ordered_json j;
            j["character"] = k;
            j["model"] = m;
            j["correct"] = correct;
            line = j.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
        } else {
            line = "character " + k + " model " + m + (correct ? " right" : " wrong");
        }
        std::fprintf(out_, "%s\n", line.c_str());
        std::fflush(out_);
        scoring_.showJudgement(keyed, model, correct);
    }
    void resetScores() override { scoring_.resetScores(); }
    void clearTelegramScore() override { scoring_.clearTelegramScore(); }
    void reportElement(char16_t mark, std::uint32_t durationMs, std::uint32_t time) override {
        scoring_.reportElement(mark, durationMs, time);
    }
    void finishSet() override {
        scoring_.finishSet();
        finished_.store(true, std::memory_order_release);
    }
    TelegramResult resultSnapshot() const override { return scoring_.resultSnapshot(); }

    bool finished() const { return finished_.load(std::memory_order_acquire); }

  private:
    ScoringSink& scoring_;
    std::FILE* out_;
    bool json_;
    std::atomic<bool> finished_{false};
};

// The printing view, plus the key type as a message.
class SerialRunView final : public PrintingView {
  public:
    using PrintingView::PrintingView;
    void keyTypeChanged(const std::u16string& label) override { showMessage(label); }
};

void cannotOpen(const SerialPortInfo& port) {
    std::fprintf(stderr,
                 "quorvel-cli %s: cannot open %s as a telegraph key (a port with DSR and CTS "
                 "lines is needed)\n",
                 kName, port.location.c_str());
}

}  // namespace

int runSerialSend(const SerialSendOptions& o) {
    const auto port = findSerialPort(listSerialPorts(), o.port);
    if (!port) {
        std::fprintf(stderr, "quorvel-cli %s: no serial port %s (quorvel-cli ports lists them)\n",
                     kName, o.port.c_str());
        return kUsageExit;
    }
    // Tried before the run says anything, so a port that cannot be used is the only message.
    if (!openSerialKey(port->location)) {
        cannotOpen(*port);
        return 1;
    }

    int refused = 0;
    auto run = PracticeRun::create(kName, o.run, nullptr, false, refused,
                                   [](TelegramOutput& out, TelegramDocument& document) {
                                       return std::make_unique<SerialRunView>(out, document);
                                   });
    if (!run)
        return refused;
    Trainer& t = run->trainer();
    PracticeSettings& settings = t.settings();
    if (o.autoKeyer)
        PracticeSettings::set(settings.Auto, 1);
    PracticeSettings::set(settings.Mode, 1);      // sending practice
    PracticeSettings::set(settings.KeyKeyer, 0);  // the serial key, not the keyboard
    t.setSerialPort(*port);
    LiveJudgements judgements(t.scoring(), stdout, o.run.json);
    t.document().setScoring(&judgements);

    int status = 0;
    {
        InterruptGuard guard;
        if (!t.startThreads()) {
            std::fprintf(stderr, "quorvel-cli %s: cannot start the keying threads\n", kName);
            status = 1;
        } else {
            t.sending().startSending();
            const KeySource* key = t.sending().keySource();
            if (key == nullptr || !key->running()) {
                cannotOpen(*port);
                status = 1;
            } else {
                std::fprintf(stderr,
                             "keying from %s (%s): DSR dot, CTS dash; Ctrl-C or SIGTERM ends\n",
                             toUtf8(port->displayName).c_str(), port->location.c_str());
                while (!guard.interrupted() && !judgements.finished() && key->running())
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                if (!guard.interrupted() && !judgements.finished()) {
                    std::fprintf(stderr, "quorvel-cli %s: the serial key stopped answering\n",
                                 kName);
                    status = 1;
                }
            }
        }
        t.shutdown();
        t.document().setScoring(&t.scoring());
        if (guard.interrupted())
            status = guard.exitStatus();
    }
    const int logged = run->finish();
    return status != 0 ? status : logged;
}

}  // namespace quorvel::cli
