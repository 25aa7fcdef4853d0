// moro-cli speed: the window's speed test on an image.
#include <cstdio>

#include "cli/Args.h"
#include "cli/Session.h"

namespace {

int RunSpeed(const std::vector<std::string>& args);

const cli::Command kSpeed = {
    "speed",
    "speed IN.bmp [--frames N] [--stream-only] [--seed N]",
    "usage: moro-cli speed IN.bmp [--frames N] [--stream-only] [--seed N]\n"
    "\n"
    "Encrypts a copy of IN.bmp N times over and reports the throughput in Mbps (2^20 bits per\n"
    "second), as the window's speed test does.\n"
    "\n"
    "  --frames N     frame passes to time (default 32; 0 runs nothing and reports 0)\n"
    "  --stream-only  time the stream cipher alone (default: the whole system, S-box included)\n"
    "  --seed N       seed of the random generator for the key (default: the clock)\n",
    RunSpeed,
};
MORO_CLI_COMMAND(kSpeed);

int RunSpeed(const std::vector<std::string>& args) {
    cli::ArgReader reader(kSpeed, args);
    std::string option;
    unsigned long long nFrames = 32, nSeed = 0;
    bool bSeeded = false, bStreamOnly = false;
    while (reader.NextOption(option)) {
        if (option == "--frames") {
            if (!reader.UnsignedValue(0xFFFFFFFFull, nFrames)) return cli::kExitUsage;
        } else if (option == "--seed") {
            if (!reader.UnsignedValue(0xFFFFFFFFull, nSeed)) return cli::kExitUsage;
            bSeeded = true;
        } else if (option == "--stream-only") {
            bStreamOnly = true;
        } else {
            return reader.Fail("unknown option " + option);
        }
    }
    if (reader.Positional().size() != 1) return reader.Fail("speed needs one image");

    cli::Session session;
    if (!cli::OpenSession(session, reader.Positional()[0], bSeeded, nSeed)) return cli::kExitFailed;
    double dSpeed = MeasureSpeed(session.key, session.cipher, bStreamOnly, unsigned(nFrames));
    std::printf("The average encryption speed is about %g Mbps.\n", dSpeed);
    return cli::kExitOk;
}

}  // namespace
