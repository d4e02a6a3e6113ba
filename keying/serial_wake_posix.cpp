#include "keying/serial_wake_posix.h"

#include <signal.h>

namespace quorvel {

namespace {

// A real-time signal nothing else in the program uses; its default action would end the
// process, so it is only ever sent once the handler is in place.
int wakeSignal() {
    return SIGRTMIN + 3;
}

extern "C" void ignoreWake(int) {}

bool install() {
    struct sigaction current {};
    if (sigaction(wakeSignal(), nullptr, &current) != 0)
        return false;
    if (current.sa_handler == ignoreWake)
        return true;
    if ((current.sa_flags & SA_SIGINFO) != 0 || current.sa_handler != SIG_DFL)
        return false;
    struct sigaction action {};
    action.sa_handler = ignoreWake;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: the interrupted call must return EINTR
    return sigaction(wakeSignal(), &action, nullptr) == 0;
}

}  // namespace

bool ThreadWaker::available() {
    static const bool installed = install();
    return installed;
}

void ThreadWaker::attach() {
    std::lock_guard lock(mutex_);
    thread_ = pthread_self();
    attached_ = true;
}

void ThreadWaker::detach() {
    std::lock_guard lock(mutex_);
    attached_ = false;
}

void ThreadWaker::wake() {
    // Under the lock, so the thread cannot end between the check and the signal.
    std::lock_guard lock(mutex_);
    if (attached_ && available())
        pthread_kill(thread_, wakeSignal());
}

}  // namespace quorvel
