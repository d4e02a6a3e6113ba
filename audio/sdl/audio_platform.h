// What SDL leaves to the program on each platform: the audio thread's priority and the
// messages of the libraries SDL loads.
#pragma once

namespace quorvel {

// ALSA writes its complaints ("ALSA lib ... cannot find card '0'") straight to standard error
// whenever SDL probes it on a machine without a card; the program says once that it runs
// silent instead. Gives the ALSA library a handler that drops them. One thread at a time.
void quietAlsa();

// Called by the audio callback the first time it runs on a thread: a low real-time priority
// where the system grants one, so the buffers are not late whenever other work runs.
void raiseAudioThread();

}  // namespace quorvel
