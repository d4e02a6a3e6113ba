// How quorvel-cli reports a usage error; for the files that do not parse options themselves.
#pragma once

#include <string>

namespace quorvel::cli {

// Prints "quorvel-cli <name>: <reason>" and where the help is to stderr; returns 2.
int usageError(const char* name, const std::string& reason);

// Exit status of a usage error (bad or missing option, unknown command).
inline constexpr int kUsageExit = 2;

}  // namespace quorvel::cli
