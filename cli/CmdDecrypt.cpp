// moro-cli decrypt: an encrypted image back to the plain one, with the key file of its run.
#include <cstdio>

#include "cli/Command.h"
#include "cli/Files.h"
#include "cli/Options.h"
#include "dib/Dib.h"

namespace {

class CDecrypt : public cli::CCommand {
public:
    void Define(CLI::App& app) override {
        app.footer("Loads IN, undoes the steps of the key file's run on its pixel rows and saves the\n"
                   "result as OUT: the plain image's rows byte for byte, under IN's headers (which\n"
                   "encryption never changes). The key files come from 'moro-cli encrypt --key-out'\n"
                   "and 'moro-cli keygen'.");
        app.add_option("IN", m_in, "the encrypted image")->required();
        app.add_option("OUT", m_out, "the BMP file to write")->required();
        app.add_option("--key", m_key, "the key file of the encryption")->type_name("KEY.json")->required();
    }

    int Run(const CLI::App&) override {
        KeyFile run;
        CDib dib;
        if (!cli::LoadKeyOrExplain(m_key, run) || !cli::LoadOrExplain(dib, m_in)) return cli::kExitFailed;
        if (!DecryptSteps(run.key, run.randState, run.steps, dib)) {
            // The key file reader refuses such an S-box; only a damaged key could get here.
            std::fprintf(stderr, "moro-cli: the key's S-box is no permutation: its substitution cannot be undone\n");
            return cli::kExitFailed;
        }
        return cli::SaveBmpOrExplain(dib, m_out) ? cli::kExitOk : cli::kExitFailed;
    }

private:
    std::string m_in, m_out, m_key;
};

}  // namespace

MORO_CLI_COMMAND(CDecrypt, "decrypt", "restores an encrypted image with the key file of its encryption");
