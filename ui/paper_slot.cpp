#include "ui/paper_slot.h"

#include <QPalette>
#include <QWidget>

namespace quorvel::ui {

QWidget* createPaper(PaperSide side, QWidget* parent) {
    auto* paper = new QWidget(parent);  // owned by the window
    paper->setObjectName(side == PaperSide::Model ? QStringLiteral("modelPaper")
                                                  : QStringLiteral("inputPaper"));
    paper->setAutoFillBackground(true);
    QPalette palette = paper->palette();
    palette.setColor(QPalette::Window, Qt::white);
    paper->setPalette(palette);
    return paper;
}

}  // namespace quorvel::ui
