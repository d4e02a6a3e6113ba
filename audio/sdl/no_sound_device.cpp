// Built in place of the SDL device where SDL2 is unavailable: the device never opens.
#include <chrono>
#include <utility>

#include "audio/sdl/sdl_audio_device.h"
#include "keying/shared_flags.h"

namespace quorvel {

std::uint32_t steadyTickMs() {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<std::uint32_t>(ms.count());
}

SdlAudioDevice::SdlAudioDevice(const PracticeSettings&, SharedFlags& flags, const AudioState&,
                               TickSource tick)
    : flags_(flags), tick_(std::move(tick)) {}

SdlAudioDevice::~SdlAudioDevice() {
    close();
}

void SdlAudioDevice::close() {
    flags_.ToneKeyDown.store(0, std::memory_order_relaxed);
}

void SdlAudioDevice::callback(void*, std::uint8_t*, int) {}

}  // namespace quorvel
