// Scheduling hints for the keying threads; each does what the platform permits and nothing
// more, so a refusal leaves the thread running at its normal priority.
#pragma once

namespace quorvel {

// The 1 ms sampling thread: the highest normal priority and the finest timer available.
void raiseKeyingThreadPriority();
// Undoes what raiseKeyingThreadPriority changed for the whole process (the timer).
void restoreKeyingTimer();
// The receive playback's thread, which keys the contacts: as high as the keying thread.
void raisePlaybackThreadPriority();
// The consumer thread: somewhat above normal.
void raiseConsumerThreadPriority();

}  // namespace quorvel
