#ifdef _WIN32
#include <windows.h>
#define ENABLE_SNDFILE_WINDOWS_PROTOTYPES 1
#endif
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "audio/file/audio_file_writer.h"
#include "audio/file/id3_tag.h"
#include "audio/file/wav_file_writer.h"
#include "audio/wav_writer.h"
#include "storage/output_file.h"

namespace quorvel {
namespace {

int sndfileFormat(AudioFileFormat format) {
    switch (format) {
        case AudioFileFormat::Wav:
            return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        case AudioFileFormat::Flac:
            return SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
        case AudioFileFormat::Ogg:
            return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
        case AudioFileFormat::Opus:
            return SF_FORMAT_OGG | SF_FORMAT_OPUS;
        case AudioFileFormat::Mp3:
            return SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    }
    return 0;
}

// The encoder's view of the output file: it may seek back and patch what it wrote (headers,
// FLAC's stream info), and its file starts `base` bytes in, after a tag written first.
struct VirtualFile {
    OutputFile out;
    sf_count_t base = 0;
    sf_count_t pos = 0;  // encoder offsets, from base
    sf_count_t length = 0;

    sf_count_t write(const char* bytes, sf_count_t count) {
        sf_count_t done = 0;
        if (pos < length) {
            // Patching: a stream (FIFO, device) cannot go back, and the write fails.
            const sf_count_t over = std::min(count, length - pos);
            if (!out.writeAt(static_cast<std::uint64_t>(base + pos),
                             {bytes, static_cast<std::size_t>(over)}))
                return 0;
            done = over;
        }
        if (done < count && !out.write({bytes + done, static_cast<std::size_t>(count - done)}))
            return done;
        pos += count;
        length = std::max(length, pos);
        return count;
    }
};

VirtualFile& vf(void* user) {
    return *static_cast<VirtualFile*>(user);
}

SF_VIRTUAL_IO virtualIo() {
    SF_VIRTUAL_IO io{};
    io.get_filelen = [](void* user) -> sf_count_t { return vf(user).length; };
    io.seek = [](sf_count_t offset, int whence, void* user) -> sf_count_t {
        VirtualFile& v = vf(user);
        const sf_count_t to = whence == SEEK_SET   ? offset
                              : whence == SEEK_CUR ? v.pos + offset
                                                   : v.length + offset;
        // Only within what is written: the file grows by writes alone.
        if (to < 0 || to > v.length)
            return -1;
        v.pos = to;
        return to;
    };
    io.read = [](void*, sf_count_t, void*) -> sf_count_t { return 0; };  // never asked to
    io.write = [](const void* ptr, sf_count_t count, void* user) -> sf_count_t {
        return vf(user).write(static_cast<const char*>(ptr), count);
    };
    io.tell = [](void* user) -> sf_count_t { return vf(user).pos; };
    return io;
}

// libsndfile's level runs the other way: 0 is the largest, best file.
double compressionLevel(AudioFileFormat format, int quality) {
    const double q = std::clamp(quality, 0, 10);
    if (format == AudioFileFormat::Opus) {
        // Its level is linear in the bit rate, 8 to 244 kbit/s: doubling the rate every
        // 2.5 steps gives 8, 32 (the default) and 128 kbit/s, where a tone is already clean.
        const double kbits = 8.0 * std::pow(2.0, 0.4 * q);
        return std::clamp(1.0 - (kbits - 8.0) / 236.0, 0.0, 1.0);
    }
    return 1.0 - q / 10.0;
}

class SndfileWriter final : public AudioFileWriter {
  public:
    SndfileWriter(const std::filesystem::path& path, AudioFileFormat format,
                  const AudioFileOptions& o)
        : path_(path), pcm_(!isLossy(format)), channels_(static_cast<std::size_t>(o.channels)) {
        SF_INFO info{};
        info.samplerate = o.sampleRate;
        info.channels = o.channels;
        info.format = sndfileFormat(format);
        if (!io_.out.open(path, OutputFile::Special::WriteThrough))
            throw std::runtime_error(io_.out.error());
        if (format == AudioFileFormat::Mp3) {
            const std::string tag = id3v2Tag(o.title, o.comment);
            if (!io_.out.write(tag))
                throw std::runtime_error(io_.out.error());
            io_.base = static_cast<sf_count_t>(tag.size());
        }
        file_ = sf_open_virtual(&virtualIo_, SFM_WRITE, &info, &io_);
        if (!file_)
            fail(sf_strerror(nullptr));
        if (isLossy(format)) {
            double level = compressionLevel(format, o.quality);
            sf_command(file_, SFC_SET_COMPRESSION_LEVEL, &level, sizeof level);
            if (format == AudioFileFormat::Mp3) {
                int mode = SF_BITRATE_MODE_VARIABLE;
                sf_command(file_, SFC_SET_BITRATE_MODE, &mode, sizeof mode);
            }
        }
        // Tags go in before the first samples: the Ogg and FLAC writers put them first.
        if (format != AudioFileFormat::Mp3) {
            if (!o.title.empty())
                sf_set_string(file_, SF_STR_TITLE, o.title.c_str());
            if (!o.comment.empty())
                sf_set_string(file_, SF_STR_COMMENT, o.comment.c_str());
            sf_set_string(file_, SF_STR_SOFTWARE, "Quorvel");
        }
        pending_.reserve(kChunkFrames * channels_);
    }

    ~SndfileWriter() override {
        if (file_)
            sf_close(file_);  // before the file under it closes
    }

    void write(const float* samples, std::size_t frames) override {
        if (!file_)
            throw std::logic_error("audio file already finished");
        pending_.insert(pending_.end(), samples, samples + frames * channels_);
        if (pending_.size() >= kChunkFrames * channels_)
            flush();
    }

    void finish() override {
        if (!file_)
            return;
        flush();
        SNDFILE* f = std::exchange(file_, nullptr);
        if (const int rc = sf_close(f); rc != 0)
            fail(sf_error_number(rc));
        if (!io_.out.commit(false))
            throw std::runtime_error(io_.out.error());
    }

  private:
    static constexpr std::size_t kChunkFrames = 8192;

    [[noreturn]] void fail(const char* why) {
        // The output file's own reason first: a full disk says so there.
        throw std::runtime_error(io_.out.error().empty()
                                     ? "cannot write " + path_.string() + ": " + why
                                     : io_.out.error());
    }

    void flush() {
        const auto frames = static_cast<sf_count_t>(pending_.size() / channels_);
        if (frames == 0)
            return;
        sf_count_t done;
        if (pcm_) {
            // The same 16-bit values as the WAV writer of the Windows build, bit for bit.
            shorts_.resize(pending_.size());
            std::transform(pending_.begin(), pending_.end(), shorts_.begin(), pcm16);
            done = sf_writef_short(file_, shorts_.data(), frames);
        } else {
            done = sf_writef_float(file_, pending_.data(), frames);
        }
        pending_.clear();
        if (done != frames)
            fail(sf_strerror(file_));
    }

    std::filesystem::path path_;
    VirtualFile io_;
    SF_VIRTUAL_IO virtualIo_ = virtualIo();
    SNDFILE* file_ = nullptr;
    bool pcm_;
    std::size_t channels_;
    std::vector<float> pending_;
    std::vector<short> shorts_;
};

}  // namespace

bool audioFormatAvailable(AudioFileFormat) {
    return true;
}

std::unique_ptr<AudioFileWriter> openAudioFile(const std::filesystem::path& path,
                                               const AudioFileOptions& options) {
    const auto format = audioFormatForPath(path);
    if (!format)
        throw std::runtime_error("cannot write " + path.string() +
                                 ": the name must end in .wav, .flac, .ogg, .opus or .mp3");
    if (options.sampleRate <= 0 || options.channels <= 0)
        throw std::runtime_error("cannot write " + path.string() +
                                 ": invalid sample rate or channel count");
    std::error_code ec;
    const auto type = std::filesystem::status(followLinks(path), ec).type();
    if (*format == AudioFileFormat::Wav && type != std::filesystem::file_type::regular &&
        type != std::filesystem::file_type::not_found && type != std::filesystem::file_type::none)
        return std::make_unique<WavFileWriter>(path, options);
    return std::make_unique<SndfileWriter>(path, *format, options);
}

}  // namespace quorvel
