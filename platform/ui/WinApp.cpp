// The application object, icons, Qt message boxes and the program's start.
#include <QApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>
#include <list>

#include "platform/ui/UiInternal.h"

namespace {
CWinApp* g_pApp = nullptr;
}

const AFX_MSGMAP* CWinApp::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, AfxSig_end, {nullptr}}};
    static const AFX_MSGMAP map = {&CCmdTarget::GetThisMessageMap, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CWinApp::GetMessageMap() const { return GetThisMessageMap(); }

CWinApp::CWinApp(LPCTSTR lpszAppName) : m_pszAppName(lpszAppName ? lpszAppName : AfxGetAppName()) { g_pApp = this; }

CWinApp::~CWinApp() {
    if (g_pApp == this) g_pApp = nullptr;
}

HICON CWinApp::LoadIcon(const ui::IconImage& icon) const {
    // Icons live as long as the program, as resources do.
    static std::list<HICON__> icons;
    for (HICON__& loaded : icons)
        if (loaded.nWidth == icon.nWidth && loaded.nHeight == icon.nHeight &&
            std::equal(loaded.pixels.begin(), loaded.pixels.end(), icon.lpPixels))
            return &loaded;
    if (icon.nWidth <= 0 || icon.nHeight <= 0 || !icon.lpPixels) return nullptr;
    HICON__& made = icons.emplace_back();
    made.nWidth = icon.nWidth;
    made.nHeight = icon.nHeight;
    made.pixels.assign(icon.lpPixels, icon.lpPixels + size_t(icon.nWidth) * size_t(icon.nHeight));
    return &made;
}

CWinApp* AfxGetApp() { return g_pApp; }
void AfxEnableControlContainer() {}
BOOL Enable3dControls() { return TRUE; }

int GetSystemMetrics(int nIndex) { return nIndex == SM_CXICON || nIndex == SM_CYICON ? 32 : 0; }

BOOL DrawIcon(HDC hDC, int x, int y, HICON hIcon) {
    platform::Surface* surface = platform::GetSurface(hDC);
    if (!surface || !hIcon) return FALSE;
    for (int j = 0; j < hIcon->nHeight; ++j) {
        for (int i = 0; i < hIcon->nWidth; ++i) {
            DWORD p = hIcon->pixels[size_t(j) * hIcon->nWidth + i];
            DWORD a = p >> 24;
            if (a == 0) continue;
            DWORD under = surface->Pixel(x + i, y + j), mixed = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                DWORD c = ((p >> shift & 0xFF) * a + (under >> shift & 0xFF) * (255 - a) + 127) / 255;
                mixed |= c << shift;
            }
            surface->SetPixel(x + i, y + j, mixed);
        }
    }
    return TRUE;
}

namespace ui {

QImage IconToImage(HICON hIcon) {
    if (!hIcon) return QImage();
    QImage image(hIcon->nWidth, hIcon->nHeight, QImage::Format_ARGB32);
    for (int y = 0; y < hIcon->nHeight; ++y)
        for (int x = 0; x < hIcon->nWidth; ++x) image.setPixel(x, y, hIcon->pixels[size_t(y) * hIcon->nWidth + x]);
    return image;
}

int QtMessageBox(const char* lpszText, const char* lpszCaption, UINT nType) {
    if (!qApp) return IDOK;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (nType & 0xF0) {
        case MB_ICONSTOP: icon = QMessageBox::Critical; break;
        case MB_ICONQUESTION: icon = QMessageBox::Question; break;
        case MB_ICONEXCLAMATION: icon = QMessageBox::Warning; break;
        case MB_ICONINFORMATION: icon = QMessageBox::Information; break;
    }
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    if ((nType & 0xF) == MB_OKCANCEL) buttons = QMessageBox::Ok | QMessageBox::Cancel;
    if ((nType & 0xF) == MB_YESNO) buttons = QMessageBox::Yes | QMessageBox::No;
    QMessageBox box(icon, QString::fromUtf8(lpszCaption ? lpszCaption : AfxGetAppName()),
                    QString::fromUtf8(lpszText ? lpszText : ""), buttons, QApplication::activeWindow());
    switch (box.exec()) {
        case QMessageBox::Cancel: return IDCANCEL;
        case QMessageBox::Yes: return IDYES;
        case QMessageBox::No: return IDNO;
        default: return IDOK;
    }
}

bool InstallTranslations() {
    if (!qApp) return false;
    if (qApp->findChild<QTranslator*>("moro-qt-zh_CN")) return true;
    auto* translator = new QTranslator(qApp);
    translator->setObjectName("moro-qt-zh_CN");
    if (!translator->load("qtbase_zh_CN", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

}  // namespace ui

int AfxWinMain(int argc, char** argv) {
    const char* platformName = std::getenv("QT_QPA_PLATFORM");
    if ((!platformName || !*platformName) && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        std::fprintf(stderr, "moro: no display: set DISPLAY (or run under xvfb-run) to open the window\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(AfxGetAppName()));
    SetMessageBoxHandler(ui::QtMessageBox);
    ui::InstallTranslations();
    CWinApp* pApp = AfxGetApp();
    if (!pApp) return 1;
    pApp->InitInstance();
    return 0;
}
