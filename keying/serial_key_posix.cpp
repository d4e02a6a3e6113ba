#include <errno.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>

#include "keying/serial_key.h"
#include "keying/serial_wake_posix.h"

namespace quorvel {

namespace {

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

  private:
    int fd_;
};

bool configure(int fd) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return false;
    cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
#ifdef CRTSCTS
    tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
#endif
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    if (cfsetispeed(&tio, B9600) != 0 || cfsetospeed(&tio, B9600) != 0)
        return false;
    if (tcsetattr(fd, TCSANOW, &tio) != 0)
        return false;
    // A port without modem lines (a pseudo-terminal) refuses these: it cannot carry a key.
    int lines = TIOCM_DTR | TIOCM_RTS;
    if (ioctl(fd, TIOCMBIS, &lines) != 0)
        return false;
    tcflush(fd, TCIOFLUSH);
    return true;
}

std::optional<ModemStatus> readLines(int fd) {
    int bits = 0;
    if (ioctl(fd, TIOCMGET, &bits) != 0)
        return std::nullopt;
    return ModemStatus{(bits & TIOCM_DSR) != 0, (bits & TIOCM_CTS) != 0};
}

bool unsupported(int error) {
    return error == EINVAL || error == ENOTTY || error == ENOSYS || error == EOPNOTSUPP;
}

class PosixModemLines final : public ModemStatusSource {
  public:
    explicit PosixModemLines(int fd) : fd_(fd) {}
    ~PosixModemLines() override { ioctl(fd_.get(), TIOCNXCL); }

    std::optional<ModemStatus> read() override { return readLines(fd_.get()); }

    ModemWait waitForChange(ModemStatus known, std::uint32_t timeoutMs) override {
        if (cancelled_.load(std::memory_order_acquire))
            return ModemWait::Cancelled;
        if (useLineWait_) {
            // A change between the caller's last read and the kernel wait would go unseen.
            const auto now = readLines(fd_.get());
            if (!now)
                return ModemWait::Failed;
            if (*now != known)
                return ModemWait::Changed;
#ifdef TIOCMIWAIT
            if (ioctl(fd_.get(), TIOCMIWAIT, TIOCM_DSR | TIOCM_CTS) == 0)
                return ModemWait::Changed;
            const int error = errno;
#else
            const int error = ENOTTY;
#endif
            if (error == EINTR)
                return cancelled_.load(std::memory_order_acquire) ? ModemWait::Cancelled
                                                                  : ModemWait::Timeout;
            if (!unsupported(error))
                return ModemWait::Failed;
            useLineWait_ = false;
        }
        return poll(known, timeoutMs);
    }

    void cancel() override {
        cancelled_.store(true, std::memory_order_release);
        waker_.wake();
    }

    void monitorStarted() override {
        waker_.attach();
        // Only the kernel wait needs the waker; without it, polling stops within a millisecond.
        useLineWait_ = ThreadWaker::available();
        // Nearer the keying thread's priority where permitted; carry on where not.
#ifdef __linux__
        setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), -10);
#endif
    }

    void monitorEnded() override {
        waker_.detach();
    }

  private:
    // The driver cannot wait on the lines: look every millisecond.
    ModemWait poll(ModemStatus known, std::uint32_t timeoutMs) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            if (cancelled_.load(std::memory_order_acquire))
                return ModemWait::Cancelled;
            const auto now = readLines(fd_.get());
            if (!now)
                return ModemWait::Failed;
            if (*now != known)
                return ModemWait::Changed;
            if (std::chrono::steady_clock::now() >= deadline)
                return ModemWait::Timeout;
            const timespec oneMs{0, 1'000'000};
            nanosleep(&oneMs, nullptr);
        }
    }

    FileDescriptor fd_;
    std::atomic<bool> cancelled_{false};
    bool useLineWait_ = false;  // monitor thread only
    ThreadWaker waker_;
};

}  // namespace

std::unique_ptr<ModemStatusSource> openSerialKey(const std::string& location) {
    if (location.empty())
        return nullptr;
    FileDescriptor fd(::open(location.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0)
        return nullptr;
    if (!isatty(fd.get()))
        return nullptr;
    // Not shared with other programs, as the port is on Windows (root may still open it).
    if (ioctl(fd.get(), TIOCEXCL) != 0)
        return nullptr;
    if (!configure(fd.get()) || !readLines(fd.get())) {
        ioctl(fd.get(), TIOCNXCL);
        return nullptr;
    }
    return std::make_unique<PosixModemLines>(fd.release());
}

}  // namespace quorvel
