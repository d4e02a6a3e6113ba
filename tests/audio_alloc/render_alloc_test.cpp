// The audio callback's render path allocates nothing: this binary counts every allocation.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/audio/audio_rig.h"
#include "tests/support/allocation_counter.h"

namespace quorvel {
namespace {

TEST(ToneEdges, RenderingAllocatesNothing) {
    test::AudioRig rig(48000, 2);
    rig.set(rig.settings.BandQRN, 1);
    rig.set(rig.settings.BandQSB, 1);
    rig.flags.BandEffectsActive.store(1);
    std::vector<float> buffer(2 * 1023);
    test::countAllocations(true);
    for (std::uint32_t t = 0; t < 200; ++t) {
        rig.flags.setToneKeyDown(t % 3 == 0, 1000 + t);
        rig.renderer.render(Renderer::BufferStart{1000 + t, 500}, buffer.data(), 1023);
    }
    test::countAllocations(false);
    EXPECT_EQ(test::allocationsCounted(), 0);
}

}  // namespace
}  // namespace quorvel
