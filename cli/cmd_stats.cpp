// quorvel-cli stats: the history window's report of one tab, or its graph entries as JSON.
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/cli.h"
#include "storage/local_time.h"
#include "storage/paths.h"
#include "storage/settings.h"
#include "storage/settings_file.h"
#include "storage/stats_report.h"
#include "storage/utf.h"

namespace quorvel::cli {
namespace {

int runStats(const Args& args) {
    ArgReader in(args);
    int tab = 0;
    bool graph = false;
    std::string dataDir;
    while (!in.done()) {
        const std::string arg = in.next();
        std::string value;
        if (arg == "--tab") {
            if (!in.value(value) || !parseInt(value, 0, kStatsTabCount - 1, tab))
                return usageError("stats", "--tab takes a number from 0 to 8");
        } else if (arg == "--graph") {
            graph = true;
        } else if (arg == "--data-dir") {
            if (!in.value(dataDir) || dataDir.empty())
                return usageError("stats", "--data-dir takes a directory");
        } else {
            return usageError("stats", "unexpected argument " + arg);
        }
    }
    const DataPaths paths = DataPaths::fromSystem(dataDir);
    // No run is in progress here: the run line shows an empty run at the saved speed.
    PracticeSettings settings;
    loadSettings(paths.settingsFile(), settings);
    RunStats run;
    run.wpm = settings.WPM.load(std::memory_order_relaxed);

    StatsReports reports(paths.practiceLog(), paths.charLog());
    const StatsPage page = reports.page(tab, run, currentLocalTime());
    if (!graph) {
        // Binary: the report's own CR LF reaches the output unchanged.
        const std::string text = toUtf8(page.report);
        std::fwrite(text.data(), 1, text.size(), stdout);
        return 0;
    }
    nlohmann::json entries = nlohmann::json::array();
    for (const GraphEntry& e : page.graph)
        entries.push_back({{"label", toUtf8(e.label)},
                           {"input", e.inputValue},
                           {"correct", e.correctValue},
                           {"wrong", e.wrongValue}});
    const nlohmann::json out = {{"tab", tab}, {"graph", entries}};
    std::printf("%s\n", out.dump().c_str());
    return 0;
}

const bool registered =
    registerCommand({"stats", "[--tab N] [--graph] [--data-dir DIR]", runStats});

}  // namespace
}  // namespace quorvel::cli
