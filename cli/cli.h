// quorvel-cli: each command registers itself from its own file.
#pragma once

#include <string>
#include <vector>

namespace quorvel::cli {

using Args = std::vector<std::string>;

struct Command {
    const char* name;
    const char* usage;  // arguments after the command name
    int (*run)(const Args& args);
};

// Called from a static initialiser in each command's file.
bool registerCommand(const Command& command);

// Prints "usage: quorvel-cli <name> <usage>" (and an optional reason) to stderr; returns 2.
int usageError(const char* name, const std::string& reason = {});

// Small argument reader: options and positional arguments in order.
class ArgReader {
  public:
    explicit ArgReader(const Args& args) : args_(args) {}
    bool done() const { return i_ >= args_.size(); }
    const std::string& peek() const { return args_[i_]; }
    std::string next() { return args_[i_++]; }
    // Value after an option, or none when the arguments end.
    bool value(std::string& out) {
        if (done())
            return false;
        out = next();
        return true;
    }

  private:
    const Args& args_;
    std::size_t i_ = 0;
};

// Parses a decimal integer in [lo, hi]; false on anything else.
bool parseInt(const std::string& text, int lo, int hi, int& out);

}  // namespace quorvel::cli
