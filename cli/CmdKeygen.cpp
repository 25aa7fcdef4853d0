// moro-cli keygen: a key file without an image.
#include <ctime>

#include "cli/Command.h"
#include "cli/Files.h"
#include "cli/Options.h"
#include "platform/Rand.h"

namespace {

class CKeygen : public cli::CCommand {
public:
    void Define(CLI::App& app) override {
        app.footer("Makes a key as the window does at start (from --seed, or the clock) and writes it\n"
                   "with the steps to run as a key file, for 'moro-cli encrypt --key'.");
        app.add_option("KEY", m_out, "the key file to write (JSON)")->required();
        app.add_option("--seed", m_nSeed, "seed of the random generator (0 to 4294967295; default: the clock)")
            ->type_name("N")
            ->transform(cli::WholeNumber("--seed", 0, 0xFFFFFFFFull));
        app.add_option("--steps", m_steps, "comma-separated steps, as for moro-cli encrypt (default: stream)")
            ->type_name("LIST")
            ->check(cli::CommaList("step", cli::StepNames()));
    }

    int Run(const CLI::App& app) override {
        uint32_t seed = uint32_t(app.count("--seed") ? m_nSeed : std::time(nullptr));
        crt::srand(seed);
        KeyState key;
        InitKey(key);
        KeyFile file = KeyFileNow(key, true, seed);
        file.steps = cli::StepsOf(m_steps);
        return cli::SaveKeyOrExplain(m_out, file) ? cli::kExitOk : cli::kExitFailed;
    }

private:
    std::string m_out;
    unsigned long long m_nSeed = 0;
    std::string m_steps = "stream";
};

}  // namespace

MORO_CLI_COMMAND(CKeygen, "keygen", "makes a key file without an image");
