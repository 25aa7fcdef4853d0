// Test support: moro-cli run as a user runs it.  Only the suites listed in CLI_SUITES know where
// the program is (MORO_CLI), so this is for them alone.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <sys/wait.h>

#include "tests/support/Recorder.h"

namespace moro_test {

struct CliRun {
    int status;
    std::string out;  // standard output
    std::string err;  // standard error
};

inline CliRun RunCli(const TempDir& dir, const std::string& args) {
    std::string errPath = dir.Path("stderr.txt");
    std::string command = std::string(MORO_CLI) + " " + args + " 2>" + errPath + " </dev/null";
    CliRun run{-1, "", ""};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) run.out.append(buf, n);
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::vector<BYTE> err = ReadFileBytes(errPath);
    run.err.assign(err.begin(), err.end());
    return run;
}

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
