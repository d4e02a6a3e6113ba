// Names the telegraph key on a newly opened serial port from 1.5 s of its modem lines:
// a pure sampler over timed reads, and a probe that samples in real time on its own thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>

#include "keying/serial_lines.h"
#include "practice/practice_view.h"
#include "storage/settings.h"

namespace quorvel {

enum class KeyType {
    Unknown,           // "電鍵未操作または未判別": neither line was on
    SideSwiperAuto,    // "横振りオート": a line was on and AUTO is set
    Straight,          // "縦振り": exactly one line changed
    SideSwiperManual,  // "横振りマニュアル": both lines changed
    Other,             // "その他": a line was on but neither changed
};

struct KeyTypeCounts {
    int reads = 0;  // successful reads inside the window
    int dsrOn = 0;
    int ctsOn = 0;
    int dsrChanges = 0;  // reads whose DSR differs from the previous successful read
    int ctsChanges = 0;
};

// One read of the lines at tick `time`; none for a failed read.
struct TimedModemStatus {
    std::uint32_t time = 0;
    std::optional<ModemStatus> status;
};

class KeyTypeSampler {
  public:
    static constexpr std::uint32_t kWindowMs = 1500;
    static constexpr std::uint32_t kIntervalMs = 10;

    explicit KeyTypeSampler(std::uint32_t start) : start_(start) {}
    bool finished(std::uint32_t now) const { return now - start_ >= kWindowMs; }
    // Failed reads and reads after the window are not counted.
    void add(std::uint32_t now, std::optional<ModemStatus> status);
    const KeyTypeCounts& counts() const { return counts_; }

  private:
    std::uint32_t start_;
    KeyTypeCounts counts_;
    bool havePrevious_ = false;
    ModemStatus previous_;
};

KeyType classifyKeyType(const KeyTypeCounts& counts, bool autoKeyer);
// The window starts at `start`; samples in any order of arrival, as read.
KeyType classifyKeyType(std::uint32_t start, std::span<const TimedModemStatus> samples,
                        bool autoKeyer);

std::u16string keyTypeName(KeyType type);
// "電鍵種類: %s  J=DSR短点  K=CTS長点"
std::u16string keyTypeLabel(KeyType type);

// Samples `lines` every 10 ms for 1.5 s on its own thread, so the window keeps painting, then
// reports the label through view.keyTypeChanged (AUTO read at that moment). A cancelled probe
// reports nothing. cancel() waits for that call, so the view must not block on the thread
// that stops the key.
class KeyTypeProbe {
  public:
    KeyTypeProbe(ModemStatusSource& lines, const PracticeSettings& settings, PracticeView& view);
    ~KeyTypeProbe();
    KeyTypeProbe(const KeyTypeProbe&) = delete;
    KeyTypeProbe& operator=(const KeyTypeProbe&) = delete;

    void start();
    // Returns once the thread has ended.
    void cancel();
    bool finished() const { return finished_.load(std::memory_order_acquire); }

  private:
    void run();

    ModemStatusSource& lines_;
    const PracticeSettings& settings_;
    PracticeView& view_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool cancelled_ = false;
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

}  // namespace quorvel
