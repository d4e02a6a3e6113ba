#include <cstdio>
#include <iostream>
#include <map>
#include <string>

#include "cli/cli.h"

namespace quorvel::cli {
namespace {

std::map<std::string, Command>& registry() {
    static std::map<std::string, Command> commands;
    return commands;
}

constexpr const char* kProgramText =
    "quorvel-cli: Morse telegraphy practice on the command line: receive runs (in simulated or "
    "real time, with WAV export), sending runs keyed from a timing file or a serial key, random "
    "telegram sets and the code of a text. Every run scores and logs like the window, in the "
    "same data directory.";

constexpr const char* kProgramFooter =
    "Run `quorvel-cli COMMAND --help` (or `quorvel-cli help COMMAND`) for a command's options.\n"
    "Exit status: 0 done, 1 failed, 2 usage error, 128+N ended by signal N (130 Ctrl-C, 143 "
    "SIGTERM).";

// The sub-app that was being parsed, or the program itself.
const CLI::App& selected(const CLI::App& app) {
    const auto subs = app.get_subcommands();
    return subs.empty() ? app : *subs.front();
}

}  // namespace

bool registerCommand(const Command& command) {
    registry().emplace(command.name, command);
    return true;
}

int usageError(const char* name, const std::string& reason) {
    std::fprintf(stderr, "quorvel-cli %s: %s\nrun 'quorvel-cli %s --help' for the options\n", name,
                 reason.c_str(), name);
    return kUsageExit;
}

int runMain(int argc, char** argv) {
    CLI::App app(kProgramText, "quorvel-cli");
    app.footer(kProgramFooter);
    app.set_version_flag("--version", "quorvel-cli " QUORVEL_VERSION);
    app.require_subcommand(0, 1);
    app.get_formatter()->column_width(34);

    std::map<const CLI::App*, Runner> runners;
    for (const auto& [name, command] : registry()) {
        CLI::App* sub = app.add_subcommand(name, command.summary);
        runners.emplace(sub, command.define(*sub));
    }
    std::string helpTopic;
    CLI::App* help = app.add_subcommand("help", "Show the help of the program or of a command");
    help->add_option("COMMAND", helpTopic, "The command to explain")->check(CLI::IsMember([] {
        std::vector<std::string> names;
        for (const auto& entry : registry())
            names.push_back(entry.first);
        return names;
    }()));

    if (argc < 2) {
        std::cerr << app.help();
        return kUsageExit;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::cout << selected(app).help();
        return 0;
    } catch (const CLI::CallForVersion& e) {
        std::cout << e.what() << '\n';
        return 0;
    } catch (const CLI::ParseError& e) {
        if (dynamic_cast<const CLI::ExtrasError*>(&e) && app.get_subcommands().empty()) {
            std::cerr << "quorvel-cli: unknown command '" << argv[1]
                      << "'\nrun 'quorvel-cli --help' for the commands\n";
            return kUsageExit;
        }
        const CLI::App& at = selected(app);
        const std::string name = &at == &app ? std::string() : " " + at.get_name();
        std::cerr << "quorvel-cli" << name << ": " << e.what() << "\nrun 'quorvel-cli" << name
                  << " --help' for the options\n";
        return kUsageExit;
    }
    if (help->parsed()) {
        std::cout << (helpTopic.empty() ? app.help() : app.get_subcommand(helpTopic)->help());
        return 0;
    }
    for (const auto& [sub, run] : runners)
        if (sub->parsed())
            return run();
    std::cerr << app.help();
    return kUsageExit;
}

}  // namespace quorvel::cli

int main(int argc, char** argv) {
    return quorvel::cli::runMain(argc, argv);
}
