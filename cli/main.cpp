#include <cstdio>
#include <map>
#include <string>

#include "cli/cli.h"

namespace quorvel::cli {
namespace {

std::map<std::string, Command>& registry() {
    static std::map<std::string, Command> commands;
    return commands;
}

int printUsage() {
    std::fprintf(stderr, "usage: quorvel-cli <command> [options]\ncommands:\n");
    for (const auto& [name, command] : registry())
        std::fprintf(stderr, "  %s %s\n", name.c_str(), command.usage);
    return 2;
}

}  // namespace

bool registerCommand(const Command& command) {
    registry().emplace(command.name, command);
    return true;
}

int usageError(const char* name, const std::string& reason) {
    if (!reason.empty())
        std::fprintf(stderr, "quorvel-cli %s: %s\n", name, reason.c_str());
    auto it = registry().find(name);
    std::fprintf(stderr, "usage: quorvel-cli %s %s\n", name,
                 it == registry().end() ? "" : it->second.usage);
    return 2;
}

bool parseInt(const std::string& text, int lo, int hi, int& out) {
    if (text.empty() || text.size() > 10)
        return false;
    long long v = 0;
    std::size_t i = 0;
    bool negative = text[0] == '-';
    if (negative)
        i = 1;
    if (i == text.size())
        return false;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        v = v * 10 + (text[i] - '0');
    }
    if (negative)
        v = -v;
    if (v < lo || v > hi)
        return false;
    out = static_cast<int>(v);
    return true;
}

}  // namespace quorvel::cli

int main(int argc, char** argv) {
    using namespace quorvel::cli;
    if (argc < 2)
        return printUsage();
    auto it = registry().find(argv[1]);
    if (it == registry().end()) {
        std::fprintf(stderr, "quorvel-cli: unknown command '%s'\n", argv[1]);
        return printUsage();
    }
    Args args(argv + 2, argv + argc);
    return it->second.run(args);
}
