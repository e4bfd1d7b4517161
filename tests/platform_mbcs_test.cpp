#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>

#include "platform/mbcs.h"

namespace {

using namespace std::string_literals;

struct FindCase {
    const char* label;
    std::string text;
    std::string token;
    std::ptrdiff_t position;
};

void PrintTo(const FindCase& c, std::ostream* os) { *os << c.label; }

class FindTokenTest : public testing::TestWithParam<FindCase> {};

TEST_P(FindTokenTest, FindsFirstOccurrenceAtACharacterStart) {
    const FindCase& c = GetParam();
    EXPECT_EQ(platform::FindToken(c.text, c.token), c.position);
}

// "\x83\x54" is the two-byte character SA, whose second byte is an ASCII 'T'.
INSTANTIATE_TEST_SUITE_P(
    Cases, FindTokenTest,
    testing::Values(
        FindCase{"plain", "ab<TD>cd<TD>", "<TD>", 2}, FindCase{"at start", "<TR>x", "<TR>", 0},
        FindCase{"case sensitive", "<td>", "<TD>", -1}, FindCase{"empty token", "abc", "", -1},
        FindCase{"token longer than text", "<T", "<TR>", -1}, FindCase{"empty text", "", ">", -1},
        FindCase{"second byte never matches", "\x83T\">", "T\">", -1},
        FindCase{"next character start matches", "\x83T\">T\">", "T\">", 4},
        FindCase{"half-width kana is one byte", "\xB1T", "T", 1},
        FindCase{"two-byte token", "a\x93\x8c\x8f\xd8", "\x8f\xd8", 3},
        FindCase{"zero byte hides the rest", "ab\0cd"s, "cd", -1},
        FindCase{"match before zero byte", "ab\0ab"s, "ab", 0},
        FindCase{"zero as second byte hides the rest", "\x81\0cd"s, "cd", -1},
        FindCase{"token holding a zero byte", "a\0b"s, "\0b"s, -1},
        FindCase{"lone lead byte at the end", "ab\x81", "x", -1}),
    [](const testing::TestParamInfo<FindCase>& info) {
        std::string name = info.param.label;
        for (char& ch : name) {
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        }
        return name;
    });

TEST(UpToZero, CutsAtFirstZeroByte) {
    EXPECT_EQ(platform::UpToZero("ab\0cd\0"s), "ab");
    EXPECT_EQ(platform::UpToZero("abc"), "abc");
    EXPECT_EQ(platform::UpToZero("\0x"s), "");
}

TEST(Conversion, JapaneseNameRoundTrips) {
    const std::string sjis =
        "code1234\x93\x8c\x8f\xd8"
        "1\x95\x94.csv";  // code1234東証1部.csv
    const std::string utf8 = "code1234東証1部.csv";
    EXPECT_EQ(platform::ToUtf8(sjis), utf8);
    EXPECT_EQ(platform::FromUtf8(utf8), sjis);
}

TEST(Conversion, FollowsCodePage932) {
    // 0x5C is a backslash and 0x81 0x60 the full-width tilde in code page 932.
    EXPECT_EQ(platform::ToUtf8("\x5C\x81\x60"), "\\\uFF5E");
    EXPECT_EQ(platform::FromUtf8("\\\uFF5E"), "\x5C\x81\x60");
    // Half-width katakana are single bytes.
    EXPECT_EQ(platform::ToUtf8("\xB1"), "\uFF71");
}

TEST(Conversion, KeepsBytesThatDoNotConvert) {
    // A lone lead byte at the end and a byte outside the code page stay as
    // they are, so that a converted file name never loses a byte.
    const std::string odd =
        "a\xFD"
        "b\x81";
    EXPECT_EQ(platform::ToUtf8(odd), odd);
    EXPECT_EQ(platform::FromUtf8(platform::ToUtf8(odd)), odd);
    // A character that code page 932 lacks becomes '?'; invalid UTF-8 passes.
    EXPECT_EQ(platform::FromUtf8("x\U0001F600y"), "x?y");
    EXPECT_EQ(platform::FromUtf8("x\xFFy"), "x\xFFy");
    EXPECT_EQ(platform::ToUtf8(""), "");
}

}  // namespace
