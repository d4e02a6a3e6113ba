#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "keying/event_queue.h"

namespace quorvel {
namespace {

using namespace std::chrono_literals;

KeyingEvent numbered(std::uint32_t n, std::uint32_t generation) {
    KeyingEvent e = KeyingEvent::element(kDotMark, n, n);
    e.generation = generation;
    return e;
}

TEST(KeyingEventQueueTest, HeldBackConsumerKeepsTheNewest255) {
    std::atomic<std::uint32_t> generation{0};
    KeyingEventQueue q(generation);
    for (std::uint32_t i = 0; i < 300; ++i)
        q.post(numbered(i, 0));
    q.collect();
    EXPECT_EQ(q.size(), 255u);
    for (std::uint32_t i = 45; i < 300; ++i) {
        auto e = q.take();
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(e->duration, i);
    }
    EXPECT_FALSE(q.take().has_value());
}

TEST(KeyingEventQueueTest, KeepsOrderAndContentAndClearsByGeneration) {
    std::atomic<std::uint32_t> generation{0};
    KeyingEventQueue q(generation);
    q.post(KeyingEvent::character(".-", 5));
    q.post(KeyingEvent::wordGap(6));
    auto a = q.take();
    ASSERT_TRUE(a);
    EXPECT_EQ(a->kind, KeyingEventKind::Character);
    EXPECT_EQ(a->code(), ".-");
    EXPECT_EQ(q.take()->kind, KeyingEventKind::WordGap);
    for (std::uint32_t i = 0; i < 10; ++i)
        q.post(numbered(i, 0));
    q.collect();  // some already held, some still in the ring
    q.post(numbered(10, 0));
    q.clearQueue();
    EXPECT_EQ(generation.load(), 1u);
    q.post(numbered(11, 0));  // timed before the producer saw the clear
    EXPECT_FALSE(q.take());
    q.post(numbered(12, 1));
    EXPECT_EQ(q.take()->duration, 12u);
    EXPECT_EQ(q.size(), 0u);
}

TEST(KeyingEventQueueTest, FullRingDropsTheNewestAndCountsThem) {
    std::atomic<std::uint32_t> generation{0};
    KeyingEventQueue q(generation);
    for (std::uint32_t i = 0; i < KeyingEventQueue::kRingSlots + 3; ++i)
        q.post(numbered(i, 0));
    EXPECT_EQ(q.dropped(), 3u);
    q.collect();
    EXPECT_EQ(q.take()->duration, KeyingEventQueue::kRingSlots - KeyingEventQueue::kHeld);
}

// A real producer and consumer: the producer lets the consumer fall asleep again and again (it
// waits for an empty queue every few events), so a lost wake-up hangs the run; a clear from a
// third thread half-way drops only what came before it.
TEST(KeyingEventQueueTest, EveryEventArrivesOnceInOrderAcrossAClear) {
    constexpr std::uint32_t kEvents = 50000;
    std::atomic<std::uint32_t> generation{0};
    KeyingEventQueue q(generation);
    std::vector<KeyingEvent> received;
    received.reserve(kEvents);
    std::thread consumer([&] {
        while (q.waitForEvents())
            while (auto e = q.take())
                received.push_back(*e);
    });

    const auto deadline = std::chrono::steady_clock::now() + 60s;  // hang guard
    bool hung = false;
    std::atomic<std::uint32_t> posted{0};
    std::uint32_t firstAfterClear = 0;
    std::thread clearer([&] {
        while (posted.load() < kEvents / 2 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::yield();
        q.clearQueue();
    });
    std::thread producer([&] {
        for (std::uint32_t i = 0; i < kEvents && !hung; ++i) {
            const std::uint32_t g = generation.load();  // as the sampler stamps its events
            if (g != 0 && firstAfterClear == 0)
                firstAfterClear = i;
            q.post(numbered(i, g));
            posted.store(i + 1);
            if (i % 7 == 0) {
                while (q.size() != 0 && !hung)
                    hung = std::chrono::steady_clock::now() > deadline;
            }
        }
    });
    producer.join();
    clearer.join();
    while (q.size() != 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    q.shutdown();
    consumer.join();

    ASSERT_FALSE(hung) << "the consumer missed a wake-up";
    EXPECT_EQ(q.dropped(), 0u);
    ASSERT_GT(firstAfterClear, 0u);
    // Strictly rising: nothing twice, nothing out of order.
    for (std::size_t i = 1; i < received.size(); ++i)
        ASSERT_LT(received[i - 1].duration, received[i].duration);
    // Everything stamped after the clear arrives; of the earlier events none after them.
    std::uint32_t next = firstAfterClear;
    bool newer = false;
    for (const KeyingEvent& e : received) {
        if (e.generation == 1) {
            newer = true;
            EXPECT_EQ(e.duration, next++);
        } else {
            EXPECT_FALSE(newer) << "an event from before the clear after a newer one";
        }
    }
    EXPECT_EQ(next, kEvents);
}

TEST(KeyingEventQueueTest, WaitWakesOnWakeAndOnShutdown) {
    std::atomic<std::uint32_t> generation{0};
    KeyingEventQueue q(generation);
    std::atomic<int> passes{0};
    std::thread consumer([&] {
        while (q.waitForEvents())
            passes.fetch_add(1);
    });
    q.wake();
    const auto deadline = std::chrono::steady_clock::now() + 10s;  // hang guard
    while (passes.load() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    EXPECT_GE(passes.load(), 1);
    q.shutdown();
    consumer.join();  // would hang if shutdown did not wake the waiter
    q.post(KeyingEvent::wordGap(0));
    EXPECT_EQ(q.size(), 0u);  // ignored once shut down
    q.reopen();
    q.post(KeyingEvent::wordGap(0));
    EXPECT_EQ(q.size(), 1u);
}

}  // namespace
}  // namespace quorvel
