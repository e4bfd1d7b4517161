#include "ui/ranking_app.h"

#include <QApplication>

#include "ui/dialog_template.h"
#include "ui/ranking_dlg.h"

CRankingApp::CRankingApp() = default;
CRankingApp::~CRankingApp() = default;

int CRankingApp::Run(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setWindowIcon(ui::ProgramIcon());
    app.setDesktopFileName(QStringLiteral("rankelle"));
    InitInstance();
    return 0;
}

bool CRankingApp::InitInstance() {
    CRankingDlg dlg;
    mainWindow_ = &dlg;
    dlg.DoModal();
    mainWindow_ = nullptr;
    return false;
}
