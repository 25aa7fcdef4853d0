// printf-style formatting into a string, for the reports of this folder.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>

namespace security {
inline std::string Format(const char* lpszFormat, ...) __attribute__((format(printf, 1, 2)));
inline std::string Format(const char* lpszFormat, ...) {
    char buf[512];
    va_list args;
    va_start(args, lpszFormat);
    std::vsnprintf(buf, sizeof buf, lpszFormat, args);
    va_end(args);
    return buf;
}
}  // namespace security
