// Test support for the window suites (ui_*.cpp), on Qt's offscreen platform: a user's clicks and
// keys, file dialogs and nested dialogs answered by a script, and the pixels the window shows.
// Header only: the other suites are built without Qt.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <cstdlib>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/CipherDlg.h"
#include "tests/support/Images.h"
#include "tests/support/Recorder.h"

namespace moro_test {

// Qt on the offscreen platform, with the program's Chinese translations.  Qt keeps the file
// dialog's state (folders, column widths) in the user's configuration: the suites get a
// configuration of their own, so they neither read nor change the user's.
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        setenv("XDG_CONFIG_HOME", m_config.path().c_str(), 1);
        setenv("XDG_RUNTIME_DIR", m_config.path().c_str(), 1);
        static int argc = 1;
        static char name[] = "ui_window";
        static char* argv[] = {name, nullptr};
        m_app = new QApplication(argc, argv);
        ui::InstallTranslations();
    }
    void TearDown() override { delete m_app; }

private:
    TempDir m_config;
    QApplication* m_app = nullptr;
};
inline const ::testing::Environment* const g_qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

inline void Click(CDialog& dlg, int nID) {
    CWnd* item = dlg.GetDlgItem(nID);
    ASSERT_NE(item, nullptr) << nID;
    auto* button = qobject_cast<QAbstractButton*>(item->GetWidget());
    ASSERT_NE(button, nullptr) << nID;
    button->click();
}

// A key pressed where the keyboard focus is (the dialog itself when nothing in it has it).
inline void PressKey(CDialog& dlg, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* target = dlg.GetWidget()->focusWidget() ? dlg.GetWidget()->focusWidget() : dlg.GetWidget();
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(target, &press);
}

// Makes the window the active one, as a click on it would: keys and shortcuts go to it.
inline void Activate(CDialog& dlg) {
    QApplication::setActiveWindow(dlg.GetWidget());
    QApplication::processEvents();
}

inline bool IsChecked(CDialog& dlg, int nID) { return static_cast<CButton*>(dlg.GetDlgItem(nID))->GetCheck() == 1; }

// What a file dialog was asked to show.
struct FileDialogSeen {
    bool bOpen;
    std::string filter, defExt, initialDir, fileName;
    DWORD nFilterIndex;
};

// Answers of the file dialogs in the order they open: a path, or cancel (an empty path).
inline std::deque<std::string> g_fileAnswers;
inline std::vector<FileDialogSeen> g_fileDialogs;
// What nested dialogs do, in the order they open, and the templates of those that opened.
inline std::deque<std::function<void(CDialog&)>> g_nestedScripts;
inline std::vector<UINT> g_nestedTemplates;

inline void ResetScripts() {
    g_fileAnswers.clear();
    g_fileDialogs.clear();
    g_nestedScripts.clear();
    g_nestedTemplates.clear();
}

// A window test with a picture to load: m_image, 100 x 50 pixels of 24 bits, in a folder of
// its own (m_dir).
class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ResetScripts();
        CDib image;
        MakePicture(image, 100, 50, 24);
        m_image = m_dir.Path("picture.bmp");
        ASSERT_TRUE(image.SaveBmp(m_image.c_str()));
    }
    TempDir m_dir;
    std::string m_image;
};

// Runs the main window with a script and ends it with Cancel unless the script ended it.
inline INT_PTR RunWindow(CCipherDlg& dlg, const std::function<void(CCipherDlg&)>& script) {
    ui::SetFileDialogHandler([](CFileDialog& fd) -> INT_PTR {
        g_fileDialogs.push_back({fd.IsOpenDialog() != FALSE, fd.GetFilter().str(), fd.GetDefExt().str(),
                                 fd.m_ofn.lpstrInitialDir ? fd.m_ofn.lpstrInitialDir : "", fd.GetPathName().str(),
                                 fd.m_ofn.nFilterIndex});
        EXPECT_FALSE(g_fileAnswers.empty()) << "unexpected file dialog";
        if (g_fileAnswers.empty()) return IDCANCEL;
        std::string answer = g_fileAnswers.front();
        g_fileAnswers.pop_front();
        if (answer.empty()) return IDCANCEL;
        fd.SetPathName(answer.c_str());
        return IDOK;
    });
    bool bRan = false;
    ui::SetModalHook([&dlg, &bRan, script](CDialog& running) {
        if (&running == &dlg) {
            bRan = true;
            script(dlg);
            if (dlg.IsRunning()) dlg.EndDialog(IDCANCEL);
            return;
        }
        g_nestedTemplates.push_back(running.GetTemplate().nID);
        if (g_nestedScripts.empty()) {
            ADD_FAILURE() << "unexpected dialog " << running.GetTemplate().nID;
            running.EndDialog(IDCANCEL);
            return;
        }
        auto nested = g_nestedScripts.front();
        g_nestedScripts.pop_front();
        nested(running);
    });
    INT_PTR result = dlg.DoModal();
    EXPECT_TRUE(bRan) << "the window's script did not run";
    EXPECT_TRUE(g_nestedScripts.empty()) << "a dialog the script expected did not open";
    EXPECT_TRUE(g_fileAnswers.empty()) << "a file dialog the script expected did not open";
    ui::SetModalHook(nullptr);
    ui::SetFileDialogHandler(nullptr);
    return result;
}

// What the window shows: its surface with every control painted over it, as the screen gets it.
inline QImage Shown(CDialog& dlg) { return dlg.GetWidget()->grab().toImage().convertToFormat(QImage::Format_RGB32); }

inline COLORREF ShownAt(const QImage& shown, int x, int y) {
    QRgb c = shown.pixel(x, y);
    return RGB(qRed(c), qGreen(c), qBlue(c));
}

inline std::string Rgb(COLORREF c) {
    return "RGB(" + std::to_string(GetRValue(c)) + ", " + std::to_string(GetGValue(c)) + ", " +
           std::to_string(GetBValue(c)) + ")";
}

// The display area as it should look with this image: each of its 256 x 256 pixels is the
// image's pixel under the centre of that display pixel.
inline COLORREF ExpectedDisplayPixel(const CDib& dib, int u, int v) {
    int x = int((2LL * u + 1) * dib.m_nWidth / 512), y = int((2LL * v + 1) * dib.m_nHeight / 512);
    const BYTE* row = dib.PictureRow(y);
    if (dib.m_nBitCount == 24) return RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    const RGBQUAD& q = dib.m_lpPalette[row[x]];
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

// Whether the display area shows exactly this image (8 or 24 bits): on the client surface as the
// program last drew it (a grab would repaint first, and so hide a missing redraw), and on screen
// with the controls painted over it.  The first difference is reported.
inline ::testing::AssertionResult ShowsImage(CCipherDlg& dlg, const CDib& dib) {
    auto compare = [&](const char* what, auto pixel) {
        for (int v = 0; v < 256; ++v)
            for (int u = 0; u < 256; ++u) {
                COLORREF want = ExpectedDisplayPixel(dib, u, v), got = pixel(dlg.m_ptOrigin.x + u, dlg.m_ptOrigin.y + v);
                if (want != got)
                    return ::testing::AssertionFailure() << what << " pixel (" << u << ", " << v << ") is " << Rgb(got)
                                                         << ", the image has " << Rgb(want);
            }
        return ::testing::AssertionSuccess();
    };
    CDC* pDC = dlg.GetDC();
    ::testing::AssertionResult drawn = compare("drawn", [pDC](int x, int y) { return pDC->GetPixel(x, y); });
    dlg.ReleaseDC(pDC);
    if (!drawn) return drawn;
    QImage shown = Shown(dlg);
    return compare("display", [&shown](int x, int y) { return ShownAt(shown, x, y); });
}

}  // namespace moro_test
