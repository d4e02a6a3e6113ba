// The few file calls that differ between platforms, under the storage writers.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "storage/read_only_file.h"

namespace quorvel::native {

using Handle = std::intptr_t;
inline constexpr Handle kNoHandle = -1;

// Creates a file that must not exist yet (mode 0666 less the umask, or `modeOf`'s mode when
// that file exists).
Handle createNew(const std::filesystem::path& path, const std::filesystem::path& modeOf);
// Opens an existing file for writing without truncating it (a device, a FIFO).
Handle openExisting(const std::filesystem::path& path);
bool writeAll(Handle h, std::string_view bytes);
bool writeAt(Handle h, std::uint64_t offset, std::string_view bytes);
bool syncFile(Handle h);
bool versionOf(Handle h, FileVersion& version);
bool closeFile(Handle h);
// Replaces `to` by `from` in one step; `sync` makes the rename durable.
bool renameOver(const std::filesystem::path& from, const std::filesystem::path& to, bool sync);
void removeFile(const std::filesystem::path& path);
// The reason of the last failed call, in words.
std::string lastError();
// Whether the last failed call found the file already there.
bool lastErrorWasExists();

}  // namespace quorvel::native
