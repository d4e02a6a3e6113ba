// quorvel-cli: one file per command. Usage, errors and help all come from the one CLI11
// description of each command's options.
//
// How a command file registers itself (cmd_<name>.cpp, picked up by the CMake glob):
//
//     namespace {
//     struct StatsOptions {
//         std::string dataDir;
//         bool json = false;
//     };
//     int runStats(const StatsOptions& o) { ... return 0; }
//     // Declares the options on the command's own sub-app and returns what runs after a
//     // successful parse; the options live in the shared object the runner keeps.
//     Runner defineStats(CLI::App& app) {
//         auto o = std::make_shared<StatsOptions>();
//         app.add_option("--data-dir", o->dataDir, "Data directory (history, settings)");
//         app.add_flag("--json", o->json, "One JSON object a line");
//         app.footer("Longer text shown at the end of `quorvel-cli stats --help`.");
//         return [o] { return runStats(*o); };
//     }
//     const bool registered =
//         registerCommand({"stats", "What the command does, one line", defineStats});
//     }  // namespace
//
// Ranges go in checks (`->check(CLI::Range(5, 40))`) so that help shows them and a bad value
// is a usage error; defaults go in the option's text or `->capture_default_str()`. A check the
// parser cannot make is reported with usageError(), which exits 2 like a parse error.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <string>

#include "cli/usage.h"

namespace quorvel::cli {

using Runner = std::function<int()>;

struct Command {
    const char* name;
    const char* summary;  // one line for the command list
    Runner (*define)(CLI::App& command);
};

// Called from a static initialiser in each command's file.
bool registerCommand(const Command& command);

}  // namespace quorvel::cli
