// What moro-cli's options need beyond CLI11: validators whose messages name the option in our
// words, and the options of a command line in the order they were typed.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <CLI/CLI.hpp>

namespace cli {

// A bad argument, with the whole message.  Validators throw it rather than return a message,
// since CLI11 would put "NAME: " in front of a returned one.
class CBadArgument : public CLI::ParseError {
public:
    explicit CBadArgument(const std::string& message) : CLI::ParseError("BadArgument", message, CLI::ExitCodes::ValidationError) {}
};

// A decimal whole number from nMin to nMax, digits only (no sign, no hexadecimal).  Attach it with
// transform(), not check(): it hands CLI11 the number without leading zeros, since CLI11 would read
// "010" as octal.
CLI::Validator WholeNumber(const std::string& option, unsigned long long nMin, unsigned long long nMax);

// A comma-separated list of names, each one of `names`; no item may be empty.  `what` names one
// item in the message ("unknown step 'rot13' (steps: stream, subst)").
CLI::Validator CommaList(const std::string& what, const std::vector<std::string>& names);
// The items of a comma-separated list, empty ones included.
std::vector<std::string> SplitCommas(const std::string& text);

// Every option and positional of a parsed command line with its value, in the order typed.  An
// option that takes one value, or a flag, appears once each time it was given; options used this
// way take MultiOptionPolicy::TakeAll and no delimiter.
std::vector<std::pair<const CLI::Option*, std::string>> OptionsInOrder(const CLI::App& app);

// Thrown by commands that apply their options one after the other (edit, measure) and caught in
// their Run: an argument that does not fit the image (its message is the one line of exit status
// 2), and a library failure with its code (exit status 1).
struct BadValue {
    std::string message;
};
struct LibraryFailed {
    int nError;
};

}  // namespace cli
