#include "audio/file/id3_tag.h"

#include "storage/utf.h"

namespace quorvel {
namespace {

constexpr char kUtf16WithMark = 1;

void putBigEndian(std::string& out, std::size_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((v >> shift) & 0xFF);
}

std::string utf16le(const std::string& utf8) {
    std::string out = "\xFF\xFE";
    for (char16_t c : fromUtf8(utf8)) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

void frame(std::string& tag, const char* id, const std::string& body) {
    tag += id;
    putBigEndian(tag, body.size());
    tag += std::string(2, '\0');  // flags
    tag += body;
}

}  // namespace

std::string id3v2Tag(const std::string& title, const std::string& comment) {
    std::string frames;
    if (!title.empty())
        frame(frames, "TIT2", kUtf16WithMark + utf16le(title));
    if (!comment.empty()) {
        // Language, then an empty description ended by a UTF-16 NUL, then the text.
        frame(frames, "COMM",
              std::string(1, kUtf16WithMark) + "jpn" + utf16le("") + std::string(2, '\0') +
                  utf16le(comment));
    }
    frame(frames, "TSSE", std::string(1, '\0') + "Quorvel");
    std::string tag = "ID3";
    tag += '\x03';
    tag += std::string(2, '\0');  // revision, flags
    // The tag's size is "syncsafe": seven bits to a byte.
    for (int shift = 21; shift >= 0; shift -= 7)
        tag += static_cast<char>((frames.size() >> shift) & 0x7F);
    return tag + frames;
}

}  // namespace quorvel
