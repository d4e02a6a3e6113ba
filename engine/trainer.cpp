#include "engine/trainer.h"

#include <chrono>

#include "generation/random_set.h"
#include "keying/serial_key.h"
#include "keying/thread_priority.h"
#include "practice/telegram_file.h"
#include "storage/char_log.h"

namespace quorvel {
namespace {

ScoringFiles filesIn(const TrainerOptions& options) {
    if (options.dataDirectory.empty())
        return {};
    ScoringFiles files = ScoringFiles::in(DataPaths(options.dataDirectory));
    files.sync = options.syncLogs;
    return files;
}

}  // namespace

PlaybackHooks playbackHooks(Trainer& trainer) {
    PlaybackHooks hooks;
    hooks.clearQueue = [&trainer] { trainer.keying().clearQueue(); };
    hooks.elementLength = [&trainer](std::uint32_t nominal, bool dash, std::uint32_t now) {
        return trainer.elementLength(nominal, dash, now);
    };
    // Asked while the document holds its lock for the blank: the published answer, which is
    // current then.
    hooks.spaceExpected = [&trainer] { return trainer.document().spaceExpectedNow(); };
    hooks.threadStarted = raisePlaybackThreadPriority;
    return hooks;
}

Trainer::Trainer(TrainerOptions options)
    : options_(std::move(options)),
      document_(settings_, flags_),
      scoring_(settings_, flags_, document_, options_.clock ? *options_.clock : systemClock_,
               filesIn(options_)),
      keying_(settings_, flags_, document_),
      receive_(settings_, flags_, document_, playbackHooks(*this), &KeyingEngine::tickNow),
      sending_(settings_, flags_, document_, keying_,
               SendingHooks{[this] { receive_.stop(); },
                            [this] {
                                const SerialPortInfo* port =
                                    options_.serialPort ? &*options_.serialPort : nullptr;
                                return makeSerialKeySource(port, flags_, settings_,
                                                           document_.view());
                            }}) {
    document_.setScoring(&scoring_);
    document_.reset();
}

Trainer::~Trainer() {
    shutdown();
}

void Trainer::setView(PracticeView* view) {
    document_.setView(view);
}

bool Trainer::startThreads() {
    scoring_.logs().start();
    return keying_.start();
}

bool Trainer::shutdown() {
    if (shutDown_)
        return logsWritten_;
    shutDown_ = true;
    sending_.closeKeying();
    receive_.stop();
    // Nothing judged is lost: the card's telegram still moves on (or ends the set).
    document_.dismissResult();
    keying_.stop();
    // After the consumer, which may still have judged a character; bounded for a hung disk.
    logsWritten_ = scoring_.logs().stop();
    // A playback or writer thread that was left to end on its own reports to no one.
    setView(nullptr);
    return logsWritten_;
}

void Trainer::dismissResult() {
    document_.dismissResult();
    keying_.resume();
}

bool Trainer::startDemo() {
    const bool started = receive_.startDemo([this] { sending_.stopKeySource(); });
    keying_.resume();
    return started;
}

void Trainer::previousPage() {
    stopDemo();
    document_.previousPage();
}

void Trainer::nextPage() {
    stopDemo();
    document_.nextPage();
}

void Trainer::reset() {
    stopDemo();
    document_.reset();
    keying_.resume();
}

void Trainer::rxStart() {
    if (PracticeSettings::get(settings_.Mode) == 1) {
        sending_.startSending();
        return;
    }
    startBandEffects(flags_);
    receive_.startReceive();
    keying_.resume();
}

void Trainer::rxStop() {
    sending_.stopKeying();
    dismissResult();
    stopBandEffects(flags_, audio_);
    scoring_.refreshStatusLines();
}

void Trainer::togglePause() {
    if (flags_.PlaybackRunning.load(std::memory_order_acquire) != 0)
        receive_.togglePause();
    else
        sending_.togglePause();
}

void Trainer::switchLanguage(bool latin) {
    if (flags_.DemoMode.load(std::memory_order_relaxed) != 0)
        receive_.stop();
    document_.switchLanguage(latin);
    PracticeSettings::set(settings_.Lang, latin ? 0 : 1);
    keying_.resume();
}

void Trainer::generateRandomSet(const DataPaths& paths) {
    stopDemo();
    CharStats stats;
    if (PracticeSettings::get(settings_.WeakTelegram) != 0) {
        scoring_.flushLogs();                 // the latest judgements count
        readCharLog(paths.charLog(), stats);  // a missing log means no statistics
    }
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::system_clock::now().time_since_epoch());
    quorvel::generateRandomSet(document_, settings_, random_, generatorFiles(paths), stats,
                               static_cast<std::uint32_t>(seconds.count()));
}

bool Trainer::loadTelegramFile(const std::filesystem::path& file) {
    stopDemo();
    return quorvel::loadTelegramFile(document_, file);
}

void Trainer::stopDemo() {
    if (flags_.DemoMode.load(std::memory_order_relaxed) != 0)
        receive_.stop();
}

std::uint32_t Trainer::elementLength(std::uint32_t nominalMs, bool dash, std::uint32_t now) const {
    const int length = ElementLengthJitter(static_cast<int>(nominalMs), dash, now, settings_);
    return static_cast<std::uint32_t>(length < 0 ? 0 : length);
}

}  // namespace quorvel
