#include "keying/sending_control.h"

#include "keying/keyboard_source.h"

namespace quorvel {

SendingControl::SendingControl(const PracticeSettings& settings, SharedFlags& flags,
                               TelegramDocument& document, KeyingEngine& keying, SendingHooks hooks)
    : settings_(settings),
      flags_(flags),
      document_(document),
      keying_(keying),
      hooks_(std::move(hooks)) {}

SendingControl::~SendingControl() {
    stopKeySource();
}

void SendingControl::showResumeMessage() {
    flags_.PlaybackPaused.store(0, std::memory_order_release);
    document_.view().showMessage(
        flags_.DemoMode.load(std::memory_order_relaxed) != 0 ? u"デモ送信再開" : u"再開");
    document_.view().pauseChanged(false);
}

void SendingControl::stopKeySource() {
    if (!source_)
        return;
    source_->stop();
    source_.reset();
}

void SendingControl::startSending() {
    showResumeMessage();

    if (hooks_.stopPlayback)
        hooks_.stopPlayback();
    flags_.zeroContacts();
    keying_.clearQueue();  // the keying thread silences the tone at its next sample
    flags_.DemoMode.store(0, std::memory_order_relaxed);

    document_.reset();
    document_.view().showMessage(u"送信中");
    document_.setPageFollow(true);

    if (PracticeSettings::get(settings_.KeyKeyer) != 0) {
        stopKeySource();  // a serial port left open by an earlier run is closed
        flags_.zeroContacts();
        source_ = std::make_unique<KeyboardKeySource>(flags_);
        source_->start();
        document_.view().showMessage(u"キー電鍵送信中  J=短点  K=長点");
        return;
    }
    std::unique_ptr<KeySource> serial = hooks_.makeSerialKey ? hooks_.makeSerialKey() : nullptr;
    if (!serial)
        return;
    // The earlier key is stopped before the new one opens, so two monitors never run at once.
    stopKeySource();
    source_ = std::move(serial);
    if (!source_->start())
        source_.reset();
}

void SendingControl::stopKeying() {
    showResumeMessage();
    closeKeying();
    flags_.BandEffectsActive.store(0, std::memory_order_relaxed);
    document_.view().showMessage(u"停止");
    flags_.DemoMode.store(0, std::memory_order_relaxed);
    document_.setPageFollow(false);
}

void SendingControl::closeKeying() {
    flags_.keyboardKeyingEnabled.store(0, std::memory_order_relaxed);
    flags_.zeroContacts();
    if (hooks_.stopPlayback)
        hooks_.stopPlayback();
    stopKeySource();
}

bool SendingControl::togglePause() {
    if (flags_.PlaybackPaused.load(std::memory_order_acquire) == 0) {
        flags_.PlaybackPaused.store(1, std::memory_order_release);
        flags_.zeroContacts();  // the keying thread silences the tone at its next sample
        document_.view().showMessage(u"一旦停止中");
        document_.view().pauseChanged(true);
        return true;
    }
    showResumeMessage();
    return false;
}

}  // namespace quorvel
