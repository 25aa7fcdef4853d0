#include "cli/Args.h"

#include <cstdio>

#include "dib/Dib.h"

namespace cli {

bool ParseUnsigned(const std::string& text, unsigned long long nMax, unsigned long long& nValue) {
    if (text.empty() || text.size() > 20) return false;
    unsigned long long n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        unsigned digit = unsigned(c - '0');
        if (n > (nMax - digit) / 10) return false;
        n = n * 10 + digit;
    }
    nValue = n;
    return true;
}

bool ArgReader::NextOption(std::string& name) {
    while (m_nNext < m_args.size()) {
        const std::string& a = m_args[m_nNext++];
        if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            m_current = name = a;
            return true;
        }
        m_positional.push_back(a);
    }
    return false;
}

bool ArgReader::Value(std::string& value) {
    if (m_nNext >= m_args.size()) {
        Fail(m_current + " needs a value");
        return false;
    }
    value = m_args[m_nNext++];
    return true;
}

bool ArgReader::UnsignedValue(unsigned long long nMax, unsigned long long& nValue) {
    std::string text;
    if (!Value(text)) return false;
    if (!ParseUnsigned(text, nMax, nValue)) {
        Fail(m_current + " wants a whole number from 0 to " + std::to_string(nMax) + ", not '" + text + "'");
        return false;
    }
    return true;
}

int ArgReader::Fail(const std::string& message) {
    m_bFailed = true;
    return UsageError(m_command, message);
}

bool LoadBmpOrExplain(CDib& dib, const std::string& path) {
    if (dib.LoadBmp(path.c_str())) return true;
    // Code 1 comes without a message from the library.
    if (dib.m_nError == DIB_ERR_OPEN)
        std::fprintf(stderr, "moro-cli: cannot open '%s'\n", path.c_str());
    else
        std::fprintf(stderr, "moro-cli: '%s' was not loaded (error %d)\n", path.c_str(), dib.m_nError);
    return false;
}

bool SaveBmpOrExplain(CDib& dib, const std::string& path) {
    if (dib.SaveBmp(path.c_str())) return true;
    if (dib.m_nError == DIB_ERR_OPEN)
        std::fprintf(stderr, "moro-cli: cannot create '%s'\n", path.c_str());
    else
        std::fprintf(stderr, "moro-cli: '%s' was not saved (error %d)\n", path.c_str(), dib.m_nError);
    return false;
}

}  // namespace cli
