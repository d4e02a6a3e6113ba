#include "audio/audio_file.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>

namespace quorvel {
namespace {

struct FormatName {
    AudioFileFormat format;
    std::string_view extension;
};

constexpr std::array<FormatName, 5> kFormats = {{{AudioFileFormat::Wav, ".wav"},
                                                 {AudioFileFormat::Flac, ".flac"},
                                                 {AudioFileFormat::Ogg, ".ogg"},
                                                 {AudioFileFormat::Opus, ".opus"},
                                                 {AudioFileFormat::Mp3, ".mp3"}}};

}  // namespace

std::optional<AudioFileFormat> audioFormatForPath(const std::filesystem::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const FormatName& f : kFormats)
        if (ext == f.extension)
            return f.format;
    return std::nullopt;
}

std::string_view audioFormatExtension(AudioFileFormat format) {
    for (const FormatName& f : kFormats)
        if (f.format == format)
            return f.extension;
    return {};
}

bool isLossy(AudioFileFormat format) {
    return format != AudioFileFormat::Wav && format != AudioFileFormat::Flac;
}

std::uint64_t estimatedAudioBytes(AudioFileFormat format, std::uint64_t frames, int sampleRate,
                                  int quality, bool noisy) {
    constexpr std::uint64_t kWavHeader = 44;
    const std::uint64_t seconds = frames / static_cast<std::uint64_t>(std::max(1, sampleRate));
    const auto q = static_cast<std::uint64_t>(std::clamp(quality, 0, 10));
    switch (format) {
        case AudioFileFormat::Wav:
            return kWavHeader + frames * 2;
        case AudioFileFormat::Flac:
            return seconds * (noisy ? 72000 : 12000);  // bytes per second, measured
        case AudioFileFormat::Ogg:
            return seconds * (2300 + 280 * q) * (noisy ? 27 : 10) / 10;
        case AudioFileFormat::Opus:
            return seconds *
                   static_cast<std::uint64_t>(1100.0 * std::pow(2.0, 0.4 * static_cast<double>(q)));
        case AudioFileFormat::Mp3:
            return seconds * (4000 + 200 * q + 600 * (q > 5 ? q - 5 : 0)) * (noisy ? 18 : 10) / 10;
    }
    return 0;
}

}  // namespace quorvel
