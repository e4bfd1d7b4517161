#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "capture/page_parser.h"
#include "capture/ranking_record.h"
#include "capture/text_cursor.h"
#include "platform/mbcs.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace std::string_literals;
using testing_support::ReadBytes;
using testing_support::ScopedTempDir;

using Files = std::map<std::string, std::string>;  // on-disk name -> bytes

const std::string kStem = "20261211AM";
const std::string kZeroLine = "0,0000,,,0,,,0\n";

std::string Fixture(const std::string& name) {
    const std::string bytes = ReadBytes(std::filesystem::path(RANKELLE_FIXTURES) / name);
    if (bytes.empty()) ADD_FAILURE() << "missing fixture " << name;
    return bytes;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t lf; (lf = text.find('\n', from)) != std::string::npos; from = lf + 1) {
        lines.push_back(text.substr(from, lf + 1 - from));
    }
    EXPECT_EQ(from, text.size()) << "text does not end with a line feed";
    return lines;
}

std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line;
    return text;
}

// Every file of the working directory with its bytes.
Files FilesOnDisk() {
    Files files;
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        files[entry.path().filename().string()] = ReadBytes(entry.path());
    }
    return files;
}

// The history files that the given record lines must leave behind, each
// holding its lines in order, with the stem and CR LF line ends.
void AddHistory(Files& files, const std::string& lines, const std::string& stem) {
    for (const std::string& line : Lines(lines)) {
        const auto fields = SplitFields(line);
        const std::string name = HistoryFileName(DecimalValue(fields[1]), fields[2]);
        files[platform::ToUtf8(name)] += stem + "," + line.substr(0, line.size() - 1) + "\r\n";
    }
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

std::string ZeroLines(int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += kZeroLine;
    return text;
}

TEST(ParsePage, BothKindsGiveTheirTwentyLinesAndHistoryLines) {
    ScopedTempDir dir;
    const std::string expected0 = Fixture("ranking_kind0.lines");
    const std::string expected1 = Fixture("ranking_kind1.lines");
    testing::internal::CaptureStderr();
    EXPECT_EQ(ParsePage(Fixture("ranking_kind0.html"), 0, kStem), expected0);
    EXPECT_EQ(ParsePage(Fixture("ranking_kind1.html"), 1, kStem), expected1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    Files expected;
    AddHistory(expected, expected0, kStem);
    AddHistory(expected, expected1, kStem);
    // Both pages rank the same twenty stocks: each file holds one line per kind.
    EXPECT_EQ(expected.size(), 20u);
    EXPECT_EQ(FilesOnDisk(), expected);
}

TEST(ParsePage, AnyKindButZeroReadsAsKindOne) {
    ScopedTempDir dir;
    const std::string page = Fixture("ranking_kind1.html");
    const std::string expected = Fixture("ranking_kind1.lines");
    EXPECT_EQ(ParsePage(page, 2, kStem), expected);
    EXPECT_EQ(ParsePage(page, -1, kStem), expected);
}

struct NoTableCase {
    const char* label;
    std::string (*page)();
};

void PrintTo(const NoTableCase& c, std::ostream* os) { *os << c.label; }

class PageWithoutTableTest : public testing::TestWithParam<NoTableCase> {};

// Every row is empty: twenty zero lines, and twenty history lines in code0000.csv.
TEST_P(PageWithoutTableTest, GivesTwentyZeroLines) {
    ScopedTempDir dir;
    EXPECT_EQ(ParsePage(GetParam().page(), 0, kStem), ZeroLines(20));
    Files expected;
    AddHistory(expected, ZeroLines(20), kStem);
    EXPECT_EQ(FilesOnDisk(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PageWithoutTableTest,
    testing::Values(NoTableCase{"empty_page", [] { return std::string(); }},
                    NoTableCase{"crlf_line_ends",
                                [] {
                                    std::string page;
                                    for (const char c : Fixture("ranking_kind0.html")) {
                                        if (c == '\n') page += '\r';
                                        page += c;
                                    }
                                    return page;
                                }},
                    NoTableCase{"one_marker_only",
                                [] {
                                    const std::string page = Fixture("ranking_kind0.html");
                                    return page.substr(0, page.rfind(kPageMarker));
                                }},
                    NoTableCase{"zero_byte_between_markers",
                                [] {
                                    return Replace(Fixture("ranking_kind0.html"), "</TR>\n<TR>",
                                                   "</TR>\n\0<TR>"s);
                                }}),
    [](const testing::TestParamInfo<NoTableCase>& info) { return std::string(info.param.label); });

TEST(ParsePage, HeadingRowTakesThePlaceOfTheFirstRow) {
    ScopedTempDir dir;
    const std::string page =
        Replace(Fixture("ranking_kind0.html"), "<TABLE BORDER=1 CELLPADDING=2>\n",
                "<TABLE BORDER=1 CELLPADDING=2>\n<TR CLASS=HEAD><TH>#</TH><TH>CODE</TH></TR>\n");
    std::vector<std::string> lines = Lines(Fixture("ranking_kind0.lines"));
    const std::string lastRow = lines.back();
    lines.pop_back();
    lines.insert(lines.begin(), kZeroLine);
    EXPECT_EQ(ParsePage(page, 0, kStem), Join(lines));

    Files expected;
    AddHistory(expected, Join(lines), kStem);
    EXPECT_EQ(FilesOnDisk(), expected);
    // The last real row is never read.
    Files lost;
    AddHistory(lost, lastRow, kStem);
    EXPECT_EQ(expected.count(lost.begin()->first), 0u);
}

TEST(ParsePage, MissingRowsAreEmptyRows) {
    ScopedTempDir dir;
    // Keep the first three rows of the table.
    std::string page = Fixture("ranking_kind0.html");
    const std::size_t first = page.find(kPageMarker) + kPageMarker.size();
    std::size_t cut = first;
    for (int i = 0; i < 3; ++i) cut = page.find("</TR>", cut) + 5;
    page = page.substr(0, cut) + "\n</TABLE>\n" + std::string(kPageMarker);
    std::vector<std::string> lines = Lines(Fixture("ranking_kind0.lines"));
    lines.resize(3);
    EXPECT_EQ(ParsePage(page, 0, kStem), Join(lines) + ZeroLines(17));
    EXPECT_EQ(ReadBytes("code0000.csv").size(), 17 * (kStem.size() + 1 + kZeroLine.size() + 1));
}

TEST(ParseRow, KindActsOnlyFromTheChangeOn) {
    ScopedTempDir dir;
    const std::string row =
        "<TD>3</TD><TD><A HREF=\"/Q?S=1234.T\">1234</A></TD><TD>M</TD><TD>N</TD>"
        "<TD>a<BR>b</TD><TD>1,500</TD>"
        "<TD NOWRAP>+1</TD><TD NOWRAP>+2%</TD>"
        "<TD><FONT COLOR=RED>+3</FONT></TD><TD><FONT COLOR=RED>+4</FONT>%</TD>"
        "<TD>9,000</TD>";
    const auto kind0 = SplitFields(ParseRow(row, 0, "s"));
    const auto kind1 = SplitFields(ParseRow(row, 1, "s"));
    ASSERT_EQ(kind0.size(), 8u);
    ASSERT_EQ(kind1.size(), 8u);
    EXPECT_EQ(std::vector(kind0.begin(), kind0.begin() + 5),
              (std::vector<std::string>{"3", "1234", "M", "N", "1500"}));
    EXPECT_EQ(std::vector(kind1.begin(), kind1.begin() + 5),
              std::vector(kind0.begin(), kind0.begin() + 5));
    EXPECT_EQ(kind0[5], "+1");
    EXPECT_EQ(kind0[6], "+2%");
    EXPECT_EQ(kind1[5], "+3");
    EXPECT_EQ(kind1[6], "+4");
    // Kind 0 stops earlier, so its volume is the next cell's figure.
    EXPECT_EQ(kind0[7], "0\n");
    EXPECT_EQ(kind1[7], "9000\n");
    EXPECT_EQ(ReadBytes("code1234M.csv"),
              "s,3,1234,M,N,1500,+1,+2%,0\r\ns,3,1234,M,N,1500,+3,+4,9000\r\n");
}

}  // namespace
