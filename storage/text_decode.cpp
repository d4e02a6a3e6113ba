#include "storage/text_decode.h"

#include "storage/read_only_file.h"
#include "storage/utf.h"

namespace quorvel {

bool readWholeFile(const std::filesystem::path& path, std::string& bytes) {
    ReadOnlyFile in(path);
    return in.readAll(bytes);
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
