// A source of contact changes for a sending run (keyboard, serial key). It writes the contact
// flags of SharedFlags from its own thread or from the window's key events.
#pragma once

namespace quorvel {

class KeySource {
  public:
    virtual ~KeySource() = default;
    // Opens the source; false when it cannot be opened (the run then goes on without it).
    virtual bool start() = 0;
    // Stops any monitor thread and releases the device; safe to call more than once.
    virtual void stop() = 0;
    virtual bool running() const = 0;
};

}  // namespace quorvel
