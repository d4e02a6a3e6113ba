// The engine context: one object owns the settings, the shared flags, the document, scoring,
// keying (queue and threads) and the receive and sending controls. Front ends build one.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "audio/band_chain.h"
#include "generation/random.h"
#include "keying/keying_engine.h"
#include "keying/port_list.h"
#include "keying/sending_control.h"
#include "keying/shared_flags.h"
#include "practice/document.h"
#include "practice/receive_control.h"
#include "practice/scoring.h"
#include "storage/paths.h"
#include "storage/settings.h"

namespace quorvel {

struct TrainerOptions {
    // Where the logs go; an empty data directory writes no logs.
    std::filesystem::path dataDirectory;
    // Flush the rewritten character log to the disk before it replaces the old one. A
    // simulated run may skip it: the rename alone still survives a killed process.
    bool syncLogs = true;
    // Run clock and local time of scoring; null for the system clock.
    const ScoringClock* clock = nullptr;
    // The serial port a sending run opens; none when nothing is chosen.
    std::optional<SerialPortInfo> serialPort;
};

class Trainer {
  public:
    explicit Trainer(TrainerOptions options = {});
    ~Trainer();
    Trainer(const Trainer&) = delete;
    Trainer& operator=(const Trainer&) = delete;

    PracticeSettings& settings() { return settings_; }
    SharedFlags& flags() { return flags_; }
    AudioState& audio() { return audio_; }
    TelegramDocument& document() { return document_; }
    Scoring& scoring() { return scoring_; }
    KeyingEngine& keying() { return keying_; }
    ReceiveControl& receive() { return receive_; }
    SendingControl& sending() { return sending_; }

    // Wiring of the front end, before the threads start.
    void setView(PracticeView* view);
    void setSerialPort(std::optional<SerialPortInfo> port) {
        options_.serialPort = std::move(port);
    }

    // The keying threads and the log writer's (real time). Not for simulated runs.
    bool startThreads();
    // Window close: key released, playback and serial key stopped, a pending result card
    // released, keying threads joined, the logs written (at most LogWriter::kStopTimeout).
    // False when some of the history could not be written; later calls answer the same.
    bool shutdown();

    // What the papers and labels show, as last published; takes no lock.
    SharedSnapshot snapshot() const { return document_.snapshot(); }
    // A completed telegram's result card waits for the learner.
    bool resultPending() const { return document_.resultPending(); }
    // The learner closed the card: release it and run the next-telegram step.
    void dismissResult();

    // The window's commands. Every command but RX STOP, デモ送信 and 一旦停止 ends a running demo
    // first; a front end calls stopDemo() before any other control it handles itself.
    void stopDemo();
    void previousPage();
    void nextPage();
    void reset();
    void rxStart();
    void rxStop();
    void togglePause();
    void switchLanguage(bool latin);
    // "デモ送信": stops the serial key first.
    bool startDemo();

    // "ランダム生成": a new random set in the practice language, from the generator files of
    // `paths` and, for weak-character telegrams, its character log.
    void generateRandomSet(const DataPaths& paths);
    // "電報読込": false (and the view was told) when the file cannot be used.
    bool loadTelegramFile(const std::filesystem::path& file);
    RandomGenerator& random() { return random_; }

    // Keyed length of an element in receive playback, with the band's uneven lengths.
    std::uint32_t elementLength(std::uint32_t nominalMs, bool dash, std::uint32_t now) const;

  private:
    TrainerOptions options_;
    SystemScoringClock systemClock_;
    PracticeSettings settings_;
    SharedFlags flags_;
    AudioState audio_;
    TelegramDocument document_;
    Scoring scoring_;
    KeyingEngine keying_;
    ReceiveControl receive_;
    SendingControl sending_;
    RandomGenerator random_;
    bool shutDown_ = false;
    bool logsWritten_ = true;
};

// The playback hooks of a trainer: queue clearing, element jitter and the blank test.
PlaybackHooks playbackHooks(Trainer& trainer);

}  // namespace quorvel
