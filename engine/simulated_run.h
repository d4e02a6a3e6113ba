// Runs the whole engine in one thread, one millisecond at a time: playback, keying sampler,
// consumer, then that millisecond's audio. A receive run takes milliseconds of CPU and renders
// exactly the audio a real run would.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "audio/renderer.h"
#include "engine/trainer.h"
#include "practice/playback.h"

namespace quorvel {

class SimulatedRun {
  public:
    // Interleaved frames of one millisecond.
    using AudioSink = std::function<void(const float* samples, std::size_t frames)>;

    // clock, when given, is moved with the simulated tick so scoring sees the same time.
    SimulatedRun(Trainer& trainer, ManualScoringClock* clock = nullptr, int sampleRate = 48000,
                 int channels = 1);

    void setAudioSink(AudioSink sink) { sink_ = std::move(sink); }
    // Called at the end of every simulated millisecond with its tick: a learner's actions.
    void setStepHook(std::function<void(std::uint32_t now)> hook) { hook_ = std::move(hook); }
    // A thread that does not run in a millisecond, as a busy machine would have it: the
    // playback's or the keying thread's step is skipped while its predicate holds.
    struct Stalls {
        std::function<bool(std::uint32_t now)> playback;
        std::function<bool(std::uint32_t now)> keying;
    };
    void setStalls(Stalls stalls) { stalls_ = std::move(stalls); }
    std::uint32_t now() const { return now_; }

    // A whole receive run as RX START starts it in receive mode, until the playback ends and
    // tailMs more have passed. Returns the milliseconds simulated.
    std::uint32_t receive(std::uint32_t tailMs = 500);
    // The same for a demo sending (デモ送信).
    std::uint32_t demo(std::uint32_t tailMs = 500);
    // One millisecond of the engine at the current tick, then the tick moves on.
    void step();
    Playback& playback() { return playback_; }

  private:
    std::uint32_t play(bool demo, std::uint32_t tailMs);

    Trainer& trainer_;
    ManualScoringClock* clock_;
    Playback playback_;
    Renderer renderer_;
    AudioSink sink_;
    std::function<void(std::uint32_t)> hook_;
    Stalls stalls_;
    std::vector<float> buffer_;
    std::uint32_t start_ = 0;
    std::uint32_t now_ = 0;
    std::uint64_t framesDone_ = 0;
};

}  // namespace quorvel
