// Requests to end the program that come from outside the window: SIGTERM, SIGHUP and SIGINT,
// the end of the desktop session, and the window manager's close while a pop-up blocks the
// main window. Each ends the program the way the close button does.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>

class QSocketNotifier;
class QWidget;

namespace quorvel::ui {

class ExternalClose final : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
  public:
    // `close` runs on the GUI thread, once per request. `window` is the main window, whose
    // close requests Qt would drop while a modal pop-up is open.
    ExternalClose(QWidget* window, std::function<void()> close, QObject* parent = nullptr);
    ~ExternalClose() override;
    ExternalClose(const ExternalClose&) = delete;
    ExternalClose& operator=(const ExternalClose&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    void installSignalHandlers();
    void removeSignalHandlers();
    void requestClose();

    QWidget* window_;
    std::function<void()> close_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::uint32_t deleteAtom_ = 0;     // WM_DELETE_WINDOW on X11, 0 elsewhere
    std::uint32_t protocolsAtom_ = 0;  // WM_PROTOCOLS
};

}  // namespace quorvel::ui
