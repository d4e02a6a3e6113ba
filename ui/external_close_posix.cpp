#include <QtGui/qguiapplication_platform.h>
#include <fcntl.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QWidget>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "ui/external_close.h"

namespace quorvel::ui {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
// The handler may only write a byte: the GUI thread reads it through a socket notifier.
int wakePipe[2] = {-1, -1};
struct sigaction previous[std::size(kSignals)];

void onSignal(int signal) {
    const int saved = errno;
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t n = write(wakePipe[1], &byte, 1);
    errno = saved;
}

std::uint32_t internAtom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (!reply)
        return 0;
    const std::uint32_t atom = reply->atom;
    std::free(reply);  // allocated by xcb
    return atom;
}

}  // namespace

void ExternalClose::installSignalHandlers() {
    if (wakePipe[0] < 0 && pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier_ = std::make_unique<QSocketNotifier>(wakePipe[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (read(wakePipe[0], bytes, sizeof bytes) > 0) {
        }
        requestClose();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        sigaction(kSignals[i], &action, &previous[i]);

    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (xcb_connection_t* connection = x11 ? x11->connection() : nullptr) {
        protocolsAtom_ = internAtom(connection, "WM_PROTOCOLS");
        deleteAtom_ = internAtom(connection, "WM_DELETE_WINDOW");
    }
}

void ExternalClose::removeSignalHandlers() {
    if (!notifier_)
        return;
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        sigaction(kSignals[i], &previous[i], nullptr);
    notifier_.reset();
}

// Qt drops the window manager's close of a window that a modal pop-up blocks; the learner
// asked to end the program, so it ends, pop-up and all.
bool ExternalClose::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (deleteAtom_ == 0 || eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
        return false;
    const auto* client = static_cast<const xcb_client_message_event_t*>(message);
    if (client->format != 32 || client->type != protocolsAtom_ ||
        client->data.data32[0] != deleteAtom_ || !QGuiApplication::modalWindow() ||
        client->window != static_cast<xcb_window_t>(window_->winId()))
        return false;
    QMetaObject::invokeMethod(this, &ExternalClose::requestClose, Qt::QueuedConnection);
    return true;
}

}  // namespace quorvel::ui
