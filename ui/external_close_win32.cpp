#include <windows.h>
#include <QGuiApplication>
#include <QWidget>

#include "ui/external_close.h"

namespace quorvel::ui {

// A windowed program has no console signals; the session's end reaches it through Qt.
void ExternalClose::installSignalHandlers() {}
void ExternalClose::removeSignalHandlers() {}

// A close of the main window while a modal pop-up is open would otherwise be dropped.
bool ExternalClose::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "windows_generic_MSG")
        return false;
    const auto* msg = static_cast<const MSG*>(message);
    if (msg->message != WM_CLOSE || !QGuiApplication::modalWindow() ||
        msg->hwnd != reinterpret_cast<HWND>(window_->winId()))
        return false;
    QMetaObject::invokeMethod(this, &ExternalClose::requestClose, Qt::QueuedConnection);
    return true;
}

}  // namespace quorvel::ui
