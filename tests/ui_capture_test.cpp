// A capture through the window's Fetch button against the local sample
// portal: requests, files, progress bar, buttons, and file errors.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "capture/ranking_record.h"
#include "platform/clock.h"
#include "platform/mbcs.h"
#include "res/resource.h"
#include "tests/support/temp_dir.h"
#include "tests/ui_support.h"
#include "tools/sample-portal/sample_portal.h"
#include "ui/ranking_dlg.h"

namespace {

using testing_support::ReadBytes;
using testing_support::ScopedTempDir;
using testing_support::ShowActive;
using testing_support::WriteBytes;

constexpr const char* kDaily = "20050314am.csv";
constexpr const char* kStem = "20050314am";

std::string Crlf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

class CaptureTest : public ::testing::Test {
  protected:
    void Start() {
        const std::string base = portal_.BaseUrl();
        dlg_ = std::make_unique<CRankingDlg>(ServiceHosts{base, base, base});
        dlg_->SetFileErrorBox([this](const QString& caption, const QString& text) {
            messages_.push_back({caption.toStdString(), text.toStdString()});
        });
        dlg_->SetShellOpen([](std::string_view) { ADD_FAILURE() << "nothing opens here"; });
        ASSERT_TRUE(ShowActive(*dlg_));
        box_ = qobject_cast<QLineEdit*>(dlg_->Control(IDC_FILENAME));
        fetch_ = qobject_cast<QPushButton*>(dlg_->Control(IDC_FETCH));
        open_ = qobject_cast<QPushButton*>(dlg_->Control(IDC_OPEN));
        bar_ = qobject_cast<QProgressBar*>(dlg_->Control(IDC_PROGRESS));
        QObject::connect(bar_, &QProgressBar::valueChanged, [this](int value) {
            positions_.push_back(value);
            fetchEnabledDuringRun_ = fetchEnabledDuringRun_ || fetch_->isEnabled();
        });
    }

    std::vector<std::string> ExpectedRequests() const {
        std::vector<std::string> paths;
        for (int kind = 0; kind < 2; ++kind) {
            for (int offset = 1; offset <= 181; offset += 20) {
                paths.push_back(portal_.PageUrl(kind, offset).substr(portal_.BaseUrl().size()));
            }
        }
        return paths;
    }

    ScopedTempDir dir_;
    platform::ScopedClockOverride clock_{platform::LocalTime{2005, 3, 14, 10, 0, 0}};
    sample_portal::Portal portal_;
    std::unique_ptr<CRankingDlg> dlg_;
    QLineEdit* box_ = nullptr;
    QPushButton* fetch_ = nullptr;
    QPushButton* open_ = nullptr;
    QProgressBar* bar_ = nullptr;
    std::vector<int> positions_;
    bool fetchEnabledDuringRun_ = false;
    std::vector<std::pair<std::string, std::string>> messages_;
};

TEST_F(CaptureTest, WholeCaptureWritesTheDailyAndHistoryFiles) {
    Start();
    ASSERT_TRUE(fetch_->isEnabled());
    ASSERT_FALSE(open_->isEnabled());
    QTest::mouseClick(fetch_, Qt::LeftButton);

    EXPECT_EQ(portal_.RequestLog(), ExpectedRequests());
    EXPECT_EQ(ReadBytes(kDaily), Crlf(portal_.ExpectedDailyLines()));

    // One history line per row, in capture order, each with the snapshot stem.
    std::map<std::string, std::string> history;
    for (int kind = 0; kind < 2; ++kind) {
        for (int offset = 1; offset <= 181; offset += 20) {
            const auto keys = portal_.ExpectedHistoryKeys(kind, offset);
            const auto lines = Lines(portal_.ExpectedRecordLines(kind, offset));
            ASSERT_EQ(keys.size(), 20u);
            ASSERT_EQ(lines.size(), 20u);
            for (std::size_t i = 0; i < keys.size(); ++i) {
                history[HistoryFileName(keys[i].first, keys[i].second)] +=
                    std::string(kStem) + "," + lines[i] + "\r\n";
            }
        }
    }
    for (const auto& [name, content] : history) {
        EXPECT_EQ(ReadBytes(std::filesystem::u8path(platform::ToUtf8(name))), content) << name;
    }

    std::vector<int> expected;
    for (int round = 0; round < 2; ++round) {
        for (int offset = 1; offset <= 181; offset += 20) expected.push_back(offset);
    }
    expected.push_back(200);
    EXPECT_EQ(positions_, expected);
    EXPECT_EQ(bar_->maximum(), 200);
    EXPECT_FALSE(fetchEnabledDuringRun_);

    EXPECT_FALSE(fetch_->isEnabled());
    EXPECT_TRUE(open_->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), open_);
    EXPECT_TRUE(messages_.empty());
}

TEST_F(CaptureTest, WithThePortalDownEveryRowIsZero) {
    portal_.Stop();
    Start();
    QTest::mouseClick(fetch_, Qt::LeftButton);

    std::string zeros;
    std::string history;
    for (int i = 0; i < 400; ++i) {
        zeros += "0,0000,,,0,,,0\r\n";
        history += std::string(kStem) + ",0,0000,,,0,,,0\r\n";
    }
    EXPECT_EQ(ReadBytes(kDaily), zeros);
    EXPECT_EQ(ReadBytes("code0000.csv"), history);
    EXPECT_EQ(positions_.back(), 200);
    EXPECT_FALSE(fetch_->isEnabled());
    EXPECT_TRUE(open_->isEnabled());
    EXPECT_TRUE(messages_.empty());
}

TEST_F(CaptureTest, CaptureIntoAnExistingDailyFileReplacesItsLines) {
    std::string old;
    for (int i = 0; i < 1000; ++i) old += "9,9999,old,old,9,9,9,9\r\n";
    WriteBytes(kDaily, old);
    Start();
    ASSERT_FALSE(fetch_->isEnabled());  // the rule keeps Fetch off for an existing file
    dlg_->OnFetch();
    EXPECT_EQ(ReadBytes(kDaily), Crlf(portal_.ExpectedDailyLines()));
    EXPECT_FALSE(fetch_->isEnabled());
    EXPECT_TRUE(open_->isEnabled());
}

TEST_F(CaptureTest, DailyFileGoneAtTheEndLeavesFetchEnabledAndOpenDisabled) {
    Start();
    QObject::connect(bar_, &QProgressBar::valueChanged, [](int value) {
        if (value == 200) std::filesystem::remove(kDaily);  // someone removes it under the run
    });
    QTest::mouseClick(fetch_, Qt::LeftButton);
    EXPECT_FALSE(std::filesystem::exists(kDaily));
    EXPECT_TRUE(fetch_->isEnabled());
    EXPECT_FALSE(open_->isEnabled());
    EXPECT_TRUE(messages_.empty());
}

TEST_F(CaptureTest, CloseRequestDuringARunIsHonouredAfterIt) {
    Start();
    bool closedAtOnce = true;
    bool asked = false;
    QObject::connect(bar_, &QProgressBar::valueChanged, [&] {
        if (asked) return;
        asked = true;
        closedAtOnce = dlg_->close();  // as the window system's close box would
    });
    QTest::mouseClick(fetch_, Qt::LeftButton);
    EXPECT_TRUE(asked);
    EXPECT_FALSE(closedAtOnce);
    EXPECT_EQ(portal_.RequestLog().size(), 20u);  // the capture ran to its end
    EXPECT_EQ(ReadBytes(kDaily), Crlf(portal_.ExpectedDailyLines()));
    EXPECT_FALSE(dlg_->isVisible());
    EXPECT_EQ(dlg_->result(), QDialog::Rejected);
}

TEST_F(CaptureTest, FullDiskForTheDailyFileStopsTheRun) {
    Start();
    box_->setText("/dev/full");
    dlg_->OnFetch();
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].first, "ui_capture_test");
    EXPECT_EQ(messages_[0].second, "/dev/full へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。");
    EXPECT_EQ(portal_.RequestLog().size(), 1u);  // no page after the failing one
    EXPECT_FALSE(fetch_->isEnabled());
    EXPECT_TRUE(dlg_->isVisible());
}

TEST_F(CaptureTest, FullDiskForAHistoryFileLeavesTheButtonsAsTheyWere) {
    const auto first = portal_.ExpectedHistoryKeys(0, 1).front();
    const std::string history = HistoryFileName(first.first, first.second);
    std::filesystem::create_symlink("/dev/full",
                                    std::filesystem::u8path(platform::ToUtf8(history)));
    Start();
    ASSERT_TRUE(fetch_->isEnabled());
    ASSERT_FALSE(open_->isEnabled());
    QTest::mouseClick(fetch_, Qt::LeftButton);

    ASSERT_EQ(messages_.size(), 1u);
    const std::string path = (dir_.path() / platform::ToUtf8(history)).string();
    EXPECT_EQ(messages_[0].second, path + " へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。");
    EXPECT_EQ(portal_.RequestLog().size(), 1u);
    EXPECT_EQ(ReadBytes(kDaily), "");  // the failing page's lines never reached the daily file
    // Fetch stays disabled; the availability rule did not run, so Open keeps its state.
    EXPECT_FALSE(fetch_->isEnabled());
    EXPECT_FALSE(open_->isEnabled());
    EXPECT_TRUE(positions_.empty());
    EXPECT_TRUE(dlg_->isVisible());
}

TEST_F(CaptureTest, DailyFileThatCannotBeOpenedIsReportedAndFetchComesBack) {
    Start();
    box_->setText("no-such-folder/x.csv");
    ASSERT_TRUE(fetch_->isEnabled());
    QTest::mouseClick(fetch_, Qt::LeftButton);
    ASSERT_EQ(messages_.size(), 1u);
    const std::string path = (dir_.path() / "no-such-folder/x.csv").string();
    EXPECT_EQ(messages_[0].second, path + " へのｱｸｾｽ中に不明なｴﾗｰが発生しました。");
    EXPECT_TRUE(portal_.RequestLog().empty());
    EXPECT_TRUE(fetch_->isEnabled());
    EXPECT_FALSE(open_->isEnabled());
}

}  // namespace
