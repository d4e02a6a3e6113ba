// What the application needs before its first window: one font chain for every widget, dialog,
// message box and tooltip, and Qt's own texts in Japanese.
#pragma once

#include <QFont>
#include <QString>

namespace quorvel::ui {

// The default font of the program: the Japanese interface families by name, so that no
// locale's fontconfig fallback (a brush font, for one) ever draws the kanji of a dialog.
QFont applicationFont();
// Sets that font for every widget class and loads Qt's Japanese translations (beside the
// program first, then Qt's own directory). Returns false when no translation was found.
bool prepareApplication();

}  // namespace quorvel::ui
