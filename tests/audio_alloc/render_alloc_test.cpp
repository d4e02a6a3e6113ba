// The audio callback's render path allocates nothing: this binary counts every allocation.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "tests/audio/audio_rig.h"

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

TEST(ToneEdges, RenderingAllocatesNothing) {
    test::AudioRig rig(48000, 2);
    rig.set(rig.settings.BandQRN, 1);
    rig.set(rig.settings.BandQSB, 1);
    rig.flags.BandEffectsActive.store(1);
    std::vector<float> buffer(2 * 1023);
    counting = true;
    for (std::uint32_t t = 0; t < 200; ++t) {
        rig.flags.setToneKeyDown(t % 3 == 0, 1000 + t);
        rig.renderer.render(Renderer::BufferStart{1000 + t, 500}, buffer.data(), 1023);
    }
    counting = false;
    EXPECT_EQ(allocations.load(), 0);
}

}  // namespace
}  // namespace quorvel
