#include <stdexcept>

#include "audio/file/audio_file_writer.h"
#include "audio/file/wav_file_writer.h"

namespace quorvel {

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
