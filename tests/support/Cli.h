// Test support: moro-cli run as a user runs it.  The suites that use it (test_cli, test_cmd_*) are
// the ones built after the program.
#pragma once

#include <algorithm>
#include <string>

#include "tests/support/Recorder.h"

namespace moro_test {

struct CliRun {
    int status;
    std::string out;  // standard output
    std::string err;  // standard error
};

// Runs moro-cli with ARGS (a shell command line), standard error captured in DIR.
CliRun RunCli(const TempDir& dir, const std::string& args);

// Argument errors are one line on standard error, so a script's log stays readable.
inline bool OneLine(const std::string& text) {
    return !text.empty() && text.back() == '\n' && std::count(text.begin(), text.end(), '\n') == 1;
}

// Arguments that parse but make no sense: exit status 2 and one line on standard error.
inline void ExpectUsageError(const TempDir& dir, const std::string& args) {
    CliRun run = RunCli(dir, args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_TRUE(OneLine(run.err)) << args << ": " << run.err;
}

}  // namespace moro_test
