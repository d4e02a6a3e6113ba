#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "audio/file/audio_file_writer.h"
#include "engine/audio_export.h"
#include "tests/support/temp_dir.h"

namespace quorvel {
namespace {

using test::TempDir;

constexpr int kRate = 48000;

// A short Latin set at 30 WPM: a few seconds of audio, quick to encode in every format.
AudioExportJob shortJob() {
    AudioExportJob job;
    job.latin = true;
    TelegramRecord one;
    one.preamble = u"12";
    one.address = u"TOKYO";
    one.text = u"CQ DE JA1";
    TelegramRecord two;
    two.preamble = u"34";
    two.address = u"OSAKA";
    two.text = u"QRV";
    job.telegrams = {one, two};
    return job;
}

struct Exported {
    std::vector<float> samples;
    std::string title;
    std::string comment;
};

Exported readBack(const std::filesystem::path& path) {
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    EXPECT_NE(f, nullptr) << path << ": " << sf_strerror(nullptr);
    Exported e;
    if (!f)
        return e;
    EXPECT_EQ(info.samplerate, kRate);
    EXPECT_EQ(info.channels, 1);
    std::vector<float> chunk(4096);
    for (sf_count_t n; (n = sf_readf_float(f, chunk.data(), 4096)) > 0;)
        e.samples.insert(e.samples.end(), chunk.begin(), chunk.begin() + n);
    if (const char* t = sf_get_string(f, SF_STR_TITLE))
        e.title = t;
    if (const char* c = sf_get_string(f, SF_STR_COMMENT))
        e.comment = c;
    sf_close(f);
    return e;
}

// Frames a codec may add or drop at the ends of the stream: one frame (block) of it.
long codecFrame(AudioFileFormat format) {
    switch (format) {
        case AudioFileFormat::Mp3:
            return 1152;
        case AudioFileFormat::Opus:
            return 960;
        case AudioFileFormat::Ogg:
            return 2048;
        default:
            return 0;
    }
}

std::filesystem::path exportTo(const TempDir& dir, const std::string& name,
                               const AudioExportJob& job, const PracticeSettings& settings) {
    const auto path = dir.path() / name;
    AudioFileOptions o;
    describeTelegrams(job.telegrams, o.title, o.comment);
    auto writer = openAudioFile(path, o);
    EXPECT_TRUE(exportAudio(settings, job, *writer));
    return path;
}

// Lengths in frames of the stretches where the tone sounds: the elements as heard.
std::vector<long> elementLengths(const std::vector<float>& s) {
    std::vector<long> lengths;
    long run = 0;
    long quiet = 0;
    for (float v : s) {
        if (std::fabs(v) > 0.02f) {
            run += quiet + 1;  // a zero crossing inside a tone is not a gap
            quiet = 0;
        } else if (run > 0 && ++quiet > 48) {
            lengths.push_back(run);
            run = quiet = 0;
        }
    }
    if (run > 0)
        lengths.push_back(run);
    return lengths;
}

TEST(AudioExport, EveryFormatReadsBackAtTheWavLengthWithTheTelegramsInItsTags) {
    TempDir dir;
    PracticeSettings settings;
    PracticeSettings::set(settings.WPM, 30);
    const AudioExportJob job = shortJob();
    const Exported wav = readBack(exportTo(dir, "set.wav", job, settings));
    ASSERT_GT(wav.samples.size(), static_cast<std::size_t>(kRate));
    EXPECT_EQ(wav.samples.size(), audioExportFrames(settings, job));
    for (AudioFileFormat f : {AudioFileFormat::Wav, AudioFileFormat::Flac, AudioFileFormat::Ogg,
                              AudioFileFormat::Opus, AudioFileFormat::Mp3}) {
        const std::string name = "set" + std::string(audioFormatExtension(f));
        SCOPED_TRACE(name);
        const Exported e = readBack(exportTo(dir, name, job, settings));
        EXPECT_LE(
            std::labs(static_cast<long>(e.samples.size()) - static_cast<long>(wav.samples.size())),
            codecFrame(f));
        if (f != AudioFileFormat::Mp3) {
            // libsndfile reads no ID3 tags back; the MP3's are checked in its bytes below.
            EXPECT_NE(e.title.find("CQ DE JA1"), std::string::npos) << e.title;
            EXPECT_NE(e.comment.find("1. 12 TOKYO CQ DE JA1\n2. 34 OSAKA QRV"), std::string::npos)
                << e.comment;
        }
    }
    std::ifstream mp3(dir.path() / "set.mp3", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(mp3)), {});
    // An ID3v2.3 tag first, its texts in UTF-16 so that any player shows kana.
    EXPECT_EQ(bytes.rfind("ID3\x03", 0), 0u);
    const std::string utf16(
        "C\0Q\0 \0D\0E\0 \0J\0A\0"
        "1\0",
        18);
    EXPECT_NE(bytes.find("TIT2"), std::string::npos);
    EXPECT_NE(bytes.find("\xFF\xFE" + utf16), std::string::npos);
}

TEST(AudioExport, FlacHoldsTheWavSamplesExactlyEvenUnderBandConditions) {
    TempDir dir;
    PracticeSettings settings;
    PracticeSettings::set(settings.WPM, 30);
    PracticeSettings::set(settings.BandQSB, 1);
    PracticeSettings::set(settings.BandUnevenLength, 1);
    const AudioExportJob job = shortJob();
    const Exported wav = readBack(exportTo(dir, "band.wav", job, settings));
    const Exported flac = readBack(exportTo(dir, "band.flac", job, settings));
    ASSERT_EQ(flac.samples.size(), wav.samples.size());
    EXPECT_TRUE(flac.samples == wav.samples);
    const auto elements = elementLengths(wav.samples);
    EXPECT_GT(elements.size(), 30u);
    EXPECT_EQ(elementLengths(flac.samples), elements);
}

TEST(AudioExport, CancelledOrFailedExportLeavesTheTargetAsItWas) {
    TempDir dir;
    PracticeSettings settings;
    const AudioExportJob job = shortJob();
    for (const char* name : {"new.mp3", "old.flac", "old.wav"}) {
        SCOPED_TRACE(name);
        const auto path = dir.path() / name;
        const bool existed = name[0] == 'o';
        if (existed)
            std::ofstream(path) << "the learner's own file";
        {
            auto writer = openAudioFile(path, {});
            std::uint64_t seen = 0;
            EXPECT_FALSE(exportAudio(settings, job, *writer, [&](std::uint64_t frames) {
                seen = frames;
                return frames < static_cast<std::uint64_t>(kRate);
            }));
            EXPECT_GE(seen, static_cast<std::uint64_t>(kRate));
        }
        if (existed) {
            std::ifstream in(path);
            std::string kept;
            std::getline(in, kept);
            EXPECT_EQ(kept, "the learner's own file");
        } else {
            EXPECT_FALSE(std::filesystem::exists(path));
        }
    }
    // No temporary file stays behind either.
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 2u);
}

#ifndef _WIN32
TEST(AudioExport, StreamsAreWrittenDirectlyAndLinksKeepPointingAtTheirFile) {
    TempDir dir;
    PracticeSettings settings;
    PracticeSettings::set(settings.WPM, 40);
    AudioExportJob job = shortJob();
    job.telegrams.resize(1);
    for (const char* name : {"pipe.wav", "pipe.ogg", "pipe.flac"}) {
        SCOPED_TRACE(name);
        const auto fifo = dir.path() / name;
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        std::string got;
        std::thread reader([&] {
            std::ifstream in(fifo, std::ios::binary);
            got.assign(std::istreambuf_iterator<char>(in), {});
        });
        exportTo(dir, name, job, settings);
        reader.join();
        EXPECT_GT(got.size(), 10000u);
        EXPECT_EQ(std::filesystem::status(fifo).type(), std::filesystem::file_type::fifo);
    }
    const auto real = dir.path() / "real.mp3";
    std::ofstream(real) << "old";
    std::filesystem::create_symlink("real.mp3", dir.path() / "link.mp3");
    exportTo(dir, "link.mp3", job, settings);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "link.mp3"));
    EXPECT_GT(std::filesystem::file_size(real), 1000u);
}
#endif

TEST(AudioExport, NamesThatAreNotAudioFilesAreRefused) {
    TempDir dir;
    for (const char* name : {"set.aiff", "set", "set.mp3.txt"})
        EXPECT_THROW(openAudioFile(dir.path() / name, {}), std::runtime_error) << name;
    EXPECT_THROW(openAudioFile("", {}), std::runtime_error);
    EXPECT_THROW(openAudioFile(dir.path() / "missing" / "set.wav", {}), std::runtime_error);
    EXPECT_EQ(audioFormatForPath("WEEK.MP3"), AudioFileFormat::Mp3);
    EXPECT_EQ(audioFormatForPath("a.Opus"), AudioFileFormat::Opus);
}

TEST(AudioExport, TitleIsShortAndWholeWhileTheCommentKeepsEveryText) {
    TelegramRecord kana;
    kana.text = std::u16string(59, u'ア') + u"\U0001F600" + u"イウ";  // a pair at the cut
    TelegramRecord plain;
    plain.address = u"ADDR";
    std::string title, comment;
    describeTelegrams({kana, plain}, title, comment);
    EXPECT_EQ(title, toUtf8(std::u16string(59, u'ア')) + "… (2)");
    EXPECT_NE(comment.find(toUtf8(kana.text)), std::string::npos);
    EXPECT_NE(comment.find("\n2. ADDR\n"), std::string::npos);
}

}  // namespace
}  // namespace quorvel
