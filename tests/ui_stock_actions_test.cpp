// Selecting rows fills the code box; the stock buttons and a double-click
// hand addresses and history file names to the desktop's open action.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <string>
#include <vector>

#include "capture/ranking_record.h"
#include "platform/clock.h"
#include "platform/mbcs.h"
#include "res/resource.h"
#include "tests/support/temp_dir.h"
#include "tests/ui_support.h"
#include "ui/ranking_dlg.h"

namespace {

using testing_support::ScopedTempDir;
using testing_support::ShowActive;
using testing_support::WriteBytes;

std::string Sjis(const std::string& utf8) { return platform::FromUtf8(utf8); }

class StockActionsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Rows 0..3: codes 1234, 5, 12345, 42.
        WriteBytes("daily.csv", "1,1234," + Sjis("東証1部") + ",A,1,2,3,4\r\n" +
                                    "2,0005,M,B,1,2,3,4\r\n3,12345,N,C,1,2,3,4\r\n" +
                                    "4,0042,P,D,1,2,3,4\r\n");
        dlg_ = std::make_unique<CRankingDlg>(
            ServiceHosts{"http://rank.test", "http://quote.test", "http://price.test"});
        dlg_->SetShellOpen([this](std::string_view target) { opened_.emplace_back(target); });
        ASSERT_TRUE(ShowActive(*dlg_));
        code_ = qobject_cast<QLineEdit*>(dlg_->Control(IDC_CODE));
        list_ = qobject_cast<QTableWidget*>(dlg_->Control(IDC_LIST));
        qobject_cast<QLineEdit*>(dlg_->Control(IDC_FILENAME))->setText("daily.csv");
        dlg_->OnOpen();
        ASSERT_EQ(list_->rowCount(), 4);
    }
    void Click(int row, Qt::KeyboardModifiers mods = {}) {
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, mods, RowCentre(row));
    }
    QPoint RowCentre(int row) const { return list_->visualItemRect(list_->item(row, 1)).center(); }
    // What a window system delivers for a double-click: a click, then the double-click.
    void DoubleClick(QPoint at) {
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list_->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(list_->viewport(), Qt::LeftButton, {}, at);
    }
    void Press(int id) { QTest::mouseClick(dlg_->Control(id), Qt::LeftButton); }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = {}) { QTest::keyClick(list_, key, mods); }

    ScopedTempDir dir_;
    platform::ScopedClockOverride clock_{platform::LocalTime{2005, 3, 14, 10, 0, 0}};
    std::unique_ptr<CRankingDlg> dlg_;
    QLineEdit* code_ = nullptr;
    QTableWidget* list_ = nullptr;
    std::vector<std::string> opened_;
};

TEST_F(StockActionsTest, AddressesFromTheCodeBox) {
    code_->setText("1234");
    Press(IDC_TIMESERIES);
    Press(IDC_CHART);
    Press(IDC_DETAIL);
    EXPECT_EQ(opened_, (std::vector<std::string>{
                           "http://price.test/t?c=2005&a=12&b=1&f=2004&d=3&e=14&g=d&s=1234&y=0&z=",
                           "http://quote.test/q?s=1234&d=c&k=c4&z=m&t=1d",
                           "http://quote.test/q?s=1234&d=t",
                       }));
}

TEST_F(StockActionsTest, CodeBoxTextGoesIntoTheAddressUnchanged) {
    for (const char* text : {"", "12 34", "株A", "%d&x"}) {
        opened_.clear();
        code_->setText(QString::fromUtf8(text));
        Press(IDC_DETAIL);
        ASSERT_EQ(opened_.size(), 1u);
        EXPECT_EQ(opened_[0], "http://quote.test/q?s=" + Sjis(text) + "&d=t") << text;
    }
}

TEST_F(StockActionsTest, TimeSeriesLooksBackThreeMonths) {
    struct Case {
        int year, month, day;
        const char* query;
    };
    const Case cases[] = {
        {2005, 1, 31, "c=2005&a=10&b=1&f=2004&d=1&e=31"},
        {2005, 2, 1, "c=2005&a=11&b=1&f=2004&d=2&e=1"},
        {2005, 3, 14, "c=2005&a=12&b=1&f=2004&d=3&e=14"},
        {2005, 4, 9, "c=2005&a=1&b=1&f=2005&d=4&e=9"},
        {2005, 12, 25, "c=2005&a=9&b=1&f=2005&d=12&e=25"},
        {2000, 1, 1, "c=2000&a=10&b=1&f=1999&d=1&e=1"},
    };
    code_->setText("7");
    for (const Case& c : cases) {
        platform::ScopedClockOverride clock(platform::LocalTime{c.year, c.month, c.day, 9, 0, 0});
        opened_.clear();
        Press(IDC_TIMESERIES);
        ASSERT_EQ(opened_.size(), 1u);
        EXPECT_EQ(opened_[0], std::string("http://price.test/t?") + c.query + "&g=d&s=7&y=0&z=");
    }
}

TEST_F(StockActionsTest, SelectingARowWritesItsCodeWithAtLeastFourDigits) {
    Click(1);
    EXPECT_EQ(code_->text(), QStringLiteral("0005"));
    Click(2);
    EXPECT_EQ(code_->text(), QStringLiteral("12345"));
    Key(Qt::Key_Down);  // the keyboard selects too
    EXPECT_EQ(code_->text(), QStringLiteral("0042"));
    // A range ends on the row clicked, whatever rows it passes over.
    Click(1, Qt::ShiftModifier);
    ASSERT_EQ(list_->selectionModel()->selectedRows().size(), 3);
    EXPECT_EQ(code_->text(), QStringLiteral("0005"));
    EXPECT_TRUE(opened_.empty());
}

TEST_F(StockActionsTest, FocusMovingOntoASelectedRowWritesItsCode) {
    Click(0);
    Click(2, Qt::ControlModifier);  // rows 0 and 2 selected, focus on 2
    EXPECT_EQ(code_->text(), QStringLiteral("12345"));
    Key(Qt::Key_Up, Qt::ControlModifier);  // focus to row 1, not selected
    Key(Qt::Key_Up, Qt::ControlModifier);  // focus to row 0, selected
    EXPECT_EQ(code_->text(), QStringLiteral("1234"));
    ASSERT_EQ(list_->selectionModel()->selectedRows().size(), 2);

    // Deselecting a row leaves the box as it is.
    code_->setText("typed");
    Key(Qt::Key_Space, Qt::ControlModifier);  // row 0 deselected, focus stays
    EXPECT_FALSE(list_->selectionModel()->isRowSelected(0, {}));
    EXPECT_EQ(code_->text(), QStringLiteral("typed"));

    // Deselecting with the mouse, which also moves the focus onto the row.
    Click(0, Qt::ControlModifier);  // rows 0 and 2 selected, focus on 0
    ASSERT_EQ(code_->text(), QStringLiteral("1234"));
    Click(2, Qt::ControlModifier);  // row 2 deselected and focused
    EXPECT_FALSE(list_->selectionModel()->isRowSelected(2, {}));
    EXPECT_EQ(code_->text(), QStringLiteral("1234"));
}

TEST_F(StockActionsTest, OpenHistoryTakesTheFocusedRowOnlyWhenSelected) {
    Press(IDC_HISTORY);  // nothing selected
    EXPECT_TRUE(opened_.empty());

    Click(0);
    Click(2, Qt::ControlModifier);
    Press(IDC_HISTORY);
    EXPECT_EQ(opened_, (std::vector<std::string>{HistoryFileName(12345, "N")}));

    list_->setFocus();
    Key(Qt::Key_Up, Qt::ControlModifier);  // focused row 1 is not selected
    opened_.clear();
    Press(IDC_HISTORY);
    EXPECT_TRUE(opened_.empty());

    Key(Qt::Key_Up, Qt::ControlModifier);  // row 0: its market's own bytes name the file
    Press(IDC_HISTORY);
    EXPECT_EQ(opened_, (std::vector<std::string>{HistoryFileName(1234, Sjis("東証1部"))}));
}

TEST_F(StockActionsTest, DoubleClickOpensTheHistoryOfTheRowHit) {
    DoubleClick(RowCentre(3));
    EXPECT_EQ(opened_, (std::vector<std::string>{"code0042P.csv"}));
    // Below the rows nothing opens, even with a row selected and focused.
    opened_.clear();
    ASSERT_TRUE(list_->selectionModel()->isRowSelected(3, {}));
    QTest::mouseDClick(list_->viewport(), Qt::LeftButton, {},
                       QPoint(5, list_->viewport()->height() - 5));
    EXPECT_TRUE(opened_.empty());
    // Only the left button's double-click opens.
    for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
        QTest::mouseDClick(list_->viewport(), button, {}, RowCentre(3));
        EXPECT_TRUE(opened_.empty()) << button;
    }
}

TEST_F(StockActionsTest, CodeBoxSurvivesAnotherLoad) {
    Click(1);
    ASSERT_EQ(code_->text(), QStringLiteral("0005"));
    dlg_->OnOpen();
    EXPECT_EQ(code_->text(), QStringLiteral("0005"));
    EXPECT_EQ(list_->rowCount(), 4);

    // A code typed after selecting a row stays too: the rows that go away are
    // no selection of the user's.
    Click(2);
    code_->setText("7203");
    dlg_->OnOpen();
    EXPECT_EQ(code_->text(), QStringLiteral("7203"));
    EXPECT_EQ(list_->rowCount(), 4);
}

}  // namespace
