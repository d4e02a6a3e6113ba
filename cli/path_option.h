// Options naming a file or directory: an empty value is a usage error, never "the default".
#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace quorvel::cli {

inline CLI::Validator nonEmptyPath() {
    return CLI::Validator(
        [](std::string& value) {
            return value.empty() ? std::string("an empty name is not a file or directory")
                                 : std::string();
        },
        "", "non-empty path");
}

}  // namespace quorvel::cli
