// Time to parse one prepared ranking page: the table cut out of the page,
// twenty rows read field by field, twenty record lines, twenty history lines
// appended in a temporary working directory.
#include <benchmark/benchmark.h>

#include <string>

#include "capture/page_parser.h"
#include "tests/support/temp_dir.h"

namespace {

// Shift_JIS texts for the cells.
const std::string kTosho1 =
    "\x93\x8c\x8f\xd8"
    "1\x95\x94";                                                         // 東証1部
const std::string kName = "\x83g\x83\x88\x83^\x8e\xa9\x93\xae\x8e\xd4";  // トヨタ自動車
const std::string kChart = "\x83`\x83\x83\x81[\x83g";                    // チャート

// Links of the kind a portal puts around every row, to give the page its weight.
std::string Links(int code, std::size_t bytes) {
    std::string cell = "<TD NOWRAP CLASS=LINKS>";
    while (cell.size() < bytes) {
        cell += "<A HREF=\"HTTP://QUOTE.EXAMPLE.INVALID/Q?S=" + std::to_string(code) +
                ".T&amp;D=C\">" + kChart + "</A> | ";
    }
    return cell + "</TD>";
}

std::string Row(int rank, int kind, std::size_t padding) {
    const int code = 1300 + rank * 17;
    std::string row = "<TR>\n<TD ALIGN=CENTER>" + std::to_string(rank) + "</TD>\n";
    row += "<TD ALIGN=CENTER><A HREF=\"HTTP://QUOTE.EXAMPLE.INVALID/Q?S=" + std::to_string(code) +
           ".T\">" + std::to_string(code) + "</A></TD>\n";
    row += "<TD ALIGN=CENTER>" + kTosho1 + "</TD>\n<TD>" + kName + "</TD>\n";
    row += "<TD><SMALL>15:00<BR>" + kName + "</SMALL></TD>\n<TD ALIGN=RIGHT>12,345</TD>\n";
    if (kind == 0) {
        row += "<TD ALIGN=RIGHT NOWRAP>+120</TD>\n<TD ALIGN=RIGHT NOWRAP>+5.25%</TD>\n";
    } else {
        row +=
            "<TD ALIGN=RIGHT><FONT COLOR=RED>-120</FONT></TD>\n"
            "<TD ALIGN=RIGHT><FONT COLOR=RED>-5.25</FONT>%</TD>\n";
    }
    row += "<TD ALIGN=RIGHT>1,234,500</TD>\n" + Links(code, padding) + "\n</TR>\n";
    return row;
}

// A prepared page of about `bytes` bytes: a heavy head, the table between the
// two markers, a footer. A quarter of the weight is outside the table.
std::string Page(int kind, std::size_t bytes) {
    std::string head = "<HTML><HEAD><TITLE>RANKING</TITLE></HEAD><BODY>\n";
    while (head.size() < bytes / 5)
        head += "<TABLE><TR><TD>" + Links(1301, 200) + "</TD></TR></TABLE>\n";
    std::string page = head + std::string(kPageMarker) + "<TABLE BORDER=1>\n";
    const std::size_t rowPadding = bytes * 3 / 4 / 20;
    for (int rank = 1; rank <= 20; ++rank) page += Row(rank, kind, rowPadding);
    page += "</TABLE>\n" + std::string(kPageMarker);
    while (page.size() < bytes) page += "<P>" + Links(1301, 200) + "</P>\n";
    return page + "</BODY></HTML>\n";
}

void BM_ParsePage(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0));
    const std::string page = Page(kind, 60 * 1024);
    testing_support::ScopedTempDir dir;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ParsePage(page, kind, "20261211AM"));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
    state.counters["page_bytes"] = static_cast<double>(page.size());
}
BENCHMARK(BM_ParsePage)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The same page at growing sizes: time per byte must stay flat (linear parse).
void BM_ParsePageSize(benchmark::State& state) {
    const std::string page = Page(0, static_cast<std::size_t>(state.range(0)));
    testing_support::ScopedTempDir dir;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ParsePage(page, 0, "20261211AM"));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_ParsePageSize)
    ->RangeMultiplier(4)
    ->Range(16 << 10, 4 << 20)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
