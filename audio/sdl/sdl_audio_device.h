// The sound device: the default output through SDL2, pulling buffers from a Renderer on
// SDL's audio thread. Any failure leaves the program running without sound.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "audio/renderer.h"

namespace quorvel {

struct PracticeSettings;
struct SharedFlags;

class SdlAudioDevice {
  public:
    using TickSource = std::function<std::uint32_t()>;

    // Opens the default device in float32 at its own rate and channel count and starts it.
    // Never throws for a missing or unusable device; isOpen() tells. tick gives the
    // millisecond tick read at the start of each buffer (a steady clock by default); it is
    // called on the audio thread and must not block.
    SdlAudioDevice(const PracticeSettings& settings, SharedFlags& flags, const AudioState& audio,
                   TickSource tick = {});
    // Stops the callback before the renderer goes away, then clears ToneKeyDown.
    ~SdlAudioDevice();
    SdlAudioDevice(const SdlAudioDevice&) = delete;
    SdlAudioDevice& operator=(const SdlAudioDevice&) = delete;

    bool isOpen() const { return device_ != 0; }
    int sampleRate() const { return renderer_ ? renderer_->sampleRate() : 0; }
    int channels() const { return renderer_ ? renderer_->channels() : 0; }
    int bufferFrames() const { return bufferFrames_; }

  private:
    static void callback(void* self, std::uint8_t* stream, int bytes);
    void close();

    SharedFlags& flags_;
    TickSource tick_;
    bool audioInitialised_ = false;
    std::uint32_t device_ = 0;  // SDL_AudioDeviceID, 0 when closed
    int bufferFrames_ = 0;
    int preRollFrames_ = 0;  // touched only by the audio thread once started
    std::optional<Renderer> renderer_;
};

// Milliseconds of a steady clock, wrapping like the system tick.
std::uint32_t steadyTickMs();

}  // namespace quorvel
