// Only this source knows where the program is (MORO_CLI), so that every suite compiles with the
// same definitions and shares one precompiled header.
#include "tests/support/Cli.h"

#include <cstdio>
#include <sys/wait.h>

namespace moro_test {

CliRun RunCli(const TempDir& dir, const std::string& args) {
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

}  // namespace moro_test
