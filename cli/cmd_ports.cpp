// quorvel-cli ports: the serial ports a telegraph key can be connected to.
#include <cstdio>

#include "cli/cli.h"
#include "keying/port_list.h"
#include "storage/utf.h"

namespace quorvel::cli {
namespace {

int runPorts() {
    const auto ports = listSerialPorts();
    if (ports.empty()) {
        std::fprintf(stderr, "no serial ports found\n");
        return 0;
    }
    // One port a line: the name the window lists, a tab, what `send --serial` accepts.
    for (const auto& port : ports)
        std::printf("%s\t%s\n", toUtf8(port.displayName).c_str(),
                    port.location.empty() ? "-" : port.location.c_str());
    return 0;
}

Runner definePorts(CLI::App& app) {
    app.footer(
        "One port a line: the name the window lists, a tab, and the location that "
        "`quorvel-cli send --serial PORT --realtime` takes.\nThe key goes on a 9-pin "
        "connector: pin 5 common, pin 6 DSR dot, pin 8 CTS dash.");
    return [] { return runPorts(); };
}

const bool registered = registerCommand(
    {"ports", "List the serial ports a telegraph key can be connected to", definePorts});

}  // namespace
}  // namespace quorvel::cli
