#include "keying/serial_key.h"

#include <chrono>

#include "keying/steady_tick.h"

namespace quorvel {

// Shared by the monitor and its thread, so the thread may outlive a stop that gave up on it.
struct SerialMonitor::State {
    explicit State(std::shared_ptr<ModemStatusSource> source) : lines(std::move(source)) {}
    std::shared_ptr<ModemStatusSource> lines;
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> running{false};
    std::mutex mutex;  // guards the two below and every write of the flags by the thread
    std::condition_variable ended;
    bool threadEnded = false;
    bool abandoned = false;  // the monitor gave up on the thread: it writes no flag any more
};

SerialMonitor::SerialMonitor(std::shared_ptr<ModemStatusSource> lines, SharedFlags& flags)
    : flags_(flags), state_(std::make_shared<State>(std::move(lines))) {}

SerialMonitor::~SerialMonitor() {
    stop();
}

bool SerialMonitor::running() const {
    return state_->running.load(std::memory_order_acquire);
}

void SerialMonitor::start() {
    if (thread_.joinable())
        return;
    state_->running.store(true, std::memory_order_release);
    thread_ = std::thread([state = state_, &flags = flags_] { run(*state, flags); });
    flags_.serialKeysOpen.fetch_add(1, std::memory_order_relaxed);
    flags_.keyingWake.notify();
}

bool SerialMonitor::stop(std::chrono::milliseconds budget) {
    if (!thread_.joinable())
        return true;
    State& s = *state_;
    s.stopRequested.store(true, std::memory_order_release);
    const auto deadline = std::chrono::steady_clock::now() + budget;
    std::unique_lock lock(s.mutex);
    while (!s.threadEnded && std::chrono::steady_clock::now() < deadline) {
        lock.unlock();
        s.lines->cancel();
        lock.lock();
        s.ended.wait_for(lock, std::chrono::milliseconds(5), [&] { return s.threadEnded; });
    }
    const bool ended = s.threadEnded;
    s.abandoned = !ended;
    lock.unlock();
    if (ended) {
        thread_.join();
    } else {
        // Stuck in the driver: it holds the lines and its state, and touches the flags only
        // under the lock, which now tells it not to.
        thread_.detach();
        s.running.store(false, std::memory_order_release);
        const std::uint32_t now = steadyTickMs();
        flags_.setSerialContact(flags_.serialDot, false, now);
        flags_.setSerialContact(flags_.serialDash, false, now);
        reportStopOverrun("the serial key's monitor thread", budget);
    }
    flags_.serialKeysOpen.fetch_sub(1, std::memory_order_relaxed);
    return ended;
}

void SerialMonitor::store(State& state, SharedFlags& flags, ModemStatus status) {
    std::lock_guard lock(state.mutex);
    if (state.abandoned)
        return;
    const std::uint32_t now = steadyTickMs();
    flags.setSerialContact(flags.serialDot, status.dsr, now);
    flags.setSerialContact(flags.serialDash, status.cts, now);
    if (status.dsr || status.cts)
        flags.keyingWake.notify();
}

void SerialMonitor::run(State& state, SharedFlags& flags) {
    ModemStatusSource& lines = *state.lines;
    lines.monitorStarted();
    std::optional<ModemStatus> known = lines.read();
    if (known)
        store(state, flags, *known);
    while (known && !state.stopRequested.load(std::memory_order_acquire)) {
        const ModemWait result = lines.waitForChange(*known, kWaitSliceMs);
        if (result == ModemWait::Failed || result == ModemWait::Cancelled)
            break;
        // Both lines after every wake, whichever one changed.
        known = lines.read();
        if (known)
            store(state, flags, *known);
    }
    store(state, flags, {});
    lines.monitorEnded();
    std::lock_guard lock(state.mutex);
    if (!state.abandoned)
        state.running.store(false, std::memory_order_release);
    state.threadEnded = true;
    state.ended.notify_all();
}

namespace {

// The one serial key the process may have started: a second monitor must never follow a port
// while the first still runs.
std::mutex activeMutex;
SerialKeySource* activeKey = nullptr;

#ifdef _WIN32
constexpr auto kReopenPause = std::chrono::milliseconds(50);  // lets the driver release the port
#else
constexpr auto kReopenPause = std::chrono::milliseconds(0);
#endif

}  // namespace

SerialKeySource::SerialKeySource(Opener opener, SharedFlags& flags,
                                 const PracticeSettings& settings, PracticeView& view)
    : opener_(std::move(opener)), flags_(flags), settings_(settings), view_(view) {}

SerialKeySource::~SerialKeySource() {
    stop();
}

bool SerialKeySource::start() {
    std::lock_guard lock(activeMutex);
    bool closedOne = lines_ != nullptr;
    stopLocked();
    if (activeKey != nullptr) {
        activeKey->stopLocked();
        activeKey = nullptr;
        closedOne = true;
    }
    if (closedOne)
        std::this_thread::sleep_for(kReopenPause);

    lines_ = opener_ ? opener_() : nullptr;
    if (!lines_)
        return false;
    const auto status = lines_->read();
    if (!status) {
        lines_.reset();
        return false;
    }
    const std::uint32_t now = steadyTickMs();
    flags_.setSerialContact(flags_.serialDot, status->dsr, now);
    flags_.setSerialContact(flags_.serialDash, status->cts, now);
    monitor_ = std::make_unique<SerialMonitor>(lines_, flags_);
    monitor_->start();
    probe_ = std::make_unique<KeyTypeProbe>(*lines_, settings_, view_);
    probe_->start();
    activeKey = this;
    return true;
}

void SerialKeySource::stop() {
    std::lock_guard lock(activeMutex);
    stopLocked();
    if (activeKey == this)
        activeKey = nullptr;
}

void SerialKeySource::stopLocked() {
    // The probe and the monitor read the port, so both end before it closes.
    probe_.reset();
    monitor_.reset();
    lines_.reset();
}

bool SerialKeySource::running() const {
    std::lock_guard lock(activeMutex);
    return monitor_ && monitor_->running();
}

std::unique_ptr<KeySource> makeSerialKeySource(const SerialPortInfo* selected, SharedFlags& flags,
                                               const PracticeSettings& settings,
                                               PracticeView& view) {
    if (selected == nullptr) {
        view.messageBox(u"ERROR", u"COMポートが選択されていません。", MessageIcon::Error);
        return nullptr;
    }
    if (selected->location.empty())
        return nullptr;
    std::string location = selected->location;
    return std::make_unique<SerialKeySource>([location] { return openSerialKey(location); }, flags,
                                             settings, view);
}

}  // namespace quorvel
