// The one place that makes the two telegram papers of the main window, so the paper widgets
// can replace the plain placeholders without touching the window.
#pragma once

class QWidget;

namespace quorvel::ui {

enum class PaperSide { Model, Input };

// A white area until the paper widgets exist.
QWidget* createPaper(PaperSide side, QWidget* parent);

}  // namespace quorvel::ui
