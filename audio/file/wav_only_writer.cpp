#include <stdexcept>

#include "audio/file/audio_file_writer.h"
#include "audio/wav_writer.h"

namespace quorvel {
namespace {

class WavFileWriter final : public AudioFileWriter {
  public:
    WavFileWriter(const std::filesystem::path& path, const AudioFileOptions& o)
        : wav_(path, o.sampleRate, o.channels) {}
    void write(const float* samples, std::size_t frames) override { wav_.write(samples, frames); }
    void finish() override { wav_.finish(); }

  private:
    WavWriter wav_;
};

}  // namespace

bool audioFormatAvailable(AudioFileFormat format) {
    return format == AudioFileFormat::Wav;
}

std::unique_ptr<AudioFileWriter> openAudioFile(const std::filesystem::path& path,
                                               const AudioFileOptions& options) {
    const auto format = audioFormatForPath(path);
    if (format != AudioFileFormat::Wav)
        throw std::runtime_error("cannot write " + path.string() +
                                 ": this build writes WAV files only (.wav)");
    return std::make_unique<WavFileWriter>(path, options);
}

}  // namespace quorvel
