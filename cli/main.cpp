// moro-cli: MORO's command-line tool.
#include <cstdio>
#include <cstring>

#include "cli/Command.h"
#include "platform/MessageBox.h"

namespace cli {

std::vector<Command>& MutableCommands() {
    static std::vector<Command> commands;
    return commands;
}

bool RegisterCommand(const Command& command) {
    MutableCommands().push_back(command);
    return true;
}

const std::vector<Command>& Commands() { return MutableCommands(); }

bool WantsHelp(const std::vector<std::string>& args) {
    for (const std::string& a : args)
        if (a == "--help" || a == "-h") return true;
    return false;
}

int UsageError(const Command& command, const std::string& message) {
    std::fprintf(stderr, "moro-cli: %s\nusage: moro-cli %s\n", message.c_str(), command.synopsis);
    return kExitUsage;
}

}  // namespace cli

namespace {
void PrintUsage(FILE* out) {
    std::fprintf(out, "usage: moro-cli COMMAND [ARGS]\n\nCommands:\n");
    for (const cli::Command& c : cli::Commands()) std::fprintf(out, "  %s\n", c.synopsis);
    std::fprintf(out, "\nRun 'moro-cli COMMAND --help' for the options of a command.\n");
}
}  // namespace

int main(int argc, char** argv) {
    // The library's message boxes become lines on standard error.
    SetMessageBoxHandler([](const char* text, const char*, UINT) {
        std::fprintf(stderr, "moro-cli: %s\n", text);
        return IDOK;
    });
    if (argc < 2) {
        PrintUsage(stdout);
        return cli::kExitOk;
    }
    if (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "help")) {
        PrintUsage(stdout);
        return cli::kExitOk;
    }
    for (const cli::Command& c : cli::Commands()) {
        if (std::strcmp(c.name, argv[1]) != 0) continue;
        std::vector<std::string> args(argv + 2, argv + argc);
        if (cli::WantsHelp(args)) {
            std::fputs(c.help, stdout);
            return cli::kExitOk;
        }
        return c.run(args);
    }
    std::fprintf(stderr, "moro-cli: unknown command '%s'\n", argv[1]);
    PrintUsage(stderr);
    return cli::kExitUsage;
}
