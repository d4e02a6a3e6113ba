#include "keying/key_type.h"

#include <chrono>

#include "keying/steady_tick.h"

namespace quorvel {

void KeyTypeSampler::add(std::uint32_t now, std::optional<ModemStatus> status) {
    if (!status || finished(now))
        return;
    ++counts_.reads;
    if (status->dsr)
        ++counts_.dsrOn;
    if (status->cts)
        ++counts_.ctsOn;
    if (havePrevious_) {
        if (status->dsr != previous_.dsr)
            ++counts_.dsrChanges;
        if (status->cts != previous_.cts)
            ++counts_.ctsChanges;
    }
    previous_ = *status;
    havePrevious_ = true;
}

KeyType classifyKeyType(const KeyTypeCounts& c, bool autoKeyer) {
    if (c.dsrOn == 0 && c.ctsOn == 0)
        return KeyType::Unknown;
    if (autoKeyer)
        return KeyType::SideSwiperAuto;
    const bool dsrMoved = c.dsrChanges > 0;
    const bool ctsMoved = c.ctsChanges > 0;
    if (dsrMoved != ctsMoved)
        return KeyType::Straight;
    if (dsrMoved && ctsMoved)
        return KeyType::SideSwiperManual;
    return KeyType::Other;
}

KeyType classifyKeyType(std::uint32_t start, std::span<const TimedModemStatus> samples,
                        bool autoKeyer) {
    KeyTypeSampler sampler(start);
    for (const auto& s : samples)
        sampler.add(s.time, s.status);
    return classifyKeyType(sampler.counts(), autoKeyer);
}

std::u16string keyTypeName(KeyType type) {
    switch (type) {
        case KeyType::Unknown:
            return u"電鍵未操作または未判別";
        case KeyType::SideSwiperAuto:
            return u"横振りオート";
        case KeyType::Straight:
            return u"縦振り";
        case KeyType::SideSwiperManual:
            return u"横振りマニュアル";
        case KeyType::Other:
            break;
    }
    return u"その他";
}

std::u16string keyTypeLabel(KeyType type) {
    return u"電鍵種類: " + keyTypeName(type) + u"  J=DSR短点  K=CTS長点";
}

namespace {

std::uint32_t tickNow() {
    return steadyTickMs();
}

}  // namespace

KeyTypeProbe::KeyTypeProbe(ModemStatusSource& lines, const PracticeSettings& settings,
                           PracticeView& view)
    : lines_(lines), settings_(settings), view_(view) {}

KeyTypeProbe::~KeyTypeProbe() {
    cancel();
}

void KeyTypeProbe::start() {
    if (thread_.joinable())
        return;
    thread_ = std::thread([this] { run(); });
}

void KeyTypeProbe::cancel() {
    {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void KeyTypeProbe::run() {
    const auto begin = std::chrono::steady_clock::now();
    KeyTypeSampler sampler(tickNow());
    bool cancelled = false;
    for (std::uint32_t n = 1;; ++n) {
        const std::uint32_t now = tickNow();
        if (sampler.finished(now))
            break;
        sampler.add(now, lines_.read());
        // A fixed 10 ms schedule: a slow read does not push the later ones back.
        std::unique_lock lock(mutex_);
        if (wake_.wait_until(lock,
                             begin + std::chrono::milliseconds(n * KeyTypeSampler::kIntervalMs),
                             [this] { return cancelled_; })) {
            cancelled = true;
            break;
        }
    }
    if (!cancelled) {
        const bool autoKeyer = PracticeSettings::get(settings_.Auto) != 0;
        view_.keyTypeChanged(keyTypeLabel(classifyKeyType(sampler.counts(), autoKeyer)));
    }
    finished_.store(true, std::memory_order_release);
}

}  // namespace quorvel
