#include "audio/sdl/sdl_audio_device.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "audio/sdl/audio_platform.h"
#include "keying/shared_flags.h"

namespace quorvel {

namespace {

constexpr int kPreferredRate = 48000;  // Hz, asked for when SDL cannot tell the device's own
constexpr int kPreferredChannels = 2;
constexpr int kMaxBufferFrames = 8192;
// Margin on top of one buffer for the keying thread to queue an edge after its tick begins:
// it wakes at the tick's start, mostly within 0.2 ms. Every microsecond of it is heard as
// latency.
constexpr int kLatencyMarginUs = 1000;
// Silence the device waits for before it reopens with the bigger buffer: longer than any gap
// inside a character, so the reopening falls between characters or words.
constexpr std::int64_t kGrowAfterSilenceUs = 100000;

}  // namespace

std::int64_t steadyMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int SdlAudioDevice::defaultBufferMs(std::string_view driver) {
    // Through a sound server 10 ms ran dry in most runs under load, 20 ms in none.
    if (driver == "pulseaudio" || driver == "pipewire")
        return 20;
    // Unmeasured (no card to hand): a period of direct hardware access, grown if it runs dry.
    if (driver == "alsa")
        return 10;
    // The disk and dummy drivers take any size; 2 ms keeps their key-to-sound latency at
    // about 3 ms for the timing tests.
    if (driver == "disk" || driver == "dummy")
        return 2;
    // WASAPI, CoreAudio and the rest, unmeasured: a shared-mode period (10 ms) and a margin.
    return 20;
}

SdlAudioDevice::SdlAudioDevice(const PracticeSettings& settings, SharedFlags& flags,
                               const AudioState& audio, int bufferFrames, bool grow) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");  // the program ends itself on SIGTERM/SIGINT
    quietAlsa();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return;
    audioInitialised_ = true;
    if (const char* name = SDL_GetCurrentAudioDriver())
        driver_ = name;

    int rate = kPreferredRate;
    int channels = kPreferredChannels;
    SDL_AudioSpec native{};
    if (SDL_GetDefaultAudioInfo(nullptr, &native, 0) == 0 && native.freq > 0 &&
        native.channels > 0) {
        rate = native.freq;
        channels = native.channels;
    }
    const int frames = bufferFrames > 0 ? bufferFrames : defaultBufferFrames(driver_, rate);
    if (!open(rate, channels, frames, false)) {
        close();
        return;
    }
    // The device opens paused: the callback cannot run before the renderer exists.
    try {
        renderer_.emplace(settings, flags, audio, rate_, channels_);
    } catch (...) {
        close();
        return;
    }
    preRollFrames_ = bufferFrames_.load(std::memory_order_relaxed);
    // The disk and dummy drivers keep no time of their own: they cannot run dry, and a
    // reopened disk driver would start its file anew.
    watch_ = driver_ != "disk" && driver_ != "dummy";
    if (grow && watch_)
        grower_ = std::thread([this] { growWhenSilent(); });
    SDL_PauseAudioDevice(device_.load(std::memory_order_relaxed), 0);
}

SdlAudioDevice::~SdlAudioDevice() {
    if (grower_.joinable()) {
        stopping_.store(true, std::memory_order_relaxed);
        wakes_.fetch_add(1, std::memory_order_release);
        wakes_.notify_all();
        grower_.join();
    }
    close();
}

bool SdlAudioDevice::open(int rate, int channels, int frames, bool exact) {
    SDL_AudioSpec want{};
    want.freq = rate;
    want.channels = static_cast<Uint8>(channels);
    want.format = AUDIO_F32SYS;
    want.samples = static_cast<Uint16>(std::clamp(frames, 16, kMaxBufferFrames));
    want.callback = &SdlAudioDevice::callback;
    want.userdata = this;
    // The device keeps its own rate and channel count; SDL converts anything but float32. A
    // reopened device must keep the renderer's.
    SDL_AudioSpec have{};
    const SDL_AudioDeviceID id = SDL_OpenAudioDevice(
        nullptr, 0, &want, &have,
        exact ? 0 : SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    if (id == 0)
        return false;
    device_.store(id, std::memory_order_release);
    if (have.freq <= 0 || have.channels == 0 || have.format != AUDIO_F32SYS)
        return false;
    rate_ = have.freq;
    channels_ = have.channels;
    bufferFrames_.store(have.samples, std::memory_order_relaxed);
    latencyUs_.store(
        static_cast<int>(static_cast<std::int64_t>(have.samples) * 1000000 / have.freq) +
            kLatencyMarginUs,
        std::memory_order_relaxed);
    return true;
}

void SdlAudioDevice::close() {
    if (const std::uint32_t id = device_.exchange(0)) {
        // Returns only once the callback has finished and will not run again.
        SDL_CloseAudioDevice(id);
    }
    if (audioInitialised_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audioInitialised_ = false;
    }
}

void SdlAudioDevice::growWhenSilent() {
    while (wakes_.load(std::memory_order_acquire) == 0)
        wakes_.wait(0, std::memory_order_acquire);
    // Reopening is heard only as a longer latency if it falls in a silence, and costs no edge:
    // the edges keyed meanwhile wait in their queue with their dates.
    for (;;) {
        if (stopping_.load(std::memory_order_relaxed))
            return;
        const std::int64_t since = silentSinceUs_.load(std::memory_order_relaxed);
        if (since != 0 && steadyMicroseconds() - since >= kGrowAfterSilenceUs)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const int frames =
        std::min(2 * bufferFrames_.load(std::memory_order_relaxed), kMaxBufferFrames);
    if (const std::uint32_t id = device_.exchange(0))
        SDL_CloseAudioDevice(id);
    // The callback is stopped: its state may be touched until the new device starts.
    bufferClock_.restart();
    underrunWatch_.restart();
    silentSinceUs_.store(0, std::memory_order_relaxed);
    if (open(rate_, channels_, frames, true)) {
        SDL_PauseAudioDevice(device_.load(std::memory_order_relaxed), 0);
    } else if (const std::uint32_t id = device_.exchange(0)) {
        SDL_CloseAudioDevice(id);  // silent from here on, as with no device
    }
}

void SdlAudioDevice::callback(void* self, std::uint8_t* stream, int bytes) {
    auto& device = *static_cast<SdlAudioDevice*>(self);
    static thread_local bool raised = false;  // each device opened runs its own thread
    if (!raised) {
        raiseAudioThread();
        raised = true;
    }
    const std::int64_t now = steadyMicroseconds();
    auto* out = reinterpret_cast<float*>(stream);
    float* const whole = out;
    Renderer& renderer = *device.renderer_;
    const int channels = renderer.channels();
    const int allFrames = bytes / static_cast<int>(sizeof(float)) / channels;
    int frames = allFrames;
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
    if (device.watch_ && device.underrunWatch_.step(now, allFrames, device.rate_)) {
        device.underruns_.fetch_add(1, std::memory_order_relaxed);
        if (device.wakes_.fetch_add(1, std::memory_order_release) == 0)
            device.wakes_.notify_one();
    }
    if (renderer.silent()) {
        if (device.silentSinceUs_.load(std::memory_order_relaxed) == 0)
            device.silentSinceUs_.store(now, std::memory_order_relaxed);
    } else {
        device.silentSinceUs_.store(0, std::memory_order_relaxed);
    }
    if (const BufferObserver observer = device.observer_.load(std::memory_order_acquire))
        observer(device.observerContext_.load(std::memory_order_relaxed), whole, allFrames,
                 channels, now);
}

void SdlAudioDevice::renderTimed(float* out, int frames) {
    const std::int64_t startUs = bufferClock_.start(
        steadyMicroseconds(), latencyUs_.load(std::memory_order_relaxed), renderer_->silent());
    renderer_->render(Renderer::BufferStart{static_cast<std::uint32_t>(startUs / 1000),
                                            static_cast<int>(startUs % 1000)},
                      out, static_cast<std::size_t>(frames));
    bufferClock_.advance(frames, renderer_->sampleRate());
}

}  // namespace quorvel
