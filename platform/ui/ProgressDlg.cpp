// The progress window on QProgressDialog.
#include "platform/ui/ProgressDlg.h"

#include <QApplication>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <chrono>

namespace ui {
namespace {
std::function<void(CProgressDlg&)> g_progressHook;
}
void SetProgressHook(std::function<void(CProgressDlg&)> hook) { g_progressHook = std::move(hook); }
}  // namespace ui

namespace {
using Clock = std::chrono::steady_clock;
constexpr auto kUpdateEvery = std::chrono::milliseconds(50);
constexpr int kBarSteps = 1000;  // the bar counts in thousandths: a count may not fit an int
}  // namespace

struct CProgressDlg::Impl {
    QWidget* pParent = nullptr;
    QString caption, cancel, text;
    CString format;
    Clock::time_point due;
    Clock::time_point next;
    bool bCancelled = false;
    bool bCursorChanged = false;
    QPointer<QProgressDialog> dialog;
};

CProgressDlg::CProgressDlg(CWnd* pParent, LPCTSTR lpszCaption, LPCTSTR lpszTextFormat, LPCTSTR lpszCancel,
                           DWORD dwShowAfterMs)
    : m_pImpl(std::make_unique<Impl>()) {
    m_pImpl->format = lpszTextFormat;
    m_pImpl->pParent = pParent ? pParent->GetWidget() : nullptr;
    m_pImpl->caption = QString::fromUtf8(lpszCaption ? lpszCaption : "");
    m_pImpl->cancel = QString::fromUtf8(lpszCancel ? lpszCancel : "");
    m_pImpl->due = Clock::now() + std::chrono::milliseconds(dwShowAfterMs);
    m_pImpl->next = m_pImpl->due;
}

CProgressDlg::~CProgressDlg() {
    if (m_pImpl->bCursorChanged) QApplication::changeOverrideCursor(Qt::WaitCursor);
    delete m_pImpl->dialog.data();
}

BOOL CProgressDlg::Step(UINT nDone, UINT nTotal) {
    Impl& d = *m_pImpl;
    if (d.bCancelled) return FALSE;
    Clock::time_point now = Clock::now();
    if (now < d.next || !qApp) return TRUE;
    d.next = now + kUpdateEvery;
    CString text;
    if (!d.dialog) {
        // Made as wide as its widest text from the start: a window that grows with its count
        // would be resized on screen again and again.
        text.Format(d.format, nTotal, nTotal);
        d.dialog = new QProgressDialog(QString::fromUtf8(text.GetString()), d.cancel, 0, kBarSteps, d.pParent);
        d.dialog->adjustSize();
        d.dialog->setMinimumSize(d.dialog->size());
        d.dialog->setWindowTitle(d.caption);
        d.dialog->setWindowModality(Qt::ApplicationModal);
        d.dialog->setAutoClose(false);
        d.dialog->setAutoReset(false);
        d.dialog->setMinimumDuration(0);
        QObject::connect(d.dialog, &QProgressDialog::canceled, d.dialog, [this] { m_pImpl->bCancelled = true; });
        d.dialog->show();
        // The wait cursor would hide that the cancel button can be pressed.
        if (QApplication::overrideCursor()) {
            QApplication::changeOverrideCursor(Qt::BusyCursor);
            d.bCursorChanged = true;
        }
    }
    text.Format(d.format, nDone, nTotal);
    d.text = QString::fromUtf8(text.GetString());
    d.dialog->setLabelText(d.text);
    d.dialog->setValue(nTotal ? int((unsigned long long)nDone * kBarSteps / nTotal) : kBarSteps);
    QCoreApplication::processEvents();
    if (ui::g_progressHook) ui::g_progressHook(*this);
    return !d.bCancelled;
}

BOOL CProgressDlg::IsCancelled() const { return m_pImpl->bCancelled; }

BOOL CProgressDlg::IsShown() const { return m_pImpl->dialog && m_pImpl->dialog->isVisible(); }

void CProgressDlg::Cancel() {
    if (m_pImpl->dialog) m_pImpl->dialog->cancel();
    m_pImpl->bCancelled = true;
}

CString CProgressDlg::GetText() const { return CString(m_pImpl->text.toUtf8().constData()); }

CString CProgressDlg::GetCancelText() const {
    QPushButton* button = m_pImpl->dialog ? m_pImpl->dialog->findChild<QPushButton*>() : nullptr;
    return CString(button ? button->text().toUtf8().constData() : "");
}
