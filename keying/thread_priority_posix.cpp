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

}  // namespace

// Linux timers already have sub-millisecond resolution; there is nothing to raise.
void raiseKeyingThreadPriority() {
    setNice(-10);
}
void restoreKeyingTimer() {}
void raiseConsumerThreadPriority() {
    setNice(-5);
}

}  // namespace quorvel
