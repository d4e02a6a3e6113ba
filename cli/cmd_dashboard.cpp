// quorvel-cli dashboard: the home dashboard and achievements texts from the logs of a data
// directory, as the window shows them.
#include <cstdio>
#include <memory>
#include <string>

#include "cli/cli.h"
#include "cli/path_option.h"
#include "engine/dashboard_report.h"
#include "storage/local_time.h"
#include "storage/utf.h"

namespace quorvel::cli {
namespace {

constexpr const char* kName = "dashboard";

void printInfo(const InfoText& info) {
    std::string body = toUtf8(info.body);
    std::string lf;
    lf.reserve(body.size());
    for (char c : body) {
        if (c != '\r')
            lf += c;
    }
    std::printf("# %s\n# %s\n%s\n", toUtf8(info.title).c_str(), toUtf8(info.subtitle).c_str(),
                lf.c_str());
}

struct DashboardOptions {
    std::string dataDir;
    int runChars = 0;
};

int runDashboard(const DashboardOptions& o) {
    const DataPaths paths = DataPaths::fromSystem(o.dataDir);
    printInfo(dashboardText(readDashboard(paths, currentLocalTime(), o.runChars)));
    printInfo(achievementsText(readAchievements(paths)));
    return 0;
}

Runner defineDashboard(CLI::App& app) {
    auto o = std::make_shared<DashboardOptions>();
    app.add_option("--data-dir", o->dataDir,
                   "Data directory whose logs are read (default: the usual data directory)")
        ->check(nonEmptyPath());
    app.add_option("--run-chars", o->runChars,
                   "Characters judged in a run not yet logged, counted towards today's EXP")
        ->check(CLI::Range(0, 1'000'000'000))
        ->capture_default_str();
    return [o] { return runDashboard(*o); };
}

const bool registered =
    registerCommand({kName, "Print the home dashboard and the achievements from the practice logs",
                     defineDashboard});

}  // namespace
}  // namespace quorvel::cli
