#include <gtest/gtest.h>

#include <vector>

#include "keying/key_type.h"

namespace quorvel {
namespace {

// Reads every 10 ms over the window, the lines given per read by f(i).
template <typename F>
std::vector<TimedModemStatus> everyTenMs(std::uint32_t start, F f) {
    std::vector<TimedModemStatus> samples;
    for (std::uint32_t i = 0; i < 150; ++i)
        samples.push_back({start + i * 10, f(i)});
    return samples;
}

KeyType classify(const std::vector<TimedModemStatus>& samples, bool autoKeyer = false,
                 std::uint32_t start = 1000) {
    return classifyKeyType(start, samples, autoKeyer);
}

TEST(KeyType, NamesTheFiveKindsOfKey) {
    const auto untouched = everyTenMs(1000, [](std::uint32_t) { return ModemStatus{}; });
    EXPECT_EQ(classify(untouched), KeyType::Unknown);
    EXPECT_EQ(classify(untouched, true), KeyType::Unknown);

    const auto dsrHeld = everyTenMs(1000, [](std::uint32_t) { return ModemStatus{true, false}; });
    EXPECT_EQ(classify(dsrHeld), KeyType::Other);

    const auto straight = everyTenMs(1000, [](std::uint32_t i) {
        return ModemStatus{(i / 7) % 2 == 1, false};
    });
    EXPECT_EQ(classify(straight), KeyType::Straight);
    const auto straightOnCts = everyTenMs(1000, [](std::uint32_t i) {
        return ModemStatus{false, (i / 7) % 2 == 1};
    });
    EXPECT_EQ(classify(straightOnCts), KeyType::Straight);

    // A paddle: dots on one side, then dashes on the other.
    const auto paddle = everyTenMs(1000, [](std::uint32_t i) {
        return i < 70 ? ModemStatus{i % 4 < 2, false} : ModemStatus{false, i % 8 < 6};
    });
    EXPECT_EQ(classify(paddle), KeyType::SideSwiperManual);
    EXPECT_EQ(classify(paddle, true), KeyType::SideSwiperAuto);
    EXPECT_EQ(classify(dsrHeld, true), KeyType::SideSwiperAuto);
}

TEST(KeyType, LabelsUseTheNamesInTheKeyTypeLine) {
    EXPECT_EQ(keyTypeLabel(KeyType::Unknown),
              u"電鍵種類: 電鍵未操作または未判別  J=DSR短点  K=CTS長点");
    EXPECT_EQ(keyTypeLabel(KeyType::SideSwiperAuto),
              u"電鍵種類: 横振りオート  J=DSR短点  K=CTS長点");
    EXPECT_EQ(keyTypeName(KeyType::Straight), u"縦振り");
    EXPECT_EQ(keyTypeName(KeyType::SideSwiperManual), u"横振りマニュアル");
    EXPECT_EQ(keyTypeName(KeyType::Other), u"その他");
}

TEST(KeyType, OnlyReadsInsideTheWindowCount) {
    // The line comes on only after 1.5 s: too late to be seen.
    std::vector<TimedModemStatus> late = {{1000, ModemStatus{}},
                                          {2490, ModemStatus{}},
                                          {2500, ModemStatus{true, false}},
                                          {2510, ModemStatus{false, false}}};
    EXPECT_EQ(classify(late), KeyType::Unknown);
    // Across the 32-bit tick wrap the window is measured in unsigned differences.
    std::vector<TimedModemStatus> wrapped = {{0xFFFFFFF0u, ModemStatus{}},
                                             {5, ModemStatus{true, false}},
                                             {15, ModemStatus{false, false}}};
    EXPECT_EQ(classify(wrapped, false, 0xFFFFFFF0u), KeyType::Straight);
}

TEST(KeyType, FailedReadsAreSkippedWithoutBreakingTheChangeCount) {
    KeyTypeSampler sampler(0);
    sampler.add(0, ModemStatus{true, false});
    sampler.add(10, std::nullopt);
    sampler.add(20, ModemStatus{true, false});  // same as the last successful read
    sampler.add(30, std::nullopt);
    EXPECT_EQ(sampler.counts().reads, 2);
    EXPECT_EQ(sampler.counts().dsrOn, 2);
    EXPECT_EQ(sampler.counts().dsrChanges, 0);
    EXPECT_EQ(classifyKeyType(sampler.counts(), false), KeyType::Other);
    sampler.add(40, ModemStatus{false, false});
    EXPECT_EQ(sampler.counts().dsrChanges, 1);
    EXPECT_FALSE(sampler.finished(1499));
    EXPECT_TRUE(sampler.finished(1500));
}

}  // namespace
}  // namespace quorvel
