// Ctrl-C, SIGTERM and SIGHUP end a real-time run instead of the process, so the playback or
// the serial key is stopped, the logs are complete and the telegram in progress is printed.
#pragma once

namespace quorvel::cli {

class InterruptGuard {
  public:
    InterruptGuard();
    ~InterruptGuard();  // the previous handlers again
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    bool interrupted() const;
    // 128 + the signal's number (130 Ctrl-C, 143 SIGTERM, 129 SIGHUP); 0 while none came.
    int exitStatus() const;
};

}  // namespace quorvel::cli
