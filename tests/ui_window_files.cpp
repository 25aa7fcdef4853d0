// The window's files, driven as a user does: loads that fail, saves that fail or have nothing to
// write, the names and folders the dialogs start from, PNG and JPEG files made by other programs,
// and the real file dialog in Chinese.
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <csignal>
#include <sys/resource.h>

#include "app/WindowTexts.h"
#include "tests/support/WindowDriver.h"
#include "tests/support/Foreign.h"

using namespace moro_test;

namespace {

class WindowFiles : public WindowFixture {
protected:
    // The state a failed load or save must leave exactly as it was.
    struct WindowState {
        DibSnapshot original, cipher;
        int nShow;
        bool bOriginalEnabled, bCipherEnabled;
        std::string title;
        bool operator==(const WindowState&) const = default;
    };
    static WindowState StateOf(CCipherDlg& d) {
        return {Snapshot(d.m_dibOriginal), Snapshot(d.m_dibCipher), d.m_nShow,
                d.GetDlgItem(IDC_SHOW_ORIGINAL)->IsWindowEnabled() != FALSE,
                d.GetDlgItem(IDC_SHOW_CIPHER)->IsWindowEnabled() != FALSE, d.GetWindowText().str()};
    }
};

std::string Formatted(const char* format, const std::string& a, const std::string& b) {
    CString s;
    s.Format(format, a.c_str(), b.c_str());
    return s.str();
}

}  // namespace

TEST_F(WindowFiles, AFailedLoadChangesNothingInTheWindow) {
    std::vector<BYTE> png = ReadFileBytes(ForeignFile("rgb.png"));
    WriteFileBytes(m_dir.Path("png-named.bmp"), png);
    WriteFileBytes(m_dir.Path("empty.bmp"), {});
    std::vector<BYTE> bmp = ReadFileBytes(m_image);
    WriteFileBytes(m_dir.Path("truncated.bmp"), std::vector<BYTE>(bmp.begin(), bmp.begin() + bmp.size() / 2));
    WriteFileBytes(m_dir.Path("truncated.png"), std::vector<BYTE>(png.begin(), png.begin() + png.size() / 2));
    CCipherDlg dlg;
    RunWindow(dlg, [this](CCipherDlg& d) {
        // Before any image: the radios stay off.
        g_fileAnswers = {m_dir.Path("empty.bmp")};
        Click(d, IDC_LOAD);
        EXPECT_EQ(d.m_nShow, -1);
        EXPECT_FALSE(d.GetDlgItem(IDC_SHOW_ORIGINAL)->IsWindowEnabled());
        EXPECT_FALSE(d.m_dibOriginal.IsValid());

        g_fileAnswers = {m_image};
        Click(d, IDC_LOAD);
        Click(d, IDC_ENCRYPT);
        WindowState before = StateOf(d);
        for (const char* name : {"png-named.bmp", "empty.bmp", "truncated.bmp", "truncated.png", "missing.bmp"}) {
            SCOPED_TRACE(name);
            ClearMessages();
            g_fileAnswers = {m_dir.Path(name)};
            Click(d, IDC_LOAD);
            EXPECT_EQ(Messages().size(), 1u) << "the failure is said once";
            EXPECT_TRUE(StateOf(d) == before);
            EXPECT_TRUE(ShowsImage(d, d.m_dibCipher));
        }
        // A file that cannot be opened is said by the window; the others by the library.
        EXPECT_EQ(LastMessage(), Formatted(texts::kNotLoaded, m_dir.Path("missing.bmp"), texts::kReasonNoFile));
    });
}

TEST_F(WindowFiles, SavingWithNoImageSaysSoAndWritesNothing) {
    CCipherDlg dlg;
    RunWindow(dlg, [this](CCipherDlg& d) {
        Click(d, IDC_SAVE);  // nothing selected
        Click(d, IDC_ENCRYPT);
        EXPECT_EQ(d.m_nShow, 1);
        Click(d, IDC_SAVE);  // the encrypted view of no image
        ASSERT_EQ(Messages().size(), 2u);
        for (const MessageRecord& m : Messages()) EXPECT_EQ(m.text, texts::kNothingToSave);
        EXPECT_TRUE(g_fileDialogs.empty()) << "no name is asked for, so no file can be replaced";
    });
}

TEST_F(WindowFiles, SaveWritesTheSelectedViewUnderTheProposedNameInTheLastFolder) {
    TempDir other;
    std::string elsewhere = other.Path("copy.bmp");
    ASSERT_TRUE(std::filesystem::copy_file(m_image, elsewhere));
    CCipherDlg dlg;
    RunWindow(dlg, [&](CCipherDlg& d) {
        g_fileAnswers = {elsewhere};
        Click(d, IDC_LOAD);
        Click(d, IDC_ENCRYPT);
        g_fileAnswers = {other.Path("cipher.bmp")};
        Click(d, IDC_SAVE);
        Click(d, IDC_SHOW_ORIGINAL);
        g_fileAnswers = {m_dir.Path("original.png")};
        Click(d, IDC_SAVE);
        // Cancelled dialogs change nothing.
        WindowState before = StateOf(d);
        g_fileAnswers = {"", ""};
        Click(d, IDC_LOAD);
        Click(d, IDC_SAVE);
        EXPECT_TRUE(StateOf(d) == before);
        EXPECT_EQ(ReadFileBytes(other.Path("cipher.bmp")),
                  std::vector<BYTE>(d.m_dibCipher.m_lpBuf, d.m_dibCipher.m_lpBuf + d.m_dibCipher.m_dwBufSize));
        CDib png;
        ASSERT_TRUE(png.LoadPng(m_dir.Path("original.png").c_str()));
        EXPECT_EQ(RgbPixels(png), RgbPixels(d.m_dibOriginal));

        // A PNG file is proposed as PNG, with the PNG line of the filter; a JPEG file as BMP.
        d.m_strLoaded = "photo.PNG";
        EXPECT_STREQ(d.ProposedSaveName(), "photo.PNG");
        Click(d, IDC_SHOW_CIPHER);
        g_fileAnswers = {""};
        Click(d, IDC_SAVE);
        EXPECT_EQ(g_fileDialogs.back().fileName, "photo-enc.PNG");
        EXPECT_EQ(g_fileDialogs.back().nFilterIndex, texts::kSaveFilterPng);
        d.m_strLoaded = "photo.jpeg";
        EXPECT_STREQ(d.ProposedSaveName(), "photo-enc.bmp");
    });
    EXPECT_TRUE(Messages().empty());
    ASSERT_EQ(g_fileDialogs.size(), 6u);
    const FileDialogSeen& load = g_fileDialogs[0];
    EXPECT_TRUE(load.bOpen);
    EXPECT_EQ(load.filter, texts::kOpenFilter);
    EXPECT_EQ(load.initialDir, ".");
    EXPECT_EQ(load.fileName, "");
    // The save dialogs start where the last file was chosen, with the loaded file's name.
    EXPECT_EQ(g_fileDialogs[1].filter, texts::kSaveFilter);
    EXPECT_EQ(g_fileDialogs[1].defExt, "bmp");
    EXPECT_EQ(g_fileDialogs[1].initialDir, other.path());
    EXPECT_EQ(g_fileDialogs[1].fileName, "copy-enc.bmp");
    EXPECT_EQ(g_fileDialogs[2].initialDir, other.path());
    EXPECT_EQ(g_fileDialogs[2].fileName, "copy.bmp");
    EXPECT_EQ(g_fileDialogs[3].initialDir, m_dir.path());
    EXPECT_EQ(g_fileDialogs[4].fileName, "copy.bmp");
}

TEST_F(WindowFiles, AFailedSaveSaysWhyAndLeavesTheFileThatWasThere) {
    std::string target = m_dir.Path("kept.bmp");
    WriteFileBytes(target, {'o', 'l', 'd'});
    CCipherDlg dlg;
    RunWindow(dlg, [&](CCipherDlg& d) {
        g_fileAnswers = {m_image};
        Click(d, IDC_LOAD);
        struct Case {
            std::string path;
            const char* reason;
        } cases[] = {{m_image + "/under-a-file.bmp", texts::kReasonNotAFolder},
                     {m_dir.Path("no-such-folder/x.png"), texts::kReasonNoFolder},
                     {m_dir.path(), texts::kReasonIsAFolder}};
        for (const Case& c : cases) {
            SCOPED_TRACE(c.path);
            ClearMessages();
            g_fileAnswers = {c.path};
            Click(d, IDC_SAVE);
            ASSERT_EQ(Messages().size(), 1u);
            EXPECT_EQ(Messages()[0].text, Formatted(texts::kNotSaved, c.path, c.reason));
            EXPECT_EQ(Messages()[0].style, UINT(MB_ICONSTOP));
        }

        // A write that fails part way (here the file-size limit; a full disk the same): the
        // library's message, then the window's, and the old file stays.
        struct rlimit old;
        getrlimit(RLIMIT_FSIZE, &old);
        struct rlimit small = old;
        small.rlim_cur = 4096;
        auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
        ClearMessages();
        g_fileAnswers = {target};
        Click(d, IDC_SAVE);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        ASSERT_EQ(Messages().size(), 2u);
        EXPECT_EQ(Messages()[1].text, Formatted(texts::kNotSaved, target, texts::kReasonWriteFailed));
        EXPECT_EQ(ReadFileBytes(target), (std::vector<BYTE>{'o', 'l', 'd'}));

        // Names of kinds the window does not write are refused before anything is written.
        ClearMessages();
        g_fileAnswers = {m_dir.Path("photo.jpg")};
        Click(d, IDC_SAVE);
        EXPECT_EQ(LastMessage(), Formatted(texts::kSaveKindRefused, "photo.jpg", ""));
        EXPECT_FALSE(FileExists(m_dir.Path("photo.jpg")));
    });
}

TEST_F(WindowFiles, PngAndJpegFilesOfOtherProgramsLoadWithTheirPixelsAndPngSavesLosslessly) {
    CCipherDlg dlg;
    RunWindow(dlg, [this](CCipherDlg& d) {
        for (const char* name : {"rgb.png", "grey.png", "palette.png", "rgb.jpg", "grey.jpg", "progressive.jpg"}) {
            SCOPED_TRACE(name);
            CDib expected;
            ASSERT_TRUE(expected.LoadBmp(ForeignFile(std::string(name) + ".expected.bmp").c_str()));
            g_fileAnswers = {ForeignFile(name)};
            Click(d, IDC_LOAD);
            EXPECT_EQ(RgbPixels(d.m_dibOriginal), RgbPixels(expected));
            EXPECT_TRUE(ShowsImage(d, d.m_dibOriginal));

            // The encrypted view through a PNG file and back: every pixel as it was.
            Click(d, IDC_ENCRYPT);
            CDib cipher;
            cipher.Copy(d.m_dibCipher);
            g_fileAnswers = {m_dir.Path("round-trip.png"), m_dir.Path("round-trip.png")};
            Click(d, IDC_SAVE);
            Click(d, IDC_LOAD);
            EXPECT_EQ(RgbPixels(d.m_dibOriginal), RgbPixels(cipher));
            EXPECT_EQ(d.m_dibOriginal.m_nBitCount, cipher.m_nBitCount);
        }
        EXPECT_TRUE(Messages().empty());

        // Transparency is dropped with the library's notice.
        g_fileAnswers = {ForeignFile("rgba.png")};
        Click(d, IDC_LOAD);
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_EQ(Messages()[0].text, GetDibMessage(DibMsg::AlphaDropped).lpszText);
        EXPECT_EQ(Messages()[0].style, UINT(MB_ICONINFORMATION));
        EXPECT_STREQ(d.GetWindowText(), "MORO - rgba.png");
    });
}

TEST_F(WindowFiles, TheRealSaveDialogSpeaksChineseShowsWholeColumnsAndFollowsTheChosenFilter) {
    std::string chosen = m_dir.Path("chosen.png");
    WriteFileBytes(chosen, {'o', 'l', 'd'});
    CCipherDlg dlg;
    int nStep = 0, nTicks = 0;
    RunWindow(dlg, [&](CCipherDlg& d) {
        g_fileAnswers = {m_image};
        Click(d, IDC_LOAD);
        ui::SetFileDialogHandler(nullptr);
        // A user in the dialogs, one look every 20 ms: the file dialog (once the folder is read
        // and the columns have their widths), then the overwrite prompt.
        QTimer user;
        QObject::connect(&user, &QTimer::timeout, [&] {
            if (++nTicks > 250) {
                ADD_FAILURE() << "stuck at step " << nStep;
                if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
                return;
            }
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* fd = qobject_cast<QFileDialog*>(modal); fd && nStep == 0) {
                auto* view = fd->findChild<QTreeView*>();
                if (!view || view->model()->rowCount(view->rootIndex()) < 1) return;
                for (int c = 0; c < view->header()->count(); ++c)
                    if (!view->header()->isSectionHidden(c) && view->header()->sectionSize(c) < static_cast<QAbstractItemView*>(view)->sizeHintForColumn(c))
                        return;  // not yet fitted to the folder's contents
                EXPECT_EQ(fd->windowTitle(), QString("另存为"));
                EXPECT_TRUE(fd->findChild<QLabel*>("fileNameLabel")->text().startsWith("文件"));
                EXPECT_EQ(fd->findChild<QLineEdit*>("fileNameEdit")->text(), QString("picture.bmp"));
                QPushButton* save = fd->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save);
                EXPECT_EQ(save->text(), QString("保存(&S)"));
                // The user picks the PNG line and types a name without an extension.
                auto* types = fd->findChild<QComboBox*>("fileTypeCombo");
                types->setFocus();
                QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
                QApplication::sendEvent(types, &down);
                fd->findChild<QLineEdit*>("fileNameEdit")->setText("chosen");
                nStep = 1;
                // Clicked from the event loop: the prompt's own loop must not run inside this
                // timer's call, or the timer could not look again.
                QTimer::singleShot(0, save, &QPushButton::click);
            } else if (auto* box = qobject_cast<QMessageBox*>(modal); box && nStep == 1) {
                EXPECT_TRUE(box->text().contains("chosen.png"));
                EXPECT_FALSE(box->text().contains("already")) << box->text().toStdString();
                EXPECT_NE(box->button(QMessageBox::Yes)->text(), QString("&Yes"));
                nStep = 2;
                box->button(QMessageBox::Yes)->click();
            }
        });
        user.start(20);
        Click(d, IDC_SAVE);
        user.stop();
    });
    EXPECT_EQ(nStep, 2);
    CDib saved, expected;
    ASSERT_TRUE(saved.LoadPng(chosen.c_str()));
    ASSERT_TRUE(expected.LoadBmp(m_image.c_str()));
    EXPECT_EQ(RgbPixels(saved), RgbPixels(expected));

    QMessageBox box(QMessageBox::Information, "MORO", "x", QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Ok)->text(), QString("确定"));
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QString("取消"));
}
