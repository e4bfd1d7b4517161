// The default daily file name and the rule that ties Fetch and Open to the
// existence of the boxed name.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "platform/clock.h"
#include "res/resource.h"
#include "tests/support/temp_dir.h"
#include "tests/ui_support.h"
#include "ui/ranking_dlg.h"

namespace {

using testing_support::ScopedTempDir;
using testing_support::ShowActive;
using testing_support::WriteBytes;

TEST(DefaultDailyFileName, DateAndHalfOfTheDay) {
    struct Case {
        platform::LocalTime time;
        const char* name;
    };
    const Case cases[] = {
        {{2005, 3, 14, 0, 0, 0}, "20050314am.csv"},    {{2005, 3, 14, 12, 30, 0}, "20050314am.csv"},
        {{2005, 3, 14, 12, 59, 59}, "20050314am.csv"}, {{2005, 3, 14, 13, 0, 0}, "20050314pm.csv"},
        {{2005, 3, 14, 23, 59, 0}, "20050314pm.csv"},  {{2005, 1, 5, 9, 0, 0}, "20050105am.csv"},
        {{2012, 12, 31, 18, 0, 0}, "20121231pm.csv"},
    };
    for (const Case& c : cases) {
        ScopedTempDir dir;
        platform::ScopedClockOverride clock(c.time);
        CRankingDlg dlg;
        dlg.show();
        auto* box = qobject_cast<QLineEdit*>(dlg.Control(IDC_FILENAME));
        EXPECT_EQ(box->text().toStdString(), c.name);
    }
}

class FileNameTest : public ::testing::Test {
  protected:
    static constexpr const char* kDefault = "20050314am.csv";

    void Start() {
        dlg_ = std::make_unique<Dlg>();
        ASSERT_TRUE(ShowActive(*dlg_));
        box_ = qobject_cast<QLineEdit*>(dlg_->Control(IDC_FILENAME));
        fetch_ = qobject_cast<QPushButton*>(dlg_->Control(IDC_FETCH));
        open_ = qobject_cast<QPushButton*>(dlg_->Control(IDC_OPEN));
    }
    QWidget* Focus() const { return QApplication::focusWidget(); }

    // Counts how often the rule ran.
    struct Dlg : CRankingDlg {
        int changes = 0;
        void OnChangeFileName() override {
            ++changes;
            CRankingDlg::OnChangeFileName();
        }
    };

    ScopedTempDir dir_;
    platform::ScopedClockOverride clock_{platform::LocalTime{2005, 3, 14, 10, 0, 0}};
    std::unique_ptr<Dlg> dlg_;
    QLineEdit* box_ = nullptr;
    QPushButton* fetch_ = nullptr;
    QPushButton* open_ = nullptr;
};

TEST_F(FileNameTest, StartWithoutTheDailyFile) {
    Start();
    EXPECT_EQ(dlg_->changes, 1);  // the start-up's own text change
    EXPECT_TRUE(fetch_->isEnabled());
    EXPECT_FALSE(open_->isEnabled());
    EXPECT_EQ(Focus(), box_);
}

TEST_F(FileNameTest, StartWithTheDailyFileOrAFolderOfThatName) {
    for (bool folder : {false, true}) {
        SCOPED_TRACE(folder ? "folder" : "file");
        if (folder) {
            std::filesystem::remove(kDefault);
            std::filesystem::create_directory(kDefault);
        } else {
            WriteBytes(kDefault, "");
        }
        Start();
        EXPECT_EQ(dlg_->changes, 1);
        EXPECT_FALSE(fetch_->isEnabled());
        EXPECT_TRUE(open_->isEnabled());
        EXPECT_EQ(Focus(), box_);  // the focus ends on the first tab stop
    }
}

TEST_F(FileNameTest, ChangingTheBoxFollowsTheNamesExistence) {
    WriteBytes("other.csv", "x\n");
    std::filesystem::create_directory("folder");
    Start();
    ASSERT_TRUE(fetch_->isEnabled());

    // A name that does not exist: Open disabled, Fetch and focus untouched.
    box_->setText("missing.csv");
    EXPECT_TRUE(fetch_->isEnabled());
    EXPECT_FALSE(open_->isEnabled());
    EXPECT_EQ(Focus(), box_);

    // An existing name: Fetch disabled, Open enabled and focused.
    box_->setText("other.csv");
    EXPECT_FALSE(fetch_->isEnabled());
    EXPECT_TRUE(open_->isEnabled());
    EXPECT_EQ(Focus(), open_);

    // Back to a new name: Open disabled, Fetch stays disabled.
    box_->setFocus();
    box_->setText("new.csv");
    EXPECT_FALSE(fetch_->isEnabled());
    EXPECT_FALSE(open_->isEnabled());
    EXPECT_EQ(Focus(), box_);

    // A folder counts as existing; the empty text names nothing.
    box_->setText("folder");
    EXPECT_TRUE(open_->isEnabled());
    box_->setFocus();
    box_->clear();
    EXPECT_FALSE(open_->isEnabled());
    EXPECT_FALSE(fetch_->isEnabled());
    EXPECT_EQ(Focus(), box_);
}

TEST_F(FileNameTest, ClearingTheBoxLeavesFetchEnabled) {
    Start();
    box_->clear();
    EXPECT_TRUE(fetch_->isEnabled());
    EXPECT_FALSE(open_->isEnabled());
}

TEST_F(FileNameTest, TypingStopsGoingIntoTheBoxOnceTheNameExists) {
    WriteBytes("ab", "");
    Start();
    box_->clear();
    for (Qt::Key key : {Qt::Key_A, Qt::Key_B, Qt::Key_C}) QTest::keyClick(Focus(), key);
    // After "ab" the rule enabled Open and moved the focus there; "c" went to Open.
    EXPECT_EQ(box_->text(), QStringLiteral("ab"));
    EXPECT_EQ(Focus(), open_);
    EXPECT_TRUE(open_->isEnabled());
    EXPECT_FALSE(fetch_->isEnabled());
}

TEST_F(FileNameTest, JapaneseNamesAreLookedUpInCodePage932) {
    // The box shows UTF-8; the file system holds the code page 932 name converted back.
    WriteBytes(std::filesystem::u8path("株価.csv"), "");
    Start();
    box_->setText(QStringLiteral("株価.csv"));
    EXPECT_TRUE(open_->isEnabled());
}

}  // namespace
