// Opens the writer of an audio file in the format its extension names. Builds without
// libsndfile (the Windows cross build) write WAV only.
#pragma once

#include <filesystem>
#include <memory>

#include "audio/audio_file.h"

namespace quorvel {

bool audioFormatAvailable(AudioFileFormat format);

// Throws std::runtime_error naming the file: an unknown or unavailable format, or a file that
// cannot be created.
std::unique_ptr<AudioFileWriter> openAudioFile(const std::filesystem::path& path,
                                               const AudioFileOptions& options);

}  // namespace quorvel
