#include "ui/fonts.h"

#include <QFontDatabase>

namespace quorvel::ui {

QStringList fontFamilies(FontRole role) {
    switch (role) {
        case FontRole::Gothic:
            return {QStringLiteral("MS Gothic"), QStringLiteral("Noto Sans Mono CJK JP"),
                    QStringLiteral("Noto Sans CJK JP")};
        case FontRole::Interface:
            // Then the Japanese interface fonts each platform ships.
            return {QStringLiteral("Meiryo UI"),     QStringLiteral("Noto Sans CJK JP"),
                    QStringLiteral("Yu Gothic UI"),  QStringLiteral("MS UI Gothic"),
                    QStringLiteral("Hiragino Sans"), QStringLiteral("IPAexGothic"),
                    QStringLiteral("VL PGothic")};
        case FontRole::Brush:
            return {QStringLiteral("HGP行書体"), QStringLiteral("衡山毛筆フォント行書"),
                    // the same font under its Latin name, as Qt lists it outside a Japanese locale
                    QStringLiteral("KouzanBrushFontGyousyo"), QStringLiteral("Noto Serif CJK JP"),
                    QStringLiteral("Noto Sans CJK JP")};
    }
    return {};
}

QString fontFamily(FontRole role) {
    const QStringList chain = fontFamilies(role);
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : chain) {
        if (installed.contains(family, Qt::CaseInsensitive))
            return family;
    }
    return chain.back();
}

namespace {

QFont withChain(FontRole role, QFont font) {
    // Qt tries the rest of the chain per glyph when the first family lacks one.
    font.setFamilies(QStringList{fontFamily(role)} + fontFamilies(role));
    font.setStyleHint(role == FontRole::Gothic ? QFont::TypeWriter : QFont::SansSerif);
    return font;
}

}  // namespace

QFont pixelFont(FontRole role, int pixelHeight, int weight) {
    QFont font;
    font.setPixelSize(pixelHeight > 0 ? pixelHeight : 1);
    font.setWeight(static_cast<QFont::Weight>(weight));
    return withChain(role, font);
}

QFont pointFont(FontRole role, qreal pointSize, int weight) {
    QFont font;
    font.setPointSizeF(pointSize > 0 ? pointSize : 1);
    font.setWeight(static_cast<QFont::Weight>(weight));
    return withChain(role, font);
}

}  // namespace quorvel::ui
