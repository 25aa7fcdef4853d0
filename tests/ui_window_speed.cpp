// The window's speed test, driven as a user does: the chosen passes run on the working copy, the
// report says what was measured, the display shows what the passes left, and a long run shows a
// progress window whose "取消" stops it.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/SpeedTestDlg.h"
#include "app/WindowTexts.h"
#include "platform/Rand.h"
#include "platform/ui/ProgressDlg.h"
#include "tests/support/WindowDriver.h"

using namespace moro_test;

namespace {

class WindowSpeed : public WindowFixture {
protected:
    void TearDown() override { ui::SetProgressHook(nullptr); }
};

// The speed-test dialog as a user fills it in.
std::function<void(CDialog&)> AskFor(bool bStreamOnly, const char* lpszFrames) {
    return [bStreamOnly, lpszFrames](CDialog& s) {
        if (bStreamOnly) Click(s, IDC_STREAM_PART);
        s.GetDlgItem(IDC_FRAMES)->SetWindowText(lpszFrames);
        Click(s, IDOK);
    };
}

// The report's first sentence gives the speed; the second says what was measured.
double ReportedSpeed(const std::string& report, std::string& what) {
    double mbps = -1;
    size_t newline = report.find('\n');
    EXPECT_NE(newline, std::string::npos) << report;
    std::string scan = texts::kSpeedReport;
    scan.replace(scan.find("%g"), 2, "%lf");
    EXPECT_EQ(std::sscanf(report.substr(0, newline).c_str(), scan.c_str(), &mbps), 1) << report;
    what = newline == std::string::npos ? "" : report.substr(newline + 1);
    return mbps;
}

std::string Measured(const char* type, unsigned frames, const char* image) {
    CString s;
    s.Format(texts::kSpeedMeasured, type, frames, image);
    return s.str();
}

}  // namespace

TEST_F(WindowSpeed, RunsTheChosenPassesReportsWhatItMeasuredAndShowsTheResult) {
    CCipherDlg dlg;
    int nProgress = 0;  // short runs show no progress window
    ui::SetProgressHook([&nProgress](CProgressDlg&) { ++nProgress; });
    RunWindow(dlg, [this](CCipherDlg& d) {
        g_fileAnswers = {m_image};
        Click(d, IDC_LOAD);
        Click(d, IDC_ENCRYPT);

        // Cancel: no test, no message.
        g_nestedScripts = {[](CDialog& s) { Click(s, IDCANCEL); }};
        DibSnapshot before = Snapshot(d.m_dibCipher);
        ClearMessages();
        Click(d, IDC_SPEEDTEST);
        EXPECT_EQ(Snapshot(d.m_dibCipher), before);
        EXPECT_TRUE(Messages().empty());

        // One stream-only frame: exactly one frame pass, and the display shows its result.
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
            AskFor(true, "1")(s);
        }};
        Click(d, IDC_SPEEDTEST);
        EXPECT_EQ(Snapshot(d.m_dibCipher), Snapshot(expected));
        EXPECT_EQ(std::memcmp(&d.m_key, &key, sizeof key), 0);
        EXPECT_EQ(d.m_nShow, 1);
        EXPECT_TRUE(ShowsImage(d, d.m_dibCipher));
        EXPECT_EQ(ui::WaitCursorCount(), shown + 1);
        EXPECT_FALSE(ui::WaitCursorShown());
        ASSERT_EQ(Messages().size(), 1u);
        std::string what;
        EXPECT_GT(ReportedSpeed(Messages()[0].text, what), 0);
        EXPECT_EQ(what, Measured("流密码部分", 1, "图象 100 x 50 像素，24 位"));
        EXPECT_EQ(Messages()[0].caption, "MORO");
        EXPECT_EQ(Messages()[0].style, UINT(MB_OK));

        // With the loaded image shown, the selection stays and the display keeps showing it.
        Click(d, IDC_SHOW_ORIGINAL);
        g_nestedScripts = {AskFor(false, "3")};
        Click(d, IDC_SPEEDTEST);
        EXPECT_EQ(d.m_nShow, 0);
        EXPECT_TRUE(ShowsImage(d, d.m_dibOriginal));
        EXPECT_GT(ReportedSpeed(LastMessage(), what), 0);
        EXPECT_EQ(what, Measured("整个系统", 3, "图象 100 x 50 像素，24 位"));

        // 0 frames: no pass; a count that is not a number keeps the dialog open with a message.
        ClearMessages();
        before = Snapshot(d.m_dibCipher);
        g_nestedScripts = {[](CDialog& s) {
            s.GetDlgItem(IDC_FRAMES)->SetWindowText("12x");
            Click(s, IDOK);
            EXPECT_TRUE(s.IsRunning());
            EXPECT_EQ(LastMessage(), ui::kMsgParseUnsigned);
            s.GetDlgItem(IDC_FRAMES)->SetWindowText("0");
            s.GetDlgItem(IDC_FRAMES)->SetFocus();
            PressKey(s, Qt::Key_Return);  // from the edit box, Enter is the default button, OK
            EXPECT_FALSE(s.IsRunning());
        }};
        Click(d, IDC_SPEEDTEST);
        EXPECT_EQ(Snapshot(d.m_dibCipher), before);
        ASSERT_EQ(Messages().size(), 2u);
        EXPECT_EQ(ReportedSpeed(Messages()[1].text, what), 0);
    });
    EXPECT_EQ(g_nestedTemplates, std::vector<UINT>(4, IDD_SPEEDTEST));
    EXPECT_EQ(nProgress, 0);
}

TEST_F(WindowSpeed, ALongRunShowsItsProgressAndCanBeCancelled) {
    CCipherDlg dlg;
    RunWindow(dlg, [this](CCipherDlg& d) {
        g_fileAnswers = {m_image};
        Click(d, IDC_LOAD);
        Click(d, IDC_SHOW_CIPHER);
        KeyState key = d.m_key;
        CDib replay;
        replay.Copy(d.m_dibCipher);
        uint32_t state = crt::GetRandState();

        using Clock = std::chrono::steady_clock;
        Clock::time_point start = Clock::now(), firstShown;
        int nUpdates = 0;
        ui::SetProgressHook([&](CProgressDlg& progress) {
            if (nUpdates++ == 0) firstShown = Clock::now();
            EXPECT_TRUE(progress.IsShown());
            EXPECT_STREQ(progress.GetCancelText(), texts::kCancel);
            unsigned done = 0, total = 0;
            EXPECT_EQ(std::sscanf(progress.GetText(), texts::kFramesDone, &done, &total), 2) << progress.GetText().str();
            EXPECT_EQ(total, 4000000000u);
            EXPECT_GT(done, 0u);
            EXPECT_TRUE(ui::WaitCursorShown());
            if (nUpdates == 3) progress.Cancel();
        });
        g_nestedScripts = {AskFor(false, "4000000000")};
        Click(d, IDC_SPEEDTEST);
        ui::SetProgressHook(nullptr);
        EXPECT_EQ(nUpdates, 3);
        EXPECT_GE(firstShown - start, std::chrono::milliseconds(900)) << "short runs show no progress window";
        EXPECT_FALSE(ui::WaitCursorShown());

        // The report counts the frames that ran, and they are what the working copy went through.
        ASSERT_EQ(Messages().size(), 1u);
        std::string what;
        EXPECT_GT(ReportedSpeed(Messages()[0].text, what), 0);
        size_t digits = what.find_first_of("0123456789");
        ASSERT_NE(digits, std::string::npos) << what;
        unsigned done = unsigned(std::strtoul(what.c_str() + digits, nullptr, 10));
        CString expected;
        expected.Format(texts::kSpeedCancelled, done, 4000000000u, "整个系统", "图象 100 x 50 像素，24 位");
        EXPECT_EQ(what, expected.str());
        crt::SetRandState(state);
        for (unsigned i = 0; i < done; ++i) EncryptFrame(key, replay, false);
        EXPECT_EQ(Snapshot(d.m_dibCipher), Snapshot(replay));
        EXPECT_EQ(std::memcmp(&d.m_key, &key, sizeof key), 0);
        EXPECT_TRUE(ShowsImage(d, d.m_dibCipher));
    });
}
