#include <windows.h>

#include <climits>

#include "storage/text_decode.h"

namespace quorvel {

std::optional<std::u16string> decodeLegacyCodePage(std::string_view bytes) {
    if (bytes.empty())
        return std::u16string();
    if (bytes.size() > static_cast<std::size_t>(INT_MAX))
        return std::nullopt;
    const int inLen = static_cast<int>(bytes.size());
    const int n =
        MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), inLen, nullptr, 0);
    if (n <= 0)
        return std::nullopt;
    std::u16string text(static_cast<std::size_t>(n), u'\0');
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), inLen,
                            reinterpret_cast<wchar_t*>(text.data()), n) != n)
        return std::nullopt;
    return text;
}

}  // namespace quorvel
