// quorvel-cli send --serial: a live sending run keyed on a telegraph key at a serial port.
#pragma once

#include <string>

#include "cli/practice_run.h"

namespace quorvel::cli {

struct SerialSendOptions {
    PracticeRunOptions run;
    std::string port;  // a location or a name that `quorvel-cli ports` lists
    bool autoKeyer = false;
};

// Runs until the set is finished, a signal ends it or the key is lost; returns the exit
// status (2 for a port that does not exist, 1 when it cannot be opened or stops answering).
int runSerialSend(const SerialSendOptions& o);

}  // namespace quorvel::cli
