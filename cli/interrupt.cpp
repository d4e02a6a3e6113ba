#include "cli/interrupt.h"

#include <array>
#include <csignal>

namespace quorvel::cli {
namespace {

volatile std::sig_atomic_t caught = 0;

extern "C" void onSignal(int signal) {
    caught = signal;
}

using Handler = void (*)(int);

constexpr std::array kSignals = {
    SIGINT,
    SIGTERM,
#ifdef SIGHUP
    SIGHUP,
#endif
};

std::array<Handler, kSignals.size()> previous{};

}  // namespace

InterruptGuard::InterruptGuard() {
    caught = 0;
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        previous[i] = std::signal(kSignals[i], onSignal);
}

InterruptGuard::~InterruptGuard() {
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        std::signal(kSignals[i], previous[i] == SIG_ERR ? SIG_DFL : previous[i]);
}

bool InterruptGuard::interrupted() const {
    return caught != 0;
}

int InterruptGuard::exitStatus() const {
    const int signal = caught;
    return signal == 0 ? 0 : 128 + signal;
}

}  // namespace quorvel::cli
