#include "ui/dialog_template.h"

#include <QAbstractItemView>
#include <QDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QWidget>

namespace ui {

namespace {

constexpr const char* kFallbackFace = "IPAPGothic";

void EnsureFontSubstitute(const QString& face) {
    if (QFontDatabase::families().contains(face)) return;
    if (QFont::substitutes(face).contains(kFallbackFace)) return;
    QFont::insertSubstitution(face, kFallbackFace);
}

QWidget* MakeControl(const res::ControlTemplate& c, QDialog* parent, const QIcon& icon) {
    const QString text = QString::fromUtf8(c.text);
    switch (c.kind) {
        case res::ControlKind::kEdit: {
            auto* edit = new QLineEdit(parent);
            edit->setFrame((c.style & res::kBorder) != 0);
            return edit;
        }
        case res::ControlKind::kPushButton: {
            auto* button = new QPushButton(text, parent);
            const bool isDefault = (c.style & res::kDefPushButton) != 0;
            button->setAutoDefault(isDefault);
            button->setDefault(isDefault);
            return button;
        }
        case res::ControlKind::kProgressBar: {
            auto* bar = new QProgressBar(parent);
            bar->setRange(0, 100);
            bar->setValue(0);
            bar->setTextVisible(false);
            bar->setAccessibleName(text);
            return bar;
        }
        case res::ControlKind::kLabel: {
            auto* label = new QLabel(parent);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setText(text);
            return label;
        }
        case res::ControlKind::kListView: {
            auto* list = new ReportList(parent);
            list->setAccessibleName(text);
            list->setFrameShape((c.style & res::kBorder) ? QFrame::StyledPanel : QFrame::NoFrame);
            list->setEditTriggers(QAbstractItemView::NoEditTriggers);
            list->setSelectionBehavior(QAbstractItemView::SelectRows);
            list->setSelectionMode(QAbstractItemView::ExtendedSelection);
            list->setSortingEnabled(false);
            list->setWordWrap(false);
            list->setShowGrid(false);
            list->setTabKeyNavigation(false);
            list->verticalHeader()->hide();
            list->horizontalHeader()->setVisible((c.style & res::kReport) != 0);
            list->horizontalHeader()->setSectionsClickable(false);
            list->horizontalHeader()->setHighlightSections(false);
            list->horizontalHeader()->setStretchLastSection(false);
            list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
            // The list has no context menu, and its right-clicks stay its own.
            list->setContextMenuPolicy(Qt::PreventContextMenu);
            return list;
        }
        case res::ControlKind::kIcon: {
            auto* label = new QLabel(parent);
            label->setPixmap(icon.pixmap(32, 32));
            return label;
        }
    }
    return nullptr;
}

}  // namespace

void ReportList::mousePressEvent(QMouseEvent* e) {
    if (inputHook) inputHook(true);
    QTableWidget::mousePressEvent(e);
    if (inputHook) inputHook(false);
}

void ReportList::keyPressEvent(QKeyEvent* e) {
    if (inputHook) inputHook(true);
    QTableWidget::keyPressEvent(e);
    if (inputHook) inputHook(false);
}

QFont TemplateFont(const res::DialogTemplate& tmpl) {
    const QString face = QString::fromUtf8(tmpl.fontFace);
    EnsureFontSubstitute(face);
    QFont font(face, tmpl.pointSize);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    return font;
}

DialogUnits MeasureDialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    DialogUnits units;
    units.baseX = std::max(1, (width / 26 + 1) / 2);
    units.baseY = std::max(1, metrics.height());
    return units;
}

std::vector<BuiltControl> BuildDialog(QDialog* dialog, const res::DialogTemplate& tmpl,
                                      const QIcon& icon) {
    const QFont font = TemplateFont(tmpl);
    dialog->setFont(font);
    dialog->setWindowTitle(QString::fromUtf8(tmpl.caption));
    const DialogUnits units = MeasureDialogUnits(font);
    dialog->resize(units.ToPixelsX(tmpl.cx), units.ToPixelsY(tmpl.cy));

    std::vector<BuiltControl> built;
    built.reserve(tmpl.controls.size());
    for (const res::ControlTemplate& c : tmpl.controls) {
        QWidget* widget = MakeControl(c, dialog, icon);
        widget->setProperty("controlId", c.id);
        QRect rect = units.ToPixels(c.x, c.y, c.cx, c.cy);
        if (c.kind == res::ControlKind::kIcon) rect.setSize(QSize(32, 32));
        widget->setGeometry(rect);
        if ((c.style & res::kTabStop) == 0 && c.kind != res::ControlKind::kIcon &&
            c.kind != res::ControlKind::kLabel) {
            widget->setFocusPolicy(Qt::ClickFocus);
        }
        if (c.kind == res::ControlKind::kProgressBar) widget->setFocusPolicy(Qt::NoFocus);
        built.push_back({&c, widget});
    }

    // Tab order is template order; a label's mnemonic moves the focus to the
    // control after it.
    QWidget* previous = nullptr;
    for (std::size_t i = 0; i < built.size(); ++i) {
        QWidget* widget = built[i].widget;
        if (built[i].tmpl->kind == res::ControlKind::kLabel &&
            (built[i].tmpl->style & res::kNoPrefix) == 0 && i + 1 < built.size()) {
            static_cast<QLabel*>(widget)->setBuddy(built[i + 1].widget);
        }
        if (widget->focusPolicy() == Qt::NoFocus) continue;
        if (previous) QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
    return built;
}

QWidget* ControlById(const std::vector<BuiltControl>& controls, int id) {
    for (const BuiltControl& c : controls) {
        if (c.tmpl->id == id) return c.widget;
    }
    return nullptr;
}

QIcon ProgramIcon() {
    // Qt here renders no SVG; the scalable picture is for the desktop entry.
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/rankelle-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/rankelle-32.png"), QSize(32, 32));
    return icon;
}

}  // namespace ui
