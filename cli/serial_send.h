// quorvel-cli send --serial: a live sending run keyed on a telegraph key at a serial port.
#pragma once

#include "cli/cli.h"

namespace quorvel::cli {

// Takes the whole argument list of `send`: --serial PORT --realtime [--latin]
// [--telegrams FILE] [--wpm N] [--auto] [--json]. Runs until the set is finished, Ctrl-C or
// the key is lost; returns the exit code (2 for bad arguments, 1 when the port fails).
int runSerialSend(const Args& args);

}  // namespace quorvel::cli
