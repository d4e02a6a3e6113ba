// The WAV writer behind the audio file interface: a stream (FIFO, device) takes a WAV only
// from it, since it never goes back to patch the header.
#pragma once

#include "audio/audio_file.h"
#include "audio/wav_writer.h"

namespace quorvel {

class WavFileWriter final : public AudioFileWriter {
  public:
    WavFileWriter(const std::filesystem::path& path, const AudioFileOptions& o)
        : wav_(path, o.sampleRate, o.channels) {}
    void write(const float* samples, std::size_t frames) override { wav_.write(samples, frames); }
    void finish() override { wav_.finish(); }

  private:
    WavWriter wav_;
};

}  // namespace quorvel
