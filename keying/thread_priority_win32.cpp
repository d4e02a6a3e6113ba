#include <windows.h>
// mmsystem.h needs the types of windows.h first.
#include <mmsystem.h>

#include "keying/thread_priority.h"

namespace quorvel {

void raiseKeyingThreadPriority() {
    timeBeginPeriod(1);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
}

void restoreKeyingTimer() {
    timeEndPeriod(1);
}

void raisePlaybackThreadPriority() {
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
}

void raiseConsumerThreadPriority() {
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
}

}  // namespace quorvel
