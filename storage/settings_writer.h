// Writes of the settings file on a thread of its own, so a slow disk never holds up the
// window: the latest values win and a write under way finishes first. Its thread owns a share
// of everything it uses, so a write stuck in the disk (an fsync) past the stop's budget is left
// to finish on its own.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>

#include "storage/settings.h"
#include "storage/thread_budget.h"

namespace quorvel {

class SettingsFileWriter {
  public:
    using Write = std::function<bool(const std::filesystem::path&, const PracticeSettings&)>;

    // `write` replaces the file write (saveSettings) in tests.
    explicit SettingsFileWriter(std::filesystem::path file, Write write = {},
                                std::chrono::milliseconds budget = kStopBudget);
    // Ends the thread; a write still under way after the budget is reported and detached.
    // A queued write that has not begun is dropped (the close writes with writeNow()).
    ~SettingsFileWriter();
    SettingsFileWriter(const SettingsFileWriter&) = delete;
    SettingsFileWriter& operator=(const SettingsFileWriter&) = delete;

    // Queues a write of a copy of `settings`, replacing one not yet begun.
    void post(const PracticeSettings& settings);
    // Writes `settings` on the calling thread once a write under way has finished (waited for
    // at most the budget: past it the stuck write is reported and this one goes ahead).
    bool writeNow(const PracticeSettings& settings);
    int writesDone() const;

  private:
    struct State;
    static void run(State& state);

    std::shared_ptr<State> state_;
    std::chrono::milliseconds budget_;
    BoundedThread worker_;
};

}  // namespace quorvel
