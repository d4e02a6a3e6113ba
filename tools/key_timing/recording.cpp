#include "tools/key_timing/recording.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "audio/sdl/sdl_audio_device.h"

extern char** environ;

namespace quorvel::tools {

Recording::Recording(const std::string& command, int rate) : rate_(rate) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::string shell = "/bin/sh", flag = "-c", line = "exec " + command;
    char* argv[] = {shell.data(), flag.data(), line.data(), nullptr};
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, "/bin/sh", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (failed != 0) {
        close(pipeFds[0]);
        return;
    }
    pid_ = pid;
    fd_ = pipeFds[0];
    firstUs_ = std::numeric_limits<std::int64_t>::max();
    reader_ = std::thread([this] { read(); });
}

Recording::~Recording() {
    stop();
}

void Recording::stop() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = 0;
    }
    if (reader_.joinable())
        reader_.join();
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
}

void Recording::read() {
    std::vector<char> bytes;
    char chunk[4096];
    for (;;) {
        const ssize_t n = ::read(fd_, chunk, sizeof chunk);
        if (n <= 0)
            break;
        const std::int64_t at = steadyMicroseconds();
        bytes.insert(bytes.end(), chunk, chunk + n);
        received_.store(bytes.size(), std::memory_order_relaxed);
        const auto played = static_cast<std::int64_t>(bytes.size() / sizeof(float));
        firstUs_ = std::min(firstUs_, at - played * 1000000 / rate_);
    }
    samples_.resize(bytes.size() / sizeof(float));
    std::memcpy(samples_.data(), bytes.data(), samples_.size() * sizeof(float));
}

Heard listen(const std::vector<float>& samples, int rate, double gapMs) {
    Heard h;
    const auto ms = [rate](std::size_t frame) {
        return 1000.0 * static_cast<double>(frame) / rate;
    };
    const auto gapFrames = static_cast<std::size_t>(gapMs * rate / 1000.0);
    const auto holeFrames = static_cast<std::size_t>(rate / 4000);  // 0.25 ms
    bool on = false;
    std::size_t start = 0, last = 0;
    for (std::size_t f = 0; f < samples.size(); ++f) {
        if (samples[f] == 0.0f) {
            if (on && f - last > gapFrames) {
                h.elements.push_back(ms(last + 1) - ms(start));
                on = false;
            }
            continue;
        }
        if (!on) {
            if (!h.elements.empty())
                h.gaps.push_back(ms(f) - ms(last + 1));
            start = f;
            h.onsets.push_back(ms(f));
            on = true;
        } else if (f - last - 1 >= holeFrames) {
            ++h.dropouts;
            h.longestDropout = std::max(h.longestDropout, ms(f - last - 1));
        }
        last = f;
    }
    if (on)
        h.elements.push_back(ms(last + 1) - ms(start));
    return h;
}

}  // namespace quorvel::tools
