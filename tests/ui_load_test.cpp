// Loading a daily file into the list: columns, history counts, item data,
// short lines, and files that cannot be opened or read.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "capture/fetch_run.h"
#include "capture/ranking_record.h"
#include "platform/clock.h"
#include "platform/mbcs.h"
#include "res/resource.h"
#include "tests/support/temp_dir.h"
#include "tests/ui_support.h"
#include "tools/sample-portal/sample_portal.h"
#include "ui/ranking_dlg.h"

namespace {

using testing_support::ScopedTempDir;
using testing_support::ShowActive;
using testing_support::WriteBytes;

constexpr const char* kDaily = "20050314am.csv";

std::filesystem::path Sys(const std::string& cp932) {
    return std::filesystem::u8path(platform::ToUtf8(cp932));
}

// Shift_JIS bytes of a UTF-8 text.
std::string Sjis(const std::string& utf8) { return platform::FromUtf8(utf8); }

class LoadTest : public ::testing::Test {
  protected:
    void Start() {
        dlg_ = std::make_unique<CRankingDlg>(
            ServiceHosts{"http://r.test", "http://q.test", "http://p.test"});
        dlg_->SetFileErrorBox([this](const QString&, const QString& text) {
            messages_.push_back(text.toStdString());
        });
        ASSERT_TRUE(ShowActive(*dlg_));
        box_ = qobject_cast<QLineEdit*>(dlg_->Control(IDC_FILENAME));
        open_ = qobject_cast<QPushButton*>(dlg_->Control(IDC_OPEN));
        list_ = qobject_cast<QTableWidget*>(dlg_->Control(IDC_LIST));
    }
    void Load(const std::string& utf8Name) {
        box_->setText(QString::fromStdString(utf8Name));
        dlg_->OnOpen();
    }
    // The row's nine column texts, as UTF-8; "<none>" for a cell without an item.
    std::vector<std::string> Row(int row) const {
        std::vector<std::string> cells;
        for (int c = 0; c < 9; ++c) {
            const QTableWidgetItem* item = list_->item(row, c);
            cells.push_back(item ? item->text().toStdString() : "<none>");
        }
        return cells;
    }

    ScopedTempDir dir_;
    platform::ScopedClockOverride clock_{platform::LocalTime{2005, 3, 14, 10, 0, 0}};
    std::unique_ptr<CRankingDlg> dlg_;
    QLineEdit* box_ = nullptr;
    QPushButton* open_ = nullptr;
    QTableWidget* list_ = nullptr;
    std::vector<std::string> messages_;
};

TEST_F(LoadTest, CapturedFileShowsEveryRowWithItsHistoryCount) {
    sample_portal::Portal portal;
    ASSERT_TRUE(RunCapture(kDaily, portal.SearchAddress(), {}));
    const std::string daily = portal.ExpectedDailyLines();
    std::vector<std::vector<std::string>> lines;
    std::map<std::pair<std::string, std::string>, int> appearances;  // (code, market) -> rows
    for (std::size_t start = 0, end; (end = daily.find('\n', start)) != std::string::npos;
         start = end + 1) {
        lines.push_back(SplitFields(daily.substr(start, end - start)));
        ++appearances[{lines.back()[1], lines.back()[2]}];
    }
    ASSERT_EQ(lines.size(), 400u);
    int inBothRankings = 0;
    for (std::size_t i = 0; i < 200; ++i) {
        for (std::size_t j = 200; j < 400; ++j) {
            if (lines[i][1] == lines[j][1] && lines[i][2] == lines[j][2]) ++inBothRankings;
        }
    }
    ASSERT_GT(inBothRankings, 0) << "the sample data should hold a stock in both rankings";

    Start();
    ASSERT_TRUE(open_->isEnabled());
    auto check = [&](int factor) {
        ASSERT_EQ(list_->rowCount(), 400);
        for (int r = 0; r < 400; ++r) {
            const auto& f = lines[static_cast<std::size_t>(r)];
            const int count = appearances[{f[1], f[2]}] * factor;
            const std::vector<std::string> expected = {
                platform::ToUtf8(f[0]), platform::ToUtf8(f[1]), platform::ToUtf8(f[2]),
                platform::ToUtf8(f[3]), platform::ToUtf8(f[4]), platform::ToUtf8(f[6]),
                std::to_string(count),  platform::ToUtf8(f[7]), "0"};
            ASSERT_EQ(Row(r), expected) << "row " << r;
            ASSERT_EQ(dlg_->RowItemData(r), std::stoi(f[1])) << "row " << r;
        }
    };
    QTest::mouseClick(open_, Qt::LeftButton);
    check(1);
    QTest::mouseClick(open_, Qt::LeftButton);  // loading again shows the rows once
    check(1);

    // Another capture appends to every history file; a new load shows it.
    ASSERT_TRUE(RunCapture("20050314pm.csv", portal.SearchAddress(), {}));
    check(1);  // rows keep the counts of their load
    QTest::mouseClick(open_, Qt::LeftButton);
    check(2);
    EXPECT_TRUE(messages_.empty());
}

TEST_F(LoadTest, LinesBecomeRowsWithTheirHistoryCounts) {
    const std::string tosho = Sjis("東証1部");
    WriteBytes(Sys(HistoryFileName(1, tosho)), "a\r\nb\r\nc");  // last line without a line end
    WriteBytes(Sys(HistoryFileName(12, "M")), "");
    WriteBytes(Sys(HistoryFileName(0, "")), "x\r\n");
    std::string daily;
    daily += "1,0001," + tosho + "," + Sjis("銘柄Ａ") + ",1200,+30,2.56%,1500\r\n";
    daily += "2,12a,M,B,7,-1,-0.5%,99\r\n";
    daily += "3,0005,X,C,1,2,3,4,extra,more\r\n";
    daily += "\r\n";
    daily += "5,0007,Y\r\n";
    WriteBytes(kDaily, daily);
    Start();
    Load(kDaily);

    using Cells = std::vector<std::string>;
    const std::pair<Cells, int> expected[] = {
        {{"1", "0001", "東証1部", "銘柄Ａ", "1200", "2.56%", "3", "1500", "0"}, 1},
        {{"2", "12a", "M", "B", "7", "-0.5%", "0", "99", "0"}, 12},
        {{"3", "0005", "X", "C", "1", "3", "-1", "4", "0"}, 5},
        {{"", "", "", "", "", "", "1", "", "0"}, 0},  // an empty line: code 0, no market
        {{"5", "0007", "Y", "", "", "", "-1", "", "0"}, 7},
    };
    ASSERT_EQ(list_->rowCount(), static_cast<int>(std::size(expected)));
    for (int r = 0; r < list_->rowCount(); ++r) {
        EXPECT_EQ(Row(r), expected[r].first) << "row " << r;
        EXPECT_EQ(dlg_->RowItemData(r), expected[r].second) << "row " << r;
    }
    // Right-aligned numbers, left-aligned texts.
    EXPECT_EQ(list_->item(0, 4)->textAlignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(list_->item(0, 3)->textAlignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    EXPECT_TRUE(messages_.empty());
}

TEST_F(LoadTest, DailyFileThatDoesNotOpenClearsTheList) {
    WriteBytes(kDaily, "1,0001,M,A,1,2,3,4\r\n");
    std::filesystem::create_directory("folder.csv");
    Start();
    Load(kDaily);
    ASSERT_EQ(list_->rowCount(), 1);
    Load("folder.csv");
    EXPECT_TRUE(open_->isEnabled());
    EXPECT_EQ(list_->rowCount(), 0);
    EXPECT_TRUE(messages_.empty());
}

TEST_F(LoadTest, ReadErrorInTheDailyFileStopsTheLoad) {
    Start();
    Load("/proc/self/mem");  // opens, but reading its first page fails
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], "/proc/self/mem へのｱｸｾｽ中に不明なｴﾗｰが発生しました。");
    EXPECT_EQ(list_->rowCount(), 0);
    EXPECT_TRUE(dlg_->isVisible());
}

TEST_F(LoadTest, ReadErrorInAHistoryFileKeepsTheRowsSoFar) {
    std::filesystem::create_symlink("/proc/self/mem", Sys(HistoryFileName(2, "B")));
    WriteBytes(kDaily, "1,0001,A,x,1,2,3,4\r\n2,0002,B,y,5,6,7,8\r\n3,0003,C,z,1,1,1,1\r\n");
    Start();
    Load(kDaily);
    ASSERT_EQ(messages_.size(), 1u);
    const std::string path = (dir_.path() / "code0002B.csv").string();
    EXPECT_EQ(messages_[0], path + " へのｱｸｾｽ中に不明なｴﾗｰが発生しました。");
    ASSERT_EQ(list_->rowCount(), 2);
    EXPECT_EQ(Row(0)[6], "-1");
    // The failing row keeps every column but the count.
    EXPECT_EQ(Row(1),
              (std::vector<std::string>{"2", "0002", "B", "y", "5", "7", "<none>", "8", "0"}));
    EXPECT_EQ(dlg_->RowItemData(1), 2);
}

}  // namespace
