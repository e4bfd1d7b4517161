// The main window: its controls, list columns, event table, keyboard, window
// menu with the About box, and resizing.
#include <gtest/gtest.h>

#include <QAction>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <map>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "res/resource.h"
#include "res/templates.h"
#include "tests/support/temp_dir.h"
#include "tests/ui_support.h"
#include "ui/about_dlg.h"
#include "ui/ranking_dlg.h"

namespace {

using testing_support::ControlId;
using testing_support::ScopedTempDir;
using testing_support::ShowActive;

const platform::LocalTime kMorning{2005, 3, 14, 10, 0, 0};

// Records which handler ran instead of doing the work.
class RecordingDlg : public CRankingDlg {
  public:
    using CRankingDlg::CRankingDlg;
    std::map<std::string, int> calls;
    void Clear() { calls.clear(); }
    int Count(const std::string& name) const {
        auto it = calls.find(name);
        return it == calls.end() ? 0 : it->second;
    }

    void OnSysCommand(unsigned, long) override { ++calls["OnSysCommand"]; }
    void OnPaint() override { ++calls["OnPaint"]; }
    QIcon OnQueryDragIcon() override {
        ++calls["OnQueryDragIcon"];
        return {};
    }
    void OnFetch() override { ++calls["OnFetch"]; }
    void OnOpen() override { ++calls["OnOpen"]; }
    void OnDblclkList(const ListNotification&, long* result) override {
        ++calls["OnDblclkList"];
        *result = 0;
    }
    void OnChangeFileName() override { ++calls["OnChangeFileName"]; }
    void OnSize(int, int, int) override { ++calls["OnSize"]; }
    void OnChart() override { ++calls["OnChart"]; }
    void OnDetail() override { ++calls["OnDetail"]; }
    void OnOpenHistory() override { ++calls["OnOpenHistory"]; }
    void OnItemchangedList(const ListNotification&, long* result) override {
        ++calls["OnItemchangedList"];
        *result = 0;
    }
    void OnTimeSeries() override { ++calls["OnTimeSeries"]; }
};

class MainWindowTest : public ::testing::Test {
  protected:
    ScopedTempDir dir_;
    platform::ScopedClockOverride clock_{kMorning};
};

template <typename T>
T* Get(CRankingDlg& dlg, int id) {
    return qobject_cast<T*>(dlg.Control(id));
}

TEST_F(MainWindowTest, ControlsCarryTheirTemplateTextsAndIdentifiers) {
    CRankingDlg dlg;
    ASSERT_TRUE(ShowActive(dlg));
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Rankelle"));

    struct Expected {
        int id;
        const char* type;
        const char* text;
    };
    const Expected expected[] = {
        {IDC_FILENAME, "QLineEdit", nullptr},
        {IDC_FETCH, "QPushButton", "取得(&A)"},
        {IDC_OPEN, "QPushButton", "開く(&O)"},
        {IDC_PROGRESS, "QProgressBar", nullptr},
        {IDC_CODE, "QLineEdit", ""},
        {IDC_CHART, "QPushButton", "チャート(&C)"},
        {IDC_DETAIL, "QPushButton", "詳細情報(&D)"},
        {IDC_HISTORY, "QPushButton", "履歴開く(&H)"},
        {IDC_LIST, "QTableWidget", nullptr},
        {IDC_TIMESERIES, "QPushButton", "時系列データ(&T)"},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.id);
        QWidget* w = dlg.Control(e.id);
        ASSERT_NE(w, nullptr);
        EXPECT_STREQ(w->metaObject()->className(), e.type);
        EXPECT_TRUE(w->isVisible());
        if (e.text && std::string(e.type) == "QPushButton") {
            auto* b = static_cast<QPushButton*>(w);
            EXPECT_EQ(b->text(), QString::fromUtf8(e.text));
            EXPECT_FALSE(b->isDefault());
            EXPECT_FALSE(b->autoDefault());
        }
    }
    // The label carries no identifier; its mnemonic leads to the code box.
    QLabel* label = nullptr;
    for (QLabel* l : dlg.findChildren<QLabel*>()) {
        if (l->text() == QStringLiteral("コード(&N)")) label = l;
    }
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(ControlId(label), IDC_STATIC);
    EXPECT_EQ(label->buddy(), dlg.Control(IDC_CODE));
}

TEST_F(MainWindowTest, DialogFontFallsBackToIpaPGothic) {
    CRankingDlg dlg;
    const QString face = QStringLiteral("ＭＳ Ｐゴシック");
    EXPECT_EQ(dlg.font().family(), face);
    EXPECT_EQ(dlg.font().pointSize(), 9);
    if (QFontDatabase::families().contains(face)) GTEST_SKIP() << "the font itself is installed";
    EXPECT_EQ(QFontInfo(dlg.font()).family(), QStringLiteral("IPAPGothic"));
}

TEST_F(MainWindowTest, ControlsFitTheClientAreaWithoutOverlapping) {
    CRankingDlg dlg;
    dlg.show();
    const auto& controls = res::MainTemplate().controls;
    std::vector<QRect> rects;
    for (QWidget* w : dlg.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (w->property("controlId").isValid()) rects.push_back(w->geometry());
    }
    ASSERT_EQ(rects.size(), controls.size());
    for (std::size_t i = 0; i < rects.size(); ++i) {
        EXPECT_TRUE(dlg.rect().contains(rects[i])) << i;
        for (std::size_t j = i + 1; j < rects.size(); ++j) {
            EXPECT_FALSE(rects[i].intersects(rects[j])) << i << " overlaps " << j;
        }
    }
    // Fetch and Open stand on the file-name box's row, the four stock buttons on the code box's.
    const int fileRow = dlg.Control(IDC_FILENAME)->geometry().top();
    EXPECT_EQ(dlg.Control(IDC_FETCH)->geometry().top(), fileRow);
    EXPECT_EQ(dlg.Control(IDC_OPEN)->geometry().top(), fileRow);
    const int codeRow = dlg.Control(IDC_CODE)->geometry().top();
    for (int id : {IDC_CHART, IDC_DETAIL, IDC_TIMESERIES, IDC_HISTORY}) {
        EXPECT_EQ(dlg.Control(id)->geometry().top(), codeRow) << id;
    }
    // On screen Time-series stands between Detail and Open-history.
    EXPECT_LT(dlg.Control(IDC_DETAIL)->x(), dlg.Control(IDC_TIMESERIES)->x());
    EXPECT_LT(dlg.Control(IDC_TIMESERIES)->x(), dlg.Control(IDC_HISTORY)->x());
}

TEST_F(MainWindowTest, ListHasNineReportColumns) {
    CRankingDlg dlg;
    dlg.show();
    auto* list = Get<QTableWidget>(dlg, IDC_LIST);
    ASSERT_NE(list, nullptr);
    struct Column {
        const char* heading;
        Qt::Alignment align;
        int width;
    };
    const Column columns[] = {
        {"#", Qt::AlignLeft, 25},           {"コード", Qt::AlignLeft, 45},
        {"市場", Qt::AlignLeft, 100},       {"銘柄名", Qt::AlignLeft, 140},
        {"価格", Qt::AlignRight, 60},       {"上昇率", Qt::AlignRight, 60},
        {"レコード数", Qt::AlignRight, 60}, {"取引数", Qt::AlignRight, 60},
        {"チェック", Qt::AlignLeft, 60},
    };
    ASSERT_EQ(list->columnCount(), 9);
    for (int i = 0; i < 9; ++i) {
        SCOPED_TRACE(i);
        QTableWidgetItem* header = list->horizontalHeaderItem(i);
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(header->text(), QString::fromUtf8(columns[i].heading));
        EXPECT_EQ(Qt::Alignment(header->textAlignment()) & Qt::AlignHorizontal_Mask,
                  columns[i].align);
        EXPECT_EQ(list->columnWidth(i), columns[i].width);
    }
    EXPECT_TRUE(list->horizontalHeader()->isVisible());
    EXPECT_FALSE(list->verticalHeader()->isVisible());
    EXPECT_TRUE(list->showGrid());
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_FALSE(list->isSortingEnabled());
    EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(list->rowCount(), 0);
}

// Each row of the event table, and a way to raise its event as the user or
// the window system would.
TEST_F(MainWindowTest, EventTableRoutesEachEventToItsHandler) {
    RecordingDlg dlg;
    ASSERT_TRUE(ShowActive(dlg));
    auto* list = Get<QTableWidget>(dlg, IDC_LIST);
    list->setRowCount(2);
    for (int r = 0; r < 2; ++r) list->setItem(r, 0, new QTableWidgetItem(QString::number(r)));
    auto click = [&dlg](int id) {
        return [&dlg, id] { QTest::mouseClick(dlg.Control(id), Qt::LeftButton); };
    };
    struct Row {
        DialogEvent event;
        int source;
        const char* handler;
        std::function<void()> raise;
    };
    const Row rows[] = {
        {DialogEvent::kSysCommand, kThisWindow, "OnSysCommand",
         [&] { dlg.SystemMenu()->actions().back()->trigger(); }},
        {DialogEvent::kPaint, kThisWindow, "OnPaint", [&] { dlg.repaint(); }},
        {DialogEvent::kQueryDragIcon, kThisWindow, "OnQueryDragIcon",
         [&] {
             QIcon icon;
             EventArgs args;
             args.icon = &icon;
             dlg.Dispatch(DialogEvent::kQueryDragIcon, kThisWindow, args);
         }},
        {DialogEvent::kClicked, IDC_FETCH, "OnFetch", click(IDC_FETCH)},
        {DialogEvent::kClicked, IDC_OPEN, "OnOpen", click(IDC_OPEN)},
        {DialogEvent::kDoubleClick, IDC_LIST, "OnDblclkList",
         [&] {
             QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                                QPoint(5, list->viewport()->height() - 5));
         }},
        {DialogEvent::kTextChange, IDC_FILENAME, "OnChangeFileName",
         [&] { QTest::keyClicks(dlg.Control(IDC_FILENAME), "x"); }},
        {DialogEvent::kSize, kThisWindow, "OnSize",
         [&] { dlg.resize(dlg.size() + QSize(10, 10)); }},
        {DialogEvent::kClicked, IDC_CHART, "OnChart", click(IDC_CHART)},
        {DialogEvent::kClicked, IDC_DETAIL, "OnDetail", click(IDC_DETAIL)},
        {DialogEvent::kClicked, IDC_HISTORY, "OnOpenHistory", click(IDC_HISTORY)},
        {DialogEvent::kItemChanged, IDC_LIST, "OnItemchangedList", [&] { list->selectRow(1); }},
        {DialogEvent::kClicked, IDC_TIMESERIES, "OnTimeSeries", click(IDC_TIMESERIES)},
    };
    const auto& table = CRankingDlg::EventTable();
    ASSERT_EQ(table.size(), std::size(rows));
    for (std::size_t i = 0; i < table.size(); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(row.handler);
        EXPECT_EQ(table[i].event, row.event);
        EXPECT_EQ(table[i].controlId, row.source);
        EXPECT_STREQ(table[i].handler, row.handler);

        dlg.Clear();
        row.raise();
        EXPECT_GE(dlg.Count(row.handler), 1);
        for (const auto& [name, count] : dlg.calls) {
            if (name != row.handler && name != "OnPaint") ADD_FAILURE() << name << " ran too";
        }
    }
    // Events without a row go to the default handling.
    EventArgs args;
    EXPECT_FALSE(dlg.Dispatch(DialogEvent::kClicked, IDC_CODE, args));
    EXPECT_FALSE(dlg.Dispatch(DialogEvent::kTextChange, IDC_CODE, args));
}

TEST_F(MainWindowTest, DoubleClickBelowTheRowsReportsNoItem) {
    struct Dlg : CRankingDlg {
        std::vector<int> items;
        void OnDblclkList(const ListNotification& n, long* result) override {
            items.push_back(n.item);
            CRankingDlg::OnDblclkList(n, result);
        }
    } dlg;
    ASSERT_TRUE(ShowActive(dlg));
    auto* list = Get<QTableWidget>(dlg, IDC_LIST);
    list->setRowCount(2);
    for (int r = 0; r < 2; ++r) list->setItem(r, 0, new QTableWidgetItem(QString::number(r)));
    const QRect second = list->visualItemRect(list->item(1, 0));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                       QPoint(5, list->viewport()->height() - 5));
    EXPECT_EQ(dlg.items, (std::vector<int>{1, -1}));
}

TEST_F(MainWindowTest, TabVisitsTheControlsInTemplateOrderSkippingDisabledButtons) {
    CRankingDlg dlg;  // no daily file: Open starts disabled
    ASSERT_TRUE(ShowActive(dlg));
    ASSERT_FALSE(dlg.Control(IDC_OPEN)->isEnabled());
    std::vector<int> visited{ControlId(QApplication::focusWidget())};
    for (int i = 0; i < 9; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(ControlId(QApplication::focusWidget()));
    }
    EXPECT_EQ(visited,
              (std::vector<int>{IDC_FILENAME, IDC_FETCH, IDC_CODE, IDC_CHART, IDC_DETAIL,
                                IDC_HISTORY, IDC_LIST, IDC_TIMESERIES, IDC_FILENAME, IDC_FETCH}));
}

TEST_F(MainWindowTest, AltLettersPressTheButtonsAndLeadToTheCodeBox) {
    RecordingDlg dlg;
    ASSERT_TRUE(ShowActive(dlg));
    const std::pair<Qt::Key, const char*> keys[] = {
        {Qt::Key_A, "OnFetch"},  {Qt::Key_O, "OnOpen"},        {Qt::Key_C, "OnChart"},
        {Qt::Key_D, "OnDetail"}, {Qt::Key_H, "OnOpenHistory"}, {Qt::Key_T, "OnTimeSeries"},
    };
    for (const auto& [key, handler] : keys) {
        dlg.Clear();
        QTest::keyClick(&dlg, key, Qt::AltModifier);
        // A mnemonic presses its button with a short animation.
        for (int i = 0; i < 50 && dlg.Count(handler) == 0; ++i) QTest::qWait(10);
        EXPECT_EQ(dlg.Count(handler), 1) << handler;
    }
    QTest::keyClick(&dlg, Qt::Key_N, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), dlg.Control(IDC_CODE));
}

// Enter ends the window unless a push button has the focus, which it presses.
TEST_F(MainWindowTest, EnterAndEscape) {
    struct Case {
        int focus;
        Qt::Key key;
        bool ends;
        int result;
    };
    const Case cases[] = {
        {IDC_FILENAME, Qt::Key_Return, true, QDialog::Accepted},
        {IDC_CODE, Qt::Key_Enter, true, QDialog::Accepted},
        {IDC_LIST, Qt::Key_Return, true, QDialog::Accepted},
        {IDC_FETCH, Qt::Key_Return, false, 0},
        {IDC_CHART, Qt::Key_Enter, false, 0},
        {IDC_FILENAME, Qt::Key_Escape, true, QDialog::Rejected},
        {IDC_LIST, Qt::Key_Escape, true, QDialog::Rejected},
        {IDC_DETAIL, Qt::Key_Escape, true, QDialog::Rejected},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.focus << " key " << c.key);
        RecordingDlg dlg;
        ASSERT_TRUE(ShowActive(dlg));
        dlg.setResult(-1);
        dlg.Control(c.focus)->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), dlg.Control(c.focus));
        const Qt::KeyboardModifiers mods =
            c.key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
        QTest::keyClick(QApplication::focusWidget(), c.key, mods);
        EXPECT_EQ(dlg.isVisible(), !c.ends);
        if (c.ends) {
            EXPECT_EQ(dlg.result(), c.result);
        } else {
            const char* handler = c.focus == IDC_FETCH ? "OnFetch" : "OnChart";
            EXPECT_EQ(dlg.Count(handler), 1);
        }
    }
}

TEST_F(MainWindowTest, CloseBoxEndsTheWindow) {
    CRankingDlg dlg;
    ASSERT_TRUE(ShowActive(dlg));
    EXPECT_TRUE(dlg.close());
    EXPECT_FALSE(dlg.isVisible());
}

TEST_F(MainWindowTest, WindowMenuEndsWithTheAboutItem) {
    CRankingDlg dlg;
    ASSERT_TRUE(ShowActive(dlg));
    const QList<QAction*> actions = dlg.SystemMenu()->actions();
    ASSERT_GE(actions.size(), 2);
    EXPECT_TRUE(actions[actions.size() - 2]->isSeparator());
    EXPECT_EQ(actions.back()->text(), QStringLiteral("Rankelle のﾊﾞｰｼﾞｮﾝ情報(&A)..."));

    // Alt+Space and a right-click on the background open it.
    QTest::keyClick(&dlg, Qt::Key_Space, Qt::AltModifier);
    EXPECT_TRUE(dlg.SystemMenu()->isVisible());
    dlg.SystemMenu()->hide();
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(3, 3),
                                 dlg.mapToGlobal(QPoint(3, 3)));
    QApplication::sendEvent(&dlg, &rightClick);
    EXPECT_TRUE(dlg.SystemMenu()->isVisible());
    dlg.SystemMenu()->hide();

    // A right-click in the list is the list's: the window menu stays shut.
    auto* list = Get<QTableWidget>(dlg, IDC_LIST);
    QContextMenuEvent inList(QContextMenuEvent::Mouse, QPoint(5, 5),
                             list->viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(list->viewport(), &inList);
    EXPECT_FALSE(dlg.SystemMenu()->isVisible());
    dlg.SystemMenu()->hide();
}

TEST_F(MainWindowTest, SystemCommandsSixteenToThirtyOneOpenTheAboutBox) {
    CRankingDlg dlg;
    ASSERT_TRUE(ShowActive(dlg));
    std::vector<unsigned> opened;
    dlg.SetAboutRunner([&](CAboutDlg& about) {
        EXPECT_EQ(about.parentWidget(), &dlg);
        EXPECT_TRUE(about.isModal());
        opened.push_back(0);
    });
    std::vector<unsigned> ids;
    for (unsigned id = 0; id < 48; ++id) ids.push_back(id);
    // Only the low four bits are cleared: bits above them keep the command apart.
    for (unsigned id : {0x10010u, 0x1001Fu, 0x80000010u, 0xFFFFFFF0u}) ids.push_back(id);
    std::vector<unsigned> expected;
    for (unsigned id : ids) {
        const std::size_t before = opened.size();
        dlg.OnSysCommand(id, 0);
        if (opened.size() != before) expected.push_back(id);
    }
    std::vector<unsigned> sixteenToThirtyOne;
    for (unsigned id = 16; id < 32; ++id) sixteenToThirtyOne.push_back(id);
    EXPECT_EQ(expected, sixteenToThirtyOne);
    EXPECT_TRUE(dlg.isVisible());

    // The menu item goes the same way.
    opened.clear();
    dlg.SystemMenu()->actions().back()->trigger();
    EXPECT_EQ(opened.size(), 1u);
}

TEST_F(MainWindowTest, AboutBoxShowsItsTemplateAndEndsOnOkEnterAndEscape) {
    CRankingDlg dlg;
    ASSERT_TRUE(ShowActive(dlg));
    const std::function<void(CAboutDlg&)> enders[] = {
        [](CAboutDlg& about) {
            QTest::mouseClick(qobject_cast<QPushButton*>(about.Controls().back().widget),
                              Qt::LeftButton);
        },
        [](CAboutDlg& about) { QTest::keyClick(&about, Qt::Key_Return); },
        [](CAboutDlg& about) { QTest::keyClick(&about, Qt::Key_Escape); },
    };
    for (const auto& end : enders) {
        bool checked = false;
        dlg.SetAboutRunner([&](CAboutDlg& about) {
            QTimer::singleShot(0, &about, [&] {
                EXPECT_TRUE(about.isVisible());
                EXPECT_EQ(about.windowTitle(), QStringLiteral("Rankelleのﾊﾞｰｼﾞｮﾝ情報"));
                EXPECT_EQ(qobject_cast<QLabel*>(about.Controls()[1].widget)->text(),
                          QStringLiteral("Rankelle Version 0.0 D005"));
                auto* ok = qobject_cast<QPushButton*>(about.Controls().back().widget);
                ASSERT_NE(ok, nullptr);
                EXPECT_EQ(ok->text(), QStringLiteral("OK"));
                EXPECT_TRUE(ok->isDefault());
                EXPECT_FALSE(qobject_cast<QLabel*>(about.Controls()[0].widget)->pixmap().isNull());
                // Centred over the main window.
                const QPoint offset = about.geometry().center() - dlg.geometry().center();
                EXPECT_LE(offset.manhattanLength(), 2);
                checked = true;
                end(about);
            });
            about.exec();
            EXPECT_FALSE(about.isVisible());
        });
        dlg.OnSysCommand(IDM_ABOUTBOX + 3, 0);
        EXPECT_TRUE(checked);
        EXPECT_TRUE(dlg.isVisible());
    }
}

TEST_F(MainWindowTest, ResizingMovesOnlyTheList) {
    CRankingDlg dlg;
    ASSERT_TRUE(ShowActive(dlg));
    QWidget* list = dlg.Control(IDC_LIST);
    std::map<int, QRect> before;
    for (const auto& c : res::MainTemplate().controls) {
        if (c.id != IDC_LIST && c.id != IDC_STATIC) before[c.id] = dlg.Control(c.id)->geometry();
    }
    const QPoint topLeft = list->geometry().topLeft();
    for (const QSize size : {QSize(900, 700), QSize(400, 300), QSize(700, 500)}) {
        dlg.resize(size);
        SCOPED_TRACE(size.width());
        ASSERT_EQ(dlg.size(), size);
        EXPECT_EQ(list->geometry().topLeft(), topLeft);
        EXPECT_EQ(list->width(), size.width() - 24);
        EXPECT_EQ(list->geometry().bottom() + 1, size.height() - 12);
        for (const auto& [id, rect] : before) EXPECT_EQ(dlg.Control(id)->geometry(), rect) << id;
    }
}

TEST(ListGeometry, ClampsDegenerateSizesToZero) {
    const QRect list(10, 80, 500, 300);
    struct Case {
        int cx, cy;
        QRect expected;
    };
    const Case cases[] = {
        {600, 400, QRect(10, 80, 576, 308)}, {24, 92, QRect(10, 80, 0, 0)},
        {23, 91, QRect(10, 80, 0, 0)},       {0, 0, QRect(10, 80, 0, 0)},
        {25, 93, QRect(10, 80, 1, 1)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ListGeometryAfterResize(list, c.cx, c.cy), c.expected) << c.cx << "x" << c.cy;
    }
}

TEST(MinimizedIcon, CentresWithHalvesRoundedUpAndTruncatesTowardZero) {
    struct Case {
        QSize client;
        QPoint expected;
    };
    const Case cases[] = {
        {QSize(100, 50), QPoint(34, 9)},  // (100-32+1)/2, (50-32+1)/2
        {QSize(33, 33), QPoint(1, 1)},
        {QSize(32, 32), QPoint(0, 0)},
        {QSize(0, 0), QPoint(-15, -15)},  // -31/2 truncates to -15
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MinimizedIconOrigin(c.client, QSize(32, 32)), c.expected) << c.client.width();
    }
}

TEST_F(MainWindowTest, WindowCarriesTheProgramIcon) {
    CRankingDlg dlg;
    dlg.show();
    const QIcon icon = dlg.windowIcon();
    EXPECT_FALSE(icon.pixmap(32, 32).isNull());
    EXPECT_FALSE(icon.pixmap(16, 16).isNull());
    QIcon dragIcon;
    EventArgs args;
    args.icon = &dragIcon;
    dlg.Dispatch(DialogEvent::kQueryDragIcon, kThisWindow, args);
    EXPECT_EQ(dragIcon.cacheKey(), icon.cacheKey());
}

}  // namespace
