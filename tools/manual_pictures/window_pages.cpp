#include "window_pages.h"

#include "callouts.h"

namespace manualpictures {

QImage basicOperation() {
    return canvas(QStringLiteral("基本操作"));
}
QImage screenParts() {
    return canvas(QStringLiteral("画面の説明"));
}
QImage practiceTips() {
    return canvas(QStringLiteral("練習のコツ"));
}
QImage soundSettings() {
    return canvas(QStringLiteral("音色・速度・周波数・設定"));
}
QImage loadingAndPages() {
    return canvas(QStringLiteral("読み込み・ページ操作"));
}
QImage autoKeyer() {
    return canvas(QStringLiteral("AUTO機能"));
}
QImage troubleshooting() {
    return canvas(QStringLiteral("トラブル対処"));
}

}  // namespace manualpictures
