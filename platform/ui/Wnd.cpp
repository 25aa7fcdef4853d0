// Command targets, message maps, windows over widgets, menus and wait cursors.
#include "platform/ui/Wnd.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPixmap>
#include <QWidget>
#include <algorithm>
#include <cstring>

#include "platform/ui/UiInternal.h"

// ---- message maps ----

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, AfxSig_end, {nullptr}}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

bool CCmdTarget::DispatchMessage(UINT nMessage, UINT nCode, UINT nID, WPARAM wParam, LPARAM lParam,
                                 LRESULT* pResult) {
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->nSig != AfxSig_end; ++e) {
            if (e->nMessage != nMessage) continue;
            if (nMessage == WM_COMMAND && (e->nCode != nCode || e->nID != nID)) continue;
            LRESULT result = 0;
            switch (e->nSig) {
                case AfxSig_vv:
                    (this->*e->handler.pfn)();
                    break;
                case AfxSig_vwl:
                    (this->*e->handler.pfnVwl)(UINT(wParam), lParam);
                    break;
                case AfxSig_hv:
                    result = LRESULT((this->*e->handler.pfnHv)());
                    break;
                case AfxSig_vD:
                    (this->*e->handler.pfnVD)(HDROP(wParam));
                    break;
            }
            if (pResult) *pResult = result;
            return true;
        }
    }
    return false;
}

// ---- wait cursor ----

namespace {
int g_nWaitDepth = 0;
int g_nWaitShown = 0;
}  // namespace

void CCmdTarget::BeginWaitCursor() {
    ++g_nWaitShown;
    if (g_nWaitDepth++ == 0 && qApp) QApplication::setOverrideCursor(Qt::WaitCursor);
}

void CCmdTarget::EndWaitCursor() {
    if (g_nWaitDepth == 0) return;
    if (--g_nWaitDepth == 0 && qApp) QApplication::restoreOverrideCursor();
}

CWaitCursor::CWaitCursor() { CCmdTarget().BeginWaitCursor(); }
CWaitCursor::~CWaitCursor() { CCmdTarget().EndWaitCursor(); }

namespace ui {
int WaitCursorCount() { return g_nWaitShown; }
bool WaitCursorShown() { return g_nWaitDepth > 0; }
}  // namespace ui

// ---- menus ----

BOOL CMenu::AppendMenu(UINT nFlags, UINT nIDNewItem, LPCTSTR lpszNewItem) {
    m_items.push_back({nFlags, (nFlags & MF_SEPARATOR) ? 0 : nIDNewItem, lpszNewItem ? lpszNewItem : ""});
    return TRUE;
}

// ---- windows ----

CWnd::~CWnd() {
    m_windowDC.Detach();
    if (m_hSurfaceDC) DeleteDC(m_hSurfaceDC);
}

void CWnd::AttachWidget(QWidget* pWidget, int nID) {
    m_pWidget = pWidget;
    m_nID = nID;
}

void CWnd::DetachWidget() { m_pWidget = nullptr; }

BOOL CWnd::EnableWindow(BOOL bEnable) {
    if (!m_pWidget) return FALSE;
    BOOL bWasDisabled = !m_pWidget->isEnabled();
    m_pWidget->setEnabled(bEnable != FALSE);
    return bWasDisabled;
}

BOOL CWnd::IsWindowEnabled() const { return m_pWidget && m_pWidget->isEnabled(); }

void CWnd::GetWindowRect(LPRECT lpRect) const {
    if (!m_pWidget) {
        *lpRect = RECT{0, 0, 0, 0};
        return;
    }
    QPoint topLeft = m_pWidget->mapToGlobal(QPoint(0, 0));
    *lpRect = RECT{topLeft.x(), topLeft.y(), topLeft.x() + m_pWidget->width(), topLeft.y() + m_pWidget->height()};
}

void CWnd::GetClientRect(LPRECT lpRect) const {
    *lpRect = m_pWidget ? RECT{0, 0, m_pWidget->width(), m_pWidget->height()} : RECT{0, 0, 0, 0};
}

void CWnd::ScreenToClient(LPRECT lpRect) const {
    if (!m_pWidget) return;
    QPoint origin = m_pWidget->mapToGlobal(QPoint(0, 0));
    lpRect->left -= origin.x();
    lpRect->right -= origin.x();
    lpRect->top -= origin.y();
    lpRect->bottom -= origin.y();
}

void CWnd::ClientToScreen(LPRECT lpRect) const {
    if (!m_pWidget) return;
    QPoint origin = m_pWidget->mapToGlobal(QPoint(0, 0));
    lpRect->left += origin.x();
    lpRect->right += origin.x();
    lpRect->top += origin.y();
    lpRect->bottom += origin.y();
}

void CWnd::SetWindowText(LPCTSTR lpszString) {
    QString text = QString::fromUtf8(lpszString ? lpszString : "");
    if (auto* b = qobject_cast<QAbstractButton*>(m_pWidget)) b->setText(text);
    else if (auto* g = qobject_cast<QGroupBox*>(m_pWidget)) g->setTitle(text);
    else if (auto* l = qobject_cast<QLabel*>(m_pWidget)) l->setText(text);
    else if (auto* e = qobject_cast<QLineEdit*>(m_pWidget)) e->setText(text);
    else if (auto* p = qobject_cast<QPlainTextEdit*>(m_pWidget)) p->setPlainText(text);
    else if (m_pWidget) m_pWidget->setWindowTitle(text);
}

CString CWnd::GetWindowText() const {
    QString text;
    if (auto* b = qobject_cast<QAbstractButton*>(m_pWidget)) text = b->text();
    else if (auto* g = qobject_cast<QGroupBox*>(m_pWidget)) text = g->title();
    else if (auto* l = qobject_cast<QLabel*>(m_pWidget)) text = l->text();
    else if (auto* e = qobject_cast<QLineEdit*>(m_pWidget)) text = e->text();
    else if (auto* p = qobject_cast<QPlainTextEdit*>(m_pWidget)) text = p->toPlainText();
    else if (m_pWidget) text = m_pWidget->windowTitle();
    return CString(text.toUtf8().constData());
}

BOOL CWnd::IsIconic() const { return m_pWidget && m_pWidget->isMinimized(); }

void CWnd::Invalidate(BOOL) {
    if (m_pWidget) m_pWidget->update();
}

void CWnd::UpdateWindow() {
    if (m_pWidget) m_pWidget->repaint();
}

CWnd* CWnd::SetFocus() {
    if (m_pWidget) m_pWidget->setFocus(Qt::OtherFocusReason);
    return nullptr;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    DispatchMessage(message, 0, 0, wParam, lParam, &result);
    return result;
}

CDC* CWnd::GetDC() {
    if (!m_hSurfaceDC) return nullptr;
    if (m_windowDC.m_hDC != m_hSurfaceDC) m_windowDC.Attach(m_hSurfaceDC);
    ++m_nDCsOut;
    return &m_windowDC;
}

int CWnd::ReleaseDC(CDC* pDC) {
    if (!pDC || pDC != &m_windowDC || m_nDCsOut == 0) return 0;
    --m_nDCsOut;
    // Outside a paint the new pixels reach the screen with the next paint; inside one they are
    // shown when the paint copies the surface.
    if (!m_bInPaint && m_pWidget) m_pWidget->update();
    return 1;
}

int CWnd::MessageBox(LPCTSTR lpszText, LPCTSTR lpszCaption, UINT nType) {
    return PlatformMessageBox(lpszText, lpszCaption ? lpszCaption : AfxGetAppName(), nType);
}

CMenu* CWnd::GetSystemMenu(BOOL bRevert) {
    if (bRevert || !m_bSysMenuMade) {
        m_sysMenu = CMenu();
        m_sysMenu.AppendMenu(MF_STRING, SC_CLOSE, "关闭(&C)");
        m_bSysMenuMade = true;
    }
    return bRevert ? nullptr : &m_sysMenu;
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
    HICON hOld = bBigIcon ? m_hIconBig : m_hIconSmall;
    (bBigIcon ? m_hIconBig : m_hIconSmall) = hIcon;
    if (m_pWidget && hIcon) {
        QIcon icon = m_pWidget->windowIcon();
        icon.addPixmap(QPixmap::fromImage(ui::IconToImage(hIcon)));
        m_pWidget->setWindowIcon(icon);
    }
    return hOld;
}

void CWnd::DragAcceptFiles(BOOL bAccept) {
    if (m_pWidget) m_pWidget->setAcceptDrops(bAccept != FALSE);
}

UINT DragQueryFile(HDROP hDrop, UINT iFile, LPTSTR lpszFile, UINT cch) {
    if (!hDrop) return 0;
    if (iFile == 0xFFFFFFFF) return UINT(hDrop->files.size());
    if (iFile >= hDrop->files.size()) return 0;
    const CString& path = hDrop->files[iFile];
    UINT nLength = UINT(path.GetLength());
    if (!lpszFile) return nLength;
    if (cch == 0) return 0;
    UINT nCopied = std::min(nLength, cch - 1);
    std::memcpy(lpszFile, path.GetString(), nCopied);
    lpszFile[nCopied] = '\0';
    return nCopied;
}

void CWnd::SendSysCommand(UINT nID, LPARAM lParam) {
    if (!DispatchMessage(WM_SYSCOMMAND, 0, 0, nID, lParam)) OnSysCommand(nID, lParam);
}

void CWnd::OnSysCommand(UINT nID, LPARAM) {
    if ((nID & 0xFFF0) == SC_CLOSE) OnClose();
}

void CWnd::OnClose() {}

CPaintDC::CPaintDC(CWnd* pWnd) : m_pWnd(pWnd) {
    if (pWnd && pWnd->m_hSurfaceDC) Attach(pWnd->m_hSurfaceDC);
}

CPaintDC::~CPaintDC() { Detach(); }

int CButton::GetCheck() const {
    auto* b = qobject_cast<QAbstractButton*>(m_pWidget);
    return b && b->isChecked() ? 1 : 0;
}

void CButton::SetCheck(int nCheck) {
    if (auto* b = qobject_cast<QAbstractButton*>(m_pWidget)) b->setChecked(nCheck != 0);
}
