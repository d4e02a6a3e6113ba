// Writes the three practice logs away from the document lock: scoring queues rows and
// judgements (no I/O), the writer appends them in order, keeps the character log in memory and
// replaces it at most once a second and at the end of a set; a log that changed on the disk
// meanwhile is read again first. A write that fails is kept and tried again with the next one;
// the first failure is reported once.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "storage/local_time.h"
#include "storage/paths.h"
#include "storage/practice_log.h"

namespace quorvel {

// Where the three logs go. An empty path is not written.
struct LogFiles {
    std::filesystem::path practiceLog;
    std::filesystem::path charLog;
    std::filesystem::path textLog;
    bool sync = true;  // flush the rewritten character log to the disk before replacing it

    static LogFiles in(const DataPaths& paths) {
        return {paths.practiceLog(), paths.charLog(), paths.textLog(), true};
    }
};

struct TextLogEntry {
    LocalDateTime time;
    std::u16string resultLine;
    std::u16string keyedText;
    std::u16string wrongPairs;
};

class LogWriter {
  public:
    // The file that could not be written. Called on the writing thread, once until every
    // kept entry has been written again.
    using FailureReport = std::function<void(const std::filesystem::path&)>;

    static constexpr std::uint32_t kCharLogIntervalMs = 1000;
    // A disk that hangs must not hang the close for ever; a healthy one drains in ms.
    static constexpr std::chrono::milliseconds kStopTimeout{3000};

    explicit LogWriter(LogFiles files, FailureReport report = {});
    ~LogWriter();
    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;

    const LogFiles& files() const { return files_; }
    // Set before the first write.
    void setFailureReport(FailureReport report);

    // Queue only: cheap, no I/O, safe under any lock.
    void addPracticeRow(PracticeRow row);
    void addJudgement(char16_t model, char16_t keyed, bool correct);
    void addTextEntry(TextLogEntry entry);
    // The set ended: the character log is replaced with the next write, whatever the interval.
    void endOfSet();

    // Without a thread of its own: writes what is due at `now` (ms tick) on the calling thread.
    void service(std::uint32_t now);

    // A thread of its own that writes as entries arrive (real time).
    bool start();
    // Any thread: scorers ask it to know whether to write themselves.
    bool threaded() const { return running_.load(std::memory_order_acquire); }
    // Writes everything now, the character log included. False when something could not be
    // written (it stays kept) or the thread did not answer within `timeout`.
    bool flush(std::chrono::milliseconds timeout = kStopTimeout);
    // Flushes and ends the thread. A thread stuck in a write past `timeout` is left to finish
    // on its own: it reports nothing more and the writer then writes nothing.
    bool stop(std::chrono::milliseconds timeout = kStopTimeout);

    // Rows, entries and judgements not yet on the disk.
    std::size_t pending() const;

    // What is not on the disk, log by log (after a flush or stop: what could not be written).
    struct Backlog {
        std::size_t queued = 0;  // not yet tried
        std::size_t rows = 0;
        std::size_t entries = 0;
        std::size_t judgements = 0;
        bool stuck = false;  // the writer's thread did not answer in time
        // "3 rows of <practice log>, 87 judgements of <character log>", for a message.
        std::string describe(const LogFiles& files) const;
    };
    Backlog backlog() const;

  private:
    struct State;
    static void run(const std::shared_ptr<State>& state);

    const LogFiles files_;
    std::shared_ptr<State> state_;  // shared with a thread that may outlive the writer
    std::thread thread_;            // started and stopped by the owner's thread only
    // Mirrors thread_ for scorers on other threads. A scorer that reads it just as the thread
    // stops only leaves its entry queued for the next write or flush.
    std::atomic<bool> running_{false};
};

}  // namespace quorvel
