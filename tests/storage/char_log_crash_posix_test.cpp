// A writer killed at any moment must leave a character log that parses, with no count lower
// than before and every completed update kept.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

#include "storage/char_log.h"
#include "storage/csv.h"
#include "storage/practice_log.h"
#include "storage/utf.h"
#include "tests/support/temp_dir.h"

namespace quorvel {
namespace {

constexpr char16_t kModels[] = {u'ア', u'イ', u',', u'"', u'Z'};

[[noreturn]] void rewriteForever(const std::filesystem::path& file, int progressFd, bool sync) {
    for (unsigned i = 0;; ++i) {
        const char16_t model = kModels[i % 5];
        const bool correct = i % 3 == 0;
        if (!updateCharLog(file, model, correct ? model : kModels[(i + 1) % 5], correct, sync))
            _exit(3);
        const char done = 1;
        if (write(progressFd, &done, 1) != 1)
            _exit(4);
    }
}

// Every data line must be a whole row: six fields, one character, a rate that matches.
void expectWellFormed(const std::string& bytes) {
    const std::string head = std::string(kUtf8Mark) + std::string(kCharLogHeader);
    ASSERT_EQ(bytes.substr(0, head.size()), head);
    ASSERT_GE(bytes.size(), 2u);
    ASSERT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    const std::u16string text = fromUtf8(bytes.substr(head.size()));
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t nl = text.find(u'\n', start);
        ASSERT_NE(nl, std::u16string::npos);
        const auto f = splitCsvLine(std::u16string_view(text).substr(start, nl - 1 - start));
        ASSERT_EQ(f.size(), 6u);
        ASSERT_EQ(f[0].size(), 1u);
        const int asked = csvInt(f[1]), correct = csvInt(f[2]), wrong = csvInt(f[3]);
        EXPECT_EQ(asked, correct + wrong);
        EXPECT_EQ(csvInt(f[4]), asked > 0 ? 100 * correct / asked : 0);
        start = nl + 1;
    }
}

TEST(CharLogCrash, KilledWritersNeverLoseOrCorruptCounts) {
    test::TempDir dir;
    const auto file = dir / "telegram_practice_char_log.csv";
    std::mt19937 random(20240506);
    CharLogTable before;
    long long totalBefore = 0;

    for (int round = 0; round < 60; ++round) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const bool sync = round % 10 == 0;
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(fds[0]);
            rewriteForever(file, fds[1], sync);
        }
        close(fds[1]);

        // Let the child complete a few updates, then kill it somewhere inside the next one.
        const int updates = std::uniform_int_distribution<int>(1, 4)(random);
        int completed = 0;
        for (char b; completed < updates && read(fds[0], &b, 1) == 1;)
            ++completed;
        ASSERT_EQ(completed, updates) << "the writer stopped by itself";
        volatile unsigned spin = 0;
        const unsigned spins = std::uniform_int_distribution<unsigned>(0, 300000)(random);
        for (unsigned k = 0; k < spins; ++k)
            spin = spin + 1;
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        close(fds[0]);
        ASSERT_TRUE(WIFSIGNALED(status)) << "writer exited with " << WEXITSTATUS(status);

        const std::string bytes = test::readAll(file);
        ASSERT_NO_FATAL_FAILURE(expectWellFormed(bytes)) << "round " << round;
        CharLogTable after;
        ASSERT_TRUE(readCharLog(file, after));
        long long total = 0;
        for (const auto& [c, s] : after)
            total += s.asked;
        for (const auto& [c, s] : before) {
            ASSERT_TRUE(after.count(c)) << "round " << round;
            EXPECT_GE(after[c].asked, s.asked);
            EXPECT_GE(after[c].correct, s.correct);
            EXPECT_GE(after[c].wrong, s.wrong);
            for (const auto& [k, n] : s.confusions)
                EXPECT_GE(after[c].confusions[k], n);
        }
        // Every update the writer reported as done is in the file.
        EXPECT_GE(total, totalBefore + completed) << "round " << round;
        before = std::move(after);
        totalBefore = total;
    }
}

}  // namespace
}  // namespace quorvel

#endif
