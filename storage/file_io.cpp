#include "storage/file_io.h"

#include <exception>
#include <fstream>
#include <iterator>

namespace quorvel {

std::optional<std::string> readFileBytes(const std::filesystem::path& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return std::nullopt;
    try {
        std::ifstream in(path, std::ios::binary);
        if (!in)
            return std::nullopt;
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (in.bad())
            return std::nullopt;
        return bytes;
    } catch (const std::exception&) {
        // A read error the stream reports by throwing (a device, a vanished mount).
        return std::nullopt;
    }
}

}  // namespace quorvel
