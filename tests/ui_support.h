// Helpers shared by the window tests.
#pragma once

#include <QApplication>
#include <QTest>
#include <QWidget>

namespace testing_support {

// Shows a top-level widget and makes it the active window, so that focus and
// shortcuts behave as on a desktop.
inline bool ShowActive(QWidget& window) {
    window.show();
    QApplication::setActiveWindow(&window);
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

// The identifier the template gave a control, or -2 for none.
inline int ControlId(const QWidget* widget) {
    if (!widget) return -2;
    const QVariant id = widget->property("controlId");
    return id.isValid() ? id.toInt() : -2;
}

}  // namespace testing_support
