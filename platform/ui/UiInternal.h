// Pieces shared by this layer's sources; not for the program.
#pragma once

#include <QDialog>
#include <QImage>
#include <functional>

#include "platform/ui/Dialog.h"

class QMenu;

namespace ui {

QImage IconToImage(HICON hIcon);
// The background of dialogs, as 0x00RRGGBB.
DWORD DialogBackground();

}  // namespace ui

// The Qt window of a running CDialog: shows the dialog's client surface under its controls and
// turns keys, clicks, the context menu and closing into the dialog's commands.
class DialogWidget : public QDialog {
public:
    DialogWidget(CDialog* pOwner, QWidget* pParent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    CDialog* m_pOwner;
};
