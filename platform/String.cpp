#include "platform/String.h"

#include <cstdarg>
#include <cstdio>

void CString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n < 0) {
        m_str.clear();
    } else {
        m_str.assign(size_t(n) + 1, '\0');
        std::vsnprintf(m_str.data(), m_str.size(), format, args);
        m_str.resize(size_t(n));
    }
    va_end(args);
}
