// moro-cli speed: the window's speed test on an image.
#include <cstdio>

#include "cli/Command.h"
#include "cli/Options.h"
#include "cli/Session.h"

namespace {

class CSpeed : public cli::CCommand {
public:
    void Define(CLI::App& app) override {
        app.footer("Encrypts a copy of IN N times over and reports the throughput in Mbps (2^20 bits\n"
                   "per second), as the window's speed test does.");
        app.add_option("IN", m_in, "the BMP image to encrypt")->required();
        app.add_option("--frames", m_nFrames, "frame passes to time (default 32; 0 runs nothing and reports 0)")
            ->type_name("N")
            ->transform(cli::WholeNumber("--frames", 0, 0xFFFFFFFFull));
        app.add_flag("--stream-only", m_bStreamOnly,
                     "time the stream cipher alone (default: the whole system, S-box included)");
        app.add_option("--seed", m_nSeed, "seed of the random generator for the key, 0 to 4294967295\n(default: the clock)")
            ->type_name("N")
            ->transform(cli::WholeNumber("--seed", 0, 0xFFFFFFFFull));
    }

    int Run(const CLI::App& app) override {
        cli::Session session;
        if (!cli::OpenSession(session, m_in, app.count("--seed") > 0, m_nSeed)) return cli::kExitFailed;
        double dSpeed = MeasureSpeed(session.key, session.cipher, m_bStreamOnly, unsigned(m_nFrames));
        std::printf("The average encryption speed is about %g Mbps.\n", dSpeed);
        return cli::kExitOk;
    }

private:
    std::string m_in;
    unsigned long long m_nFrames = 32, m_nSeed = 0;
    bool m_bStreamOnly = false;
};

}  // namespace

MORO_CLI_COMMAND(CSpeed, "speed", "runs the window's speed test on an image");
