// The keyboard as the key of a sending run: while it runs, the window's J and K presses close
// the dot and dash contacts (the press handling itself lives with the key filter).
#pragma once

#include "keying/key_source.h"
#include "keying/shared_flags.h"

namespace quorvel {

class KeyboardKeySource final : public KeySource {
  public:
    explicit KeyboardKeySource(SharedFlags& flags) : flags_(flags) {}
    ~KeyboardKeySource() override { stop(); }

    // Enables keyboard keying with both keyboard contacts open.
    bool start() override;
    // Disables it and opens both keyboard contacts, so no key stays held.
    void stop() override;
    bool running() const override { return running_; }

  private:
    SharedFlags& flags_;
    bool running_ = false;
};

}  // namespace quorvel
