// Wakes one thread out of a blocking system call (it returns EINTR) with a signal whose
// handler does nothing; used to stop a monitor blocked in a modem-line wait.
#pragma once

#include <pthread.h>

#include <mutex>

namespace quorvel {

class ThreadWaker {
  public:
    // Installs the handler once; false when the process already uses the signal for
    // something else, and waits must then be bounded by other means.
    static bool available();

    // On the thread to be woken, around its blocking calls.
    void attach();
    void detach();
    // Any thread; does nothing while no thread is attached.
    void wake();

  private:
    std::mutex mutex_;
    bool attached_ = false;
    pthread_t thread_{};
};

}  // namespace quorvel
