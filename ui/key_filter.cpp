#include "ui/key_filter.h"

#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

#include "keying/shared_flags.h"

namespace quorvel::ui {

KeyFilter::KeyFilter(SharedFlags& flags, QWidget* window, QObject* parent)
    : QObject(parent), flags_(flags), window_(window) {}

void KeyFilter::releaseContacts() {
    flags_.keyboardDot.store(0, std::memory_order_relaxed);
    flags_.keyboardDash.store(0, std::memory_order_relaxed);
}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::ApplicationDeactivate) {
        releaseContacts();
        return QObject::eventFilter(watched, event);
    }
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_J && key->key() != Qt::Key_K)
        return QObject::eventFilter(watched, event);

    const bool enabled = flags_.keyboardKeyingEnabled.load(std::memory_order_relaxed) == 1 &&
                         (!window_ || QGuiApplication::focusWindow() == window_->windowHandle());
    std::atomic<int>& contact = key->key() == Qt::Key_J ? flags_.keyboardDot : flags_.keyboardDash;
    if (type == QEvent::KeyPress && enabled && !key->isAutoRepeat()) {
        contact.store(1, std::memory_order_relaxed);
    } else if (type == QEvent::KeyRelease && !key->isAutoRepeat()) {
        // Honoured even when keying was switched off meanwhile, so no contact stays closed.
        contact.store(0, std::memory_order_relaxed);
    }
    // Auto-repeat arrives as release/press pairs on some platforms: ignored both ways.
    if (enabled && type == QEvent::ShortcutOverride)
        event->accept();
    return enabled;
}

}  // namespace quorvel::ui
