// The keying event queue: the cost of one post and take in one thread (what the keying loop
// pays per event when the consumer is awake), and of a post that wakes a sleeping consumer.
#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>

#include "keying/event_queue.h"

namespace quorvel {
namespace {

void postAndTake(benchmark::State& state) {
    std::atomic<std::uint32_t> generation{0};
    KeyingEventQueue queue(generation);
    const KeyingEvent event = KeyingEvent::character(".-..-", 1);
    for (auto _ : state) {
        queue.post(event);
        auto taken = queue.take();
        benchmark::DoNotOptimize(taken);
    }
}
BENCHMARK(postAndTake);

// The producer's side against a real consumer thread that sleeps whenever the queue is empty;
// each post waits until it was taken, so every post finds the consumer asleep or falling asleep.
void postToSleepingConsumer(benchmark::State& state) {
    std::atomic<std::uint32_t> generation{0};
    KeyingEventQueue queue(generation);
    std::atomic<std::uint64_t> taken{0};
    std::thread consumer([&] {
        while (queue.waitForEvents())
            while (queue.take())
                taken.fetch_add(1, std::memory_order_release);
    });
    const KeyingEvent event = KeyingEvent::wordGap(1);
    std::uint64_t posted = 0;
    for (auto _ : state) {
        queue.post(event);
        ++posted;
        while (taken.load(std::memory_order_acquire) != posted)
            ;
    }
    queue.shutdown();
    consumer.join();
}
BENCHMARK(postToSleepingConsumer)->UseRealTime();

}  // namespace
}  // namespace quorvel
