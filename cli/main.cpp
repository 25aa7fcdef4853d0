// moro-cli: MORO's command-line tool.
#include <cstdio>

#include "cli/Command.h"
#include "platform/MessageBox.h"

int main(int argc, char** argv) {
    // The library's message boxes become lines on standard error.
    SetMessageBoxHandler([](const char* text, const char*, UINT) {
        std::fprintf(stderr, "moro-cli: %s\n", text);
        return IDOK;
    });
    return cli::RunCommandLine(argc, argv);
}
