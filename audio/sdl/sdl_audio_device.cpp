#include "audio/sdl/sdl_audio_device.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "keying/shared_flags.h"

namespace quorvel {

namespace {

constexpr int kPreferredRate = 48000;  // Hz, asked for when SDL cannot tell the device's own
constexpr int kPreferredChannels = 2;
// Margin on top of one buffer for the keying thread to queue an edge after its tick begins:
// it wakes at the tick's start, mostly within 0.2 ms. Every microsecond of it is heard as
// latency.
constexpr int kLatencyMarginUs = 1000;
// Drift from real time that is set right in the next silence, and that is set right at once.
constexpr std::int64_t kSilentSlackUs = 500;
constexpr std::int64_t kCatchUpUs = 40000;

}  // namespace

std::int64_t steadyMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

SdlAudioDevice::SdlAudioDevice(const PracticeSettings& settings, SharedFlags& flags,
                               const AudioState& audio, int bufferFrames)
    : flags_(flags) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");  // the program ends itself on SIGTERM/SIGINT
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return;
    audioInitialised_ = true;

    SDL_AudioSpec want{};
    SDL_AudioSpec native{};
    want.freq = kPreferredRate;
    want.channels = kPreferredChannels;
    if (SDL_GetDefaultAudioInfo(nullptr, &native, 0) == 0 && native.freq > 0 &&
        native.channels > 0) {
        want.freq = native.freq;
        want.channels = native.channels;
    }
    want.format = AUDIO_F32SYS;
    want.samples = static_cast<Uint16>(
        std::clamp(bufferFrames > 0 ? bufferFrames : defaultBufferFrames(want.freq), 16, 4096));
    want.callback = &SdlAudioDevice::callback;
    want.userdata = this;

    // The device keeps its own rate and channel count; SDL converts anything but float32.
    SDL_AudioSpec have{};
    const SDL_AudioDeviceID id =
        SDL_OpenAudioDevice(nullptr, 0, &want, &have,
                            SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    if (id == 0) {
        close();
        return;
    }
    device_ = id;
    if (have.freq <= 0 || have.channels == 0 || have.format != AUDIO_F32SYS) {
        close();
        return;
    }
    // The device opens paused: the callback cannot run before the renderer exists.
    try {
        renderer_.emplace(settings, flags, audio, have.freq, have.channels);
    } catch (...) {
        close();
        return;
    }
    bufferFrames_ = have.samples;
    preRollFrames_ = have.samples;
    latencyUs_ = static_cast<int>(static_cast<std::int64_t>(have.samples) * 1000000 / have.freq) +
                 kLatencyMarginUs;
    SDL_PauseAudioDevice(device_, 0);
}

SdlAudioDevice::~SdlAudioDevice() {
    close();
}

void SdlAudioDevice::close() {
    if (device_ != 0) {
        // Returns only once the callback has finished and will not run again.
        SDL_CloseAudioDevice(device_);
        device_ = 0;
    }
    if (audioInitialised_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audioInitialised_ = false;
    }
}

void SdlAudioDevice::callback(void* self, std::uint8_t* stream, int bytes) {
    auto& device = *static_cast<SdlAudioDevice*>(self);
    auto* out = reinterpret_cast<float*>(stream);
    float* const whole = out;
    Renderer& renderer = *device.renderer_;
    const int channels = renderer.channels();
    int frames = bytes / static_cast<int>(sizeof(float)) / channels;
    // One silent buffer first, as the device starts.
    if (device.preRollFrames_ > 0) {
        const int silent = std::min(frames, device.preRollFrames_);
        std::memset(out, 0, static_cast<std::size_t>(silent * channels) * sizeof(float));
        device.preRollFrames_ -= silent;
        out += silent * channels;
        frames -= silent;
    }
    if (frames > 0)
        device.renderTimed(out, frames);
    if (const BufferObserver observer = device.observer_.load(std::memory_order_acquire))
        observer(device.observerContext_.load(std::memory_order_relaxed), whole,
                 bytes / static_cast<int>(sizeof(float)) / channels, channels,
                 steadyMicroseconds());
}

void SdlAudioDevice::renderTimed(float* out, int frames) {
    const int rate = renderer_->sampleRate();
    // Buffers follow each other frame by frame, so the spacing of key edges is kept to the
    // frame. Where the device clock drifts from the steady clock the start is set anew, but
    // only in silence, so that no element changes its length; a stall or a device far off
    // real time is caught up at once.
    const std::int64_t target = steadyMicroseconds() - latencyUs_;
    const std::int64_t drift = nextStartUs_ - target;
    const std::int64_t magnitude = drift < 0 ? -drift : drift;
    if (!started_ || magnitude > kCatchUpUs ||
        (magnitude > kSilentSlackUs && renderer_->silent())) {
        nextStartUs_ = target;
        frameRemainder_ = 0;
        started_ = true;
    }
    const std::int64_t startUs = nextStartUs_;
    renderer_->render(Renderer::BufferStart{static_cast<std::uint32_t>(startUs / 1000),
                                            static_cast<int>(startUs % 1000)},
                      out, static_cast<std::size_t>(frames));
    const std::int64_t elapsed = static_cast<std::int64_t>(frames) * 1000000 + frameRemainder_;
    nextStartUs_ += elapsed / rate;
    frameRemainder_ = elapsed % rate;
}

}  // namespace quorvel
