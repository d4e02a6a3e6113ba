// The program on a real X server with a window manager, as a desktop ends it: a termination
// signal during a receive run, and the window manager's close while a pop-up blocks the main
// window. Each must save the settings and end within 1.5 s.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSlider>
#include <QTest>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/trainer.h"
#include "tests/gui/gui_support.h"
#include "ui/main_window.h"
#include "ui/session.h"
#include "ui/view_adapter.h"

extern char** environ;

using namespace quorvel;

namespace {

constexpr qint64 kExitDeadlineMs = 1500;

bool onPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    const QStringList dirs = QString::fromLocal8Bit(path ? path : "").split(QLatin1Char(':'));
    for (const QString& dir : dirs) {
        if (access((dir.toStdString() + "/" + name).c_str(), X_OK) == 0)
            return true;
    }
    return false;
}

pid_t spawn(const std::vector<std::string>& args, const std::string& display) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        if (std::string(*e).rfind("DISPLAY=", 0) != 0)
            env.emplace_back(*e);
    }
    env.push_back("DISPLAY=" + display);
    std::vector<char*> argv;
    std::vector<char*> envp;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    for (const std::string& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0)
        return -1;
    return pid;
}

void stop(pid_t& pid) {
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    pid = -1;
}

// An X server and a window manager of the test's own, on the first free display of 127-129.
class XSession {
  public:
    XSession() {
        if (!onPath("Xvfb") || !onPath("openbox") || !onPath("xdotool") || !onPath("wmctrl"))
            return;
        for (int d = 127; d <= 129 && display_.empty(); ++d) {
            const std::string socket = "/tmp/.X11-unix/X" + std::to_string(d);
            const std::string lock = "/tmp/.X" + std::to_string(d) + "-lock";
            if (access(socket.c_str(), F_OK) == 0 || access(lock.c_str(), F_OK) == 0)
                continue;
            const std::string name = ":" + std::to_string(d);
            xvfb_ = spawn({"Xvfb", name, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"}, name);
            for (int i = 0; i < 100 && access(socket.c_str(), F_OK) != 0; ++i)
                usleep(50'000);
            if (access(socket.c_str(), F_OK) != 0) {
                stop(xvfb_);
                continue;
            }
            wm_ = spawn({"openbox", "--sm-disable"}, name);
            // Ready once the window manager answers for itself.
            for (int i = 0; i < 100; ++i) {
                const pid_t probe = spawn({"sh", "-c", "wmctrl -m >/dev/null 2>&1"}, name);
                int status = 1;
                waitpid(probe, &status, 0);
                if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
                    display_ = name;
                    break;
                }
                usleep(50'000);
            }
            if (display_.empty()) {
                stop(wm_);
                stop(xvfb_);
            }
        }
    }
    ~XSession() {
        stop(wm_);
        stop(xvfb_);
    }
    const std::string& display() const { return display_; }

  private:
    std::string display_;
    pid_t xvfb_ = -1;
    pid_t wm_ = -1;
};

XSession* xsession = nullptr;

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(5000);
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

// The first visible window whose title matches, as a decimal X id; 0 when none shows in time.
qulonglong waitForWindow(const QString& titlePattern, int ms = 15000) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        const QString ids = run(QStringLiteral("xdotool"),
                                {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                 QStringLiteral("--name"), titlePattern});
        if (!ids.isEmpty())
            return ids.split(QLatin1Char('\n')).first().toULongLong();
        QTest::qWait(100);
    }
    return 0;
}

// What the window manager's close button does: _NET_CLOSE_WINDOW, answered by WM_DELETE_WINDOW.
void closeByWindowManager(qulonglong id) {
    run(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-c"),
                                   QStringLiteral("0x") + QString::number(id, 16)});
}

struct Program {
    std::unique_ptr<QTemporaryDir> dir = test::scratchDir();
    QProcess process;

    explicit Program(const QByteArray& settings) {
        if (!settings.isEmpty())
            test::writeFile(paths().settingsFile(), settings);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), QString::fromStdString(xsession->display()));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(QStringLiteral(QUORVEL_PROGRAM),
                      {QStringLiteral("--data-dir"), dir->path(), QStringLiteral("--size"),
                       QStringLiteral("770x560")});
    }
    ~Program() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    DataPaths paths() const { return test::pathsIn(*dir); }
    QByteArray settings() const { return test::readFile(paths().settingsFile()); }
    // ms from now until the process has ended, or -1.
    qint64 exitTimed() {
        QElapsedTimer t;
        t.start();
        if (!process.waitForFinished(10000))
            return -1;
        return t.elapsed();
    }
};

}  // namespace

class DesktopCloseTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        if (!xsession || xsession->display().empty())
            QSKIP("needs Xvfb, openbox, xdotool and wmctrl");
    }

    void terminationSignalDuringReceiveRunSavesAndEnds() {
        Program p("[Settings]\r\nFirstRun=0\r\nWPM=40\r\n");
        QVERIFY(p.process.waitForStarted());
        const qulonglong id = waitForWindow(QStringLiteral("^Quorvel$"));
        QVERIFY(id != 0);
        // RX START by its shortcut, as the learner's keyboard would give it.
        run(QStringLiteral("xdotool"),
            {QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(id),
             QStringLiteral("key"), QStringLiteral("F5")});
        QTRY_VERIFY_WITH_TIMEOUT(
            QFile::exists(QString::fromStdString(p.paths().practiceLog().string())), 20000);
        ::kill(static_cast<pid_t>(p.process.processId()), SIGTERM);
        const qint64 ms = p.exitTimed();
        qInfo("SIGTERM during a receive run: ended after %lld ms", ms);
        QVERIFY(ms >= 0 && ms <= kExitDeadlineMs);
        QCOMPARE(p.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.process.exitCode(), 0);
        QVERIFY(p.settings().contains("WPM=40\r\n"));
        QVERIFY(p.settings().contains("PaperZoom1000=1000\r\n"));  // written whole at the close
    }

    void hangupAndInterruptEndLikeTheCloseButton() {
        for (int signal : {SIGHUP, SIGINT}) {
            Program p("[Settings]\r\nFirstRun=0\r\nFreq=650\r\n");
            QVERIFY(p.process.waitForStarted());
            QVERIFY(waitForWindow(QStringLiteral("^Quorvel$")) != 0);
            ::kill(static_cast<pid_t>(p.process.processId()), signal);
            const qint64 ms = p.exitTimed();
            QVERIFY2(ms >= 0 && ms <= kExitDeadlineMs, qPrintable(QString::number(ms)));
            QCOMPARE(p.process.exitCode(), 0);
            QVERIFY(p.settings().contains("Freq=650\r\nJudgeEase=50\r\n"));
        }
    }

    void windowManagerCloseWithTheGuideOpen() {
        Program p("");  // a first start: the guide is shown
        QVERIFY(p.process.waitForStarted());
        const qulonglong id = waitForWindow(QStringLiteral("^Quorvel$"));
        QVERIFY(id != 0);
        QVERIFY(waitForWindow(QStringLiteral("初回起動ガイド")) != 0);
        closeByWindowManager(id);
        const qint64 ms = p.exitTimed();
        qInfo("window manager close with the guide open: ended after %lld ms", ms);
        QVERIFY(ms >= 0 && ms <= kExitDeadlineMs);
        QVERIFY(p.settings().contains("FirstRun=0"));
        QVERIFY(p.settings().contains("WPM=15\r\n"));
    }

    // In this process, so that the card can be opened without playing a whole telegram.
    void windowManagerCloseAndClicksWithTheCardOpen() {
        auto dir = test::scratchDir();
        test::writeFile(test::pathsIn(*dir).settingsFile(), "[Settings]\r\nFirstRun=0\r\n");
        ui::Session session(test::pathsIn(*dir), QSize(770, 560), {false});
        ui::MainWindow& window = session.window();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        TelegramResult result;
        result.telegramNumber = 1;
        result.hasNext = true;
        session.view().telegramResultReady(result);
        QTRY_VERIFY(window.pendingResultCard());
        QTRY_VERIFY(window.pendingResultCard()->isActiveWindow());

        // A click on the blocked main window, then Return: the card still has the keyboard.
        const QPoint inside = window.mapToGlobal(QPoint(5, window.height() - 5));
        run(QStringLiteral("xdotool"),
            {QStringLiteral("mousemove"), QString::number(inside.x()), QString::number(inside.y()),
             QStringLiteral("click"), QStringLiteral("1")});
        QTest::qWait(300);
        run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Return")});
        QTRY_VERIFY_WITH_TIMEOUT(!window.pendingResultCard(), 3000);

        session.view().telegramResultReady(result);
        QTRY_VERIFY(window.pendingResultCard());
        window.controls().speed->setValue(19);
        QElapsedTimer t;
        t.start();
        closeByWindowManager(window.winId());
        QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible(), 5000);
        qInfo("window manager close with the card open: closed after %lld ms", t.elapsed());
        QVERIFY(t.elapsed() <= kExitDeadlineMs);
        QVERIFY(test::readFile(test::pathsIn(*dir).settingsFile()).contains("WPM=19\r\n"));
    }
};

int main(int argc, char** argv) {
    XSession x;
    xsession = &x;
    if (x.display().empty()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    } else {
        qputenv("DISPLAY", QByteArray::fromStdString(x.display()));
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    QApplication app(argc, argv);
    DesktopCloseTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "desktop_close_test.moc"
