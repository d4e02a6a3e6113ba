#include "practice/receive_control.h"

#include <algorithm>
#include <chrono>
#include <system_error>

namespace quorvel {

// Shared by the control and its thread, so the thread may outlive a stop that gave up waiting.
struct ReceiveControl::Run {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool woken = false;  // a stop or a resume that the sleeping thread must see
    std::condition_variable wake;
    std::atomic<bool> cancelled{false};
    int id = 0;  // the run's identity (SharedFlags::beginPlaybackRun)
};

struct ReceiveControl::Lingering {
    std::thread thread;
    std::shared_ptr<Run> run;
};

ReceiveControl::ReceiveControl(PracticeSettings& settings, SharedFlags& flags,
                               TelegramDocument& document, PlaybackHooks hooks, Clock clock,
                               int ticksPerMs)
    : settings_(settings),
      flags_(flags),
      document_(document),
      hooks_(std::move(hooks)),
      clock_(std::move(clock)),
      ticksPerMs_(std::max(1, ticksPerMs)),
      tickLength_(1000 / ticksPerMs_) {}

ReceiveControl::~ReceiveControl() {
    // The view may be gone by now: end the playback without telling it.
    halt();  // leaves no thread but cancelled ones
    const auto deadline = std::chrono::steady_clock::now() + stopBudget_;
    for (Lingering& l : lingering_) {
        std::unique_lock lock(l.run->mutex);
        if (!l.run->finished.wait_until(lock, deadline, [&] { return l.run->done; }))
            reportStopOverrun("a cancelled receive playback thread", stopBudget_);
    }
    // Joined even past the budget: a playback stalled inside a step still holds the document
    // and this control's clock, which would be freed under it.
    for (Lingering& l : lingering_)
        l.thread.join();
}

bool ReceiveControl::running() const {
    return flags_.PlaybackRunning.load(std::memory_order_acquire) != 0;
}

void ReceiveControl::clearLine() {
    flags_.zeroContacts();
    if (hooks_.clearQueue)
        hooks_.clearQueue();
}

void ReceiveControl::reapLingering() {
    std::erase_if(lingering_, [](Lingering& l) {
        std::lock_guard lock(l.run->mutex);
        if (!l.run->done)
            return false;
        l.thread.join();  // it has only its last instructions left
        return true;
    });
}

bool ReceiveControl::lingering() {
    reapLingering();
    return !lingering_.empty();
}

bool ReceiveControl::launch(bool demo, const char16_t* failure) {
    reapLingering();
    const int id = flags_.beginPlaybackRun();
    if (demo)
        flags_.DemoMode.store(id, std::memory_order_relaxed);
    flags_.keyingWake.notify();
    auto run = std::make_shared<Run>();
    run->id = id;
    try {
        thread_ = std::thread([this, run, demo] { playbackLoop(*run, demo); });
    } catch (const std::system_error&) {
        flags_.endPlaybackRun(id);
        if (demo)
            SharedFlags::endIfCurrent(flags_.DemoMode, id);
        document_.view().messageBox(u"ERROR", failure, MessageIcon::Error);
        return false;
    }
    run_ = std::move(run);
    return true;
}

// Sleeps from one event of the run to the next (an element's start or end, the end of a
// pause) rather than stepping every millisecond; a stop or a resume wakes it early.
void ReceiveControl::playbackLoop(Run& run, bool demo) {
    using SteadyClock = std::chrono::steady_clock;
    if (hooks_.threadStarted)
        hooks_.threadStarted();
    Playback playback(settings_, flags_, document_, hooks_);
    playback.setCancelFlag(&run.cancelled);
    auto stepped = SteadyClock::now();
    std::uint32_t tick = clock_();
    playback.begin(tick, demo, run.id);
    for (;;) {
        const std::uint32_t ticks =
            std::clamp<std::uint32_t>(playback.ticksToNextEvent(), 1, Playback::kPausedPollMs);
        const auto deadline =
            stepped + std::chrono::microseconds(std::int64_t{ticks} * 1000 / ticksPerMs_);
        {
            std::unique_lock lock(run.mutex);
            run.wake.wait_until(lock, deadline, [&] { return run.woken; });
            run.woken = false;
        }
        // Counted from the start of this tick, so the next event's wake-up lands at the start
        // of its own tick rather than up to a tick late.
        stepped = SteadyClock::now();
        if (tickLength_.count() > 0)
            stepped -= stepped.time_since_epoch() % tickLength_;
        tick = clock_();
        if (!playback.step(tick))
            break;
    }
    std::lock_guard lock(run.mutex);
    run.done = true;
    run.finished.notify_all();
}

void ReceiveControl::wakePlayback() {
    if (!run_)
        return;
    {
        std::lock_guard lock(run_->mutex);
        run_->woken = true;
    }
    run_->wake.notify_all();
}

bool ReceiveControl::startReceive() {
    stop();
    flags_.DemoMode.store(0, std::memory_order_relaxed);
    document_.reset();
    document_.setPageFollow(true);
    document_.view().showMessage(u"受信中");
    return launch(false, u"リアルタイム受信再生スレッドを開始できません。");
}

bool ReceiveControl::startDemo(const std::function<void()>& stopKeySource) {
    stop();
    if (stopKeySource)
        stopKeySource();
    flags_.keyboardKeyingEnabled.store(0, std::memory_order_relaxed);
    flags_.zeroContacts();
    document_.reset();
    document_.setPageFollow(true);
    PracticeSettings::set(settings_.Mode, 1);
    document_.view().sendModeChanged(true);
    document_.view().showMessage(u"デモ送信開始：J=短点 / K=長点");
    flags_.DemoMode.store(1, std::memory_order_relaxed);
    return launch(true, u"デモ送信スレッドを開始できません。");
}

void ReceiveControl::togglePause() {
    if (flags_.PlaybackPaused.load(std::memory_order_acquire) == 0) {
        flags_.PlaybackPaused.store(1, std::memory_order_release);
        wakePlayback();
        // The queue is kept: the character in progress goes on after the resume.
        flags_.zeroContacts();
        document_.view().showMessage(u"一旦停止中");
        document_.view().pauseChanged(true);
    } else {
        flags_.PlaybackPaused.store(0, std::memory_order_release);
        wakePlayback();
        document_.view().showMessage(
            flags_.DemoMode.load(std::memory_order_relaxed) != 0 ? u"デモ送信再開" : u"再開");
        document_.view().pauseChanged(false);
    }
}

void ReceiveControl::stop() {
    document_.view().pauseChanged(false);
    halt();
}

void ReceiveControl::halt() {
    flags_.PlaybackPaused.store(0, std::memory_order_release);
    // Ends whichever run plays, this control's thread or a simulated one.
    flags_.PlaybackRunning.store(0, std::memory_order_release);
    if (thread_.joinable()) {
        wakePlayback();
        std::unique_lock lock(run_->mutex);
        const bool ended = run_->finished.wait_for(lock, kStopWait, [&] { return run_->done; });
        lock.unlock();
        if (ended) {
            thread_.join();
        } else {
            // Stalled (a busy machine, a slow lock holder): it is left to wake and end on its
            // own, cancelled so it touches nothing shared, and joined once done.
            run_->cancelled.store(true, std::memory_order_release);
            flags_.LeadInActive.store(0, std::memory_order_release);
            lingering_.push_back({std::move(thread_), run_});
        }
        run_.reset();
    }
    clearLine();
    flags_.DemoMode.store(0, std::memory_order_relaxed);
}

}  // namespace quorvel
