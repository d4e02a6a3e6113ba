// Writes rendered audio to a 16-bit PCM WAV file for offline export. A file appears whole or
// not at all (samples go to a temporary file beside it, renamed on finish()); a device or FIFO
// is written as a stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "storage/output_file.h"

namespace quorvel {

class WavWriter {
  public:
    // Throws std::runtime_error naming the file when it cannot be created (an empty path, a
    // directory), or when the rate or channel count is not positive.
    WavWriter(std::filesystem::path path, int sampleRate, int channels);
    // Without finish() the temporary file is removed and an existing file is left as it was.
    ~WavWriter();
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    // Appends frames × channels interleaved samples; values outside [-1, 1] are clipped.
    // Throws std::runtime_error on a write failure or when the file would pass the 4 GiB
    // limit of the format.
    void write(const float* samples, std::size_t frames);
    // Completes the header and moves the file into place. Throws std::runtime_error.
    void finish();

    std::uint64_t framesWritten() const { return frames_; }

  private:
    std::filesystem::path path_;
    OutputFile file_;
    int sampleRate_;
    int channels_;
    std::uint64_t frames_ = 0;
    bool finished_ = false;
};

// 16-bit value of one sample: clipped to [-1, 1], scaled by 32767 and rounded.
std::int16_t pcm16(float sample);

}  // namespace quorvel
