#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "capture/ranking_record.h"
#include "platform/mbcs.h"
#include "platform/text_file.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace std::string_literals;
using testing_support::ReadBytes;
using testing_support::ScopedTempDir;
using testing_support::WriteBytes;

// Shift_JIS texts used below.
const std::string kTosho1 =
    "\x93\x8c\x8f\xd8"
    "1\x95\x94";                                                           // 東証1部
const std::string kToyota = "\x83g\x83\x88\x83^\x8e\xa9\x93\xae\x8e\xd4";  // トヨタ自動車

RankingRecord Toyota() {
    RankingRecord r;
    r.rank = 1;
    r.code = 7203;
    r.market = kTosho1;
    r.name = kToyota;
    r.note1 = "15:00";
    r.note2 = "note";
    r.price = 6120;
    r.change = "+120";
    r.rate = "+2.00%";
    r.volume = 12345600;
    return r;
}

struct LineCase {
    const char* label;
    RankingRecord record;
    std::string line;
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.label; }

class RecordLineTest : public testing::TestWithParam<LineCase> {};

TEST_P(RecordLineTest, FormatsEightFields) {
    EXPECT_EQ(FormatRecordLine(GetParam().record), GetParam().line);
}

RankingRecord WithCode(int32_t code) {
    RankingRecord r;
    r.code = code;
    return r;
}

RankingRecord WithZeroBytes() {
    RankingRecord r = Toyota();
    r.market = kTosho1 + "\0junk"s;
    r.name = "\0hidden"s;
    r.rate = "+2%\0,x"s;
    return r;
}

RankingRecord WithExtremes() {
    RankingRecord r;
    r.rank = std::numeric_limits<int32_t>::min();
    r.code = std::numeric_limits<int32_t>::max();
    r.price = -1;
    r.volume = std::numeric_limits<int32_t>::max();
    r.name = "a\nb";
    return r;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordLineTest,
    testing::Values(LineCase{"all_zero", RankingRecord{}, "0,0000,,,0,,,0\n"},
                    LineCase{"full_row", Toyota(),
                             "1,7203," + kTosho1 + "," + kToyota + ",6120,+120,+2.00%,12345600\n"},
                    LineCase{"code_padded", WithCode(7), "0,0007,,,0,,,0\n"},
                    LineCase{"code_five_digits", WithCode(12345), "0,12345,,,0,,,0\n"},
                    LineCase{"code_negative", WithCode(-5), "0,-005,,,0,,,0\n"},
                    LineCase{"code_negative_long", WithCode(-12345), "0,-12345,,,0,,,0\n"},
                    LineCase{"texts_end_at_zero_byte", WithZeroBytes(),
                             "1,7203," + kTosho1 + ",,6120,+120,+2%,12345600\n"},
                    LineCase{"extremes_and_line_feed_in_text", WithExtremes(),
                             "-2147483648,2147483647,,a\nb,-1,,,2147483647\n"}),
    [](const testing::TestParamInfo<LineCase>& info) { return std::string(info.param.label); });

struct NameCase {
    const char* label;
    int32_t code;
    std::string market;
    std::string name;
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.label; }

class HistoryFileNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(HistoryFileNameTest, BuildsPlainNameInWorkingDirectory) {
    EXPECT_EQ(HistoryFileName(GetParam().code, GetParam().market), GetParam().name);
}

// "\x83\x5C" (katakana SO) ends in the byte of a backslash and stays whole.
INSTANTIATE_TEST_SUITE_P(
    Cases, HistoryFileNameTest,
    testing::Values(NameCase{"empty_row", 0, "", "code0000.csv"},
                    NameCase{"japanese_market", 7203, kTosho1, "code7203" + kTosho1 + ".csv"},
                    NameCase{"padded", 7, "X", "code0007X.csv"},
                    NameCase{"long_code", 12345, "", "code12345.csv"},
                    NameCase{"negative_code", -5, "", "code-005.csv"},
                    NameCase{"parent_folders", 1, "../../x", "code0001.._.._x.csv"},
                    NameCase{"absolute_path", 1, "/etc/passwd", "code0001_etc_passwd.csv"},
                    NameCase{"control_bytes", 1, "a\nb\rc\td\x1F", "code0001a_b_c_d_.csv"},
                    NameCase{"cut_at_zero_byte", 1, "a\0/../b"s, "code0001a.csv"},
                    NameCase{"second_byte_backslash_kept", 1, "\x83\x5C", "code0001\x83\x5C.csv"}),
    [](const testing::TestParamInfo<NameCase>& info) { return std::string(info.param.label); });

TEST(SnapshotStem, TakesTextBeforeFirstDot) {
    EXPECT_EQ(SnapshotStem("20261211AM.csv"), "20261211AM");
    EXPECT_EQ(SnapshotStem("a.b.csv"), "a");
    EXPECT_EQ(SnapshotStem("noext"), "");
    EXPECT_EQ(SnapshotStem(".csv"), "");
    EXPECT_EQ(SnapshotStem(""), "");
    EXPECT_EQ(SnapshotStem("dir/day.csv"), "dir/day");
    // The search goes by characters: the lead byte 0x81 takes the '.' after it along.
    EXPECT_EQ(SnapshotStem("\x81.x.csv"), "\x81.x");
    EXPECT_EQ(SnapshotStem("ab\0.csv"s), "");
}

TEST(SplitFields, SplitsAtEveryComma) {
    using Fields = std::vector<std::string>;
    EXPECT_EQ(SplitFields(""), Fields{""});
    EXPECT_EQ(SplitFields("abc"), Fields{"abc"});
    EXPECT_EQ(SplitFields(",a,,b,"), (Fields{"", "a", "", "b", ""}));
    EXPECT_EQ(SplitFields(" a , b"), (Fields{" a ", " b"}));
    const std::string line = FormatRecordLine(Toyota());
    const Fields record = SplitFields(line.substr(0, line.size() - 1));
    EXPECT_EQ(record,
              (Fields{"1", "7203", kTosho1, kToyota, "6120", "+120", "+2.00%", "12345600"}));
    EXPECT_EQ(SplitFields("stem," + line.substr(0, line.size() - 1)).size(), 9u);
}

TEST(AppendHistoryLine, AppendsStemAndRecordLineInTextMode) {
    ScopedTempDir dir;
    // Names on disk are UTF-8.
    const std::string name = platform::ToUtf8(HistoryFileName(7203, kTosho1));
    WriteBytes(name, "old,line\r\n");
    testing::internal::CaptureStderr();
    AppendHistoryLine(Toyota(), "20261211AM");
    AppendHistoryLine(Toyota(), "");
    AppendHistoryLine(RankingRecord{}, "20261211PM\0junk"s);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    const std::string line = "1,7203," + kTosho1 + "," + kToyota + ",6120,+120,+2.00%,12345600\r\n";
    EXPECT_EQ(ReadBytes(name), "old,line\r\n20261211AM," + line + "," + line);
    EXPECT_EQ(ReadBytes("code0000.csv"), "20261211PM,0,0000,,,0,,,0\r\n");
}

TEST(AppendHistoryLine, HostileMarketStaysInWorkingDirectory) {
    ScopedTempDir dir;
    std::filesystem::create_directory("inner");
    std::filesystem::current_path("inner");
    RankingRecord r;
    r.code = 1;
    r.market = "../x";
    AppendHistoryLine(r, "s");
    std::filesystem::current_path(dir.path());
    EXPECT_EQ(ReadBytes("inner/code0001.._x.csv"), "s,0,0001,../x,,0,,,0\r\n");
    EXPECT_FALSE(std::filesystem::exists("x.csv"));
}

TEST(AppendHistoryLine, HeldFileIsSkippedWithOneLineOnStandardError) {
    ScopedTempDir dir;
    WriteBytes("code0000.csv", "");
    platform::TextFile holder;
    ASSERT_TRUE(holder.Open("code0000.csv", platform::TextFile::Mode::kRead));
    testing::internal::CaptureStderr();
    AppendHistoryLine(RankingRecord{}, "s");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("code0000.csv"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    holder.Close();
    EXPECT_EQ(ReadBytes("code0000.csv"), "");
}

TEST(AppendHistoryLine, FailedWriteThrowsFileError) {
    ScopedTempDir dir;
    std::filesystem::create_symlink("/dev/full", "code0000.csv");
    try {
        AppendHistoryLine(RankingRecord{}, "s");
        FAIL() << "a write to a full disk must throw";
    } catch (const platform::FileError& e) {
        EXPECT_EQ(e.cause(), platform::FileError::Cause::kDiskFull);
        EXPECT_EQ(e.fullPath(), (dir.path() / "code0000.csv").string());
    }
}

struct CountCase {
    const char* label;
    const char* disk;  // nullptr: no history file
    int count;
};

void PrintTo(const CountCase& c, std::ostream* os) { *os << c.label; }

class CountHistoryLinesTest : public testing::TestWithParam<CountCase> {};

TEST_P(CountHistoryLinesTest, CountsLinesOfTheFile) {
    ScopedTempDir dir;
    const std::string name = platform::ToUtf8(HistoryFileName(7203, kTosho1));
    if (GetParam().disk) WriteBytes(name, GetParam().disk);
    EXPECT_EQ(CountHistoryLines(7203, kTosho1), GetParam().count);
}

INSTANTIATE_TEST_SUITE_P(Cases, CountHistoryLinesTest,
                         testing::Values(CountCase{"absent", nullptr, -1},
                                         CountCase{"empty", "", 0},
                                         CountCase{"three_lines", "a,1\r\nb,2\r\nc,3\r\n", 3},
                                         CountCase{"last_line_without_lf", "a\r\nb\r\nc", 3},
                                         CountCase{"empty_lines_count", "\r\n\r\n", 2},
                                         CountCase{"ctrl_z_ends_the_file",
                                                   "a\r\n\x1A"
                                                   "b\r\n",
                                                   1}),
                         [](const testing::TestParamInfo<CountCase>& info) {
                             return std::string(info.param.label);
                         });

TEST(CountHistoryLines, FileHeldElsewhereOrFolderCountsMinusOne) {
    ScopedTempDir dir;
    WriteBytes("code0001A.csv", "x\r\n");
    std::filesystem::create_directory("code0002A.csv");
    platform::TextFile holder;
    ASSERT_TRUE(holder.Open("code0001A.csv", platform::TextFile::Mode::kRead));
    EXPECT_EQ(CountHistoryLines(1, "A"), -1);
    EXPECT_EQ(CountHistoryLines(2, "A"), -1);
    holder.Close();
    EXPECT_EQ(CountHistoryLines(1, "A"), 1);
}

TEST(CountHistoryLines, AgreesWithAppends) {
    // Three snapshots, one capture each; the reader finds the writer's file
    // by the same hostile-market-safe name.
    ScopedTempDir dir;
    RankingRecord r = Toyota();
    r.market = "a/b";
    for (const char* stem : {"d1", "d2", "d3"}) AppendHistoryLine(r, stem);
    EXPECT_EQ(CountHistoryLines(r.code, r.market), 3);
    EXPECT_EQ(CountHistoryLines(r.code, "a"), -1);
}

}  // namespace
