#include "ui/external_close.h"

#include <QGuiApplication>
#include <QSocketNotifier>  // the member's destructor
#include <QWidget>

namespace quorvel::ui {

ExternalClose::ExternalClose(QWidget* window, std::function<void()> close, QObject* parent)
    : QObject(parent), window_(window), close_(std::move(close)) {
    installSignalHandlers();
    // A session that ends saves like the close button; what is already closed stays closed.
    connect(qApp, &QGuiApplication::commitDataRequest, this, &ExternalClose::requestClose,
            Qt::DirectConnection);
    connect(qApp, &QCoreApplication::aboutToQuit, this, &ExternalClose::requestClose);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

ExternalClose::~ExternalClose() {
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    removeSignalHandlers();
}

void ExternalClose::requestClose() {
    if (close_)
        close_();
}

}  // namespace quorvel::ui
