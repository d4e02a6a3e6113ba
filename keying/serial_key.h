// The serial telegraph key of a sending run: opens the chosen port, follows DSR and CTS into
// serialDot and serialDash on a monitor thread, and names the key type once.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "keying/key_source.h"
#include "keying/key_type.h"
#include "keying/port_list.h"
#include "keying/serial_lines.h"
#include "keying/shared_flags.h"
#include "practice/practice_view.h"
#include "storage/settings.h"
#include "storage/thread_budget.h"

namespace quorvel {

// Opens and configures the port at `location` (a device path, or "\\.\COMn"): 9600 baud 8N1,
// raw, no flow control, DTR and RTS held on, without becoming the controlling terminal. Only
// the modem-status lines are used. None when the port cannot be opened or configured (a
// pseudo-terminal, which has no modem lines, is refused).
std::unique_ptr<ModemStatusSource> openSerialKey(const std::string& location);

// Follows the lines into serialDot (DSR) and serialDash (CTS) on its own thread until stop()
// or a failed wait or read; either way it leaves both flags at 0.
class SerialMonitor {
  public:
    // A wait is cut into slices this long (ms) where the device can time it; after each
    // slice the lines are read again, so a change the device failed to report is not lost.
    static constexpr std::uint32_t kWaitSliceMs = 50;

    // The monitor's thread shares the lines: a thread stuck in a driver past the stop's
    // budget is left behind with them.
    SerialMonitor(std::shared_ptr<ModemStatusSource> lines, SharedFlags& flags);
    ~SerialMonitor();
    SerialMonitor(const SerialMonitor&) = delete;
    SerialMonitor& operator=(const SerialMonitor&) = delete;

    void start();
    // Returns once the thread has ended: within a few ms for a source that honours cancel().
    // A thread still in a wait after `budget` is reported and detached (false): it keeps the
    // lines open until the wait returns, but writes no flag any more; the flags are opened
    // here instead.
    bool stop(std::chrono::milliseconds budget = kStopBudget);
    // True from start() until the thread ends or is left behind.
    bool running() const;

  private:
    struct State;
    static void run(State& state, SharedFlags& flags);
    static void store(State& state, SharedFlags& flags, ModemStatus status);

    SharedFlags& flags_;
    std::shared_ptr<State> state_;
    std::thread thread_;
};

// The serial key as the run's key source. start() opens the port, reads the lines once into
// the flags, starts the monitor and the key-type probe; it returns false (and shows nothing)
// when the port cannot be opened or configured. At most one serial key is started in the
// process at a time: starting one first stops any other.
class SerialKeySource final : public KeySource {
  public:
    using Opener = std::function<std::unique_ptr<ModemStatusSource>()>;

    SerialKeySource(Opener opener, SharedFlags& flags, const PracticeSettings& settings,
                    PracticeView& view);
    ~SerialKeySource() override;
    SerialKeySource(const SerialKeySource&) = delete;
    SerialKeySource& operator=(const SerialKeySource&) = delete;

    bool start() override;
    // Ends the probe and the monitor, then closes the port.
    void stop() override;
    // True while the monitor follows the port; false after stop() or a failed read.
    bool running() const override;

  private:
    void stopLocked();

    Opener opener_;
    SharedFlags& flags_;
    const PracticeSettings& settings_;
    PracticeView& view_;
    std::shared_ptr<ModemStatusSource> lines_;
    std::unique_ptr<SerialMonitor> monitor_;
    std::unique_ptr<KeyTypeProbe> probe_;
};

// The key source of a serial sending run for the selected entry of the port list (null when
// nothing is selected). No selection: the message box "COMポートが選択されていません。" and
// no source; an entry that names no port: no source and no message. Otherwise an unstarted
// SerialKeySource for the caller to start.
std::unique_ptr<KeySource> makeSerialKeySource(const SerialPortInfo* selected, SharedFlags& flags,
                                               const PracticeSettings& settings,
                                               PracticeView& view);

}  // namespace quorvel
