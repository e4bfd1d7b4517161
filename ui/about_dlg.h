// The About box: program icon, name and version, an OK button.
#pragma once

#include <QDialog>
#include <vector>

#include "ui/dialog_template.h"

class CAboutDlg : public QDialog {
  public:
    explicit CAboutDlg(QWidget* owner = nullptr);

    QWidget* Control(int index) const { return controls_.at(index).widget; }
    const std::vector<ui::BuiltControl>& Controls() const { return controls_; }

  private:
    std::vector<ui::BuiltControl> controls_;
};
