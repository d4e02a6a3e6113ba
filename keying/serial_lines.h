// The modem-status lines of a serial telegraph key (DSR = dot, CTS = dash), behind a small
// interface so the monitor can run over a real port or a test double.
#pragma once

#include <cstdint>
#include <optional>

namespace quorvel {

struct ModemStatus {
    bool dsr = false;
    bool cts = false;
    bool operator==(const ModemStatus&) const = default;
};

enum class ModemWait { Changed, Timeout, Cancelled, Failed };

class ModemStatusSource {
  public:
    virtual ~ModemStatusSource() = default;
    // The lines now; none when the read failed (an adapter pulled out). Any thread.
    virtual std::optional<ModemStatus> read() = 0;
    // Blocks until the lines may differ from `known`, timeoutMs passed, or cancel() was
    // called. A device that cannot time its wait returns only on a change or a cancel.
    // Called by one thread at a time.
    virtual ModemWait waitForChange(ModemStatus known, std::uint32_t timeoutMs) = 0;
    // Makes a pending wait and every later one return Cancelled. Any thread, any number of
    // times: a wake that lands just before the waiter blocks can be lost, so callers repeat it.
    virtual void cancel() = 0;
    // Run on the monitor thread before its first wait and after its last.
    virtual void monitorStarted() {}
    virtual void monitorEnded() {}
};

}  // namespace quorvel
