// The open and save dialogs on QFileDialog, with the filter string of the Windows dialogs.
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QRegularExpression>
#include <QStringList>
#include <QTreeView>
#include <algorithm>

#include "platform/ui/UiInternal.h"

namespace ui {
namespace {
std::function<INT_PTR(CFileDialog&)> g_fileDialogHandler;
}
void SetFileDialogHandler(std::function<INT_PTR(CFileDialog&)> handler) { g_fileDialogHandler = std::move(handler); }

// "Bmp Files(*.bmp)|*.bmp|All Files(*.*)|*.*||" becomes Qt's "Bmp Files(*.bmp) (*.bmp)" and
// "All Files(*.*) (*)": on this system "*.*" would only match names with a dot.
QStringList QtNameFilters(const char* lpszFilter) {
    QStringList filters;
    QStringList parts = QString::fromUtf8(lpszFilter ? lpszFilter : "").split('|');
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) break;
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            p = p.trimmed();
            if (p == "*.*") p = "*";
        }
        filters << parts[i] + " (" + patterns.join(' ') + ")";
    }
    return filters;
}

namespace {
void FollowFilterSuffix(QFileDialog& dialog) {
    QString fallback = dialog.defaultSuffix();
    auto follow = [&dialog, fallback](const QString& filter) {
        static const QRegularExpression single("\\(\\*\\.(\\w+)\\)$");
        QRegularExpressionMatch m = single.match(filter);
        dialog.setDefaultSuffix(m.hasMatch() ? m.captured(1) : fallback);
    };
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, follow);
    follow(dialog.selectedNameFilter());
}

void ReadableColumns(QFileDialog& dialog) {
    // Qt's widths cut the size, type and date short ("225...KiB"); the columns take the width
    // their contents need each time a folder has been read.
    dialog.resize(std::max(dialog.width(), 760), std::max(dialog.height(), 480));
    auto* view = dialog.findChild<QTreeView*>();
    auto* model = dialog.findChild<QFileSystemModel*>();
    if (!view || !model) return;
    QObject::connect(model, &QFileSystemModel::directoryLoaded, view, [view] {
        for (int c = 1; c < view->header()->count(); ++c) view->resizeColumnToContents(c);
        view->resizeColumnToContents(0);
    });
}
}  // namespace
}  // namespace ui

namespace {
const ui::DialogTemplate kNoTemplate = {0, "", 0, 0, "", 9, 0, 0, nullptr, 0};
}

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt, LPCTSTR lpszFileName, DWORD dwFlags,
                         LPCTSTR lpszFilter, CWnd* pParentWnd)
    : CDialog(kNoTemplate, pParentWnd),
      m_bOpenFileDialog(bOpenFileDialog),
      m_strDefExt(lpszDefExt ? lpszDefExt : ""),
      m_strFilter(lpszFilter ? lpszFilter : ""),
      m_strPathName(lpszFileName ? lpszFileName : "") {
    m_ofn.Flags = dwFlags;
}

CString CFileDialog::GetFileName() const {
    std::string path = m_strPathName.GetString();
    size_t slash = path.find_last_of('/');
    return CString(slash == std::string::npos ? path.c_str() : path.c_str() + slash + 1);
}

INT_PTR CFileDialog::DoModal() {
    if (ui::g_fileDialogHandler) return ui::g_fileDialogHandler(*this);
    QWidget* parent = m_pParentWnd ? m_pParentWnd->GetWidget() : nullptr;
    QFileDialog dialog(parent, QString(), QString::fromUtf8(m_ofn.lpstrInitialDir ? m_ofn.lpstrInitialDir : "."));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(m_bOpenFileDialog ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(m_bOpenFileDialog ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!(m_ofn.Flags & OFN_OVERWRITEPROMPT)) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    QStringList filters = ui::QtNameFilters(m_strFilter.GetString());
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    if (m_ofn.nFilterIndex > 0 && m_ofn.nFilterIndex <= DWORD(filters.size()))
        dialog.selectNameFilter(filters[int(m_ofn.nFilterIndex) - 1]);
    if (!m_strDefExt.IsEmpty()) dialog.setDefaultSuffix(QString::fromUtf8(m_strDefExt.GetString()));
    // A name typed without an extension takes the chosen filter's, when that filter is one
    // kind of file ("*.png"); otherwise the default extension.
    ui::FollowFilterSuffix(dialog);
    if (!m_strPathName.IsEmpty()) dialog.selectFile(QString::fromUtf8(m_strPathName.GetString()));
    ui::ReadableColumns(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return IDCANCEL;
    m_strPathName = dialog.selectedFiles().first().toUtf8().constData();
    return IDOK;
}
