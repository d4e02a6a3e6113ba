#include "keying/serial_key.h"

#include <chrono>

#include "keying/steady_tick.h"

namespace quorvel {

SerialMonitor::SerialMonitor(ModemStatusSource& lines, SharedFlags& flags)
    : lines_(lines), flags_(flags) {}

SerialMonitor::~SerialMonitor() {
    stop();
}

void SerialMonitor::start() {
    if (thread_.joinable())
        return;
    running_.store(true, std::memory_order_release);
    thread_ = std::thread([this] { run(); });
    flags_.serialKeysOpen.fetch_add(1, std::memory_order_relaxed);
    flags_.keyingWake.notify();
}

void SerialMonitor::stop() {
    if (!thread_.joinable())
        return;
    stopRequested_.store(true, std::memory_order_release);
    std::unique_lock lock(mutex_);
    while (!threadEnded_) {
        lock.unlock();
        lines_.cancel();
        lock.lock();
        ended_.wait_for(lock, std::chrono::milliseconds(5), [this] { return threadEnded_; });
    }
    lock.unlock();
    thread_.join();
    flags_.serialKeysOpen.fetch_sub(1, std::memory_order_relaxed);
}

void SerialMonitor::store(ModemStatus status) {
    const std::uint32_t now = steadyTickMs();
    flags_.setSerialContact(flags_.serialDot, status.dsr, now);
    flags_.setSerialContact(flags_.serialDash, status.cts, now);
    if (status.dsr || status.cts)
        flags_.keyingWake.notify();
}

void SerialMonitor::run() {
    lines_.monitorStarted();
    std::optional<ModemStatus> known = lines_.read();
    if (known)
        store(*known);
    while (known && !stopRequested_.load(std::memory_order_acquire)) {
        const ModemWait result = lines_.waitForChange(*known, kWaitSliceMs);
        if (result == ModemWait::Failed || result == ModemWait::Cancelled)
            break;
        // Both lines after every wake, whichever one changed.
        known = lines_.read();
        if (known)
            store(*known);
    }
    store({});
    lines_.monitorEnded();
    running_.store(false, std::memory_order_release);
    {
        std::lock_guard lock(mutex_);
        threadEnded_ = true;
    }
    ended_.notify_all();
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
    monitor_ = std::make_unique<SerialMonitor>(*lines_, flags_);
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
