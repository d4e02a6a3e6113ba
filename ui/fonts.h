// Fonts by family with a fallback chain: the Windows families the window is designed for come
// first, then the stand-ins a Linux desktop has. One place decides, so every widget agrees.
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

namespace quorvel::ui {

enum class FontRole {
    Gothic,     // "MS Gothic": fixed-pitch, status lines and reports
    Interface,  // "Meiryo UI": captions and labels
    Brush,      // "HGP行書体": the handwriting on the Japanese paper
};

// The families tried for a role, best first.
QStringList fontFamilies(FontRole role);
// The first family of the chain that this machine has (the last one when none is installed).
QString fontFamily(FontRole role);
// A font of the role with a pixel height (negative height in the design means pixels).
QFont pixelFont(FontRole role, int pixelHeight, int weight = QFont::Normal);
QFont pointFont(FontRole role, qreal pointSize, int weight = QFont::Normal);

}  // namespace quorvel::ui
