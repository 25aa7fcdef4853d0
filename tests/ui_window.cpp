// The window as a user drives it, on Qt's offscreen platform: real buttons clicked, keys pressed,
// file dialogs and nested dialogs answered by a script, message boxes recorded, pixels read off
// the window as the screen gets them.
#include <QMenu>
#include <QMimeData>
#include <QUrl>
#include <cstring>

#include "app/WindowTexts.h"
#include "platform/Rand.h"
#include "tests/support/Images.h"
#include "tests/support/WindowDriver.h"

using namespace moro_test;

namespace {

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetScripts();
        // A 100 x 50 image: red on the left half, blue on the right.
        CDib image;
        ASSERT_TRUE(image.Create(100, 50, 24, nullptr, 0));
        for (int y = 0; y < 50; ++y)
            for (int x = 0; x < 100; ++x) image.SetPixel(x, y, x < 50 ? RGB(255, 0, 0) : RGB(0, 0, 255));
        m_image = m_dir.Path("image.bmp");
        ASSERT_TRUE(image.SaveBmp(m_image.c_str()));
    }
    TempDir m_dir;
    std::string m_image;
};

// The window's widgets that take the focus, in the order Tab visits them from the first.
std::vector<int> TabOrder(CCipherDlg& d) {
    std::vector<int> order;
    d.GetDlgItem(IDC_LOAD)->SetFocus();
    for (int i = 0; i < 12; ++i) {
        QWidget* focused = d.GetWidget()->focusWidget();
        for (int nID : {IDC_LOAD, IDC_ENCRYPT, IDC_SAVE, IDC_SPEEDTEST, IDCANCEL, IDC_SHOW_ORIGINAL, IDC_SHOW_CIPHER,
                        IDC_INITKEY, IDC_ENCRYPT2})
            if (d.GetDlgItem(nID)->GetWidget() == focused) order.push_back(nID);
        PressKey(d, Qt::Key_Tab);
    }
    return order;
}

}  // namespace

TEST(WindowLayout, DisplayOriginIsCentredInTheGroupBox) {
    EXPECT_EQ(CCipherDlg::DisplayOrigin(CRect(10, 10, 350, 350)), CPoint(52, 57));
    EXPECT_EQ(CCipherDlg::DisplayOrigin(CRect(10, 10, 350, 340)), CPoint(52, 52));
}

TEST_F(WindowTest, StartsWithNoImageDisabledRadiosAKeyAndTheAboutEntry) {
    CCipherDlg dlg;
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

        // After a separator: the two key entries, the security analysis, then the about box.
        const auto& items = d.GetSystemMenu(FALSE)->Items();
        ASSERT_GE(items.size(), 5u);
        EXPECT_TRUE(items[items.size() - 5].nFlags & MF_SEPARATOR);
        EXPECT_STREQ(items[items.size() - 4].text, "保存密钥...");
        EXPECT_STREQ(items[items.size() - 3].text, "用密钥解密...");
        EXPECT_STREQ(items[items.size() - 2].text, "安全性分析...");
        EXPECT_EQ(items.back().nID, UINT(IDM_ABOUTBOX));
        EXPECT_STREQ(items.back().text, "关于 MORO(&A)...");
        EXPECT_NE(d.GetIcon(TRUE), nullptr);
    });
}

TEST_F(WindowTest, LoadShowsTheImageStretchedOverTheWholeDisplayAreaAndNamesTheFile) {
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
        EXPECT_STREQ(d.GetWindowText(), "MORO - image.bmp");

        // Exactly the image's colours (255 is not 252), and nothing outside the area.
        EXPECT_TRUE(ShowsImage(d, d.m_dibOriginal));
        QImage shown = Shown(d);
        int x0 = d.m_ptOrigin.x, y0 = d.m_ptOrigin.y;
        EXPECT_NE(ShownAt(shown, x0 - 1, y0 + 10), RGB(255, 0, 0));
        EXPECT_NE(ShownAt(shown, x0 + 10, y0 - 1), RGB(255, 0, 0));
        EXPECT_NE(ShownAt(shown, x0 + 256, y0 + 10), RGB(0, 0, 255));
        EXPECT_NE(ShownAt(shown, x0 + 200, y0 + 256), RGB(0, 0, 255));

        // The image stays after the window repaints.
        d.UpdateWindow();
        EXPECT_TRUE(ShowsImage(d, d.m_dibOriginal));
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
        EXPECT_TRUE(ShowsImage(d, d.m_dibCipher));

        EncryptSubst(key, expected);
        Click(d, IDC_ENCRYPT2);
        EXPECT_EQ(Snapshot(d.m_dibCipher), Snapshot(expected));
        EXPECT_EQ(d.m_nShow, 1);
        EXPECT_TRUE(ShowsImage(d, d.m_dibCipher));

        // The loaded image is never touched; the radios switch the view.
        CDib reloaded;
        ASSERT_TRUE(reloaded.LoadBmp(m_image.c_str()));
        EXPECT_EQ(Snapshot(d.m_dibOriginal), Snapshot(reloaded));
        Click(d, IDC_SHOW_ORIGINAL);
        EXPECT_EQ(d.m_nShow, 0);
        EXPECT_TRUE(ShowsImage(d, d.m_dibOriginal));
        Click(d, IDC_SHOW_CIPHER);
        EXPECT_EQ(d.m_nShow, 1);
        EXPECT_TRUE(ShowsImage(d, d.m_dibCipher));
    });
    // A working key changes the picture: no notice.
    EXPECT_TRUE(Messages().empty());
}

TEST_F(WindowTest, AnEncryptionThatLeavesMostOfThePictureSaysSo) {
    CCipherDlg dlg;
    RunWindow(dlg, [this](CCipherDlg& d) {
        g_fileAnswers = {m_image};
        Click(d, IDC_LOAD);

        // Before any stream encryption the S-box is the identity: substitution changes nothing.
        Click(d, IDC_ENCRYPT2);
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_EQ(Messages()[0].text, texts::kNoSBoxYet);
        EXPECT_EQ(Messages()[0].style, UINT(MB_ICONEXCLAMATION));
        EXPECT_EQ(d.m_nShow, 1);

        // A key whose index generator and lane 0 sit at 0 XORs zeros onto the picture.
        d.m_key.x0 = 0;
        d.m_key.states[0] = 0;
        KeyState key = d.m_key;
        CDib probe;
        probe.Copy(d.m_dibCipher);
        EncryptStream(key, probe);
        size_t nSame = 0;
        for (int i = 0; i < probe.m_nImageSize; ++i) nSame += probe.m_lpBits[i] == d.m_dibCipher.m_lpBits[i];
        ASSERT_GT(nSame * 2, size_t(probe.m_nImageSize)) << "the key is not degenerate";
        ClearMessages();
        Click(d, IDC_ENCRYPT);
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_EQ(Messages()[0].text, texts::kDegenerateKey);

        // A fresh key encrypts, quietly; so does substitution through the S-box it built.
        ClearMessages();
        crt::srand(3);
        Click(d, IDC_INITKEY);
        Click(d, IDC_ENCRYPT);
        Click(d, IDC_ENCRYPT2);
        EXPECT_TRUE(Messages().empty());
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

TEST_F(WindowTest, TabFollowsTheTemplateOrderEnterClicksTheFocusedButtonAndShortcutsWork) {
    CCipherDlg dlg;
    RunWindow(dlg, [this](CCipherDlg& d) {
        Activate(d);
        // Disabled radios take no focus; once enabled, the checked one is the group's stop.
        EXPECT_EQ(TabOrder(d), (std::vector<int>{IDC_LOAD, IDC_ENCRYPT, IDC_SAVE, IDC_SPEEDTEST, IDCANCEL, IDC_INITKEY,
                                                 IDC_ENCRYPT2, IDC_LOAD, IDC_ENCRYPT, IDC_SAVE, IDC_SPEEDTEST, IDCANCEL}));
        g_fileAnswers = {m_image};
        PressKey(d, Qt::Key_O, Qt::ControlModifier);
        EXPECT_TRUE(d.m_dibOriginal.IsValid());
        EXPECT_EQ(TabOrder(d), (std::vector<int>{IDC_LOAD, IDC_ENCRYPT, IDC_SAVE, IDC_SPEEDTEST, IDCANCEL,
                                                 IDC_SHOW_ORIGINAL, IDC_INITKEY, IDC_ENCRYPT2, IDC_LOAD, IDC_ENCRYPT,
                                                 IDC_SAVE, IDC_SPEEDTEST}));

        // Enter on "加密图象" encrypts and the window stays; so does Ctrl+E, and Ctrl+S saves.
        d.GetDlgItem(IDC_ENCRYPT)->SetFocus();
        PressKey(d, Qt::Key_Return);
        EXPECT_TRUE(d.IsRunning());
        EXPECT_EQ(d.m_nShow, 1);
        DibSnapshot once = Snapshot(d.m_dibCipher);
        PressKey(d, Qt::Key_E, Qt::ControlModifier);
        EXPECT_NE(Snapshot(d.m_dibCipher), once);
        g_fileAnswers = {m_dir.Path("shortcut.bmp")};
        PressKey(d, Qt::Key_S, Qt::ControlModifier);
        EXPECT_TRUE(FileExists(m_dir.Path("shortcut.bmp")));
        // Enter on "显示密图", a radio button: the dialog's OK ends the program.
        d.GetDlgItem(IDC_SHOW_CIPHER)->SetFocus();
        PressKey(d, Qt::Key_Enter, Qt::KeypadModifier);
        EXPECT_FALSE(d.IsRunning());
    });
}

TEST_F(WindowTest, ContextMenuOpensTheAboutBoxByMouseAndByKeyboard) {
    CCipherDlg dlg;
    RunWindow(dlg, [](CCipherDlg& d) {
        QStringList entries;
        int nShown = 0;
        ui::SetPopupMenuHook([&](QMenu& menu) {
            ++nShown;
            entries.clear();
            for (QAction* a : menu.actions()) entries << (a->isSeparator() ? "-" : a->text());
            return int(IDM_ABOUTBOX);
        });
        auto closeAbout = [](CDialog& about) {
            EXPECT_STREQ(about.GetWindowText(), "关于 MORO");
            PressKey(about, Qt::Key_Return);  // "确定", the default button
            EXPECT_FALSE(about.IsRunning());
        };
        g_nestedScripts = {closeAbout, closeAbout};
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 20), QPoint(20, 20));
        QApplication::sendEvent(d.GetWidget(), &event);
        PressKey(d, Qt::Key_F10, Qt::ShiftModifier);
        ui::SetPopupMenuHook(nullptr);
        EXPECT_EQ(nShown, 2);
        ASSERT_GE(entries.size(), 5);
        EXPECT_EQ(entries[entries.size() - 5], "-");
        EXPECT_EQ(entries.back(), "关于 MORO(&A)...");
    });
    EXPECT_EQ(g_nestedTemplates, (std::vector<UINT>{IDD_ABOUTBOX, IDD_ABOUTBOX}));
}

TEST_F(WindowTest, AFileDroppedOnTheWindowLoads) {
    WriteFileBytes(m_dir.Path("text.bmp"), {'n', 'o', 't', ' ', 'a', ' ', 'b', 'm', 'p'});
    CCipherDlg dlg;
    RunWindow(dlg, [this](CCipherDlg& d) {
        auto drop = [&d](const QList<QUrl>& urls) {
            QMimeData data;
            data.setUrls(urls);
            QDragEnterEvent enter(QPoint(30, 30), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(d.GetWidget(), &enter);
            if (!enter.isAccepted()) return false;
            QDropEvent event(QPointF(30, 30), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(d.GetWidget(), &event);
            QApplication::processEvents();
            return true;
        };
        EXPECT_FALSE(drop({QUrl("https://example.org/image.bmp")}));
        // The first file of a drop is loaded like a chosen one.
        EXPECT_TRUE(drop({QUrl::fromLocalFile(QString::fromStdString(m_image)),
                          QUrl::fromLocalFile(QString::fromStdString(m_dir.Path("text.bmp")))}));
        EXPECT_TRUE(ShowsImage(d, d.m_dibOriginal));
        EXPECT_STREQ(d.GetWindowText(), "MORO - image.bmp");
        EXPECT_TRUE(Messages().empty());

        // A file that does not load changes nothing.
        Click(d, IDC_ENCRYPT);
        DibSnapshot cipher = Snapshot(d.m_dibCipher);
        EXPECT_TRUE(drop({QUrl::fromLocalFile(QString::fromStdString(m_dir.Path("text.bmp")))}));
        EXPECT_EQ(LastMessage(), "Invalid bitmap file");
        EXPECT_EQ(Snapshot(d.m_dibCipher), cipher);
        EXPECT_EQ(d.m_nShow, 1);
    });
}

TEST_F(WindowTest, EnterEscapeAndTheQuitButtonEndTheWindow) {
    {
        CCipherDlg dlg;
        // With the focus on no push button, Enter is the dialog's OK.
        EXPECT_EQ(RunWindow(dlg, [](CCipherDlg& d) {
                      d.GetWidget()->setFocus();
                      PressKey(d, Qt::Key_Return);
                  }),
                  IDOK);
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
