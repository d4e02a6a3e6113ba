// The one place that makes the two telegram papers of the main window and the zoom they share.
#pragma once

class QWidget;

namespace quorvel::ui {

enum class PaperSide { Model, Input };
class PaperZoom;

// A paper widget of `parent`; both papers of one window share its PaperZoom.
QWidget* createPaper(PaperSide side, QWidget* parent);
// The zoom and pan shared by the papers of `window` (made with the first paper).
PaperZoom* paperZoomOf(QWidget* window);

}  // namespace quorvel::ui
