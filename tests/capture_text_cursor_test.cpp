#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>
#include <string>

#include "capture/text_cursor.h"

namespace {

using namespace std::string_literals;

// One cursor step on a fresh cursor: what it yields and what is left.
struct StepCase {
    const char* label;
    std::string text;
    enum Op { kSkipPast, kTruncateAt, kExtract } op;
    std::string start;  // the token of SkipPast / TruncateAt, or Extract's start token
    std::string end;    // Extract's end token
    std::string field;  // Extract's result
    std::string remaining;
};

void PrintTo(const StepCase& c, std::ostream* os) { *os << c.label; }

class CursorStepTest : public testing::TestWithParam<StepCase> {};

TEST_P(CursorStepTest, YieldsFieldAndRemainingText) {
    const StepCase& c = GetParam();
    CTextCursor cursor(c.text);
    switch (c.op) {
        case StepCase::kSkipPast:
            cursor.SkipPast(c.start);
            break;
        case StepCase::kTruncateAt:
            cursor.TruncateAt(c.start);
            break;
        case StepCase::kExtract:
            EXPECT_EQ(cursor.Extract(c.start, c.end), c.field);
            break;
    }
    EXPECT_EQ(cursor.Remaining(), c.remaining);
}

// "\x83T" is the katakana SA, whose second byte is an ASCII 'T'.
INSTANTIATE_TEST_SUITE_P(
    Cases, CursorStepTest,
    testing::Values(
        StepCase{"skip_present", "ab<TR>cd<TR>", StepCase::kSkipPast, "<TR>", "", "", "cd<TR>"},
        StepCase{"skip_absent_drops_L_minus_1", "abcdefg", StepCase::kSkipPast, "<TR>", "", "",
                 "defg"},
        StepCase{"skip_absent_one_byte_token", "abc", StepCase::kSkipPast, ">", "", "", "abc"},
        StepCase{"skip_absent_longer_than_text", "ab", StepCase::kSkipPast, "<TR>", "", "", ""},
        StepCase{"skip_to_the_very_end", "ab<TR>", StepCase::kSkipPast, "<TR>", "", "", ""},
        StepCase{"skip_behind_zero_byte", "a\0b<TR>cd"s, StepCase::kSkipPast, "<TR>", "", "",
                 "<TR>cd"},
        StepCase{"truncate_present", "ab<TR>cd<TR>", StepCase::kTruncateAt, "<TR>", "", "", "ab"},
        StepCase{"truncate_at_start", "<TR>cd", StepCase::kTruncateAt, "<TR>", "", "", ""},
        StepCase{"truncate_absent_empties", "abcd", StepCase::kTruncateAt, "<TR>", "", "", ""},
        StepCase{"truncate_behind_zero_byte", "a\0<TR>"s, StepCase::kTruncateAt, "<TR>", "", "",
                 ""},
        StepCase{"extract_plain", "<TD>12</TD>rest", StepCase::kExtract, ">", "</TD>", "12",
                 "rest"},
        StepCase{"extract_empty_text", "", StepCase::kExtract, ">", "</TD>", "", ""},
        StepCase{"extract_absent_one_byte_start", "12<BRx", StepCase::kExtract, ">", "<BR", "12",
                 "x"},
        StepCase{"extract_absent_start_begins_at_L_minus_1", "abcdef</A></TD>x", StepCase::kExtract,
                 "T\">", "</A></TD>", "cdef", "x"},
        StepCase{"extract_end_before_start", "a</B>b<I>c</B>", StepCase::kExtract, "<I>", "</B>",
                 "", "b<I>c</B>"},
        StepCase{"extract_absent_end", "ab>cdefg", StepCase::kExtract, ">", "</TD>", "", "defg"},
        StepCase{"extract_start_and_end_behind_zero", "ab\0<TD>x</TD>"s, StepCase::kExtract, "<TD>",
                 "</TD>", "", "TD>x</TD>"},
        StepCase{"extract_end_behind_zero", "<TD>x\0</TD>"s, StepCase::kExtract, "<TD>", "</TD>",
                 "", "x\0</TD>"s},
        StepCase{"code_token_not_matched_in_second_byte", "\x83T\">9</A></TD>", StepCase::kExtract,
                 "T\">", "</A></TD>", "\">9", ""},
        StepCase{"code_token_after_two_byte_character", "\x83T\"><A T\">9</A></TD>",
                 StepCase::kExtract, "T\">", "</A></TD>", "9", ""}),
    [](const testing::TestParamInfo<StepCase>& info) { return std::string(info.param.label); });

TEST(CursorSequence, StepsWorkOnWhatIsLeft) {
    // A table cut out between two markers, then read row by row: the cut end
    // must hold for every later search, and nothing past it may show up.
    CTextCursor cursor("head<TR>h</TR>|<TR>1</TR><TR>2</TR>|<TR>tail</TR>");
    cursor.SkipPast("|");
    cursor.TruncateAt("|");
    EXPECT_EQ(cursor.Remaining(), "<TR>1</TR><TR>2</TR>");
    EXPECT_EQ(cursor.Extract("<TR>", "</TR>"), "1");
    EXPECT_EQ(cursor.Extract("<TR>", "</TR>"), "2");
    EXPECT_EQ(cursor.Extract("<TR>", "</TR>"), "");
    EXPECT_EQ(cursor.Remaining(), "");
    cursor.SkipPast("<TR>");
    cursor.TruncateAt("x");
    EXPECT_EQ(cursor.Extract(">", "<"), "");
    EXPECT_EQ(cursor.Remaining(), "");
}

TEST(CursorSequence, RowWithoutOpeningTagLeft) {
    // No "<TR>" left but a "</TR>" still there: the row starts at the fourth byte.
    CTextCursor cursor("abcdef</TR>gh");
    EXPECT_EQ(cursor.Extract("<TR>", "</TR>"), "def");
    EXPECT_EQ(cursor.Remaining(), "gh");
}

TEST(CursorExtract, IntNumberAndFieldTreatCommasDifferently) {
    const std::string cell = "<TD>12,345</TD><TD>12,345</TD><TD>12,345</TD>";
    CTextCursor cursor(cell);
    EXPECT_EQ(cursor.ExtractInt(">", "</TD>"), 12);
    EXPECT_EQ(cursor.ExtractNumber(">", "</TD>"), 12345);
    EXPECT_EQ(cursor.ExtractField(">", "</TD>"), "12345");
    EXPECT_EQ(cursor.Remaining(), "");
    // Over nothing, every reading is empty or zero.
    EXPECT_EQ(cursor.ExtractInt(">", "</TD>"), 0);
    EXPECT_EQ(cursor.ExtractNumber(">", "</TD>"), 0);
    EXPECT_EQ(cursor.ExtractField(">", "</TD>"), "");
}

TEST(CursorExtract, FieldKeepsJapaneseAndDropsOnlyCommas) {
    // "\x83\x5C" (katakana SO) has a backslash as second byte; only real commas go.
    CTextCursor cursor("<TD>\x83\x5C,\x93\x8c, A</TD>");
    EXPECT_EQ(cursor.ExtractField(">", "</TD>"), "\x83\x5C\x93\x8c A");
}

struct ValueCase {
    std::string text;
    int32_t value;
};

class DecimalValueTest : public testing::TestWithParam<ValueCase> {};

TEST_P(DecimalValueTest, ReadsLeadingNumber) {
    EXPECT_EQ(DecimalValue(GetParam().text), GetParam().value) << '"' << GetParam().text << '"';
}

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

INSTANTIATE_TEST_SUITE_P(
    Cases, DecimalValueTest,
    testing::Values(ValueCase{"", 0}, ValueCase{"42", 42}, ValueCase{" \t\n\v\f\r12abc", 12},
                    ValueCase{"<B>5</B>", 0}, ValueCase{"x1", 0}, ValueCase{"-5", -5},
                    ValueCase{"+7", 7}, ValueCase{"- 5", 0}, ValueCase{"--5", 0}, ValueCase{"-", 0},
                    ValueCase{"0012", 12}, ValueCase{"1,234", 1}, ValueCase{"1 2", 1},
                    ValueCase{"\xEF\xBC\x91", 0},  // full-width digit
                    ValueCase{"2147483647", kMax}, ValueCase{"2147483648", kMax},
                    ValueCase{"-2147483648", kMin}, ValueCase{"-2147483649", kMin},
                    ValueCase{"99999999999999999999999999", kMax},
                    ValueCase{"-00000000000000000000000042", -42},
                    ValueCase{"-99999999999999999999999999", kMin}));

}  // namespace
