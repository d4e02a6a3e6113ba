#include "audio/sdl/audio_platform.h"

namespace quorvel {

// No ALSA here; SDL's WASAPI thread already joins the "Pro Audio" multimedia class.
void quietAlsa() {}
void raiseAudioThread() {}

}  // namespace quorvel
