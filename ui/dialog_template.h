// Builds Qt widgets from a dialog template, placed in pixels converted from
// dialog units with the dialog font's metrics. No layouts: the template is the
// one source of the window's geometry.
#pragma once

#include <QFont>
#include <QIcon>
#include <QRect>
#include <QSize>
#include <QTableWidget>
#include <functional>
#include <vector>

#include "res/templates.h"

class QDialog;
class QWidget;

namespace ui {

// Base units of a font: average character width and character height, in pixels.
struct DialogUnits {
    int baseX = 1;
    int baseY = 1;

    int ToPixelsX(int units) const { return (units * baseX + 2) / 4; }
    int ToPixelsY(int units) const { return (units * baseY + 4) / 8; }
    QRect ToPixels(int x, int y, int cx, int cy) const {
        return QRect(ToPixelsX(x), ToPixelsY(y), ToPixelsX(cx), ToPixelsY(cy));
    }
};

// The report-style list of a template. A mouse press moves its current row
// before it changes the selection; `inputHook` is called with true before and
// with false after each mouse or key press the list handles, so that its owner
// can judge the rows' states once the whole press has been applied.
class ReportList : public QTableWidget {
  public:
    using QTableWidget::QTableWidget;

    std::function<void(bool begin)> inputHook;

  protected:
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
};

// The template's font; "ＭＳ Ｐゴシック" falls back to IPAPGothic where the system lacks it.
QFont TemplateFont(const res::DialogTemplate& tmpl);

// Average width of the 52 Latin letters, rounded, and the line height.
DialogUnits MeasureDialogUnits(const QFont& font);

struct BuiltControl {
    const res::ControlTemplate* tmpl;
    QWidget* widget;
};

// Sets the dialog's caption, font and client size, and creates its controls
// in template order (which is also their tab order). Icons show `icon`.
std::vector<BuiltControl> BuildDialog(QDialog* dialog, const res::DialogTemplate& tmpl,
                                      const QIcon& icon);

// The control of that identifier among `controls`, or null.
QWidget* ControlById(const std::vector<BuiltControl>& controls, int id);

// The program icon, IDR_MAINFRAME (16x16, 32x32 and scalable).
QIcon ProgramIcon();

}  // namespace ui
