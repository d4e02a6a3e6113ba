// The sound device: the default output through SDL2, pulling buffers from a Renderer on
// SDL's audio thread. Any failure leaves the program running without sound.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>

#include "audio/renderer.h"
#include "keying/steady_tick.h"

namespace quorvel {

struct PracticeSettings;
struct SharedFlags;

class SdlAudioDevice {
  public:
    // Opens the default device in float32 at its own rate and channel count and starts it.
    // Never throws for a missing or unusable device; isOpen() tells. Each buffer stands for
    // the time `latencyMicroseconds()` before its callback on the steady clock the keying
    // thread ticks by, so every key edge lands at its own frame. bufferFrames asks SDL for a
    // buffer size (0: the default).
    SdlAudioDevice(const PracticeSettings& settings, SharedFlags& flags, const AudioState& audio,
                   int bufferFrames = 0);
    // Stops the callback before the renderer goes away.
    ~SdlAudioDevice();
    SdlAudioDevice(const SdlAudioDevice&) = delete;
    SdlAudioDevice& operator=(const SdlAudioDevice&) = delete;

    bool isOpen() const { return device_ != 0; }
    int sampleRate() const { return renderer_ ? renderer_->sampleRate() : 0; }
    int channels() const { return renderer_ ? renderer_->channels() : 0; }
    int bufferFrames() const { return bufferFrames_; }
    // How far behind its callback a buffer plays the key: one buffer and a margin for the
    // keying thread's tick and the callback's jitter.
    int latencyMicroseconds() const { return latencyUs_; }

    // Default buffer: 2 ms of frames, rounded up to a whole frame (96 at 48 kHz): a key
    // reaches the device in about 7 ms, and a receive wakes the machine about 1,000 times a
    // second with the keying and playback threads.
    static constexpr int kDefaultBufferMs = 2;
    static int defaultBufferFrames(int rate) { return (rate * kDefaultBufferMs + 999) / 1000; }

    // Measurement hook: called on the audio thread after each buffer is filled, with the
    // steady-clock time of the callback (µs). It must not block or allocate.
    using BufferObserver = void (*)(void* context, const float* samples, int frames, int channels,
                                    std::int64_t callbackUs);
    void setBufferObserver(BufferObserver observer, void* context) {
        observerContext_.store(context, std::memory_order_relaxed);
        observer_.store(observer, std::memory_order_release);
    }

  private:
    static void callback(void* self, std::uint8_t* stream, int bytes);
    void close();
    void renderTimed(float* out, int frames);

    SharedFlags& flags_;
    bool audioInitialised_ = false;
    std::uint32_t device_ = 0;  // SDL_AudioDeviceID, 0 when closed
    int bufferFrames_ = 0;
    int latencyUs_ = 0;
    int preRollFrames_ = 0;  // touched only by the audio thread once started
    // Start of the next buffer on the steady clock, µs; advanced by whole frames (the
    // remainder kept in frameRemainder_) so buffers join without gaps. Audio thread only.
    std::int64_t nextStartUs_ = 0;
    std::int64_t frameRemainder_ = 0;
    bool started_ = false;
    std::atomic<BufferObserver> observer_{nullptr};
    std::atomic<void*> observerContext_{nullptr};
    std::optional<Renderer> renderer_;
};

// Microseconds of the clock of steadyTickMs().
std::int64_t steadyMicroseconds();

}  // namespace quorvel
