#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "keying/thread_priority.h"

namespace quorvel {
namespace {

// A nice value applies to one thread on Linux when given its thread id. Lowering it needs
// privileges; without them the call fails and the thread keeps its priority.
void setNice(int value) {
#ifdef SYS_gettid
    const auto tid = static_cast<id_t>(syscall(SYS_gettid));
    (void)setpriority(PRIO_PROCESS, tid, value);
#else
    (void)value;
#endif
}

// A low real-time priority where the system grants one (root, rtkit limits): a 1 ms loop that
// sleeps between samples cannot starve the machine, and it is no longer late by milliseconds
// whenever other work runs. Otherwise a raised nice value.
void raiseTimingThread() {
    sched_param param{};
    param.sched_priority = 10;
    if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) != 0)
        setNice(-10);
}

}  // namespace

// Linux timers already have sub-millisecond resolution; there is nothing to raise.
void raiseKeyingThreadPriority() {
    raiseTimingThread();
}
void restoreKeyingTimer() {}
void raisePlaybackThreadPriority() {
    raiseTimingThread();
}
void raiseConsumerThreadPriority() {
    setNice(-5);
}

}  // namespace quorvel
