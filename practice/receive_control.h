// The window's receive operations: start receive, start demo, pause toggle and stop, with the
// playback running on its own thread in real time.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "practice/playback.h"
#include "storage/thread_budget.h"

namespace quorvel {

class ReceiveControl {
  public:
    using Clock = std::function<std::uint32_t()>;  // ms tick

    // The clock runs ticksPerMs ticks per real millisecond (1 but in tests that play fast).
    ReceiveControl(PracticeSettings& settings, SharedFlags& flags, TelegramDocument& document,
                   PlaybackHooks hooks, Clock clock, int ticksPerMs = 1);
    ~ReceiveControl();
    ReceiveControl(const ReceiveControl&) = delete;
    ReceiveControl& operator=(const ReceiveControl&) = delete;

    // False when the playback thread could not be started (the view was told).
    bool startReceive();
    // stopKeySource ends any serial monitor before the playback takes the contacts over.
    bool startDemo(const std::function<void()>& stopKeySource = {});
    void togglePause();
    // Asks the playback to end and waits for it at most kStopWait; one that has not ended by
    // then is cancelled and left to end on its own (joined once done, or at destruction).
    void stop();
    bool running() const;
    // Whether a cancelled playback thread has not ended yet.
    bool lingering();

    static constexpr auto kStopWait = std::chrono::milliseconds(40);
    // How long the destructor waits for cancelled playbacks (kStopBudget; shorter in tests).
    // One still running after it is reported and waited for: it works on the document.
    void setStopBudget(std::chrono::milliseconds budget) { stopBudget_ = budget; }

  private:
    struct Run;
    struct Lingering;
    bool launch(bool demo, const char16_t* failure);
    void halt();
    void clearLine();
    void reapLingering();
    void playbackLoop(Run& run, bool demo);
    void wakePlayback();

    PracticeSettings& settings_;
    SharedFlags& flags_;
    TelegramDocument& document_;
    PlaybackHooks hooks_;
    Clock clock_;
    int ticksPerMs_;
    std::chrono::microseconds tickLength_;

    std::shared_ptr<Run> run_;
    std::thread thread_;
    std::vector<Lingering> lingering_;
    std::chrono::milliseconds stopBudget_ = kStopBudget;
};

}  // namespace quorvel
