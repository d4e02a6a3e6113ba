// The real POSIX serial backend, exercised against pseudo-terminals.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "keying/serial_key.h"
#include "keying/serial_wake_posix.h"
#include "tests/support/recording_view.h"

namespace quorvel {
namespace {

int openDescriptors() {
    int n = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d) != nullptr)
            ++n;
        closedir(d);
    }
    return n;
}

class PseudoTerminal {
  public:
    PseudoTerminal() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0)
            if (const char* name = ptsname(master_))
                slave_ = name;
    }
    ~PseudoTerminal() {
        if (master_ >= 0)
            close(master_);
    }
    const std::string& slave() const { return slave_; }

  private:
    int master_ = -1;
    std::string slave_;
};

TEST(SerialPosix, PseudoTerminalOpensOrRefusesCleanly) {
    PseudoTerminal pty;
    if (pty.slave().empty())
        GTEST_SKIP() << "no pseudo-terminals here";
    const int before = openDescriptors();
    {
        auto lines = openSerialKey(pty.slave());
        // Linux refuses: a pseudo-terminal has no DTR/RTS to raise. Elsewhere it may open,
        // and must then read or fail a read without harm.
        if (lines)
            (void)lines->read();
    }
    EXPECT_EQ(openDescriptors(), before);
}

TEST(SerialPosix, WhatIsNoTerminalIsRefused) {
    const int before = openDescriptors();
    EXPECT_EQ(openSerialKey(""), nullptr);
    EXPECT_EQ(openSerialKey("/nonexistent/ttyUSB0"), nullptr);
    EXPECT_EQ(openSerialKey("/dev/null"), nullptr);
    EXPECT_EQ(openSerialKey("/proc/self"), nullptr);
    EXPECT_EQ(openDescriptors(), before);
}

TEST(SerialPosix, RunOnAPortThatCannotBeConfiguredHasNoKeyAndNoMessage) {
    PseudoTerminal pty;
    if (pty.slave().empty())
        GTEST_SKIP() << "no pseudo-terminals here";
    if (auto probe = openSerialKey(pty.slave()))
        GTEST_SKIP() << "this system configures ptys";
    SharedFlags flags;
    PracticeSettings settings;
    test::RecordingView view;
    const SerialPortInfo port{u"Pseudo (pts)", pty.slave()};
    auto key = makeSerialKeySource(&port, flags, settings, view);
    ASSERT_NE(key, nullptr);
    EXPECT_FALSE(key->start());
    EXPECT_FALSE(key->running());
    key->stop();
    EXPECT_TRUE(view.boxes.empty());
    EXPECT_TRUE(view.messages.empty());
    EXPECT_TRUE(view.keyTypes.empty());
    EXPECT_EQ(flags.serialDot.load() + flags.serialDash.load(), 0);
}

TEST(SerialPosix, OpeningNeverTakesTheTerminalAsControllingTerminal) {
    PseudoTerminal pty;
    if (pty.slave().empty())
        GTEST_SKIP() << "no pseudo-terminals here";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A session leader without a terminal takes the first one it opens, unless told not to.
        if (setsid() < 0)
            _exit(2);
        (void)openSerialKey(pty.slave());
        const int tty = open("/dev/tty", O_RDWR | O_NOCTTY);
        _exit(tty < 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(ThreadWaker, WakesABlockingCallWithin100Ms) {
    ASSERT_TRUE(ThreadWaker::available());
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    ThreadWaker waker;
    std::atomic<bool> attached{false};
    std::atomic<int> result{1};
    std::atomic<int> error{0};
    std::thread reader([&] {
        waker.attach();
        attached = true;
        char c;
        const auto n = read(pipeEnds[0], &c, 1);  // nothing is ever written
        error = errno;
        result = static_cast<int>(n);
        waker.detach();
    });
    while (!attached)
        std::this_thread::yield();
    const auto begin = std::chrono::steady_clock::now();
    // A wake before the reader blocks is lost, so it is repeated until the read returns.
    while (result.load() == 1 &&
           std::chrono::steady_clock::now() - begin < std::chrono::seconds(2)) {
        waker.wake();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    const auto took = std::chrono::steady_clock::now() - begin;
    reader.join();
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    EXPECT_EQ(result.load(), -1);
    EXPECT_EQ(error.load(), EINTR);
    EXPECT_LT(took, std::chrono::milliseconds(100));
    waker.wake();  // nobody attached: nothing happens
}

}  // namespace
}  // namespace quorvel
#endif
