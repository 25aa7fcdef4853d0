// The window's key entries, used as a user does: the key file of what the buttons did since the
// load decrypts the working copy, and a key file decrypts the image shown into the encrypted view.
#include <cstring>

#include "app/SpeedTestDlg.h"
#include "app/WindowTexts.h"
#include "platform/Rand.h"
#include "tests/support/Images.h"
#include "tests/support/WindowDriver.h"

using namespace moro_test;

namespace {

using WindowKeys = WindowFixture;

bool SameRows(const CDib& a, const CDib& b) {
    return a.IsValid() && b.IsValid() && a.m_nImageSize == b.m_nImageSize &&
           std::memcmp(a.m_lpBits, b.m_lpBits, size_t(a.m_nImageSize)) == 0;
}

void RunSpeedTest(CCipherDlg& d, bool bStreamOnly, const char* lpszFrames) {
    g_nestedScripts = {[bStreamOnly, lpszFrames](CDialog& s) {
        if (bStreamOnly) Click(s, IDC_STREAM_PART);
        s.GetDlgItem(IDC_FRAMES)->SetWindowText(lpszFrames);
        Click(s, IDOK);
    }};
    Click(d, IDC_SPEEDTEST);
}

}  // namespace

TEST_F(WindowKeys, TheSavedKeyFileUndoesEverythingTheButtonsDidSinceTheLoad) {
    CCipherDlg dlg;
    RunWindow(dlg, [this](CCipherDlg& d) {
        Click(d, IDC_ENCRYPT);  // before the load: not part of the image's run
        g_fileAnswers = {m_image};
        Click(d, IDC_LOAD);
        const KeyState keyAtLoad = d.m_key;
        const uint32_t randAtLoad = crt::GetRandState();
        Click(d, IDC_ENCRYPT);
        Click(d, IDC_ENCRYPT2);
        Click(d, IDC_INITKEY);
        RunSpeedTest(d, false, "2");
        RunSpeedTest(d, true, "1");
        Click(d, IDC_ENCRYPT);
        Click(d, IDC_SHOW_ORIGINAL);  // the key is the working copy's, whichever view is shown
        g_fileAnswers = {m_dir.Path("k.json")};
        d.OnSysCommand(IDM_SAVEKEY, 0);
        EXPECT_EQ(g_fileDialogs.back().fileName, "picture-key.json");

        KeyFile file;
        std::string error;
        ASSERT_TRUE(LoadKeyFile(m_dir.Path("k.json").c_str(), file, error)) << error;
        EXPECT_EQ(file.steps, (std::vector<CipherStep>{STEP_STREAM, STEP_SUBST, STEP_INIT, STEP_FRAME, STEP_FRAME,
                                                       STEP_FRAME_STREAM, STEP_STREAM}));
        EXPECT_EQ(std::memcmp(&file.key, &keyAtLoad, sizeof keyAtLoad), 0);
        EXPECT_EQ(file.randState, randAtLoad);
        EXPECT_FALSE(file.bSeeded);
        CDib work;
        work.Copy(d.m_dibCipher);
        ASSERT_TRUE(DecryptSteps(file.key, file.randState, file.steps, work));
        EXPECT_TRUE(SameRows(work, d.m_dibOriginal));
    });
    // Two speed reports and nothing else.
    EXPECT_EQ(Messages().size(), 2u);
}

TEST_F(WindowKeys, DecryptingTheShownImageFillsTheEncryptedView) {
    // An image encrypted elsewhere, with its key file.
    CDib plain, encrypted;
    ASSERT_TRUE(plain.LoadBmp(m_image.c_str()));
    encrypted.Copy(plain);
    crt::srand(12);
    KeyState key;
    InitKey(key);
    KeyFile file = KeyFileNow(key, true, 12);
    file.steps = {STEP_FRAME, STEP_STREAM, STEP_SUBST};
    for (CipherStep step : file.steps) EncryptStep(key, encrypted, step);
    std::string error;
    ASSERT_TRUE(SaveKeyFile(m_dir.Path("k.json").c_str(), file, error));
    ASSERT_TRUE(encrypted.SaveBmp(m_dir.Path("enc.bmp").c_str()));

    CCipherDlg dlg;
    RunWindow(dlg, [&](CCipherDlg& d) {
        g_fileAnswers = {m_dir.Path("enc.bmp"), m_dir.Path("k.json")};
        Click(d, IDC_LOAD);
        const KeyState before = d.m_key;
        d.OnSysCommand(IDM_DECRYPTWITHKEY, 0);
        EXPECT_EQ(g_fileDialogs.back().filter, texts::kKeyFilter);
        EXPECT_EQ(d.m_nShow, 1);
        EXPECT_TRUE(IsChecked(d, IDC_SHOW_CIPHER));
        EXPECT_TRUE(SameRows(d.m_dibCipher, plain));
        EXPECT_TRUE(SameRows(d.m_dibOriginal, encrypted)) << "the loaded image stays as it was";
        EXPECT_TRUE(ShowsImage(d, d.m_dibCipher));
        EXPECT_EQ(std::memcmp(&d.m_key, &before, sizeof before), 0) << "decryption leaves the window's key alone";

        // The decrypted image is where a new run starts: its key file has no steps yet.
        g_fileAnswers = {m_dir.Path("k2.json")};
        d.OnSysCommand(IDM_SAVEKEY, 0);
        KeyFile next;
        ASSERT_TRUE(LoadKeyFile(m_dir.Path("k2.json").c_str(), next, error)) << error;
        EXPECT_TRUE(next.steps.empty());
    });
    EXPECT_TRUE(Messages().empty());
}

TEST_F(WindowKeys, RefusalsSayWhyAndChangeNothing) {
    std::string text = "{\"format\": \"moro-key\", \"version\": 2}";
    WriteFileBytes(m_dir.Path("v2.json"), std::vector<BYTE>(text.begin(), text.end()));
    CCipherDlg dlg;
    RunWindow(dlg, [this](CCipherDlg& d) {
        d.OnSysCommand(IDM_SAVEKEY, 0);
        d.OnSysCommand(IDM_DECRYPTWITHKEY, 0);
        ASSERT_EQ(Messages().size(), 2u);
        EXPECT_EQ(Messages()[0].text, texts::kNoRunToSave);
        EXPECT_EQ(Messages()[1].text, texts::kNothingToDecrypt);

        ClearMessages();
        g_fileAnswers = {m_image, m_dir.Path("v2.json"), "", ""};
        Click(d, IDC_LOAD);
        Click(d, IDC_ENCRYPT);
        CDib before;
        before.Copy(d.m_dibCipher);
        d.OnSysCommand(IDM_DECRYPTWITHKEY, 0);
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_NE(Messages()[0].text.find("is of version '2'; this MORO reads version 1"), std::string::npos) << Messages()[0].text;
        EXPECT_EQ(Messages()[0].style, UINT(MB_ICONSTOP));
        d.OnSysCommand(IDM_DECRYPTWITHKEY, 0);  // cancelled
        d.OnSysCommand(IDM_SAVEKEY, 0);         // cancelled
        EXPECT_TRUE(SameRows(d.m_dibCipher, before));
        EXPECT_EQ(Messages().size(), 1u);

        // A run longer than a key file holds: every speed-test frame is a step.
        ClearMessages();
        RunSpeedTest(d, true, std::to_string(kKeyFileMaxSteps).c_str());
        d.OnSysCommand(IDM_SAVEKEY, 0);
        ASSERT_EQ(Messages().size(), 2u);
        CString tooLong;
        tooLong.Format(texts::kRunTooLong, unsigned(kKeyFileMaxSteps));
        EXPECT_EQ(Messages()[1].text, tooLong.str());
    });
    EXPECT_FALSE(FileExists(m_dir.Path("picture-key.json")));
}
