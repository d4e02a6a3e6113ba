#include <dlfcn.h>
#include <pthread.h>
#include <sched.h>

#include "audio/sdl/audio_platform.h"

namespace quorvel {
namespace {

void dropMessage(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

void quietAlsa() {
    // SDL loads the same library by the same name later and so gets this instance, handler
    // and all; it is never unloaded, since SDL may still hold it.
    static void* const library = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return;
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    if (auto set = reinterpret_cast<SetHandler>(dlsym(library, "snd_lib_error_set_handler")))
        set(&dropMessage);
}

void raiseAudioThread() {
    // As high as the keying thread; a refusal (no privilege, no rtkit limit) leaves SDL's own
    // raised nice value.
    sched_param param{};
    param.sched_priority = 10;
    (void)pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
}

}  // namespace quorvel
