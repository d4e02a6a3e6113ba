// Where the program keeps its files: one writable data directory (settings, logs) and the
// read-only resource directories (generator files). One object, passed to whoever needs it.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorvel {

inline constexpr const char* kSettingsFileName = "telegram_practice.ini";
inline constexpr const char* kPracticeLogFileName = "telegram_practice_log.csv";
inline constexpr const char* kCharLogFileName = "telegram_practice_char_log.csv";
inline constexpr const char* kTextLogFileName = "telegram_practice_log.txt";
inline constexpr const char* kDataDirVariable = "QUORVEL_DATA_DIR";

// What the choice of directories depends on; fromSystem() fills it from the running process.
struct PathEnvironment {
    std::filesystem::path dataDirOption;    // --data-dir
    std::filesystem::path dataDirVariable;  // QUORVEL_DATA_DIR
    std::filesystem::path executableDir;
    std::filesystem::path userDataDir;  // $XDG_DATA_HOME/quorvel, %APPDATA%\Quorvel
    std::vector<std::filesystem::path> shareDirs;

    static PathEnvironment fromSystem(const std::filesystem::path& dataDirOption = {});
};

enum class DataDirSource { Option, Variable, Executable, User };

// True when a file can be created in `dir` (tried, not guessed from permission bits).
bool isWritableDirectory(const std::filesystem::path& dir);

// True when `dir` already holds the settings file or the practice log: an installation that
// keeps its files beside the executable. A build directory holds neither.
bool isPortableInstallation(const std::filesystem::path& dir);

// The directory of the running executable; empty when it cannot be found.
std::filesystem::path executableDirectory();

class DataPaths {
  public:
    // Every file in one directory, resources looked up in the given order.
    explicit DataPaths(std::filesystem::path dataDir,
                       std::vector<std::filesystem::path> resourceDirs = {},
                       DataDirSource source = DataDirSource::Option);

    // The option, else the variable, else the executable's directory when it is a portable
    // installation and writable (existing installations keep their files there), else the
    // per-user directory (empty when none is known).
    // Resources: beside the executable, then the share directories.
    static DataPaths resolve(
        const PathEnvironment& env,
        const std::function<bool(const std::filesystem::path&)>& writable = isWritableDirectory);
    static DataPaths fromSystem(const std::filesystem::path& dataDirOption = {});

    const std::filesystem::path& dataDirectory() const { return dataDir_; }
    DataDirSource source() const { return source_; }
    std::filesystem::path settingsFile() const { return dataDir_ / kSettingsFileName; }
    std::filesystem::path practiceLog() const { return dataDir_ / kPracticeLogFileName; }
    std::filesystem::path charLog() const { return dataDir_ / kCharLogFileName; }
    std::filesystem::path textLog() const { return dataDir_ / kTextLogFileName; }

    const std::vector<std::filesystem::path>& resourceDirectories() const { return resourceDirs_; }
    // The first resource directory holding `name`.
    std::optional<std::filesystem::path> findResource(const std::filesystem::path& name) const;

    // Creates the data directory when it is missing; false with a reason when it cannot.
    bool prepare(std::string* error = nullptr) const;

  private:
    std::filesystem::path dataDir_;
    std::vector<std::filesystem::path> resourceDirs_;
    DataDirSource source_;
};

}  // namespace quorvel
