// The Qt window of a running dialog and the group box drawn as the dialog manager draws it.
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include "platform/ui/UiInternal.h"

namespace ui {
namespace {
std::function<int(QMenu&)> g_popupMenuHook;
}
void SetPopupMenuHook(std::function<int(QMenu&)> hook) { g_popupMenuHook = std::move(hook); }
}  // namespace ui

namespace {
// The local files a drag carries; anything else (text, remote addresses) is not offered.
std::vector<CString> LocalFiles(const QMimeData* data) {
    std::vector<CString> files;
    if (!data) return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) files.emplace_back(url.toLocalFile().toUtf8().constData());
    return files;
}
}  // namespace

DialogWidget::DialogWidget(CDialog* pOwner, QWidget* pParent) : QDialog(pParent), m_pOwner(pOwner) {}

void DialogWidget::paintEvent(QPaintEvent*) {
    m_pOwner->m_bInPaint = true;
    m_pOwner->DispatchMessage(WM_PAINT, 0, 0);
    m_pOwner->m_bInPaint = false;
    if (platform::Surface* surface = platform::GetSurface(m_pOwner->m_hSurfaceDC)) {
        QImage image(reinterpret_cast<const uchar*>(surface->Pixels()), surface->Width(), surface->Height(),
                     surface->StrideBytes(), QImage::Format_RGB32);
        QPainter painter(this);
        painter.drawImage(0, 0, image);
    }
}

void DialogWidget::keyPressEvent(QKeyEvent* event) {
    Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    int key = event->key();
    if (mods == Qt::NoModifier && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        // The dialog manager's rule: a focused push button is the default one and Enter clicks
        // it; with the focus elsewhere Enter is the template's default push button, or IDOK.
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        if (focused && focused->isEnabled() && isAncestorOf(focused)) {
            focused->click();
            return;
        }
        int nID = IDOK;
        const ui::DialogTemplate& t = m_pOwner->GetTemplate();
        for (int i = 0; i < t.nItems; ++i)
            if (t.pItems[i].nClass == ui::ControlClass::Button && (t.pItems[i].dwStyle & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
                nID = t.pItems[i].nID;
        m_pOwner->OnCommand(UINT(nID));
        return;
    }
    if (mods == Qt::NoModifier && key == Qt::Key_Escape) {
        m_pOwner->OnCommand(IDCANCEL);
        return;
    }
    if (mods == Qt::ShiftModifier && key == Qt::Key_F10) {
        // The keyboard's way to the window's menu; it opens beside the focused control.
        QWidget* anchor = focusWidget() ? focusWidget() : this;
        ShowSystemMenu(anchor->mapToGlobal(anchor->rect().center()));
        return;
    }
    QWidget::keyPressEvent(event);
}

void DialogWidget::contextMenuEvent(QContextMenuEvent* event) {
    QPoint at = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard && focusWidget())
        at = focusWidget()->mapToGlobal(focusWidget()->rect().center());
    ShowSystemMenu(at);
}

void DialogWidget::ShowSystemMenu(const QPoint& globalPos) {
    const CMenu* menu = m_pOwner->GetSystemMenu(FALSE);
    QMenu popup(this);
    for (const CMenu::Item& item : menu->Items()) {
        if (item.nFlags & MF_SEPARATOR) {
            popup.addSeparator();
        } else {
            QAction* action = popup.addAction(QString::fromUtf8(item.text.GetString()));
            action->setData(item.nID);
        }
    }
    int nID = -1;
    if (ui::g_popupMenuHook) {
        nID = ui::g_popupMenuHook(popup);
    } else if (QAction* chosen = popup.exec(globalPos)) {
        nID = chosen->data().toInt();
    }
    if (nID >= 0) m_pOwner->SendSysCommand(UINT(nID));
}

void DialogWidget::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalFiles(event->mimeData()).empty()) event->acceptProposedAction();
}

void DialogWidget::dropEvent(QDropEvent* event) {
    std::vector<CString> files = LocalFiles(event->mimeData());
    if (files.empty()) return;
    event->acceptProposedAction();
    // The handler may open message boxes; it runs once the drop has been answered, so the
    // program the file came from is not kept waiting.
    QTimer::singleShot(0, this, [this, files] {
        HDROP__ drop{files};
        m_pOwner->DispatchMessage(WM_DROPFILES, 0, 0, WPARAM(&drop));
    });
}

void DialogWidget::closeEvent(QCloseEvent* event) {
    // The close button is the system menu's close command; the dialog decides.
    event->ignore();
    if (m_pOwner->IsRunning()) m_pOwner->SendSysCommand(SC_CLOSE);
}

void DialogWidget::reject() {
    if (m_pOwner->IsRunning()) m_pOwner->OnCommand(IDCANCEL);
}

// ---- group boxes ----

void GroupBoxWidget::paintEvent(QPaintEvent*) {
    // An etched frame whose top line runs through the middle of the title, the title on the
    // dialog's background; the inside is left to what the dialog draws there, so a picture
    // shown in the box keeps its exact colours (the styles' own group boxes shade it).
    QPainter painter(this);
    QFontMetrics fm = fontMetrics();
    int top = fm.height() / 2;
    QRect frame = rect().adjusted(0, top, -2, -2);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(frame);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(frame.translated(1, 1));
    if (title().isEmpty()) return;
    QRect text(fm.averageCharWidth(), 0, fm.horizontalAdvance(title()) + fm.averageCharWidth(), fm.height());
    painter.fillRect(text, QColor::fromRgb(QRgb(ui::DialogBackground())));
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(text, Qt::AlignCenter, title());
}
