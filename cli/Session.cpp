#include "cli/Session.h"

#include <cstdio>
#include <ctime>

#include "cli/Files.h"
#include "platform/Rand.h"

namespace cli {

bool OpenSession(Session& session, const std::string& path, bool bSeeded, unsigned long long nSeed) {
    crt::srand(bSeeded ? unsigned(nSeed) : unsigned(std::time(nullptr)));
    InitKey(session.key);
    if (!LoadOrExplain(session.original, path)) return false;
    session.cipher.Copy(session.original);
    if (!session.cipher.IsValid()) {
        std::fprintf(stderr, "moro-cli: no memory for the working copy of '%s'\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace cli
