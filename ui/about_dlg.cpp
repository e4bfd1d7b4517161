#include "ui/about_dlg.h"

#include <QPushButton>

#include "res/resource.h"
#include "res/templates.h"

CAboutDlg::CAboutDlg(QWidget* owner) : QDialog(owner) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(true);
    controls_ = ui::BuildDialog(this, res::AboutTemplate(), ui::ProgramIcon());
    setFixedSize(size());
    if (auto* ok = qobject_cast<QPushButton*>(ui::ControlById(controls_, IDOK))) {
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
        ok->setFocus();
    }
}
