// moro-cli: MORO's command-line tool.
#include <cstdio>
#include <cstring>

static void PrintUsage(FILE* out) {
    std::fprintf(out,
                 "usage: moro-cli COMMAND [ARGS]\n"
                 "\n"
                 "Commands:\n"
                 "  info FILE                 describe an image file\n"
                 "\n"
                 "Run 'moro-cli COMMAND --help' for the options of a command.\n");
}

int main(int argc, char** argv) {
    if (argc < 2) {
        PrintUsage(stdout);
        return 0;
    }
    if (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
        PrintUsage(stdout);
        return 0;
    }
    std::fprintf(stderr, "moro-cli: unknown command '%s'\n", argv[1]);
    PrintUsage(stderr);
    return 2;
}
