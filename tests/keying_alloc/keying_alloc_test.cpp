// The keying loop's samples allocate nothing, a character far longer than any code included:
// this binary counts every allocation.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "keying/keying_engine.h"
#include "keying/timing_script.h"
#include "tests/keying/keying_fixture.h"

namespace {
std::atomic<bool> counting{false};
std::atomic<int> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
    if (counting.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"  // malloc'd by the new above
#endif
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace quorvel {
namespace {

TEST(KeyingLoop, SamplesAllocateNothing) {
    test::DocumentFixture f;
    f.settings.WPM.store(20);  // 60 ms unit
    f.document.installSet({test::DocumentFixture::latin(u"EEE", u"A", u"B")}, true);
    KeyingEngine engine(f.settings, f.flags, f.document);
    TimingScript script;
    for (int i = 0; i < 100; ++i) {  // one "character" of 100 dots, past the reserved buffers
        script.push_back({true, false, 60});
        script.push_back({false, false, 60});
    }
    script.push_back({false, false, 1000});  // the character gap and a word gap
    for (int i = 0; i < 3; ++i) {
        script.push_back({true, false, 60});
        script.push_back({false, false, 400});
    }
    engine.restartTiming(0);
    std::uint32_t now = 0;
    counting.store(true);
    for (const ContactSegment& seg : script) {
        f.flags.keyboardDot.store(seg.dot ? 1 : 0);
        for (std::uint32_t k = 0; k < seg.ms; ++k)
            engine.step(now++);
    }
    counting.store(false);
    EXPECT_EQ(allocations.load(), 0);
    // Everything was timed and queued: the long character (cut) and the three E.
    engine.drain();
    EXPECT_EQ(f.scoring.elements.size(), 103u);
}

}  // namespace
}  // namespace quorvel
