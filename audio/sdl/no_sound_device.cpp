// Built in place of the SDL device where SDL2 is unavailable: the device never opens.
#include <chrono>

#include "audio/sdl/sdl_audio_device.h"
#include "keying/shared_flags.h"

namespace quorvel {

std::int64_t steadyMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

SdlAudioDevice::SdlAudioDevice(const PracticeSettings&, SharedFlags&, const AudioState&, int,
                               bool) {}

int SdlAudioDevice::defaultBufferMs(std::string_view) {
    return 0;
}

SdlAudioDevice::~SdlAudioDevice() {
    close();
}

void SdlAudioDevice::close() {}

void SdlAudioDevice::callback(void*, std::uint8_t*, int) {}

void SdlAudioDevice::renderTimed(float*, int) {}

void SdlAudioDevice::growWhenSilent() {}

bool SdlAudioDevice::open(int, int, int, bool) {
    return false;
}

}  // namespace quorvel
