// quorvel-cli dashboard: the home dashboard and achievements texts from the logs of a data
// directory, as the window shows them.
#include <cstdio>
#include <string>

#include "cli/cli.h"
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

int runDashboard(const Args& args) {
    std::string dataDir;
    int runChars = 0;
    ArgReader r(args);
    while (!r.done()) {
        const std::string a = r.next();
        if (a == "--data-dir") {
            if (!r.value(dataDir) || dataDir.empty())
                return usageError(kName, "--data-dir needs a directory");
        } else if (a == "--run-chars") {
            std::string v;
            if (!r.value(v) || !parseInt(v, 0, 1'000'000'000, runChars))
                return usageError(kName, "--run-chars needs a count of characters");
        } else {
            return usageError(kName, "unknown argument " + a);
        }
    }
    const DataPaths paths = DataPaths::fromSystem(dataDir);
    printInfo(dashboardText(readDashboard(paths, currentLocalTime(), runChars)));
    printInfo(achievementsText(readAchievements(paths)));
    return 0;
}

const bool registered = registerCommand({kName, "[--data-dir DIR] [--run-chars N]", runDashboard});

}  // namespace
}  // namespace quorvel::cli
