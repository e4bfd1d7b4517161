#include "capture/page_parser.h"

#include "capture/ranking_record.h"
#include "capture/text_cursor.h"

static_assert(kPageMarker.size() == 90, "the page marker is 90 bytes");

namespace {

constexpr int kRowsPerPage = 20;

// Tokens of the fields whose cells differ between the two ranking kinds.
struct KindTokens {
    std::string_view changeStart;
    std::string_view changeEnd;
    std::string_view rateStart;
    std::string_view rateEnd;
};

constexpr KindTokens kKind0{"NOWRAP>", "</TD>", "NOWRAP>", "</TD>"};
constexpr KindTokens kKind1{"RED>", "</FONT></TD>", "RED>", "</FONT>%</TD>"};

}  // namespace

std::string ParsePage(std::string_view page, int kind, std::string_view stem) {
    CTextCursor cursor{std::string(page)};
    // The ranking table stands between the first two markers.
    cursor.SkipPast(kPageMarker);
    cursor.TruncateAt(kPageMarker);
    std::string lines;
    // Always twenty rows: a missing row reads as an empty one.
    for (int i = 0; i < kRowsPerPage; ++i) {
        lines += ParseRow(cursor.Extract("<TR>", "</TR>"), kind, stem);
    }
    return lines;
}

std::string ParseRow(std::string_view row, int kind, std::string_view stem) {
    const KindTokens& tokens = kind == 0 ? kKind0 : kKind1;
    CTextCursor cursor{std::string(row)};
    RankingRecord record;
    record.rank = cursor.ExtractInt(">", "</TD>");
    record.code = cursor.ExtractInt("T\">", "</A></TD>");
    record.market = cursor.ExtractField(">", "</TD>");
    record.name = cursor.ExtractField(">", "</TD>");
    // The two notes are not written anywhere, but reading them moves the
    // cursor past the fifth cell, from where the figures are found.
    record.note1 = cursor.ExtractField(">", "<BR");
    record.note2 = cursor.ExtractField(">", "</TD>");
    record.price = cursor.ExtractNumber(">", "</TD>");
    record.change = cursor.ExtractField(tokens.changeStart, tokens.changeEnd);
    record.rate = cursor.ExtractField(tokens.rateStart, tokens.rateEnd);
    record.volume = cursor.ExtractNumber(">", "</TD>");
    std::string line = FormatRecordLine(record);
    AppendHistoryLine(record, stem);
    return line;
}
