// Reading, appending and crash-safe replacing of the program's data files.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

// The whole content; none when the file is missing or cannot be read.
std::optional<std::string> readFileBytes(const std::filesystem::path& path);

enum class AppendResult { Created, Appended, Failed };

// Appends `bytes` with a single write. A file that did not exist before the call is created
// and gets `prefixIfCreated` first, in the same write.
AppendResult appendToFile(const std::filesystem::path& path, std::string_view bytes,
                          std::string_view prefixIfCreated = {});

// Replaces the file whole: the bytes go to a temporary file in the same directory, are flushed
// to the disk when `sync` is set, and the temporary file is renamed over `path`. A crash leaves
// either the old or the new content, never a mix. On failure the old file is untouched and
// `error` (when given) says why.
bool replaceFile(const std::filesystem::path& path, std::string_view bytes, bool sync = true,
                 std::string* error = nullptr);

}  // namespace quorvel
