#include "storage/text_util.h"

#include "storage/text_decode.h"

namespace quorvel {

bool isTextBlank(char16_t c) {
    return c == u'\t' || c == u'\n' || c == u'\r' || c == u' ' || c == u'\u3000';
}

std::u16string_view trimmed(std::u16string_view s) {
    while (!s.empty() && isTextBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isTextBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::vector<std::u16string_view> usableLines(std::u16string_view text) {
    std::vector<std::u16string_view> out;
    while (!text.empty()) {
        const auto end = text.find(u'\n');
        const auto line = trimmed(text.substr(0, end));
        text = end == std::u16string_view::npos ? std::u16string_view() : text.substr(end + 1);
        if (!line.empty() && line.front() != u'#')
            out.push_back(line);
    }
    return out;
}

bool readDecodedFile(const std::filesystem::path& path, std::u16string& text) {
    std::string bytes;
    return !path.empty() && readWholeFile(path, bytes) && decodeText(bytes, text);
}

std::u16string asciiText(std::string_view s) {
    return std::u16string(s.begin(), s.end());
}

std::u16string decimalText(long long value) {
    return asciiText(std::to_string(value));
}

}  // namespace quorvel
