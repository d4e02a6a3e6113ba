#include "ui/result_handover.h"

#include "ui/result_card.h"

namespace quorvel::ui {

QWidget* openResultCard(QWidget* owner, const TelegramResult& result,
                        std::function<void()> closed) {
    auto* box = new ResultCard(result, owner);  // owned by the window
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    QObject::connect(box, &QDialog::finished, box, [closed = std::move(closed)] {
        if (closed)
            closed();
    });
    box->open();
    return box;
}

}  // namespace quorvel::ui
