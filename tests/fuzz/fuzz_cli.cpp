// moro-cli's command line.  The input is split at NUL bytes into the arguments and run as the
// program runs them, in a scratch directory that holds one small file of each kind (a.bmp,
// d.bmp, b.cpr, c.raw, e.png) and nothing else.  A '/' in an argument becomes '_', so every file
// named is in that directory.  The speed test is parsed but not run: it would time any frame
// count it is handed.
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "dib/Dib.h"
#include "platform/MessageBox.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

struct ScratchFile {
    std::string name;
    std::vector<char> bytes;
};

// The files every run starts with, written once with the library's writers.
const std::vector<ScratchFile>& StartFiles() {
    static const std::vector<ScratchFile> files = [] {
        std::vector<ScratchFile> made;
        auto keep = [&made](const std::string& name) {
            std::ifstream in(moro_fuzz::ScratchPath(name), std::ios::binary);
            made.push_back({name, std::vector<char>(std::istreambuf_iterator<char>(in), {})});
        };
        moro_fuzz::ForEachSeedImage([&](CDib& dib, const std::string& stem) {
            if (stem == "grey-16x16") {
                dib.SaveBmp(moro_fuzz::ScratchPath("a.bmp").c_str());
                dib.SaveCpr(moro_fuzz::ScratchPath("b.cpr").c_str(), 50, FALSE);
                dib.SaveRaw(moro_fuzz::ScratchPath("c.raw").c_str(), 0);
            } else if (stem == "rgb-13x9") {
                dib.SaveBmp(moro_fuzz::ScratchPath("d.bmp").c_str());
                dib.SavePng(moro_fuzz::ScratchPath("e.png").c_str());
            }
        });
        for (const char* name : {"a.bmp", "b.cpr", "c.raw", "d.bmp", "e.png"}) keep(name);
        return made;
    }();
    return files;
}

void ResetScratch() {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(moro_fuzz::ScratchDir(), ec))
        fs::remove_all(entry.path(), ec);
    for (const ScratchFile& file : StartFiles())
        moro_fuzz::WriteFile(moro_fuzz::ScratchPath(file.name), file.bytes.data(), file.bytes.size());
}

bool RunsHere(const char* name) { return std::strcmp(name, "speed") != 0; }

std::vector<std::string> Arguments(const uint8_t* data, size_t size) {
    std::vector<std::string> args = {"moro-cli"};
    std::string arg;
    for (size_t i = 0; size > 0 && i <= size && args.size() < 32; ++i) {
        if (i == size || data[i] == 0) {
            args.push_back(arg);
            arg.clear();
        } else {
            arg.push_back(data[i] == '/' ? '_' : char(data[i]));
        }
    }
    return args;
}

}  // namespace

void moro_fuzz::MakeSeeds(const std::string& dir) {
    // One command line a seed, '|' standing for the NUL between arguments.
    const char* const kLines[] = {
        "info|a.bmp",
        "info|b.cpr",
        "info|c.raw",
        "info|e.png",
        "convert|e.png|p.bmp",
        "convert|a.bmp|p.png",
        "--help",
        "help|convert",
        "convert|a.bmp|x.cpr|--scale|30",
        "convert|d.bmp|x.cpr|--colour",
        "convert|b.cpr|y.raw",
        "convert|c.raw|z.bmp|--no-header",
        "encrypt|d.bmp|o.bmp|--seed|7|--steps|stream,subst,frame,frame-stream,init",
        "encrypt|a.bmp|o.bmp",
        "speed|a.bmp|--frames|2|--stream-only|--seed|1",
        "convert|a.bmp|x.cpr|--scale|200",
        "unknown|a.bmp",
    };
    int n = 0;
    for (std::string line : kLines) {
        for (char& c : line)
            if (c == '|') c = '\0';
        WriteFile(dir + "/line-" + std::to_string(n++), line.data(), line.size());
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const int fdHome = [] {
        SetMessageBoxHandler([](const char*, const char*, UINT) { return IDOK; });
        return open(".", O_RDONLY | O_DIRECTORY);
    }();
    MORO_FUZZ_CHECK(fdHome >= 0);
    ResetScratch();
    std::vector<std::string> args = Arguments(data, size);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    // Only for the run: the fuzzer's own paths (corpus, crash files) may be relative.
    MORO_FUZZ_CHECK(chdir(moro_fuzz::ScratchDir().c_str()) == 0);
    int nExit = cli::RunCommandLine(int(args.size()), argv.data(), RunsHere);
    MORO_FUZZ_CHECK(fchdir(fdHome) == 0);
    MORO_FUZZ_CHECK(nExit == cli::kExitOk || nExit == cli::kExitFailed || nExit == cli::kExitUsage);
    return 0;
}
