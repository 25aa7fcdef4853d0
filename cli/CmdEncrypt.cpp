// moro-cli encrypt: the window's typical run on a file, from the command line.
#include <sstream>

#include "cli/Args.h"
#include "cli/Session.h"

namespace {

int RunEncrypt(const std::vector<std::string>& args);

const cli::Command kEncrypt = {
    "encrypt",
    "encrypt IN.bmp OUT.bmp [--seed N] [--steps LIST]",
    "usage: moro-cli encrypt IN.bmp OUT.bmp [--seed N] [--steps LIST]\n"
    "\n"
    "Loads IN.bmp, makes a cipher key and runs the steps on a copy of the image, as the window's\n"
    "buttons do, then saves the result as OUT.bmp.\n"
    "\n"
    "  --seed N      seed of the random generator (0 to 4294967295); without it the clock is\n"
    "                used, as the window does at start, so every run differs\n"
    "  --steps LIST  comma-separated steps, run in order (default: stream):\n"
    "                  stream        encrypt with the chaotic key stream\n"
    "                  subst         substitute every byte through the S-box\n"
    "                  frame         one frame pass of the speed test, whole system\n"
    "                  frame-stream  one frame pass, stream cipher only\n"
    "                  init          make a new key\n",
    RunEncrypt,
};
MORO_CLI_COMMAND(kEncrypt);

enum class Step { Stream, Subst, Frame, FrameStream, Init };

bool ParseSteps(const std::string& list, std::vector<Step>& steps, std::string& bad) {
    std::istringstream in(list);
    std::string name;
    steps.clear();
    while (std::getline(in, name, ',')) {
        if (name == "stream") steps.push_back(Step::Stream);
        else if (name == "subst") steps.push_back(Step::Subst);
        else if (name == "frame") steps.push_back(Step::Frame);
        else if (name == "frame-stream") steps.push_back(Step::FrameStream);
        else if (name == "init") steps.push_back(Step::Init);
        else {
            bad = name;
            return false;
        }
    }
    if (steps.empty()) bad = list;
    return !steps.empty() && list.back() != ',';
}

int RunEncrypt(const std::vector<std::string>& args) {
    cli::ArgReader reader(kEncrypt, args);
    std::string option;
    bool bSeeded = false;
    unsigned long long nSeed = 0;
    std::vector<Step> steps = {Step::Stream};
    while (reader.NextOption(option)) {
        if (option == "--seed") {
            if (!reader.UnsignedValue(0xFFFFFFFFull, nSeed)) return cli::kExitUsage;
            bSeeded = true;
        } else if (option == "--steps") {
            std::string list, bad;
            if (!reader.Value(list)) return cli::kExitUsage;
            if (!ParseSteps(list, steps, bad))
                return reader.Fail("unknown step '" + bad + "' (steps: stream, subst, frame, frame-stream, init)");
        } else {
            return reader.Fail("unknown option " + option);
        }
    }
    if (reader.Positional().size() != 2) return reader.Fail("encrypt needs an input and an output file");
    const std::string& in = reader.Positional()[0];
    const std::string& out = reader.Positional()[1];

    cli::Session session;
    if (!cli::OpenSession(session, in, bSeeded, nSeed)) return cli::kExitFailed;
    KeyState& key = session.key;
    CDib& cipher = session.cipher;
    for (Step step : steps) {
        switch (step) {
            case Step::Stream: EncryptStream(key, cipher); break;
            case Step::Subst: EncryptSubst(key, cipher); break;
            case Step::Frame: EncryptFrame(key, cipher, false); break;
            case Step::FrameStream: EncryptFrame(key, cipher, true); break;
            case Step::Init: InitKey(key); break;
        }
    }
    return cli::SaveBmpOrExplain(cipher, out) ? cli::kExitOk : cli::kExitFailed;
}

}  // namespace
