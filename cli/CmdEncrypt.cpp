// moro-cli encrypt: the window's typical run on a file, from the command line.
#include <cstdio>
#include <ctime>

#include "cli/Command.h"
#include "cli/Files.h"
#include "cli/Options.h"
#include "cli/Session.h"
#include "security/KeyDiagnosis.h"

namespace {

enum class Step { Stream, Subst, Frame, FrameStream, Init };

const struct {
    const char* name;
    Step step;
} kSteps[] = {
    {"stream", Step::Stream}, {"subst", Step::Subst}, {"frame", Step::Frame},
    {"frame-stream", Step::FrameStream}, {"init", Step::Init},
};

class CEncrypt : public cli::CCommand {
public:
    void Define(CLI::App& app) override {
        app.footer("Loads IN, makes a cipher key (from --seed, or the clock) and runs the steps on a\n"
                   "copy of the image, then saves the copy as OUT. The same seed and steps always\n"
                   "give the same file.");
        std::vector<std::string> names;
        for (const auto& s : kSteps) names.push_back(s.name);
        app.add_option("IN", m_in, "the BMP image to encrypt")->required();
        app.add_option("OUT", m_out, "the BMP file to write")->required();
        app.add_option("--seed", m_nSeed,
                       "seed of the random generator (0 to 4294967295); without it the clock is\n"
                       "used, as the window does at start, so every run differs")
            ->type_name("N")
            ->transform(cli::WholeNumber("--seed", 0, 0xFFFFFFFFull));
        app.add_option("--steps", m_steps,
                       "comma-separated steps, run in order (default: stream):\n"
                       "  stream        encrypt with the chaotic key stream\n"
                       "  subst         substitute every byte through the S-box\n"
                       "  frame         one frame pass of the speed test, whole system\n"
                       "  frame-stream  one frame pass, stream cipher only\n"
                       "  init          make a new key")
            ->type_name("LIST")
            ->check(cli::CommaList("step", names));
        app.add_option("--key", m_keyIn, "encrypt with the key of a key file, and its steps unless\n--steps is given")
            ->type_name("KEY.json")
            ->excludes("--seed");
        app.add_option("--key-out", m_keyOut, "write the key file of this run, for moro-cli decrypt")->type_name("KEY.json");
    }

    int Run(const CLI::App& app) override {
        cli::Session session;
        KeyFile run;
        cli::CKeyOut keyOut;
        if (!m_keyOut.empty() && !keyOut.Open(m_keyOut)) return cli::kExitFailed;
        if (!m_keyIn.empty()) {
            if (!cli::LoadKeyOrExplain(m_keyIn, run) || !cli::OpenSessionWithKey(session, m_in, run)) return cli::kExitFailed;
            if (!app.count("--steps")) m_steps = StepList(run.steps);
        } else {
            // The clock's seed is a seed too: the key file keeps it.
            m_nSeed = app.count("--seed") ? m_nSeed : std::time(nullptr);
            if (!cli::OpenSession(session, m_in, true, m_nSeed)) return cli::kExitFailed;
            run = KeyFileNow(session.key, true, uint32_t(m_nSeed));
        }
        run.steps = cli::StepsOf(m_steps);
        KeyState& key = session.key;
        CDib& cipher = session.cipher;
        // Words mode 1 XORs with 0 (a lane whose state fell to 0) stay as they were: the user is
        // told how many and why.
        const uint64_t nWords = uint64_t(cipher.m_nHeight) * uint64_t(cipher.m_nRowBytes) / 2;
        uint64_t nLeft = 0, nStreamWords = 0;
        std::string cause;
        for (const std::string& name : cli::SplitCommas(m_steps)) {
            for (const auto& s : kSteps) {
                if (name != s.name) continue;
                switch (s.step) {
                    case Step::Stream: {
                        KeyDiagnosis d = DiagnoseKey(key, nWords);
                        nLeft += d.nZeroWords;
                        nStreamWords += nWords;
                        if (cause.empty()) cause = UnencryptedCause(d);
                        EncryptStream(key, cipher);
                        break;
                    }
                    case Step::Subst: EncryptSubst(key, cipher); break;
                    case Step::Frame: EncryptFrame(key, cipher, false); break;
                    case Step::FrameStream: EncryptFrame(key, cipher, true); break;
                    case Step::Init: InitKey(key); break;
                }
            }
        }
        if (nLeft) std::fprintf(stderr, "moro-cli: warning: %s\n", DescribeUnencrypted(nLeft, nStreamWords, cause).c_str());
        if (!cli::SaveBmpOrExplain(cipher, m_out)) return cli::kExitFailed;
        return m_keyOut.empty() || keyOut.Commit(run) ? cli::kExitOk : cli::kExitFailed;
    }

private:
    static std::string StepList(const std::vector<CipherStep>& steps) {
        std::string list;
        for (CipherStep step : steps) list += (list.empty() ? "" : ",") + std::string(GetCipherStepName(step));
        return list;
    }

    std::string m_in, m_out, m_keyIn, m_keyOut;
    unsigned long long m_nSeed = 0;
    std::string m_steps = "stream";
};

}  // namespace

MORO_CLI_COMMAND(CEncrypt, "encrypt", "encrypts a copy of an image as the window's buttons do");
