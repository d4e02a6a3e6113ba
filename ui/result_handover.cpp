#include "ui/result_handover.h"

#include <QMessageBox>

namespace quorvel::ui {

QWidget* openResultCard(QWidget* owner, const TelegramResult& result,
                        std::function<void()> closed) {
    auto* box = new QMessageBox(
        QMessageBox::Information, QStringLiteral("Quorvel"),
        QStringLiteral("%1通目  正答率 %2%").arg(result.telegramNumber).arg(result.rate),
        QMessageBox::Ok, owner);  // owned by the window
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
