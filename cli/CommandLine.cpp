// moro-cli's command line.  The commands register themselves (cli/Command.h); this file makes a
// CLI11 subcommand of each, parses the line and runs the command that was named.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include <CLI/CLI.hpp>

#include "cli/Command.h"

namespace cli {

std::vector<CommandEntry>& MutableCommands() {
    static std::vector<CommandEntry> commands;
    return commands;
}

bool RegisterCommand(const CommandEntry& entry) {
    MutableCommands().push_back(entry);
    return true;
}

const std::vector<CommandEntry>& Commands() { return MutableCommands(); }

int UsageError(const CLI::App& command, const std::string& message) {
    std::string line = message;
    // Whatever the user typed goes into the message: a newline in it must not make two lines.
    for (char& c : line)
        if ((unsigned char)c < 0x20 || c == 0x7F) c = '?';
    std::string see = command.get_parent() ? "moro-cli " + command.get_name() + " --help" : "moro-cli --help";
    std::fprintf(stderr, "moro-cli: %s (see %s)\n", line.c_str(), see.c_str());
    return kExitUsage;
}

}  // namespace cli

namespace {

// CLI11's help with the usage line first, as a user looks for it, and positionals without a type.
class CHelpFormatter : public CLI::Formatter {
public:
    CHelpFormatter() {
        label("Usage", "usage");
        label("SUBCOMMAND", "COMMAND");
        label("Positionals", "Arguments");
        column_width(24);
    }
    std::string make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const override {
        if (mode == CLI::AppFormatMode::Sub) return make_expanded(app);
        std::string help = make_usage(app, name) + "\n" + make_description(app) + make_positionals(app) +
                           make_groups(app, mode) + make_subcommands(app, mode);
        std::string footer = make_footer(app);
        return footer.empty() ? help : help + "\n" + footer;
    }
    std::string make_option_opts(const CLI::Option* option) const override {
        return option->get_positional() ? std::string() : CLI::Formatter::make_option_opts(option);
    }
};

// A few of CLI11's messages in plainer words; the others read well as they are.
std::string Explain(const CLI::ParseError& error, const CLI::App& app) {
    std::string what = error.what();
    // An unknown option also leaves a positional unfilled ("info -x.bmp"): name the option.
    if (dynamic_cast<const CLI::ExtrasError*>(&error) || dynamic_cast<const CLI::RequiredError*>(&error)) {
        std::vector<std::string> extras = app.remaining(true);
        if (!extras.empty()) {
            const std::string& first = extras.front();
            return first.size() > 1 && first[0] == '-' ? "unknown option " + first : "unexpected argument '" + first + "'";
        }
    }
    // "--seed: 1 required N missing": the option's value is missing.
    size_t nColon = what.find(": ");
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) && what.size() > 8 && what[0] == '-' &&
        nColon != std::string::npos && what.compare(what.size() - 8, 8, " missing") == 0)
        return what.substr(0, nColon) + " needs a value";
    return what;
}

}  // namespace

int cli::RunCommandLine(int argc, char** argv, bool (*pRunCommand)(const char* name)) {
    CLI::App app("MORO's command-line tool: what the window does, on files.", "moro-cli");
    app.formatter(std::make_shared<CHelpFormatter>());
    app.set_help_flag("-h,--help", "print this help and exit");
    // At most one command; after it, another command's name is a plain argument (a file "info").
    app.require_subcommand(0, 1);
    // Subcommands take these over: an option given twice keeps its last value.
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);

    std::vector<cli::CommandEntry> entries = cli::Commands();
    std::sort(entries.begin(), entries.end(),
              [](const cli::CommandEntry& a, const cli::CommandEntry& b) { return std::strcmp(a.name, b.name) < 0; });
    std::vector<std::unique_ptr<cli::CCommand>> commands;
    std::vector<CLI::App*> subcommands;
    for (const cli::CommandEntry& entry : entries) {
        commands.push_back(entry.make());
        subcommands.push_back(app.add_subcommand(entry.name, entry.summary)->group("Commands"));
        commands.back()->Define(*subcommands.back());
    }
    // "moro-cli help [COMMAND]": kept out of the list, since --help says the same.
    CLI::App* help = app.add_subcommand("help", "print the help of a command")->group("")->allow_extras();
    std::string topic;
    help->add_option("COMMAND", topic, "the command to explain");
    // Set last: subcommands would inherit it.
    app.footer("Run 'moro-cli COMMAND --help' for the arguments of a command.");

    auto find = [&app](const std::string& name) -> CLI::App* {
        for (CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; }))
            if (sub->get_name() == name) return sub;
        return nullptr;
    };
    if (argc > 1 && argv[1][0] != '-' && !find(argv[1]))
        return cli::UsageError(app, std::string("unknown command '") + argv[1] + "'");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        return cli::kExitOk;
    } catch (const CLI::ParseError& e) {
        std::vector<CLI::App*> named = app.get_subcommands();
        return cli::UsageError(named.empty() ? app : *named.front(), Explain(e, app));
    }

    for (size_t i = 0; i < commands.size(); ++i) {
        if (!subcommands[i]->parsed()) continue;
        if (pRunCommand && !pRunCommand(entries[i].name)) return cli::kExitOk;
        return commands[i]->Run(*subcommands[i]);
    }
    // No command, or "help": the help of the command named after "help", else the overall help.
    CLI::App* about = help->parsed() && !topic.empty() ? find(topic) : nullptr;
    if (about && about != help)
        std::fputs(about->help("moro-cli").c_str(), stdout);
    else
        std::fputs(app.get_formatter()->make_help(&app, "moro-cli", CLI::AppFormatMode::Normal).c_str(), stdout);
    return cli::kExitOk;
}
