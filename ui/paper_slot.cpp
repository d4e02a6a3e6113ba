#include "ui/paper_slot.h"

#include <QWidget>

#include "ui/paper_widget.h"
#include "ui/paper_zoom.h"

namespace quorvel::ui {

PaperZoom* paperZoomOf(QWidget* window) {
    if (auto* zoom = window->findChild<PaperZoom*>(QString(), Qt::FindDirectChildrenOnly))
        return zoom;
    return new PaperZoom(window);  // owned by the window
}

QWidget* createPaper(PaperSide side, QWidget* parent) {
    auto* paper = new PaperWidget(side == PaperSide::Model ? PaperKind::Model : PaperKind::Input,
                                  paperZoomOf(parent), parent);  // owned by the window
    paper->setObjectName(side == PaperSide::Model ? QStringLiteral("modelPaper")
                                                  : QStringLiteral("inputPaper"));
    return paper;
}

}  // namespace quorvel::ui
