// The nine pages of the built-in manual: title, text and the resource of the illustration.
#pragma once

#include <QString>
#include <array>

namespace quorvel::ui {

inline constexpr int kManualPageCount = 9;

struct ManualPage {
    const char8_t* title;
    const char8_t* text;
};

const std::array<ManualPage, kManualPageCount>& manualPages();

// Resource path of the illustration of page 0..8 (":/manual/page1.png" ...).
inline QString manualPicturePath(int page) {
    return QStringLiteral(":/manual/page%1.png").arg(page + 1);
}

inline QString fromU8(const char8_t* text) {
    return QString::fromUtf8(reinterpret_cast<const char*>(text));
}

}  // namespace quorvel::ui
