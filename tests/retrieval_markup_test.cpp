#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "retrieval/markup.h"

namespace {

struct Case {
    const char* what;
    std::string in;
    std::string out;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.what; }

class NormalizeTagsTest : public testing::TestWithParam<Case> {};

TEST_P(NormalizeTagsTest, UpperCasesInsideTagsOnly) {
    std::string text = GetParam().in;
    NormalizeTags(text);
    EXPECT_EQ(text, GetParam().out);
    EXPECT_EQ(text.size(), GetParam().in.size());
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Cases, NormalizeTagsTest,
    testing::Values(
        Case{"empty", "", ""}, Case{"no tag", "plain text, a > b", "plain text, a > b"},
        Case{"cell with attribute", "<td nowrap align=\"right\">+12 yen</td>",
             "<TD NOWRAP ALIGN=\"RIGHT\">+12 yen</TD>"},
        Case{"mixed case", "<Tr><tD>x</Td></tR>", "<TR><TD>x</TD></TR>"},
        Case{"lt inside a tag opens nothing", "<a <b>c</a>", "<A <B>c</A>"},
        Case{"gt outside changes nothing", "a>b<i>c>d", "a>b<I>c>d"},
        Case{"quotes not recognised", "<a title=\"x>y\">z<b>", "<A TITLE=\"X>y\">z<B>"},
        Case{"comment up to its first gt", "<!-- note -> x --> tail", "<!-- NOTE -> x --> tail"},
        Case{"script lt opens a tag", "<script>if (a<b) c=d;</script>",
             "<SCRIPT>if (a<B) C=D;</SCRIPT>"},
        Case{"unclosed tag runs to the end", "ok <open tag and more", "ok <OPEN TAG AND MORE"},
        Case{"high bytes kept inside tags", "<a title=\"\xC5\xEC\xBE\xDA\">\xA4\xA2</a>",
             "<A TITLE=\"\xC5\xEC\xBE\xDA\">\xA4\xA2</A>"},
        Case{"zero byte is just a byte", "<a\0b>c\0d"s, "<A\0B>c\0d"s},
        Case{"digits and punctuation kept", "<td width=50%>a1</td>", "<TD WIDTH=50%>a1</TD>"}),
    [](const testing::TestParamInfo<Case>& info) { return "case" + std::to_string(info.index); });

}  // namespace
