// The window's key entries, used as a user does: the key file of what the buttons did since the
// load decrypts the working copy, and a key file decrypts the image shown into the encrypted view.
#include <cstring>

#include <QContextMenuEvent>
#include <QMenu>

#include "app/AnalysisDlg.h"
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

TEST_F(WindowKeys, TheAnalysisEntryShowsTheFiguresTheKeysDiagnosisAndTheCharts) {
    CCipherDlg dlg;
    RunWindow(dlg, [this](CCipherDlg& d) {
        d.OnSysCommand(IDM_ANALYSIS, 0);  // nothing loaded: it says so, and no dialog opens
        g_fileAnswers = {m_image};
        Click(d, IDC_LOAD);
        const KeyState key = d.m_key;
        const uint32_t rand = crt::GetRandState();
        // What moro-cli analyse measures for this image and key, one pass of mode 1.
        KeyFile run = KeyFileNow(key, false, 0);
        run.steps = {STEP_STREAM};
        AnalysisResult expected;
        std::string error;
        ASSERT_TRUE(RunAnalysis(d.m_dibOriginal, run, AnalysisOptions(), expected, error)) << error;

        g_nestedScripts = {[&](CDialog& s) {
            auto& a = static_cast<CAnalysisDlg&>(s);
            const std::string text = a.GetDlgItem(IDC_ANALYSIS_TEXT)->GetWindowText().str();
            const std::string table = AnalysisTable(expected);
            // The table up to its timed rows, and the key's diagnosis, as the command prints them.
            EXPECT_NE(text.find(table.substr(0, table.find("speed, whole system"))), std::string::npos);
            EXPECT_NE(text.find(AnalysisKeyText(expected, false)), std::string::npos);
            // A chart of the plain and of the cipher image per channel, each with its histogram's
            // own peak, inside the chart box and the window.
            ASSERT_EQ(a.ChartCount(), 6);
            CRect box, client;
            a.GetDlgItem(IDC_ANALYSIS_CHARTS)->GetWindowRect(&box);
            a.ScreenToClient(&box);
            a.GetClientRect(&client);
            for (int i = 0; i < a.ChartCount(); ++i) {
                EXPECT_TRUE(a.Chart(i).m_bHistValid) << i;
                EXPECT_GT(a.Chart(i).m_dHistMax, 0.0) << i;
                const CRect r = a.ChartRect(i);
                EXPECT_EQ(r.Width(), 256) << i;
                EXPECT_GT(r.Height(), 60) << i;
                EXPECT_TRUE(r.left > box.left && r.right < box.right && r.top > box.top && r.bottom < box.bottom) << i;
            }
            PressKey(s, Qt::Key_Escape);
            EXPECT_FALSE(s.IsRunning());
        },
        [](CDialog& s) {
            s.GetWidget()->close();  // the close button
            EXPECT_FALSE(s.IsRunning());
        }};
        // Chosen from the context menu as a user does.
        ui::SetPopupMenuHook([](QMenu&) { return int(IDM_ANALYSIS); });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 20), QPoint(20, 20));
        QApplication::sendEvent(d.GetWidget(), &event);
        QApplication::sendEvent(d.GetWidget(), &event);
        ui::SetPopupMenuHook(nullptr);
        // The window's key and generator are as they were.
        EXPECT_EQ(std::memcmp(&d.m_key, &key, sizeof key), 0);
        EXPECT_EQ(crt::GetRandState(), rand);
    });
    EXPECT_EQ(g_nestedTemplates, std::vector<UINT>(2, IDD_ANALYSIS));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_STREQ(Messages()[0].text.c_str(), texts::kNothingToAnalyse);
}
