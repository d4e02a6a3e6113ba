#include "audio/wav_writer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>

namespace quorvel {

namespace {

constexpr std::size_t kHeaderBytes = 44;
constexpr std::uint64_t kMaxDataBytes = 0xFFFFFFFFull - (kHeaderBytes - 8);

void put16(char* p, std::uint16_t v) {
    p[0] = static_cast<char>(v & 0xFF);
    p[1] = static_cast<char>(v >> 8);
}

void put32(char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::array<char, kHeaderBytes> header(int sampleRate, int channels, std::uint32_t dataBytes) {
    std::array<char, kHeaderBytes> h{};
    const auto rate = static_cast<std::uint32_t>(sampleRate);
    const auto ch = static_cast<std::uint16_t>(channels);
    std::memcpy(h.data(), "RIFF", 4);
    put32(h.data() + 4, dataBytes + static_cast<std::uint32_t>(kHeaderBytes - 8));
    std::memcpy(h.data() + 8, "WAVEfmt ", 8);
    put32(h.data() + 16, 16);  // size of the format chunk
    put16(h.data() + 20, 1);   // integer PCM
    put16(h.data() + 22, ch);
    put32(h.data() + 24, rate);
    put32(h.data() + 28, rate * ch * 2u);                      // bytes per second
    put16(h.data() + 32, static_cast<std::uint16_t>(ch * 2));  // bytes per frame
    put16(h.data() + 34, 16);                                  // bits per sample
    std::memcpy(h.data() + 36, "data", 4);
    put32(h.data() + 40, dataBytes);
    return h;
}

}  // namespace

std::int16_t pcm16(float sample) {
    const float clipped = std::clamp(sample, -1.0f, 1.0f);
    return static_cast<std::int16_t>(std::lround(clipped * 32767.0f));
}

WavWriter::WavWriter(std::filesystem::path path, int sampleRate, int channels)
    : path_(std::move(path)), sampleRate_(sampleRate), channels_(channels) {
    if (sampleRate <= 0 || channels <= 0 || channels > 0xFFFF)
        throw std::runtime_error("cannot write " + path_.string() +
                                 ": invalid sample rate or channel count");
    if (!file_.open(path_, OutputFile::Special::WriteThrough))
        throw std::runtime_error(file_.error());
    // A FIFO or device cannot take the lengths afterwards: it gets the largest, as a stream.
    const auto h = header(sampleRate_, channels_,
                          file_.direct() ? static_cast<std::uint32_t>(kMaxDataBytes) : 0);
    if (!file_.write(std::string_view(h.data(), h.size())))
        throw std::runtime_error(file_.error());
}

WavWriter::~WavWriter() = default;

void WavWriter::write(const float* samples, std::size_t frames) {
    if (finished_)
        throw std::logic_error("WAV file already finished");
    const auto channels = static_cast<std::size_t>(channels_);
    const std::uint64_t bytesAfter = (frames_ + frames) * channels * 2;
    if (bytesAfter > kMaxDataBytes)
        throw std::runtime_error("cannot write " + path_.string() +
                                 ": audio too long for a WAV file");
    std::array<char, 4096> chunk{};
    std::size_t used = 0;
    for (std::size_t i = 0; i < frames * channels; ++i) {
        put16(chunk.data() + used, static_cast<std::uint16_t>(pcm16(samples[i])));
        used += 2;
        if (used == chunk.size() || i + 1 == frames * channels) {
            if (!file_.write(std::string_view(chunk.data(), used)))
                throw std::runtime_error(file_.error());
            used = 0;
        }
    }
    frames_ += frames;
}

void WavWriter::finish() {
    if (finished_)
        return;
    const auto dataBytes =
        static_cast<std::uint32_t>(frames_ * static_cast<std::uint64_t>(channels_) * 2);
    const auto h = header(sampleRate_, channels_, dataBytes);
    if (!file_.direct() && !file_.writeAt(0, std::string_view(h.data(), h.size())))
        throw std::runtime_error(file_.error());
    if (!file_.commit(true))
        throw std::runtime_error(file_.error());
    finished_ = true;
}

}  // namespace quorvel
