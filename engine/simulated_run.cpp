#include "engine/simulated_run.h"

namespace quorvel {

SimulatedRun::SimulatedRun(Trainer& trainer, ManualScoringClock* clock, int sampleRate,
                           int channels)
    : trainer_(trainer),
      clock_(clock),
      playback_(trainer.settings(), trainer.flags(), trainer.document(), playbackHooks(trainer)),
      renderer_(trainer.settings(), trainer.flags(), trainer.audio(), sampleRate, channels),
      buffer_(static_cast<std::size_t>((sampleRate + 999) / 1000 * channels)) {
    if (clock_)
        now_ = clock_->now();
    start_ = now_;
}

void SimulatedRun::step() {
    if (clock_)
        clock_->setNow(now_);
    if (!stalls_.playback || !stalls_.playback(now_))
        playback_.step(now_);
    if (!stalls_.keying || !stalls_.keying(now_))
        trainer_.keying().step(now_);
    trainer_.keying().drain();
    // Frames due by the end of this millisecond, so rates that are not a multiple of 1000 Hz
    // keep their exact count over time.
    const auto rate = static_cast<std::uint64_t>(renderer_.sampleRate());
    const std::uint64_t due = (static_cast<std::uint64_t>(now_ - start_) + 1) * rate / 1000;
    const auto frames = static_cast<std::size_t>(due - framesDone_);
    framesDone_ = due;
    if (sink_ && frames > 0) {
        renderer_.render(now_, buffer_.data(), frames);
        sink_(buffer_.data(), frames);
    }
    if (hook_)
        hook_(now_);
    ++now_;
}

std::uint32_t SimulatedRun::receive(std::uint32_t tailMs) {
    return play(false, tailMs);
}

std::uint32_t SimulatedRun::demo(std::uint32_t tailMs) {
    return play(true, tailMs);
}

std::uint32_t SimulatedRun::play(bool demo, std::uint32_t tailMs) {
    ReceiveControl& control = trainer_.receive();
    control.stop();
    auto& flags = trainer_.flags();
    if (!demo)
        startBandEffects(flags);
    if (clock_)
        clock_->setNow(now_);
    trainer_.document().reset();
    trainer_.document().setPageFollow(true);
    if (demo) {
        PracticeSettings::set(trainer_.settings().Mode, 1);
        trainer_.document().view().showMessage(u"デモ送信開始：J=短点 / K=長点");
    } else {
        trainer_.document().view().showMessage(u"受信中");
    }
    trainer_.keying().restartTiming(now_);
    const std::uint32_t begin = now_;
    const int run = flags.beginPlaybackRun();
    flags.DemoMode.store(demo ? run : 0, std::memory_order_relaxed);
    playback_.begin(now_, demo, run);
    while (playback_.active())
        step();
    for (std::uint32_t i = 0; i < tailMs; ++i)
        step();
    return now_ - begin;
}

}  // namespace quorvel
