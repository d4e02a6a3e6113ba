// Output files and data-file replacement against what a user may have put at the path: links,
// devices, FIFOs, directories, a file of the temporary's old name, a disk that fills.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>
#include <future>
#include <string>

#include "storage/file_io.h"
#include "storage/output_file.h"
#include "tests/faults/child_process.h"
#include "tests/support/temp_dir.h"

namespace quorvel {
namespace {

namespace fs = std::filesystem;

int temporaries(const fs::path& dir) {
    int n = 0;
    for (const auto& e : fs::directory_iterator(dir))
        n += isReplacementTemporary(e.path()) ? 1 : 0;
    return n;
}

void makeFifo(const fs::path& p) {
    ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0);
}

// A listening Unix socket at `p`; closed with the returned descriptor.
int makeSocket(const fs::path& p) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string s = p.string();
    if (fd < 0 || s.size() >= sizeof addr.sun_path)
        return -1;
    s.copy(addr.sun_path, s.size());
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0)
        return -1;
    return fd;
}

TEST(OutputFile, RegularFileIsReplacedWholeKeepingItsModeAndNeighbours) {
    test::TempDir dir;
    const fs::path file = dir.write("out.txt", "old");
    const fs::path users = dir.write("out.txt.tmp", "the user's own file");
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);

    OutputFile out;
    ASSERT_TRUE(out.open(file, OutputFile::Special::WriteThrough)) << out.error();
    EXPECT_FALSE(out.direct());
    ASSERT_TRUE(out.write("new content"));
    EXPECT_EQ(test::readAll(file), "old") << "visible before the commit";
    ASSERT_TRUE(out.writeAt(0, "NEW"));
    ASSERT_TRUE(out.commit(true));

    EXPECT_EQ(test::readAll(file), "NEW content");
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(test::readAll(users), "the user's own file");
    EXPECT_EQ(temporaries(dir.path()), 0);
}

TEST(OutputFile, UncommittedOrFailedWriteLeavesTheOldFileAndNoTemporary) {
    test::TempDir dir;
    const fs::path file = dir.write("out.wav", "old");
    {
        OutputFile out;
        ASSERT_TRUE(out.open(file, OutputFile::Special::WriteThrough));
        ASSERT_TRUE(out.write("partial"));
        EXPECT_EQ(temporaries(dir.path()), 1);
    }
    EXPECT_EQ(test::readAll(file), "old");
    EXPECT_EQ(temporaries(dir.path()), 0);

    // The disk fills part-way through the replacement of a data file.
    const int status = test::inChild([&] {
        if (!test::limitFileSize(100))
            return false;
        std::string error;
        return !replaceFile(file, std::string(1000, 'x'), true, &error) &&
               error.find(file.string()) != std::string::npos;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(test::readAll(file), "old");
    EXPECT_EQ(temporaries(dir.path()), 0);
}

TEST(OutputFile, SymbolicLinkKeepsPointingAtTheReplacedFile) {
    test::TempDir dir;
    fs::create_directory(dir / "real");
    const fs::path target = dir.write("real/log.csv", "old");
    const fs::path link = dir / "log.csv";
    fs::create_symlink("real/log.csv", link);
    const fs::path chained = dir / "chained.csv";
    fs::create_symlink(link, chained);

    ASSERT_TRUE(replaceFile(chained, "new"));
    EXPECT_TRUE(fs::is_symlink(chained));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(test::readAll(target), "new");
    EXPECT_EQ(temporaries(dir.path()), 0);
    EXPECT_EQ(temporaries(dir / "real"), 0);

    // A dangling link gets the file it names.
    const fs::path dangling = dir / "new.txt";
    fs::create_symlink("real/created.txt", dangling);
    ASSERT_TRUE(replaceFile(dangling, "made"));
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_EQ(test::readAll(dir / "real" / "created.txt"), "made");
}

TEST(OutputFile, DeviceAndFifoAreWrittenDirectlyWhenTheUserNamesThem) {
    test::TempDir dir;
    OutputFile null;
    ASSERT_TRUE(null.open("/dev/null", OutputFile::Special::WriteThrough)) << null.error();
    EXPECT_TRUE(null.direct());
    EXPECT_FALSE(null.writeAt(0, "x"));
    ASSERT_TRUE(null.write("discarded"));
    ASSERT_TRUE(null.commit(true));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));

    const fs::path fifo = dir / "pipe";
    makeFifo(fifo);
    auto reader = std::async(std::launch::async, [&] { return test::readAll(fifo); });
    {
        OutputFile out;
        ASSERT_TRUE(out.open(fifo, OutputFile::Special::WriteThrough)) << out.error();
        ASSERT_TRUE(out.write("through the pipe"));
        ASSERT_TRUE(out.commit(true));
    }
    EXPECT_EQ(reader.get(), "through the pipe");
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(temporaries(dir.path()), 0);
}

TEST(OutputFile, DataFileRefusesAnythingButARegularFileAtOnce) {
    test::TempDir dir;
    const fs::path fifo = dir / "fifo.csv";
    makeFifo(fifo);
    // A socket's path must fit sockaddr_un, which a deep build directory may not.
    char shortDir[] = "/tmp/qv-sock.XXXXXX";
    ASSERT_NE(::mkdtemp(shortDir), nullptr);
    const fs::path socket = fs::path(shortDir) / "sock.csv";
    const int sock = makeSocket(socket);
    ASSERT_GE(sock, 0);
    fs::create_directory(dir / "dir.csv");

    for (const fs::path& p : {fifo, socket, dir / "dir.csv", fs::path("/dev/null")}) {
        std::string error;
        EXPECT_FALSE(replaceFile(p, "x", true, &error)) << p;
        EXPECT_NE(error.find(p.string()), std::string::npos) << error;
    }
    ::close(sock);
    EXPECT_EQ(temporaries(shortDir), 0);
    fs::remove_all(shortDir);
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(temporaries(dir.path()), 0);

    OutputFile out;
    EXPECT_FALSE(out.open("", OutputFile::Special::WriteThrough));
    EXPECT_NE(out.error().find("empty"), std::string::npos);
    EXPECT_FALSE(out.open(dir.path(), OutputFile::Special::WriteThrough));
    EXPECT_NE(out.error().find("directory"), std::string::npos);
}

TEST(OutputFile, TemporaryNamesAreRecognisedOnlyInTheirOwnShapes) {
    EXPECT_TRUE(isReplacementTemporary("telegram_practice.ini.quorvel-Ab3xY9.tmp"));
    EXPECT_TRUE(isReplacementTemporary("/d/telegram_practice_char_log.csv.1234-0.tmp"));
    EXPECT_FALSE(isReplacementTemporary("notes.tmp"));
    EXPECT_FALSE(isReplacementTemporary("out.wav.tmp"));
    EXPECT_FALSE(isReplacementTemporary("a.quorvel-short.tmp"));
    EXPECT_FALSE(isReplacementTemporary(".quorvel-Ab3xY9.tmp"));
}

}  // namespace
}  // namespace quorvel
