// The window's control of a sending run: start, stop, window close and the pause toggle, with
// the run's key source (keyboard or serial key) behind KeySource.
#pragma once

#include <functional>
#include <memory>

#include "keying/key_source.h"
#include "keying/keying_engine.h"
#include "keying/shared_flags.h"
#include "practice/document.h"
#include "storage/settings.h"

namespace quorvel {

struct SendingHooks {
    // Stops a receive playback or demo if one runs (and waits for it); may be empty.
    std::function<void()> stopPlayback;
    // Makes the serial key source for the selected port, unstarted. Null when no port is
    // selected or the entry names none (the factory shows whatever message that needs).
    std::function<std::unique_ptr<KeySource>()> makeSerialKey;
};

// Called on the window's thread only.
class SendingControl {
  public:
    SendingControl(const PracticeSettings& settings, SharedFlags& flags, TelegramDocument& document,
                   KeyingEngine& keying, SendingHooks hooks);
    ~SendingControl();
    SendingControl(const SendingControl&) = delete;
    SendingControl& operator=(const SendingControl&) = delete;

    // RX START in send mode. With "キー電鍵" (KeyKeyer) the keyboard is the key, else the
    // serial key; a serial key that cannot be opened leaves the run without a key, silently.
    void startSending();
    // The keying part of RX STOP. The front end also stops its status refresh, resets the
    // band simulator's interferers and refreshes the status lines.
    void stopKeying();
    // The keying part of closing the window: no texts, keys released, playback and key stopped.
    void closeKeying();
    // "一旦停止": true when keying is now paused.
    bool togglePause();
    // Stops and forgets the run's key source (a demo takes the contacts over).
    void stopKeySource();

    const KeySource* keySource() const { return source_.get(); }

  private:
    void showResumeMessage();

    const PracticeSettings& settings_;
    SharedFlags& flags_;
    TelegramDocument& document_;
    KeyingEngine& keying_;
    SendingHooks hooks_;
    std::unique_ptr<KeySource> source_;
};

}  // namespace quorvel
