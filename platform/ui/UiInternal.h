// Pieces shared by this layer's sources; not for the program.
#pragma once

#include <QDialog>
#include <QGroupBox>
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
// turns keys, clicks, the context menu, dropped files and closing into the dialog's commands.
class DialogWidget : public QDialog {
public:
    DialogWidget(CDialog* pOwner, QWidget* pParent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    // The system menu as a popup at this point of the screen; runs the chosen command.
    void ShowSystemMenu(const QPoint& globalPos);

    CDialog* m_pOwner;
};

// A group box control: frame and title only.
class GroupBoxWidget : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent* event) override;
};
