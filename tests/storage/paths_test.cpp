#include "storage/paths.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/temp_dir.h"

namespace quorvel {
namespace {

namespace fs = std::filesystem;

PathEnvironment environment() {
    PathEnvironment env;
    env.executableDir = "/opt/quorvel/bin";
    env.userDataDir = "/home/u/.local/share/quorvel";
    env.shareDirs = {"/opt/quorvel/share/quorvel", "/usr/share/quorvel"};
    return env;
}

// The process environment, set and cleared the platform's way (an empty value clears on Windows).
void setVariable(const char* name, const char* value) {
#ifdef _WIN32
    _putenv_s(name, value ? value : "");
#else
    if (value)
        ::setenv(name, value, 1);
    else
        ::unsetenv(name);
#endif
}

auto writable(bool yes) {
    return [yes](const fs::path&) { return yes; };
}

TEST(DataDirectory, ChoiceOrder) {
    PathEnvironment env = environment();
    env.dataDirOption = "/data/opt";
    env.dataDirVariable = "/data/var";
    DataPaths p = DataPaths::resolve(env, writable(true));
    EXPECT_EQ(p.dataDirectory(), "/data/opt");
    EXPECT_EQ(p.source(), DataDirSource::Option);

    env.dataDirOption.clear();
    p = DataPaths::resolve(env, writable(true));
    EXPECT_EQ(p.dataDirectory(), "/data/var");
    EXPECT_EQ(p.source(), DataDirSource::Variable);

    // Writable but not a portable installation (a build directory): the user's directory.
    env.dataDirVariable.clear();
    p = DataPaths::resolve(env, writable(true));
    EXPECT_EQ(p.dataDirectory(), "/home/u/.local/share/quorvel");
    EXPECT_EQ(p.source(), DataDirSource::User);
    EXPECT_EQ(p.settingsFile(), "/home/u/.local/share/quorvel/telegram_practice.ini");
    EXPECT_EQ(p.practiceLog().filename(), "telegram_practice_log.csv");
    EXPECT_EQ(p.charLog().filename(), "telegram_practice_char_log.csv");
    EXPECT_EQ(p.textLog().filename(), "telegram_practice_log.txt");

    // Resources: beside the executable first, then the share directories.
    EXPECT_EQ(p.resourceDirectories(),
              (std::vector<fs::path>{"/opt/quorvel/bin", "/opt/quorvel/share/quorvel",
                                     "/usr/share/quorvel"}));
}

TEST(DataDirectory, PortableInstallationKeepsItsFiles) {
    for (const char* marker : {kSettingsFileName, kPracticeLogFileName}) {
        test::TempDir dir;
        const fs::path exe = dir / "bin";
        fs::create_directories(exe);
        PathEnvironment env;
        env.executableDir = exe;
        env.userDataDir = dir / "home" / "quorvel";
        EXPECT_EQ(DataPaths::resolve(env).dataDirectory(), env.userDataDir);
        EXPECT_FALSE(isPortableInstallation(exe));
        test::writeAll(exe / marker, "");
        EXPECT_TRUE(isPortableInstallation(exe)) << marker;
        const DataPaths p = DataPaths::resolve(env);
        EXPECT_EQ(p.dataDirectory(), exe) << marker;
        EXPECT_EQ(p.source(), DataDirSource::Executable);
        // Read-only (tried by creating a file): the user's directory after all.
        EXPECT_EQ(DataPaths::resolve(env, writable(false)).dataDirectory(), env.userDataDir);
    }
    // No per-user directory known: no data directory rather than the executable's.
    PathEnvironment env;
    env.executableDir = "/opt/quorvel/bin";
    EXPECT_TRUE(DataPaths::resolve(env, writable(true)).dataDirectory().empty());
}

TEST(DataDirectory, ReadOnlyInstallationKeepsSettingsAndHistory) {
    test::TempDir dir;
    const fs::path exe = dir / "bin";
    fs::create_directories(exe);
    PathEnvironment env;
    env.executableDir = exe;
    env.userDataDir = dir / "home" / "quorvel";
    const DataPaths p =
        DataPaths::resolve(env, [&](const fs::path& d) { return d != exe; });  // read-only bin
    std::string error;
    ASSERT_TRUE(p.prepare(&error)) << error;
    EXPECT_TRUE(fs::is_directory(dir / "home" / "quorvel"));
    EXPECT_TRUE(isWritableDirectory(p.dataDirectory()));
}

TEST(DataDirectory, WritableProbeLeavesNothingBehind) {
    test::TempDir dir;
    EXPECT_TRUE(isWritableDirectory(dir.path()));
    EXPECT_TRUE(fs::is_empty(dir.path()));
    EXPECT_FALSE(isWritableDirectory(dir / "missing"));
}

TEST(DataDirectory, PrepareReportsADirectoryItCannotMake) {
    test::TempDir dir;
    test::writeAll(dir / "file", "x");
    std::string error;
    EXPECT_FALSE(DataPaths(dir / "file" / "sub").prepare(&error));
    EXPECT_NE(error.find("sub"), std::string::npos);
    EXPECT_FALSE(DataPaths(fs::path()).prepare(&error));
}

TEST(DataDirectory, ResourcesFoundInOrder) {
    test::TempDir dir;
    fs::create_directories(dir / "a");
    fs::create_directories(dir / "b");
    test::writeAll(dir / "b" / "templates_exam.txt", "b");
    const DataPaths p(dir / "data", {dir / "a", dir / "b"});
    EXPECT_EQ(p.findResource("templates_exam.txt"), dir / "b" / "templates_exam.txt");
    test::writeAll(dir / "a" / "templates_exam.txt", "a");
    EXPECT_EQ(p.findResource("templates_exam.txt"), dir / "a" / "templates_exam.txt");
    EXPECT_EQ(p.findResource("none.txt"), std::nullopt);
}

TEST(DataDirectory, SystemEnvironmentReadsTheVariable) {
    const PathEnvironment before = PathEnvironment::fromSystem("/x");
    EXPECT_EQ(before.dataDirOption, "/x");
    EXPECT_FALSE(before.executableDir.empty());
#ifdef _WIN32
    EXPECT_TRUE(fs::exists(before.executableDir / "test_storage.exe"));
#else
    EXPECT_TRUE(fs::exists(before.executableDir / "test_storage"));
#endif
    setVariable(kDataDirVariable, "/tmp/quorvel-var");
    EXPECT_EQ(DataPaths::fromSystem().dataDirectory(), "/tmp/quorvel-var");
    setVariable(kDataDirVariable, nullptr);
}

}  // namespace
}  // namespace quorvel
