// quorvel-cli ports: the serial ports a telegraph key can be connected to.
#include <cstdio>

#include "cli/cli.h"
#include "keying/port_list.h"
#include "storage/utf.h"

namespace quorvel::cli {
namespace {

int runPorts(const Args& args) {
    if (!args.empty())
        return usageError("ports", "unexpected argument " + args.front());
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

const bool registered = registerCommand({"ports", "", runPorts});

}  // namespace
}  // namespace quorvel::cli
