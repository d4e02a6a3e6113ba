// Reading, appending and crash-safe replacing of the program's data files.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "storage/read_only_file.h"

namespace quorvel {

enum class ReadProblem { None, Missing, NotRegular, Unreadable };

// The whole content; none when the file is missing, is not a regular file (a FIFO, device or
// directory is refused without waiting) or cannot be read; `problem` says which.
std::optional<std::string> readFileBytes(const std::filesystem::path& path,
                                         ReadProblem* problem = nullptr);
// In words, for messages.
const char* describe(ReadProblem problem);

enum class AppendResult { Created, Appended, Failed };

// Appends `bytes` with a single write. A file that did not exist before the call is created
// and gets `prefixIfCreated` first, in the same write.
AppendResult appendToFile(const std::filesystem::path& path, std::string_view bytes,
                          std::string_view prefixIfCreated = {});

// Replaces the file whole: the bytes go to a uniquely named temporary file beside it, are
// flushed to the disk when `sync` is set, and the temporary file is renamed over it. A crash
// leaves either the old or the new content, never a mix. A symbolic link is followed, so the
// file it names is replaced and the link stays; anything but a regular file is refused. On
// failure the old file is untouched and `error` (when given) says why; `written` receives the
// version of the new file.
bool replaceFile(const std::filesystem::path& path, std::string_view bytes, bool sync = true,
                 std::string* error = nullptr, FileVersion* written = nullptr);

}  // namespace quorvel
