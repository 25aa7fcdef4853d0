#include "cli/Session.h"

#include <cstdio>
#include <ctime>

#include "cli/Files.h"
#include "platform/Rand.h"

namespace cli {

namespace {
bool LoadWorkingCopy(Session& session, const std::string& path) {
    if (!LoadOrExplain(session.original, path)) return false;
    session.cipher.Copy(session.original);
    if (!session.cipher.IsValid()) {
        std::fprintf(stderr, "moro-cli: no memory for the working copy of '%s'\n", path.c_str());
        return false;
    }
    return true;
}
}  // namespace

bool OpenSession(Session& session, const std::string& path, bool bSeeded, unsigned long long nSeed) {
    crt::srand(bSeeded ? unsigned(nSeed) : unsigned(std::time(nullptr)));
    InitKey(session.key);
    return LoadWorkingCopy(session, path);
}

bool OpenSessionWithKey(Session& session, const std::string& path, const KeyFile& file) {
    if (!LoadWorkingCopy(session, path)) return false;
    // Set last: the first step must find the generator exactly as the key file has it.
    session.key = file.key;
    crt::SetRandState(file.randState);
    return true;
}

}  // namespace cli
