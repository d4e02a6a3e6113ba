// The keying loop's samples allocate nothing, a character far longer than any code included:
// this binary counts every allocation.
#include <gtest/gtest.h>

#include "keying/keying_engine.h"
#include "keying/timing_script.h"
#include "tests/keying/keying_fixture.h"
#include "tests/support/allocation_counter.h"

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
    test::countAllocations(true);
    for (const ContactSegment& seg : script) {
        f.flags.keyboardDot.store(seg.dot ? 1 : 0);
        for (std::uint32_t k = 0; k < seg.ms; ++k)
            engine.step(now++);
    }
    test::countAllocations(false);
    EXPECT_EQ(test::allocationsCounted(), 0);
    // Everything was timed and queued: the long character (cut) and the three E.
    engine.drain();
    EXPECT_EQ(f.scoring.elements.size(), 103u);
}

}  // namespace
}  // namespace quorvel
