// moro-cli's commands.  Each command lives in its own source file as a class that declares its
// arguments on a CLI11 subcommand and runs once the command line has parsed; MORO_CLI_COMMAND
// registers it, so a new command is a new file and nothing else.
//
// Exit status of every command: 0 success, 1 the library failed (its message on standard error),
// 2 bad arguments (one line on standard error).
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace cli {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

class CCommand {
public:
    virtual ~CCommand() = default;
    // Declares the positionals and options on the command's subcommand, bound to members.
    virtual void Define(CLI::App& app) = 0;
    // Runs after a parse without errors.  app is the subcommand: app.count("--seed") tells whether
    // an option was given, and OptionsInOrder(app) (cli/Options.h) gives repeated options in the
    // order they were typed, for commands that apply their options one after the other.
    virtual int Run(const CLI::App& app) = 0;
};

struct CommandEntry {
    const char* name;
    const char* summary;  // one line, in 'moro-cli --help' and at the top of the command's help
    std::unique_ptr<CCommand> (*make)();
};

// Registers a command; used through MORO_CLI_COMMAND.
bool RegisterCommand(const CommandEntry& entry);
const std::vector<CommandEntry>& Commands();

// Prints "moro-cli: MESSAGE (see moro-cli COMMAND --help)" as one line on standard error and
// returns kExitUsage: for arguments that parse but do not fit, such as a rectangle outside the
// image.  Control characters of the message (from what the user typed) are printed as '?'.
int UsageError(const CLI::App& command, const std::string& message);

// Parses a command line (argv[0] is the program's name) and runs the command it names, or prints
// the help it asks for; returns the exit status.  pRunCommand, when given, decides by the
// command's name whether a command that parsed runs at all: the fuzzer of the arguments runs
// every command but the speed test, which would time whatever frame count it was handed.
int RunCommandLine(int argc, char** argv, bool (*pRunCommand)(const char* name) = nullptr);

}  // namespace cli

#define MORO_CLI_COMMAND_CAT2(a, b) a##b
#define MORO_CLI_COMMAND_CAT(a, b) MORO_CLI_COMMAND_CAT2(a, b)
// MORO_CLI_COMMAND(CEncrypt, "encrypt", "one line of what it does");
#define MORO_CLI_COMMAND(Class, name, summary)                                                    \
    static const bool MORO_CLI_COMMAND_CAT(g_registered_, __LINE__) = ::cli::RegisterCommand( \
        {name, summary, []() -> std::unique_ptr<::cli::CCommand> { return std::make_unique<Class>(); }})
