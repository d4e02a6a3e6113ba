// J/K keying inside the program: swallowed only while keying is enabled and the keying window
// is the active one, auto-repeat ignored, releases always honoured, both contacts opened when
// the program loses focus.
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include "keying/shared_flags.h"
#include "ui/key_filter.h"

using namespace quorvel;
using namespace quorvel::ui;

namespace {

void send(QWidget* to, QEvent::Type type, int key, bool repeat = false) {
    QKeyEvent e(type, key, Qt::NoModifier,
                key == Qt::Key_J   ? QStringLiteral("j")
                : key == Qt::Key_K ? QStringLiteral("k")
                                   : QStringLiteral("x"),
                repeat);
    QApplication::sendEvent(to, &e);
}

}  // namespace

class KeyFilterTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        flags_ = std::make_unique<SharedFlags>();
        edit_ = std::make_unique<QLineEdit>();  // stands for the main window
        filter_ = std::make_unique<KeyFilter>(*flags_, edit_.get());
        qApp->installEventFilter(filter_.get());
        edit_->show();
        edit_->activateWindow();
        QTRY_COMPARE(QGuiApplication::focusWindow(), edit_->windowHandle());
        edit_->setFocus();
    }
    void cleanup() {
        qApp->removeEventFilter(filter_.get());
        edit_.reset();
        filter_.reset();
    }

    void disabledKeyingPassesJAndK() {
        QTest::keyClicks(edit_.get(), QStringLiteral("jk"));
        QCOMPARE(edit_->text(), QStringLiteral("jk"));
        QCOMPARE(flags_->keyboardDot.load(), 0);
        QCOMPARE(flags_->keyboardDash.load(), 0);
    }

    void enabledKeyingClosesContactsAndSwallows() {
        flags_->keyboardKeyingEnabled = 1;
        send(edit_.get(), QEvent::KeyPress, Qt::Key_J);
        send(edit_.get(), QEvent::KeyPress, Qt::Key_K);
        QCOMPARE(flags_->keyboardDot.load(), 1);
        QCOMPARE(flags_->keyboardDash.load(), 1);
        QVERIFY(flags_->dotClosed() && flags_->dashClosed());
        send(edit_.get(), QEvent::KeyRelease, Qt::Key_J);
        QCOMPARE(flags_->keyboardDot.load(), 0);
        QCOMPARE(flags_->keyboardDash.load(), 1);
        send(edit_.get(), QEvent::KeyRelease, Qt::Key_K);
        QCOMPARE(flags_->keyboardDash.load(), 0);
        QCOMPARE(edit_->text(), QString());
        // Every other key still reaches the focused control.
        QTest::keyClicks(edit_.get(), QStringLiteral("ab"));
        QCOMPARE(edit_->text(), QStringLiteral("ab"));
    }

    void autoRepeatIgnoredBothWays() {
        flags_->keyboardKeyingEnabled = 1;
        send(edit_.get(), QEvent::KeyPress, Qt::Key_J);
        // A held key: release/press pairs marked as repeats must not open the contact.
        send(edit_.get(), QEvent::KeyRelease, Qt::Key_J, true);
        QCOMPARE(flags_->keyboardDot.load(), 1);
        send(edit_.get(), QEvent::KeyPress, Qt::Key_J, true);
        send(edit_.get(), QEvent::KeyRelease, Qt::Key_J);
        QCOMPARE(flags_->keyboardDot.load(), 0);
        // A stray repeat after the release does not key again.
        send(edit_.get(), QEvent::KeyPress, Qt::Key_J, true);
        QCOMPARE(flags_->keyboardDot.load(), 0);
        QCOMPARE(edit_->text(), QString());
    }

    void releaseHonouredAfterKeyingSwitchedOff() {
        flags_->keyboardKeyingEnabled = 1;
        send(edit_.get(), QEvent::KeyPress, Qt::Key_K);
        flags_->keyboardKeyingEnabled = 0;
        send(edit_.get(), QEvent::KeyRelease, Qt::Key_K);
        QCOMPARE(flags_->keyboardDash.load(), 0);
    }

    // After a keyboard sending set, keying stays enabled until RX STOP; a file dialog opened
    // meanwhile must still get its j's and k's.
    void dialogOverTheWindowTypesJAndK() {
        flags_->keyboardKeyingEnabled = 1;
        QDialog dialog(edit_.get());
        auto* path = new QLineEdit(&dialog);  // owned by the dialog
        dialog.show();
        dialog.activateWindow();
        QTRY_COMPARE(QGuiApplication::focusWindow(), dialog.windowHandle());
        path->setFocus();
        QTest::keyClicks(path, QStringLiteral("/home/jk"));
        QCOMPARE(path->text(), QStringLiteral("/home/jk"));
        QCOMPARE(flags_->keyboardDot.load(), 0);
        QCOMPARE(flags_->keyboardDash.load(), 0);
        dialog.close();
        edit_->activateWindow();
        QTRY_COMPARE(QGuiApplication::focusWindow(), edit_->windowHandle());
        send(edit_.get(), QEvent::KeyPress, Qt::Key_J);
        QCOMPARE(flags_->keyboardDot.load(), 1);
        send(edit_.get(), QEvent::KeyRelease, Qt::Key_J);
    }

    void focusLossReleasesBothContacts() {
        flags_->keyboardKeyingEnabled = 1;
        send(edit_.get(), QEvent::KeyPress, Qt::Key_J);
        send(edit_.get(), QEvent::KeyPress, Qt::Key_K);
        QEvent deactivate(QEvent::ApplicationDeactivate);
        QApplication::sendEvent(qApp, &deactivate);
        QCOMPARE(flags_->keyboardDot.load(), 0);
        QCOMPARE(flags_->keyboardDash.load(), 0);
    }

  private:
    std::unique_ptr<SharedFlags> flags_;
    std::unique_ptr<KeyFilter> filter_;
    std::unique_ptr<QLineEdit> edit_;
};

QTEST_MAIN(KeyFilterTest)
#include "main_window_keys_test.moc"
