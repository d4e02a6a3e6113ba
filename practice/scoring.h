// Scoring of a practice run: tallies per run and per telegram, weighted points, the practice
// logs, automatic speed and level, and the score, result and status lines.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>

#include "keying/shared_flags.h"
#include "morse/character_assembler.h"
#include "practice/document.h"
#include "practice/scoring_clock.h"
#include "practice/scoring_sink.h"
#include "storage/char_stat.h"
#include "storage/log_writer.h"
#include "storage/paths.h"
#include "storage/settings.h"

namespace quorvel {

// The run since the last reset.
struct RunTally {
    int judgedCount = 0;  // includes the blanks Latin practice accepts by itself
    int correctCount = 0;
    int wrongCount = 0;
    int finishedSets = 0;
    std::uint32_t runStartTime = 0;  // ms tick of the reset
    std::u16string keyedText;
    std::u16string wrongPairs;  // "%c→%c " per wrong judgement
    CharStats charStats;        // by the model's own character
};

// The telegram in progress.
struct TelegramScore {
    int scoredCount = 0;
    int scoredCorrect = 0;
    int scoredWrong = 0;
    int points = 0;  // may go negative
    int maxPoints = 0;
    int penalty = 0;
};

// Judgements counted for the automatic speed; survives resets.
struct SpeedWindow {
    int windowCount = 0;
    int windowCorrect = 0;
};

// The last keyed element, for the second status line.
struct ElementReport {
    char16_t lastMark = 0;
    std::uint32_t lastElementTime = 0;  // ms tick
    std::uint32_t lastElementMs = 0;
    std::uint32_t elementIntervalMs = 0;
    int instantWpm = 0;
    int instantCpm = 0;
};

using ScoringFiles = LogFiles;

// The document calls it under its lock; the methods take that lock themselves as well, so the
// tallies see one judgement at a time whichever thread scores. The logs are only queued under
// the lock: the log writer writes them on its own thread once started, else on the scoring
// thread right after queuing. Only the status lines are refreshed without the lock (from the
// window's timer): what they show is kept in atomics.
class Scoring final : public ScoringSink {
  public:
    Scoring(PracticeSettings& settings, const SharedFlags& flags, TelegramDocument& document,
            const ScoringClock& clock, ScoringFiles files);
    Scoring(const Scoring&) = delete;
    Scoring& operator=(const Scoring&) = delete;

    void scoreCharacter(char16_t model, char16_t keyed, bool correct) override;
    void showJudgement(char16_t keyed, char16_t model, bool correct) override;
    void resetScores() override;
    void clearTelegramScore() override;
    void reportElement(char16_t mark, std::uint32_t durationMs, std::uint32_t time) override;
    void finishSet() override;
    TelegramResult resultSnapshot() const override;

    // Rewrites both status lines; any thread, no lock.
    void refreshStatusLines();

    // Copies for the history window and the command line.
    RunTally runTally() const;
    TelegramScore telegramScore() const;
    SpeedWindow speedWindow() const;
    ElementReport elementReport() const;
    std::u16string scoreLine() const;
    // The label under the input paper as last written (its initial text before any score).
    std::u16string resultLabel() const;
    // Seconds since the last reset, at least 1.
    int elapsedSeconds() const;

    // The practice logs; a failed write is told once through the view's message box.
    LogWriter& logs() { return logs_; }
    // Everything judged so far on the disk; false when something could not be written.
    bool flushLogs(std::chrono::milliseconds timeout = LogWriter::kStopTimeout) {
        return logs_.flush(timeout);
    }

  private:
    void adjustSpeed(bool correct);
    void adjustDifficulty(int rate);
    void writePracticeRow(int rate, int wrongRate, int cpm, std::u16string_view status);
    void writeDueLogs();
    void writeScoreLine();
    PracticeView& view() const { return document_.view(); }

    PracticeSettings& settings_;
    const SharedFlags& flags_;
    TelegramDocument& document_;
    const ScoringClock& clock_;
    LogWriter logs_;

    // Its own lock, taken inside the document's (which scores under it) and never around a call
    // into the document; reports made meanwhile reach the view after the document's release.
    mutable std::mutex mutex_;
    // Under mutex_.
    RunTally tally_;
    TelegramScore score_;
    SpeedWindow window_;
    std::u16string resultLabel_;

    // Read by refreshStatusLines on any thread.
    std::atomic<std::uint32_t> runStart_;
    std::atomic<std::uint32_t> lastElementTime_{0};
    std::atomic<bool> haveLastElement_{false};
    std::atomic<char16_t> lastMark_{0};
    std::atomic<std::uint32_t> lastElementMs_{0};
    std::atomic<std::uint32_t> elementIntervalMs_{0};
    std::atomic<int> instantWpm_{0};
    std::atomic<int> instantCpm_{0};
};

}  // namespace quorvel
