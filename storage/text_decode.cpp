#include "storage/text_decode.h"

#include <fstream>
#include <new>
#include <system_error>

#include "storage/utf.h"

namespace quorvel {

bool readWholeFile(const std::filesystem::path& path, std::string& bytes) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string out;
    try {
        // Read in chunks rather than trusting the size: the file may be growing, or a pipe.
        constexpr std::size_t kChunk = 64 * 1024;
        std::size_t used = 0;
        for (;;) {
            out.resize(used + kChunk);
            in.read(out.data() + used, static_cast<std::streamsize>(kChunk));
            const auto got = in.gcount();
            used += static_cast<std::size_t>(got);
            if (in.bad())
                return false;
            if (!in)
                break;  // end of file
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

bool decodeText(std::string_view bytes, std::u16string& text) {
    std::u16string out;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        const std::size_t units = (bytes.size() - 2) / 2;  // an odd last byte is dropped
        out.resize(units);
        for (std::size_t i = 0; i < units; ++i) {
            const auto lo = static_cast<unsigned char>(bytes[2 + 2 * i]);
            const auto hi = static_cast<unsigned char>(bytes[3 + 2 * i]);
            out[i] = static_cast<char16_t>(lo | (hi << 8));
        }
    } else if (!bytes.empty()) {
        std::string_view body = bytes;
        if (body.size() > 2 && body.substr(0, 3) == "\xEF\xBB\xBF")
            body.remove_prefix(3);
        auto utf8 = fromUtf8Strict(body);
        if (utf8 && !utf8->empty()) {
            out = std::move(*utf8);
        } else {
            auto legacy = decodeLegacyCodePage(bytes);
            if (!legacy)
                return false;
            out = std::move(*legacy);
        }
    }
    for (char16_t& c : out)
        if (c == u'\r')
            c = u'\n';
    text = std::move(out);
    return true;
}

}  // namespace quorvel
