#include <gtest/gtest.h>
#include <iconv.h>

#include <ostream>
#include <string>

#include "platform/mbcs.h"
#include "retrieval/euc_to_sjis.h"

namespace {

using namespace std::string_literals;

struct Case {
    const char* what;
    std::string euc;
    std::string sjis;
};

std::string Hex(const std::string& s) {
    std::string out;
    char buf[4];
    for (unsigned char c : s) {
        std::snprintf(buf, sizeof buf, "%02X ", c);
        out += buf;
    }
    return out;
}

void PrintTo(const Case& c, std::ostream* os) { *os << c.what; }

class ToShiftJisTest : public testing::TestWithParam<Case> {};

TEST_P(ToShiftJisTest, ConvertsByArithmetic) {
    const Case& c = GetParam();
    const std::string input = c.euc;
    EXPECT_EQ(Hex(ToShiftJis(input)), Hex(c.sjis)) << c.what;
    EXPECT_EQ(input, c.euc);  // the argument is left alone
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ToShiftJisTest,
    testing::Values(Case{"empty", "", ""}, Case{"ascii", "<TR>abc 123,\n", "<TR>abc 123,\n"},
                    Case{"ideographic space", "\xA1\xA1", "\x81\x40"},
                    Case{"hiragana a", "\xA4\xA2", "\x82\xA0"},
                    Case{"katakana a", "\xA5\xA2", "\x83\x41"},
                    Case{"first level-1 kanji", "\xB0\xA1", "\x88\x9F"},
                    Case{"row 0x5F jumps past 0x9F", "\xDF\xA1", "\xE0\x40"},
                    Case{"last code", "\xFE\xFE", "\xEF\xFC"},
                    Case{"odd row cell 0x5F", "\xA1\xDF", "\x81\x7E"},
                    Case{"odd row cell 0x60", "\xA1\xE0", "\x81\x80"},
                    Case{"half-width katakana", "\x8E\xB1", "\xB1"},
                    Case{"0x8E takes any follower",
                         "\x8E"
                         "A",
                         "A"},
                    Case{"JIS X 0212 prefix copied", "\x8F\xA2\xAF", "\x8F\x81\xAD"},
                    Case{"pair without form, ascii lost",
                         "\xA4"
                         "A"
                         "B",
                         "\0\0B"s},
                    Case{"dangling lead at end", "ab\xA4", "ab\0\0"s},
                    Case{"dangling 0x8E at end", "ab\x8E", "ab\0"s},
                    Case{"bytes copied unchanged", "\x80\x8D\x8F\xA0\xFF\x00\x7F"s,
                         "\x80\x8D\x8F\xA0\xFF\x00\x7F"s},
                    Case{"mixed text",
                         "<TD>\xC5\xEC\xBE\xDA"
                         "1\xC9\xF4</TD>",
                         "<TD>\x93\x8C\x8F\xD8"
                         "1\x95\x94</TD>"}),
    [](const testing::TestParamInfo<Case>& info) { return "case" + std::to_string(info.index); });

// Every row/cell pair lands in the documented Shift_JIS ranges, and wherever
// glibc's converter knows the character, we agree with it byte for byte.
TEST(ToShiftJisTest, AgreesWithIconvOverJisX0208) {
    iconv_t cd = iconv_open("SHIFT_JIS", "EUC-JP");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    int compared = 0;
    for (unsigned b = 0xA1; b <= 0xFE; ++b) {
        for (unsigned t = 0xA1; t <= 0xFE; ++t) {
            const std::string euc{static_cast<char>(b), static_cast<char>(t)};
            const std::string ours = ToShiftJis(euc);
            ASSERT_EQ(ours.size(), 2u);
            const auto s1 = static_cast<unsigned char>(ours[0]);
            const auto s2 = static_cast<unsigned char>(ours[1]);
            EXPECT_TRUE((s1 >= 0x81 && s1 <= 0x9F) || (s1 >= 0xE0 && s1 <= 0xEF)) << Hex(euc);
            EXPECT_TRUE(platform::IsLeadByte(s1)) << Hex(euc);
            EXPECT_TRUE((s2 >= 0x40 && s2 <= 0x7E) || (s2 >= 0x80 && s2 <= 0xFC)) << Hex(euc);

            char in[2] = {euc[0], euc[1]};
            char out[8];
            char* inp = in;
            char* outp = out;
            size_t inLeft = 2;
            size_t outLeft = sizeof out;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            const size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
            if (r != static_cast<size_t>(-1) && inLeft == 0 && outp - out == 2) {
                EXPECT_EQ(Hex(ours), Hex(std::string(out, 2))) << "EUC " << Hex(euc);
                ++compared;
            }
        }
    }
    iconv_close(cd);
    // The JIS X 0208 repertoire holds 6879 characters; make sure the
    // comparison really covered it rather than skipping everything.
    EXPECT_GE(compared, 6800);
}

}  // namespace
