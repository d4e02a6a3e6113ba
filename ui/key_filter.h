// Keyboard keying inside the program only: J closes the dot contact and K the dash contact
// while keyboard keying is enabled. Other programs never lose a key to it.
#pragma once

#include <QObject>

namespace quorvel {
struct SharedFlags;
}

namespace quorvel::ui {

// Installed on the application, so it sees the keys of every window of the program.
class KeyFilter final : public QObject {
    Q_OBJECT
  public:
    explicit KeyFilter(SharedFlags& flags, QObject* parent = nullptr);
    // Opens both keyboard contacts: nothing may stay keyed once the program has no focus.
    void releaseContacts();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    SharedFlags& flags_;
};

}  // namespace quorvel::ui
