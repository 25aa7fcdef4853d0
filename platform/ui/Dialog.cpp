// Dialogs from templates, their accelerators, and dialog data exchange (the Qt window of a
// running dialog is in DialogWidget.cpp).
#include <QApplication>
#include <QButtonGroup>
#include <QLabel>
#include <QFontDatabase>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTimer>
#include <climits>

#include "platform/ui/Fonts.h"
#include "platform/ui/UiInternal.h"

namespace ui {

const char kMsgParseUnsigned[] = "Please enter a positive integer.";

namespace {
std::function<void(CDialog&)> g_modalHook;
}  // namespace

void SetModalHook(std::function<void(CDialog&)> hook) { g_modalHook = std::move(hook); }

DWORD DialogBackground() { return 0x00F0F0F0; }

}  // namespace ui

namespace {
// The exception that stops a data exchange; it never leaves UpdateData.
struct DataExchangeFailure {};

int MulDiv(int a, int b, int c) { return int((long long)a * b / c + ((long long)a * b % c * 2 >= c ? 1 : 0)); }

// Windows shows "&x" as an underlined x and "&&" as "&"; so does Qt for buttons.  Statics with
// SS_NOPREFIX show the text as it is.
QString StaticText(const char* lpszText, DWORD dwStyle) {
    QString text = QString::fromUtf8(lpszText ? lpszText : "");
    if (dwStyle & SS_NOPREFIX) return text;
    QString shown;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) ++i;
        shown += text[i];
    }
    return shown;
}
}  // namespace

// ---- CDialog ----

const AFX_MSGMAP* CDialog::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, AfxSig_end, {nullptr}}};
    static const AFX_MSGMAP map = {&CWnd::GetThisMessageMap, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CDialog::GetMessageMap() const { return GetThisMessageMap(); }

CDialog::CDialog(const ui::DialogTemplate& dlgTemplate, CWnd* pParentWnd)
    : m_pParentWnd(pParentWnd), m_template(dlgTemplate) {}

CDialog::~CDialog() { DestroyWidgets(); }

void CDialog::MapDialogRect(LPRECT lpRect) const {
    lpRect->left = MulDiv(lpRect->left, m_baseUnits.cx, 4);
    lpRect->right = MulDiv(lpRect->right, m_baseUnits.cx, 4);
    lpRect->top = MulDiv(lpRect->top, m_baseUnits.cy, 8);
    lpRect->bottom = MulDiv(lpRect->bottom, m_baseUnits.cy, 8);
}

bool CDialog::CreateWidgets() {
    if (!qApp) return false;
    QFont font = ui::DialogFont(m_template.lpszFontFace, m_template.nPointSize);
    QSize units = ui::DialogBaseUnits(font);
    m_baseUnits = CSize(units.width(), units.height());

    QWidget* parent = m_pParentWnd ? m_pParentWnd->GetWidget() : nullptr;
    auto* widget = new DialogWidget(this, parent);
    widget->setFont(font);
    widget->setWindowTitle(QString::fromUtf8(m_template.lpszCaption ? m_template.lpszCaption : ""));
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (m_template.dwStyle & WS_SYSMENU) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    widget->setWindowFlags(flags);
    RECT client = {0, 0, m_template.cx, m_template.cy};
    MapDialogRect(&client);
    widget->setFixedSize(client.right, client.bottom);
    AttachWidget(widget, 0);

    m_hSurfaceDC = platform::CreateSurfaceDC(client.right, client.bottom);
    if (platform::Surface* surface = platform::GetSurface(m_hSurfaceDC)) surface->Fill(ui::DialogBackground());
    if (m_hIconBig) SetIcon(m_hIconBig, TRUE);
    if (m_hIconSmall) SetIcon(m_hIconSmall, FALSE);

    QButtonGroup* radios = nullptr;
    QWidget* previous = nullptr;
    for (int i = 0; i < m_template.nItems; ++i) {
        const ui::DialogItem& item = m_template.pItems[i];
        QWidget* control = nullptr;
        std::unique_ptr<CWnd> object;
        DWORD type = item.dwStyle & BS_TYPEMASK;
        bool bRadio = item.nClass == ui::ControlClass::Button && type == BS_AUTORADIOBUTTON;
        if (item.dwStyle & WS_GROUP || !bRadio) radios = nullptr;

        if (item.nClass == ui::ControlClass::Button) {
            object = std::make_unique<CButton>();
            QString text = QString::fromUtf8(item.lpszText ? item.lpszText : "");
            if (type == BS_GROUPBOX) {
                control = new GroupBoxWidget(text, widget);
                control->setFocusPolicy(Qt::NoFocus);
            } else if (bRadio) {
                auto* radio = new QRadioButton(text, widget);
                if (!radios) {
                    radios = new QButtonGroup(widget);
                    radios->setExclusive(true);
                }
                radios->addButton(radio);
                control = radio;
            } else {
                auto* button = new QPushButton(text, widget);
                // Enter belongs to the dialog (see keyPressEvent), not to the focused button.
                button->setAutoDefault(false);
                button->setDefault(type == BS_DEFPUSHBUTTON);
                control = button;
            }
            if (type != BS_GROUPBOX) {
                int nID = item.nID;
                QObject::connect(static_cast<QAbstractButton*>(control), &QAbstractButton::clicked, widget,
                                 [this, nID] { OnCommand(UINT(nID)); });
            }
        } else if (item.nClass == ui::ControlClass::Static) {
            object = std::make_unique<CWnd>();
            auto* label = new QLabel(widget);
            if ((item.dwStyle & SS_TYPEMASK) == SS_ICON) {
                if (item.pIcon) {
                    HICON hIcon = AfxGetApp() ? AfxGetApp()->LoadIcon(*item.pIcon) : nullptr;
                    if (hIcon) label->setPixmap(QPixmap::fromImage(ui::IconToImage(hIcon)));
                }
            } else {
                label->setText(StaticText(item.lpszText, item.dwStyle));
                label->setTextFormat(Qt::PlainText);
                label->setWordWrap(true);
                label->setAlignment(Qt::AlignLeft | ((item.dwStyle & SS_CENTERIMAGE) ? Qt::AlignVCenter : Qt::AlignTop));
            }
            control = label;
        } else if (item.dwStyle & ES_MULTILINE) {
            // Lines of text, such as a report: in the fixed-pitch font, so that tables line up,
            // unwrapped when the edit scrolls sideways.
            object = std::make_unique<CEdit>();
            auto* edit = new QPlainTextEdit(widget);
            edit->setReadOnly((item.dwStyle & ES_READONLY) != 0);
            // Read-only text is still gone through with the keys and selected for copying.
            if (item.dwStyle & ES_READONLY)
                edit->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
            edit->setFrameShape((item.dwStyle & WS_BORDER) ? QFrame::StyledPanel : QFrame::NoFrame);
            edit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
            edit->setLineWrapMode((item.dwStyle & WS_HSCROLL) ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
            edit->setVerticalScrollBarPolicy((item.dwStyle & WS_VSCROLL) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
            edit->setHorizontalScrollBarPolicy((item.dwStyle & WS_HSCROLL) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
            if (item.lpszText) edit->setPlainText(QString::fromUtf8(item.lpszText));
            control = edit;
        } else {
            object = std::make_unique<CEdit>();
            auto* edit = new QLineEdit(widget);
            edit->setFrame((item.dwStyle & WS_BORDER) != 0);
            if (item.lpszText) edit->setText(QString::fromUtf8(item.lpszText));
            control = edit;
        }

        RECT r = {item.x, item.y, item.x + item.cx, item.y + item.cy};
        MapDialogRect(&r);
        control->setGeometry(r.left, r.top, r.right - r.left, r.bottom - r.top);
        if (item.dwStyle & WS_DISABLED) control->setEnabled(false);
        if (previous && control->focusPolicy() != Qt::NoFocus) QWidget::setTabOrder(previous, control);
        if (control->focusPolicy() != Qt::NoFocus) previous = control;

        object->AttachWidget(control, item.nID);
        if (item.nID >= 0) {
            m_controls[item.nID] = object.get();
        }
        m_order.push_back(item.nID);
        m_ownedControls.push_back(std::move(object));
    }
    return true;
}

void CDialog::DestroyWidgets() {
    for (auto& entry : m_controls) entry.second->DetachWidget();
    m_controls.clear();
    m_ownedControls.clear();
    m_order.clear();
    m_windowDC.Detach();
    m_nDCsOut = 0;
    if (m_hSurfaceDC) {
        DeleteDC(m_hSurfaceDC);
        m_hSurfaceDC = nullptr;
    }
    if (m_pWidget) {
        QWidget* widget = m_pWidget;
        DetachWidget();
        delete widget;
    }
}

CWnd* CDialog::Control(int nID) const {
    auto it = m_controls.find(nID);
    return it == m_controls.end() ? nullptr : it->second;
}

std::vector<CButton*> CDialog::RadioGroup(int nIDC) const {
    std::vector<CButton*> group;
    bool bIn = false;
    for (int i = 0; i < m_template.nItems; ++i) {
        const ui::DialogItem& item = m_template.pItems[i];
        bool bRadio = item.nClass == ui::ControlClass::Button && (item.dwStyle & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
        if (bIn && ((item.dwStyle & WS_GROUP) || !bRadio)) break;
        if (item.nID == nIDC) bIn = true;
        if (bIn) group.push_back(dynamic_cast<CButton*>(Control(item.nID)));
    }
    return group;
}

INT_PTR CDialog::DoModal() {
    if (m_pWidget || !CreateWidgets()) return -1;
    m_bRunning = true;
    m_nResult = IDCANCEL;
    bool bEnded = false;
    QDialog* widget = static_cast<QDialog*>(m_pWidget);
    QObject::connect(widget, &QDialog::finished, widget, [&bEnded] { bEnded = true; });
    if (OnInitDialog()) {
        for (int i = 0; i < m_template.nItems; ++i) {
            CWnd* c = Control(m_template.pItems[i].nID);
            if (c && c->GetWidget() && c->GetWidget()->focusPolicy() != Qt::NoFocus && c->GetWidget()->isEnabled()) {
                c->GetWidget()->setFocus(Qt::OtherFocusReason);
                break;
            }
        }
    }
    if (m_bRunning) {
        if (ui::g_modalHook) {
            auto hook = ui::g_modalHook;
            QTimer::singleShot(0, widget, [this, hook] { hook(*this); });
        }
        widget->exec();
    }
    m_bRunning = false;
    DestroyWidgets();
    return m_nResult;
}

void CDialog::SetAccelerators(const ACCEL* lpAccel, int nCount) {
    if (!m_pWidget) return;
    for (int i = 0; i < nCount; ++i) {
        int keys = lpAccel[i].key;
        if (lpAccel[i].fVirt & FCONTROL) keys |= Qt::ControlModifier;
        if (lpAccel[i].fVirt & FSHIFT) keys |= Qt::ShiftModifier;
        if (lpAccel[i].fVirt & FALT) keys |= Qt::AltModifier;
        auto* shortcut = new QShortcut(QKeySequence(keys), m_pWidget);
        UINT nID = lpAccel[i].cmd;
        QObject::connect(shortcut, &QShortcut::activated, m_pWidget, [this, nID] { OnCommand(nID); });
    }
}

void CDialog::EndDialog(int nResult) {
    m_nResult = nResult;
    m_bRunning = false;
    if (m_pWidget) static_cast<QDialog*>(m_pWidget)->done(nResult);
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const DataExchangeFailure&) {
        return FALSE;
    }
    return TRUE;
}

void CDialog::OnCommand(UINT nID) {
    if (DispatchMessage(WM_COMMAND, BN_CLICKED, nID)) return;
    if (nID == IDOK) OnOK();
    else if (nID == IDCANCEL) OnCancel();
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

// ---- data exchange ----

void CDataExchange::Fail() {
    if (CWnd* c = m_pDlgWnd->Control(m_idLastControl)) {
        if (auto* edit = qobject_cast<QLineEdit*>(c->GetWidget())) edit->selectAll();
        c->SetFocus();
    }
    throw DataExchangeFailure();
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.GetWidget()) return;
    CWnd* owned = pDX->m_pDlgWnd->Control(nIDC);
    if (!owned) return;
    rControl.AttachWidget(owned->GetWidget(), nIDC);
    pDX->m_pDlgWnd->m_controls[nIDC] = &rControl;
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value) {
    pDX->PrepareCtrl(nIDC);
    std::vector<CButton*> group = pDX->m_pDlgWnd->RadioGroup(nIDC);
    if (pDX->m_bSaveAndValidate) {
        value = -1;
        for (size_t i = 0; i < group.size(); ++i)
            if (group[i] && group[i]->GetCheck()) value = int(i);
        return;
    }
    // Unchecking every button of an exclusive group needs the group's exclusivity off a moment.
    QButtonGroup* buttons = nullptr;
    if (!group.empty() && group[0] && group[0]->GetWidget())
        buttons = static_cast<QAbstractButton*>(group[0]->GetWidget())->group();
    if (buttons) buttons->setExclusive(false);
    for (size_t i = 0; i < group.size(); ++i)
        if (group[i]) group[i]->SetCheck(int(i) == value);
    if (buttons) buttons->setExclusive(true);
}

void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value) {
    pDX->PrepareCtrl(nIDC);
    CWnd* edit = pDX->m_pDlgWnd->GetDlgItem(nIDC);
    if (!edit) return;
    if (!pDX->m_bSaveAndValidate) {
        edit->SetWindowText(std::to_string(value).c_str());
        return;
    }
    std::string text = edit->GetWindowText().GetString();
    size_t a = text.find_first_not_of(" \t"), b = text.find_last_not_of(" \t");
    std::string digits = a == std::string::npos ? "" : text.substr(a, b - a + 1);
    bool bOk = !digits.empty() && digits.size() <= 10;
    unsigned long long n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            bOk = false;
            break;
        }
        n = n * 10 + unsigned(c - '0');
    }
    if (!bOk || n > UINT_MAX) {
        AfxMessageBox(ui::kMsgParseUnsigned, MB_ICONEXCLAMATION);
        pDX->Fail();
    }
    value = UINT(n);
}
