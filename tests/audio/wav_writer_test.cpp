#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audio/wav_writer.h"
#include "tests/support/temp_dir.h"

namespace quorvel {
namespace {

namespace fs = std::filesystem;

fs::path scratchDir(const std::string& name) {
    return test::scratchDir("audio", name);
}

std::vector<unsigned char> readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t u32(const std::vector<unsigned char>& b, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 4; i-- > 0;)
        v = v << 8 | b[at + i];
    return v;
}
std::uint16_t u16(const std::vector<unsigned char>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}
std::int16_t s16(const std::vector<unsigned char>& b, std::size_t at) {
    return static_cast<std::int16_t>(u16(b, at));
}

TEST(WavWriter, WritesAPlayableStereoFileWithClippedSamples) {
    const fs::path file = scratchDir("stereo") / "out.wav";
    {
        WavWriter wav(file, 44100, 2);
        const float first[] = {0.0f, 0.0f, 1.0f, -1.0f};
        const float second[] = {1.5f, -7.0f, 0.5f, -0.25f, 1e-6f, -1e-6f};
        wav.write(first, 2);
        wav.write(second, 3);
        EXPECT_FALSE(fs::exists(file));  // nothing appears before the file is complete
        wav.finish();
        EXPECT_EQ(wav.framesWritten(), 5u);
    }
    const auto b = readAll(file);
    ASSERT_EQ(b.size(), 44u + 5 * 2 * 2);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
    EXPECT_EQ(u32(b, 4), b.size() - 8);
    EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(u32(b, 16), 16u);
    EXPECT_EQ(u16(b, 20), 1);  // PCM
    EXPECT_EQ(u16(b, 22), 2);
    EXPECT_EQ(u32(b, 24), 44100u);
    EXPECT_EQ(u32(b, 28), 44100u * 4);
    EXPECT_EQ(u16(b, 32), 4);
    EXPECT_EQ(u16(b, 34), 16);
    EXPECT_EQ(std::string(b.begin() + 36, b.begin() + 40), "data");
    EXPECT_EQ(u32(b, 40), 20u);
    const std::vector<int> expected = {0, 0, 32767, -32767, 32767, -32767, 16384, -8192, 0, 0};
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(s16(b, 44 + 2 * i), expected[i]) << "sample " << i;
    EXPECT_FALSE(fs::exists(file.string() + ".tmp"));
}

TEST(WavWriter, LongMonoRunsAcrossChunkBoundaries) {
    const fs::path file = scratchDir("mono") / "long.wav";
    std::vector<float> ramp(10007);
    for (std::size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = static_cast<float>(i % 200) / 100.0f - 1.0f;
    WavWriter wav(file, 48000, 1);
    wav.write(ramp.data(), ramp.size());
    wav.finish();
    const auto b = readAll(file);
    ASSERT_EQ(b.size(), 44u + ramp.size() * 2);
    EXPECT_EQ(u32(b, 40), ramp.size() * 2);
    for (std::size_t i = 0; i < ramp.size(); ++i)
        ASSERT_EQ(s16(b, 44 + 2 * i), pcm16(ramp[i])) << "sample " << i;
}

TEST(WavWriter, AnAbandonedExportLeavesTheOldFileAlone) {
    const fs::path dir = scratchDir("abandon");
    const fs::path file = dir / "keep.wav";
    std::ofstream(file) << "old contents";
    {
        WavWriter wav(file, 48000, 1);
        const float s[] = {0.5f};
        wav.write(s, 1);
    }
    EXPECT_EQ(readAll(file).size(), std::string("old contents").size());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST(WavWriter, RefusesAnUnwritablePlaceOrFormatWithTheFileNamed) {
    const fs::path missing = scratchDir("refuse") / "no-such-dir" / "x.wav";
    try {
        WavWriter wav(missing, 48000, 1);
        FAIL() << "opened a file in a missing directory";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("x.wav"), std::string::npos) << e.what();
    }
    EXPECT_THROW(WavWriter(scratchDir("refuse") / "y.wav", 0, 1), std::runtime_error);
    EXPECT_THROW(WavWriter(scratchDir("refuse") / "y.wav", 48000, 0), std::runtime_error);
}

}  // namespace
}  // namespace quorvel
