// The application object: runs the main window modally; its end ends the program.
#pragma once

class QWidget;

class CRankingApp {
  public:
    CRankingApp();
    virtual ~CRankingApp();
    CRankingApp(const CRankingApp&) = delete;
    CRankingApp& operator=(const CRankingApp&) = delete;

    // Starts the toolkit and runs InitInstance; returns the process's exit code.
    int Run(int argc, char** argv);

    // Runs the main window modally; false tells Run that there is nothing
    // left to run, so the program ends.
    virtual bool InitInstance();

    QWidget* MainWindow() const { return mainWindow_; }

  private:
    QWidget* mainWindow_ = nullptr;
};
