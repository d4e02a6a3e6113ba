// quorvel-cli stats: the history window's report of one tab, or its graph entries as JSON.
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/cli.h"
#include "cli/path_option.h"
#include "storage/local_time.h"
#include "storage/paths.h"
#include "storage/settings.h"
#include "storage/settings_file.h"
#include "storage/stats_report.h"
#include "storage/utf.h"

namespace quorvel::cli {
namespace {

struct StatsOptions {
    int tab = 0;
    bool graph = false;
    std::string dataDir;
};

int runStats(const StatsOptions& o) {
    const int tab = o.tab;
    const bool graph = o.graph;
    const DataPaths paths = DataPaths::fromSystem(o.dataDir);
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

Runner defineStats(CLI::App& app) {
    auto o = std::make_shared<StatsOptions>();
    app.add_option("--tab", o->tab,
                   "Tab of the history window: 0 現在, 1 日毎, 2 週間, 3 月間, 4 文字別, 5 DB, "
                   "6 目標, 7 教材, 8 CSV")
        ->check(CLI::Range(0, kStatsTabCount - 1))
        ->capture_default_str();
    app.add_flag("--graph", o->graph,
                 "Print the tab's graph entries as JSON instead of the report");
    app.add_option("--data-dir", o->dataDir,
                   "Data directory whose logs are read (default: the usual data directory)")
        ->check(nonEmptyPath());
    app.footer("The report is printed as UTF-8 with its own CR LF line breaks.");
    return [o] { return runStats(*o); };
}

const bool registered = registerCommand(
    {"stats", "Print a tab of the history window's report, or its graph", defineStats});

}  // namespace
}  // namespace quorvel::cli
