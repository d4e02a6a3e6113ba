#include <iconv.h>

#include <cerrno>
#include <string>

#include "storage/text_decode.h"

namespace quorvel {
namespace {

class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

  private:
    iconv_t cd_;
};

}  // namespace

std::optional<std::u16string> decodeLegacyCodePage(std::string_view bytes) {
    // Learners' files come from Japanese Windows machines, whose ANSI code page is CP932.
    Converter conv("UTF-16LE", "CP932");
    if (!conv.ok())
        return std::nullopt;
    std::string in(bytes);
    // At most one UTF-16 unit per input byte (a double-byte character gives one unit).
    std::string out(bytes.size() * 2 + 4, '\0');
    char* inPtr = in.data();
    std::size_t inLeft = in.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    if (iconv(conv.get(), &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1))
        return std::nullopt;
    if (iconv(conv.get(), nullptr, nullptr, &outPtr, &outLeft) == static_cast<std::size_t>(-1))
        return std::nullopt;
    const std::size_t produced = out.size() - outLeft;
    std::u16string text(produced / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto lo = static_cast<unsigned char>(out[2 * i]);
        const auto hi = static_cast<unsigned char>(out[2 * i + 1]);
        text[i] = static_cast<char16_t>(lo | (hi << 8));
    }
    return text;
}

}  // namespace quorvel
