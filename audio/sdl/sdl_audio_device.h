// The sound device: the default output through SDL2, pulling buffers from a Renderer on
// SDL's audio thread. Any failure leaves the program running without sound.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "audio/renderer.h"
#include "audio/sdl/buffer_clock.h"
#include "audio/sdl/underrun_watch.h"
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
    // buffer size (0: the driver's default below). A device that runs dry is reopened once
    // with twice the buffer, in a silence.
    // grow = false keeps the first buffer whatever happens (for measuring one size).
    SdlAudioDevice(const PracticeSettings& settings, SharedFlags& flags, const AudioState& audio,
                   int bufferFrames = 0, bool grow = true);
    // Stops the callback before the renderer goes away.
    ~SdlAudioDevice();
    SdlAudioDevice(const SdlAudioDevice&) = delete;
    SdlAudioDevice& operator=(const SdlAudioDevice&) = delete;

    bool isOpen() const { return device_.load(std::memory_order_acquire) != 0; }
    int sampleRate() const { return renderer_ ? renderer_->sampleRate() : 0; }
    int channels() const { return renderer_ ? renderer_->channels() : 0; }
    int bufferFrames() const { return bufferFrames_.load(std::memory_order_relaxed); }
    // How far behind its callback a buffer plays the key: one buffer and a margin for the
    // keying thread's tick and the callback's jitter.
    int latencyMicroseconds() const { return latencyUs_.load(std::memory_order_relaxed); }
    // SDL's name of the driver in use ("pulseaudio", "alsa", "wasapi", ...), empty when closed.
    const std::string& driver() const { return driver_; }
    // Times the device ran dry: a callback later than the frames handed over could cover.
    int underruns() const { return underruns_.load(std::memory_order_relaxed); }

    // Default buffer per driver, in ms of frames (rounded up to a whole frame). A sound server
    // refills a stream on its own schedule, so it needs far more than the disk driver, which
    // any buffer size serves: see ARCHITECTURE.md for the measurements.
    static int defaultBufferMs(std::string_view driver);
    static int defaultBufferFrames(std::string_view driver, int rate) {
        return (rate * defaultBufferMs(driver) + 999) / 1000;
    }

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
    bool open(int rate, int channels, int frames, bool exact);
    void close();
    void renderTimed(float* out, int frames);
    void growWhenSilent();

    bool audioInitialised_ = false;
    std::atomic<std::uint32_t> device_{0};  // SDL_AudioDeviceID, 0 when closed
    std::atomic<int> bufferFrames_{0};
    std::atomic<int> latencyUs_{0};
    std::string driver_;
    int rate_ = 0;  // of the open device, set while no callback runs
    int channels_ = 0;
    int preRollFrames_ = 0;        // touched only by the audio thread once started
    bool watch_ = false;           // a driver with a clock of its own
    UnderrunWatch underrunWatch_;  // audio thread only, once started
    std::atomic<int> underruns_{0};
    // Steady µs since which the renderer has been silent (0: sounding), for the grower thread.
    std::atomic<std::int64_t> silentSinceUs_{0};
    std::atomic<int> wakes_{0};  // the grower thread waits on it: an underrun, or the end
    std::atomic<bool> stopping_{false};
    std::thread grower_;
    BufferClock bufferClock_;  // audio thread only, once started
    std::atomic<BufferObserver> observer_{nullptr};
    std::atomic<void*> observerContext_{nullptr};
    std::optional<Renderer> renderer_;
};

// Microseconds of the clock of steadyTickMs().
std::int64_t steadyMicroseconds();

}  // namespace quorvel
