// The window as a user drives it, on Qt's offscreen platform: real buttons clicked, file dialogs
// and nested dialogs answered by a script, message boxes recorded, pixels read off the window.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <cstdlib>
#include <deque>

#include "app/CipherDlg.h"
#include "app/SpeedTestDlg.h"
#include "platform/Rand.h"
#include "tests/support/Images.h"
#include "tests/support/Recorder.h"

using namespace moro_test;

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "ui_window";
        static char* argv[] = {name, nullptr};
        m_app = new QApplication(argc, argv);
    }
    void TearDown() override { delete m_app; }

private:
    QApplication* m_app = nullptr;
};
const auto* const g_qt = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

void Click(CDialog& dlg, int nID) {
    CWnd* item = dlg.GetDlgItem(nID);
    ASSERT_NE(item, nullptr) << nID;
    auto* button = qobject_cast<QAbstractButton*>(item->GetWidget());
    ASSERT_NE(button, nullptr) << nID;
    button->click();
}

void PressKey(CDialog& dlg, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(dlg.GetWidget(), &press);
}

bool IsChecked(CDialog& dlg, int nID) {
    return static_cast<CButton*>(dlg.GetDlgItem(nID))->GetCheck() == 1;
}

// What a file dialog answers: a path, or cancel (an empty path).
std::deque<std::string> g_fileAnswers;
// What nested dialogs do, in the order they open.
std::deque<std::function<void(CDialog&)>> g_nestedScripts;
std::vector<UINT> g_nestedTemplates;

// Runs the main window with a script and ends it with Cancel unless the script ended it.
INT_PTR RunWindow(CCipherDlg& dlg, const std::function<void(CCipherDlg&)>& script) {
    ui::SetFileDialogHandler([](CFileDialog& fd) -> INT_PTR {
        EXPECT_FALSE(g_fileAnswers.empty()) << "unexpected file dialog";
        if (g_fileAnswers.empty()) return IDCANCEL;
        std::string answer = g_fileAnswers.front();
        g_fileAnswers.pop_front();
        EXPECT_STREQ(fd.GetFilter(), "Bmp Files(*.bmp)|*.bmp|All Files(*.*)|*.*||");
        EXPECT_STREQ(fd.GetDefExt(), "bmp");
        EXPECT_STREQ(fd.m_ofn.lpstrInitialDir, ".");
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
    ui::SetModalHook(nullptr);
    ui::SetFileDialogHandler(nullptr);
    return result;
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_fileAnswers.clear();
        g_nestedScripts.clear();
        g_nestedTemplates.clear();
        // A 100 x 50 image: red on the left half, blue on the right.
        CDib image;
        ASSERT_TRUE(image.Create(100, 50, 24, nullptr, 0));
        for (int y = 0; y < 50; ++y)
            for (int x = 0; x < 100; ++x) image.SetPixel(x, y, x < 50 ? RGB(255, 0, 0) : RGB(0, 0, 255));
        m_image = m_dir.Path("image.bmp");
        ASSERT_TRUE(image.SaveBmp(m_image.c_str()));
        WriteFileBytes(m_dir.Path("text.bmp"), {'n', 'o', 't', ' ', 'a', ' ', 'b', 'm', 'p'});
    }
    TempDir m_dir;
    std::string m_image;
};

COLORREF PixelAt(CCipherDlg& dlg, int x, int y) {
    CDC* pDC = dlg.GetDC();
    COLORREF c = pDC ? pDC->GetPixel(x, y) : CLR_INVALID;
    dlg.ReleaseDC(pDC);
    return c;
}

}  // namespace

TEST(WindowLayout, DisplayOriginIsCentredInTheGroupBox) {
    EXPECT_EQ(CCipherDlg::DisplayOrigin(CRect(10, 10, 350, 350)), CPoint(52, 57));
    EXPECT_EQ(CCipherDlg::DisplayOrigin(CRect(10, 10, 350, 340)), CPoint(52, 52));
}

TEST_F(WindowTest, StartsWithNoImageDisabledRadiosAKeyAndTheAboutEntry) {
    CCipherDlg dlg;
    crt::srand(5);
    RunWindow(dlg, [](CCipherDlg& d) {
        EXPECT_EQ(d.m_nShow, -1);
        EXPECT_FALSE(IsChecked(d, IDC_SHOW_ORIGINAL));
        EXPECT_FALSE(IsChecked(d, IDC_SHOW_CIPHER));
        EXPECT_FALSE(d.GetDlgItem(IDC_SHOW_ORIGINAL)->IsWindowEnabled());
        EXPECT_FALSE(d.GetDlgItem(IDC_SHOW_CIPHER)->IsWindowEnabled());
        for (int id : {IDC_LOAD, IDC_ENCRYPT, IDC_ENCRYPT2, IDC_INITKEY, IDC_SAVE, IDC_SPEEDTEST, IDCANCEL})
            EXPECT_TRUE(d.GetDlgItem(id)->IsWindowEnabled()) << id;
        EXPECT_STREQ(d.GetDlgItem(IDC_LOAD)->GetWindowText(), "载入图象...");
        EXPECT_STREQ(d.GetWindowText(), "MORO");

        // The display area sits in the group box as the layout rule says.
        CRect frame;
        d.GetDlgItem(IDC_DISPLAY_FRAME)->GetWindowRect(&frame);
        d.ScreenToClient(&frame);
        EXPECT_EQ(d.m_ptOrigin, CCipherDlg::DisplayOrigin(frame));
        CRect client;
        d.GetClientRect(&client);
        EXPECT_LE(d.m_ptOrigin.x + 256, frame.right);
        EXPECT_GE(d.m_ptOrigin.y, frame.top);

        // Every control of the template is there, where its dialog units put it.
        const ui::DialogTemplate& t = d.GetTemplate();
        for (int i = 0; i < t.nItems; ++i) {
            CRect r(t.pItems[i].x, t.pItems[i].y, t.pItems[i].x + t.pItems[i].cx, t.pItems[i].y + t.pItems[i].cy);
            d.MapDialogRect(&r);
            CRect shown;
            d.GetDlgItem(t.pItems[i].nID)->GetWindowRect(&shown);
            d.ScreenToClient(&shown);
            EXPECT_EQ(shown, r) << t.pItems[i].nID;
        }

        const auto& items = d.GetSystemMenu(FALSE)->Items();
        ASSERT_GE(items.size(), 2u);
        EXPECT_TRUE(items[items.size() - 2].nFlags & MF_SEPARATOR);
        EXPECT_EQ(items.back().nID, UINT(IDM_ABOUTBOX));
        EXPECT_STREQ(items.back().text, "关于 MORO(&A)...");
        EXPECT_NE(d.GetIcon(TRUE), nullptr);
    });
}

TEST_F(WindowTest, LoadShowsTheImageStretchedOverTheWholeDisplayArea) {
    CCipherDlg dlg;
    RunWindow(dlg, [this](CCipherDlg& d) {
        g_fileAnswers = {m_image};
        Click(d, IDC_LOAD);
        EXPECT_TRUE(d.m_dibOriginal.IsValid());
        EXPECT_EQ(Snapshot(d.m_dibCipher), Snapshot(d.m_dibOriginal));
        EXPECT_EQ(d.m_nShow, 0);
        EXPECT_TRUE(IsChecked(d, IDC_SHOW_ORIGINAL));
        EXPECT_TRUE(d.GetDlgItem(IDC_SHOW_ORIGINAL)->IsWindowEnabled());
        EXPECT_TRUE(d.GetDlgItem(IDC_SHOW_CIPHER)->IsWindowEnabled());

        int x0 = d.m_ptOrigin.x, y0 = d.m_ptOrigin.y;
        for (int y = 0; y < 256; y += 5) {
            EXPECT_EQ(PixelAt(d, x0, y0 + y), RGB(255, 0, 0)) << y;
            EXPECT_EQ(PixelAt(d, x0 + 127, y0 + y), RGB(255, 0, 0)) << y;
            EXPECT_EQ(PixelAt(d, x0 + 128, y0 + y), RGB(0, 0, 255)) << y;
            EXPECT_EQ(PixelAt(d, x0 + 255, y0 + y), RGB(0, 0, 255)) << y;
        }
        EXPECT_EQ(PixelAt(d, x0 + 100, y0 + 255), RGB(255, 0, 0));
        // Nothing outside the area.
        EXPECT_NE(PixelAt(d, x0 - 1, y0 + 10), RGB(255, 0, 0));
        EXPECT_NE(PixelAt(d, x0 + 10, y0 - 1), RGB(255, 0, 0));
        EXPECT_NE(PixelAt(d, x0 + 256, y0 + 10), RGB(0, 0, 255));
        EXPECT_NE(PixelAt(d, x0 + 200, y0 + 256), RGB(0, 0, 255));

        // The image stays after the window repaints.
        d.UpdateWindow();
        EXPECT_EQ(PixelAt(d, x0 + 200, y0 + 200), RGB(0, 0, 255));
    });
    EXPECT_TRUE(Messages().empty());
}

TEST_F(WindowTest, EncryptionButtonsRunTheModesOnTheWorkingCopyAndShowIt) {
    CCipherDlg dlg;
    RunWindow(dlg, [this](CCipherDlg& d) {
        g_fileAnswers = {m_image};
        Click(d, IDC_LOAD);
        KeyState key = d.m_key;
        CDib expected;
        expected.Copy(d.m_dibOriginal);
        EncryptStream(key, expected);

        Click(d, IDC_ENCRYPT);
        EXPECT_EQ(Snapshot(d.m_dibCipher), Snapshot(expected));
        EXPECT_EQ(std::memcmp(&d.m_key, &key, sizeof key), 0);
        EXPECT_EQ(d.m_nShow, 1);
        EXPECT_TRUE(IsChecked(d, IDC_SHOW_CIPHER));
        // The encrypted rows are what is shown (top-left of the image is its last row).
        const BYTE* topLeft = d.m_dibCipher.StoredRow(49);
        EXPECT_EQ(PixelAt(d, d.m_ptOrigin.x, d.m_ptOrigin.y), RGB(topLeft[2], topLeft[1], topLeft[0]));

        EncryptSubst(key, expected);
        Click(d, IDC_ENCRYPT2);
        EXPECT_EQ(Snapshot(d.m_dibCipher), Snapshot(expected));
        EXPECT_EQ(d.m_nShow, 1);

        // The loaded image is never touched; the radios switch the view.
        CDib reloaded;
        ASSERT_TRUE(reloaded.LoadBmp(m_image.c_str()));
        EXPECT_EQ(Snapshot(d.m_dibOriginal), Snapshot(reloaded));
        Click(d, IDC_SHOW_ORIGINAL);
        EXPECT_EQ(d.m_nShow, 0);
        EXPECT_EQ(PixelAt(d, d.m_ptOrigin.x, d.m_ptOrigin.y), RGB(255, 0, 0));
        Click(d, IDC_SHOW_CIPHER);
        EXPECT_EQ(d.m_nShow, 1);
        EXPECT_EQ(PixelAt(d, d.m_ptOrigin.x, d.m_ptOrigin.y), RGB(topLeft[2], topLeft[1], topLeft[0]));
    });
}

TEST_F(WindowTest, KeyButtonMakesAFreshKeyFromTheGenerator) {
    CCipherDlg dlg;
    RunWindow(dlg, [](CCipherDlg& d) {
        EncryptStream(d.m_key, d.m_dibCipher);  // moves the key away from a fresh one
        crt::srand(77);
        KeyState expected;
        InitKey(expected);
        std::memcpy(expected.sbox, d.m_key.sbox, sizeof expected.sbox);  // the key button leaves the S-box
        crt::srand(77);
        Click(d, IDC_INITKEY);
        EXPECT_EQ(std::memcmp(&d.m_key, &expected, sizeof expected), 0);
    });
}

TEST_F(WindowTest, EncryptingWithNoImageStillSelectsTheEncryptedView) {
    CCipherDlg dlg;
    RunWindow(dlg, [this](CCipherDlg& d) {
        Click(d, IDC_ENCRYPT);
        EXPECT_EQ(d.m_nShow, 1);
        // Saving the empty encrypted image makes an empty file.
        g_fileAnswers = {m_dir.Path("empty.bmp")};
        Click(d, IDC_SAVE);
        EXPECT_TRUE(FileExists(m_dir.Path("empty.bmp")));
        EXPECT_TRUE(ReadFileBytes(m_dir.Path("empty.bmp")).empty());
    });
}

TEST_F(WindowTest, SaveWritesTheImageOfTheSelectedView) {
    CCipherDlg dlg;
    RunWindow(dlg, [this](CCipherDlg& d) {
        g_fileAnswers = {m_dir.Path("nothing.bmp")};
        Click(d, IDC_SAVE);  // nothing selected yet: nothing written
        EXPECT_FALSE(FileExists(m_dir.Path("nothing.bmp")));

        g_fileAnswers = {m_image};
        Click(d, IDC_LOAD);
        Click(d, IDC_ENCRYPT);
        g_fileAnswers = {m_dir.Path("cipher.bmp")};
        Click(d, IDC_SAVE);
        Click(d, IDC_SHOW_ORIGINAL);
        g_fileAnswers = {m_dir.Path("original.bmp")};
        Click(d, IDC_SAVE);
        EXPECT_EQ(ReadFileBytes(m_dir.Path("cipher.bmp")),
                  std::vector<BYTE>(d.m_dibCipher.m_lpBuf, d.m_dibCipher.m_lpBuf + d.m_dibCipher.m_dwBufSize));
        EXPECT_EQ(ReadFileBytes(m_dir.Path("original.bmp")), ReadFileBytes(m_image));

        // Cancelled dialogs change nothing.
        DibSnapshot before = Snapshot(d.m_dibOriginal);
        g_fileAnswers = {"", ""};
        Click(d, IDC_LOAD);
        Click(d, IDC_SAVE);
        EXPECT_EQ(Snapshot(d.m_dibOriginal), before);
        EXPECT_EQ(d.m_nShow, 0);
    });
    EXPECT_TRUE(Messages().empty());
}

TEST_F(WindowTest, AFailedLoadShowsTheLibrarysMessageAndGoesOn) {
    CCipherDlg dlg;
    RunWindow(dlg, [this](CCipherDlg& d) {
        g_fileAnswers = {m_dir.Path("text.bmp")};
        Click(d, IDC_LOAD);
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_EQ(Messages()[0].text, "Invalid bitmap file");
        EXPECT_EQ(d.m_nShow, 0);
        EXPECT_TRUE(d.GetDlgItem(IDC_SHOW_CIPHER)->IsWindowEnabled());
        EXPECT_FALSE(d.m_dibOriginal.IsValid());
    });
}

TEST_F(WindowTest, SpeedTestRunsTheChosenPassesAndReportsTheSpeed) {
    CCipherDlg dlg;
    RunWindow(dlg, [this](CCipherDlg& d) {
        g_fileAnswers = {m_image};
        Click(d, IDC_LOAD);

        // Cancel: no test, no message.
        g_nestedScripts = {[](CDialog& s) { Click(s, IDCANCEL); }};
        DibSnapshot before = Snapshot(d.m_dibCipher);
        Click(d, IDC_SPEEDTEST);
        EXPECT_EQ(Snapshot(d.m_dibCipher), before);
        EXPECT_TRUE(Messages().empty());

        // One stream-only frame: exactly one frame pass.
        KeyState key = d.m_key;
        CDib expected;
        expected.Copy(d.m_dibCipher);
        uint32_t state = crt::GetRandState();
        EncryptFrame(key, expected, true);
        crt::SetRandState(state);
        int shown = ui::WaitCursorCount();
        g_nestedScripts = {[](CDialog& s) {
            auto& speed = static_cast<CSpeedTestDlg&>(s);
            EXPECT_EQ(speed.m_nTestType, 0);  // every opening starts with the defaults
            EXPECT_EQ(speed.m_nFrames, 32u);
            EXPECT_STREQ(s.GetDlgItem(IDC_FRAMES)->GetWindowText(), "32");
            EXPECT_TRUE(static_cast<CButton*>(s.GetDlgItem(IDC_WHOLE_SYSTEM))->GetCheck());
            Click(s, IDC_STREAM_PART);
            s.GetDlgItem(IDC_FRAMES)->SetWindowText("1");
            Click(s, IDOK);
        }};
        Click(d, IDC_SPEEDTEST);
        EXPECT_EQ(Snapshot(d.m_dibCipher), Snapshot(expected));
        EXPECT_EQ(std::memcmp(&d.m_key, &key, sizeof key), 0);
        EXPECT_EQ(ui::WaitCursorCount(), shown + 1);
        EXPECT_FALSE(ui::WaitCursorShown());
        ASSERT_EQ(Messages().size(), 1u);
        double mbps = -1;
        EXPECT_EQ(std::sscanf(Messages()[0].text.c_str(), "The average encryption speed is about %lf Mbps.", &mbps), 1);
        EXPECT_GT(mbps, 0);
        EXPECT_EQ(Messages()[0].caption, "MORO");
        EXPECT_EQ(Messages()[0].style, UINT(MB_OK));

        // 0 frames: no pass; a count that is not a number keeps the dialog open with a message.
        ClearMessages();
        before = Snapshot(d.m_dibCipher);
        g_nestedScripts = {[](CDialog& s) {
            s.GetDlgItem(IDC_FRAMES)->SetWindowText("12x");
            Click(s, IDOK);
            EXPECT_TRUE(s.IsRunning());
            EXPECT_EQ(LastMessage(), ui::kMsgParseUnsigned);
            s.GetDlgItem(IDC_FRAMES)->SetWindowText("0");
            PressKey(s, Qt::Key_Return);  // Enter is the default button, OK
            EXPECT_FALSE(s.IsRunning());
        }};
        Click(d, IDC_SPEEDTEST);
        EXPECT_EQ(Snapshot(d.m_dibCipher), before);
        ASSERT_EQ(Messages().size(), 2u);
        EXPECT_EQ(Messages()[1].text, "The average encryption speed is about 0 Mbps.");
    });
    EXPECT_EQ(g_nestedTemplates, (std::vector<UINT>{IDD_SPEEDTEST, IDD_SPEEDTEST, IDD_SPEEDTEST}));
}

TEST_F(WindowTest, ContextMenuOpensTheAboutBox) {
    CCipherDlg dlg;
    RunWindow(dlg, [](CCipherDlg& d) {
        QStringList entries;
        ui::SetPopupMenuHook([&entries](QMenu& menu) {
            for (QAction* a : menu.actions()) entries << (a->isSeparator() ? "-" : a->text());
            return int(IDM_ABOUTBOX);
        });
        g_nestedScripts = {[](CDialog& about) {
            EXPECT_STREQ(about.GetWindowText(), "关于 MORO");
            PressKey(about, Qt::Key_Return);
        }};
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 20), QPoint(20, 20));
        QApplication::sendEvent(d.GetWidget(), &event);
        ui::SetPopupMenuHook(nullptr);
        ASSERT_GE(entries.size(), 2);
        EXPECT_EQ(entries[entries.size() - 2], "-");
        EXPECT_EQ(entries.back(), "关于 MORO(&A)...");
    });
    EXPECT_EQ(g_nestedTemplates, (std::vector<UINT>{IDD_ABOUTBOX}));
}

TEST_F(WindowTest, EnterEscapeAndTheQuitButtonEndTheWindow) {
    {
        CCipherDlg dlg;
        EXPECT_EQ(RunWindow(dlg, [](CCipherDlg& d) { PressKey(d, Qt::Key_Return); }), IDOK);
    }
    {
        CCipherDlg dlg;
        EXPECT_EQ(RunWindow(dlg, [](CCipherDlg& d) { PressKey(d, Qt::Key_Escape); }), IDCANCEL);
    }
    {
        CCipherDlg dlg;
        EXPECT_EQ(RunWindow(dlg, [](CCipherDlg& d) {
                      Click(d, IDCANCEL);
                      EXPECT_FALSE(d.IsRunning());
                  }),
                  IDCANCEL);
    }
    {
        CCipherDlg dlg;  // the window's close command
        EXPECT_EQ(RunWindow(dlg, [](CCipherDlg& d) { d.GetWidget()->close(); }), IDCANCEL);
    }
}
