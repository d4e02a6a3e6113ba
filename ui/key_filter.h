// Keyboard keying inside the program only: J closes the dot contact and K the dash contact
// while keyboard keying is enabled. Other programs never lose a key to it.
#pragma once

#include <QObject>

class QWidget;

namespace quorvel {
struct SharedFlags;
}

namespace quorvel::ui {

// Installed on the application, so it sees the keys of every window of the program; it keys
// only while `window` (the main window) has the focus, so a dialog over it types J and K.
class KeyFilter final : public QObject {
    Q_OBJECT
  public:
    KeyFilter(SharedFlags& flags, QWidget* window, QObject* parent = nullptr);
    // Opens both keyboard contacts: nothing may stay keyed once the program has no focus.
    void releaseContacts();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    SharedFlags& flags_;
    QWidget* window_;
};

}  // namespace quorvel::ui
