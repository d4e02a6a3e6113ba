#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "keying/event_queue.h"

namespace quorvel {
namespace {

TEST(KeyingEventQueueTest, FullRingKeepsTheNewest255) {
    KeyingEventQueue q;
    for (std::uint32_t i = 0; i < 300; ++i)
        q.post(KeyingEvent::element(kDotMark, i, i));
    EXPECT_EQ(q.size(), 255u);
    for (std::uint32_t i = 45; i < 300; ++i) {
        auto e = q.take();
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(e->duration, i);
    }
    EXPECT_FALSE(q.take().has_value());
}

TEST(KeyingEventQueueTest, KeepsOrderAndContentAndClears) {
    KeyingEventQueue q;
    q.post(KeyingEvent::character(".-", 5));
    q.post(KeyingEvent::wordGap(6));
    auto a = q.take();
    ASSERT_TRUE(a);
    EXPECT_EQ(a->kind, KeyingEventKind::Character);
    EXPECT_EQ(a->code(), ".-");
    EXPECT_EQ(q.take()->kind, KeyingEventKind::WordGap);
    for (int i = 0; i < 10; ++i)
        q.post(KeyingEvent::wordGap(0));
    q.clearQueue();
    EXPECT_EQ(q.size(), 0u);
    EXPECT_FALSE(q.take());
    q.post(KeyingEvent::wordGap(9));  // usable after clearing
    EXPECT_EQ(q.take()->time, 9u);
}

TEST(KeyingEventQueueTest, WaitWakesOnPostAndOnShutdown) {
    KeyingEventQueue q;
    std::atomic<int> woken{0};
    std::thread consumer([&] {
        while (q.waitForEvents()) {
            while (q.take())
                woken.fetch_add(1);
        }
    });
    for (int i = 0; i < 5; ++i)
        q.post(KeyingEvent::wordGap(0));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (woken.load() < 5 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    EXPECT_EQ(woken.load(), 5);
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
