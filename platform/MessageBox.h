// Message boxes.  Every box of the program goes through one replaceable handler: the window
// shows a real dialog, moro-cli prints to standard error, tests record what was said.
#pragma once

#include <functional>

#include "platform/Types.h"

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_ICONSTOP = 0x00000010;
constexpr UINT MB_ICONHAND = MB_ICONSTOP;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_ICONINFORMATION = 0x00000040;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// text, caption (null for the application's name), style; returns the button pressed.
using MessageBoxHandler = std::function<int(const char* text, const char* caption, UINT style)>;

// Installs a handler and returns the one it replaces.  An empty handler restores the default,
// which prints "MORO: <text>" to standard error and answers IDOK.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

int AfxMessageBox(const char* lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
// The form used by windows: with an explicit caption.
int PlatformMessageBox(const char* lpszText, const char* lpszCaption, UINT nType);

// The application's name, the caption of every box without one of its own.
const char* AfxGetAppName();
