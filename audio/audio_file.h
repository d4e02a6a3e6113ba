// The audio files an export writes: the format chosen by the file's extension, and the one
// interface every format's writer fills.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

enum class AudioFileFormat { Wav, Flac, Ogg, Opus, Mp3 };

// By the extension, in any letter case; none for any other.
std::optional<AudioFileFormat> audioFormatForPath(const std::filesystem::path& path);
std::string_view audioFormatExtension(AudioFileFormat format);  // ".wav", ...
bool isLossy(AudioFileFormat format);

constexpr int kDefaultAudioQuality = 5;  // 0 smallest ... 10 best, lossy formats only

struct AudioFileOptions {
    int sampleRate = 48000;
    int channels = 1;
    int quality = kDefaultAudioQuality;
    std::string title;    // UTF-8
    std::string comment;  // UTF-8
};

class AudioFileWriter {
  public:
    // Without finish() nothing is left at the target: an existing file keeps its content.
    virtual ~AudioFileWriter() = default;
    // Appends frames × channels interleaved samples in [-1, 1]. Throws std::runtime_error.
    virtual void write(const float* samples, std::size_t frames) = 0;
    // Completes the file and puts it at the target. Throws std::runtime_error.
    virtual void finish() = 0;
};

// Roughly what a file of this length takes: exact for WAV, measured averages for the others
// (Morse is mostly silence and one tone, so the codecs do far better than on music; a noisy
// band, static or interference, costs them several times as much).
std::uint64_t estimatedAudioBytes(AudioFileFormat format, std::uint64_t frames, int sampleRate,
                                  int quality, bool noisy = false);

}  // namespace quorvel
