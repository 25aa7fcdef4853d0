// A progress window for long work on the user-interface thread.  It appears only once the work
// has lasted a while, shows a bar, a line of text and a cancel button, and is modal to the whole
// application while it is up: the other windows repaint but take no input, so no second command
// can start in the middle of the work.
#pragma once

#include <functional>
#include <memory>

#include "platform/ui/Wnd.h"

class CProgressDlg {
public:
    // The window's caption, its line of text (a format with %u for the count done and %u for
    // the total) and its button's text; it appears at the first Step after dwShowAfterMs
    // milliseconds from now.
    CProgressDlg(CWnd* pParent, LPCTSTR lpszCaption, LPCTSTR lpszTextFormat, LPCTSTR lpszCancel, DWORD dwShowAfterMs);
    ~CProgressDlg();
    CProgressDlg(const CProgressDlg&) = delete;
    CProgressDlg& operator=(const CProgressDlg&) = delete;

    // Reports nDone of nTotal.  When the window is up (or due) it is brought up to date and
    // every window gets to repaint, at most about twenty times a second; other calls cost next
    // to nothing.  FALSE once the user has cancelled.
    BOOL Step(UINT nDone, UINT nTotal);
    BOOL IsCancelled() const;
    BOOL IsShown() const;
    // What the cancel button does.
    void Cancel();
    CString GetText() const;
    CString GetCancelText() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
};

namespace ui {
// Runs each time a shown progress window has been brought up to date; tests cancel from here.
void SetProgressHook(std::function<void(CProgressDlg&)> hook);
}  // namespace ui
