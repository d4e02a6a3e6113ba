#include "storage/thread_budget.h"

#include <atomic>
#include <cstdio>

namespace quorvel {
namespace {

// Not state of any trainer: a diagnostic count, like the message it goes with.
std::atomic<std::uint64_t> overruns{0};

}  // namespace

void reportStopOverrun(const char* what, std::chrono::milliseconds budget) {
    overruns.fetch_add(1, std::memory_order_relaxed);
    std::fprintf(stderr, "quorvel: %s did not end within %lld ms\n", what,
                 static_cast<long long>(budget.count()));
}

std::uint64_t stopOverruns() {
    return overruns.load(std::memory_order_relaxed);
}

}  // namespace quorvel
