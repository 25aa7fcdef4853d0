// CString: a byte string in the program's text encoding (UTF-8 here, where the program was
// written for code page 936).
#pragma once

#include <string>

#include "platform/Types.h"

class CString {
public:
    CString() = default;
    CString(const char* s) : m_str(s ? s : "") {}
    CString(const std::string& s) : m_str(s) {}

    int GetLength() const { return int(m_str.size()); }
    BOOL IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    operator const char*() const { return m_str.c_str(); }
    const std::string& str() const { return m_str; }
    const char* GetString() const { return m_str.c_str(); }

    // printf-style formatting, replacing the content.
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));

    CString& operator+=(const CString& o) {
        m_str += o.m_str;
        return *this;
    }
    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_str + b.m_str); }
    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, const char* b) { return a.m_str == (b ? b : ""); }

private:
    std::string m_str;
};
