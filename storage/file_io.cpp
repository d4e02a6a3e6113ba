#include "storage/file_io.h"

#include <new>
#include <stdexcept>

#include "storage/output_file.h"

namespace quorvel {

bool ReadOnlyFile::readAll(std::string& bytes) {
    if (!isOpen())
        return false;
    std::string out;
    try {
        // In pieces rather than trusting the size: the file may be growing.
        constexpr std::size_t kChunk = 64 * 1024;
        std::size_t used = 0;
        for (;;) {
            out.resize(used + kChunk);
            std::size_t got = 0;
            if (!readAt(used, out.data() + used, kChunk, got))
                return false;
            used += got;
            if (got < kChunk)
                break;
        }
        out.resize(used);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    bytes = std::move(out);
    return true;
}

std::optional<std::string> readFileBytes(const std::filesystem::path& path, ReadProblem* problem) {
    ReadOnlyFile in(path);
    std::string bytes;
    if (in.readAll(bytes)) {
        if (problem)
            *problem = ReadProblem::None;
        return bytes;
    }
    if (problem) {
        switch (in.state()) {
            case ReadOnlyFile::State::Missing:
                *problem = ReadProblem::Missing;
                break;
            case ReadOnlyFile::State::NotRegular:
                *problem = ReadProblem::NotRegular;
                break;
            default:
                *problem = ReadProblem::Unreadable;
                break;
        }
    }
    return std::nullopt;
}

const char* describe(ReadProblem problem) {
    switch (problem) {
        case ReadProblem::None:
            return "readable";
        case ReadProblem::Missing:
            return "no such file";
        case ReadProblem::NotRegular:
            return "not a regular file";
        case ReadProblem::Unreadable:
            break;
    }
    return "cannot be read";
}

bool replaceFile(const std::filesystem::path& path, std::string_view bytes, bool sync,
                 std::string* error, FileVersion* written) {
    OutputFile out;
    if (out.open(path, OutputFile::Special::Refuse) && out.write(bytes) &&
        out.commit(sync, written))
        return true;
    if (error)
        *error = out.error();
    return false;
}

}  // namespace quorvel
