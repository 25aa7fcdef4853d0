#include "platform/MessageBox.h"

#include <cstdio>
#include <mutex>

namespace {
int DefaultHandler(const char* text, const char*, UINT) {
    std::fprintf(stderr, "MORO: %s\n", text ? text : "");
    return IDOK;
}

std::mutex g_mutex;
MessageBoxHandler g_handler = DefaultHandler;
}  // namespace

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    std::lock_guard<std::mutex> lock(g_mutex);
    MessageBoxHandler old = g_handler;
    g_handler = handler ? std::move(handler) : MessageBoxHandler(DefaultHandler);
    return old;
}

int PlatformMessageBox(const char* lpszText, const char* lpszCaption, UINT nType) {
    MessageBoxHandler handler;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        handler = g_handler;
    }
    return handler(lpszText ? lpszText : "", lpszCaption ? lpszCaption : AfxGetAppName(), nType);
}

int AfxMessageBox(const char* lpszText, UINT nType, UINT) {
    return PlatformMessageBox(lpszText, nullptr, nType);
}

const char* AfxGetAppName() { return "MORO"; }
