// moro-cli's commands.  Each command lives in its own source file and registers itself with
// MORO_CLI_COMMAND; main() finds it by name.
//
// Exit status of every command: 0 success, 1 the library failed (its message on standard error),
// 2 bad arguments.
#pragma once

#include <string>
#include <vector>

namespace cli {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

struct Command {
    const char* name;
    const char* synopsis;  // one line for the overall usage, e.g. "info FILE"
    const char* help;      // the full text of 'moro-cli NAME --help'
    // args: the arguments after the command's name.
    int (*run)(const std::vector<std::string>& args);
};

// Registers a command; used through MORO_CLI_COMMAND.
bool RegisterCommand(const Command& command);
const std::vector<Command>& Commands();

// True when args hold --help or -h (the command should then print its help and return 0).
bool WantsHelp(const std::vector<std::string>& args);
// Prints "moro-cli: <message>" and the command's synopsis to standard error; returns kExitUsage.
int UsageError(const Command& command, const std::string& message);

}  // namespace cli

#define MORO_CLI_COMMAND_CAT2(a, b) a##b
#define MORO_CLI_COMMAND_CAT(a, b) MORO_CLI_COMMAND_CAT2(a, b)
#define MORO_CLI_COMMAND(...) \
    static const bool MORO_CLI_COMMAND_CAT(g_registered_, __LINE__) = ::cli::RegisterCommand(__VA_ARGS__)
