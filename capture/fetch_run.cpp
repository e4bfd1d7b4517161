#include "capture/fetch_run.h"

#include <cstdio>
#include <string>

#include "capture/page_parser.h"
#include "capture/ranking_record.h"
#include "platform/mbcs.h"
#include "platform/text_file.h"
#include "retrieval/page_fetcher.h"

namespace {

// Query tails of the two ranking kinds; they differ only in kd. The percent
// signs are escapes of the address, so these are never used as formats.
constexpr const char* kKindSuffix[2] = {
    "&mk=11%2c%2012%2c%2021%2c%2022%2c%2031%2c%2032%2c%2043%2c%2047%2c%2083%2c%2087%2c%2094%2c%"
    "2017%2c%20A1%2c%20A7%2c%2037&kd=1&ca=1&tm=day&",
    "&mk=11%2c%2012%2c%2021%2c%2022%2c%2031%2c%2032%2c%2043%2c%2047%2c%2083%2c%2087%2c%2094%2c%"
    "2017%2c%20A1%2c%20A7%2c%2037&kd=2&ca=1&tm=day&",
};

constexpr int kFirstOffset = 1;
constexpr int kLastOffset = 181;
constexpr int kOffsetStep = 20;
constexpr int kProgressEnd = 200;

// A page holds its ranking table between two markers.
bool HasRankingTable(std::string_view page) {
    const std::ptrdiff_t first = platform::FindToken(page, kPageMarker);
    if (first < 0) return false;
    const std::string_view rest = page.substr(static_cast<std::size_t>(first) + kPageMarker.size());
    return platform::FindToken(rest, kPageMarker) >= 0;
}

}  // namespace

std::string RankingSearchAddress(std::string_view rankingHost) {
    std::string address(rankingHost);
    address += "/ranking/search?b=";
    return address;
}

std::string RankingPageAddress(std::string_view searchAddress, int offset, int kind) {
    const std::string search(searchAddress);
    const char* suffix = kKindSuffix[kind == 0 ? 0 : 1];
    const int length = std::snprintf(nullptr, 0, "%s%d%s", search.c_str(), offset, suffix);
    std::string address(static_cast<std::size_t>(length), '\0');
    std::snprintf(address.data(), address.size() + 1, "%s%d%s", search.c_str(), offset, suffix);
    return address;
}

bool RunCapture(std::string_view dailyFileName, std::string_view searchAddress,
                const std::function<void(int position)>& progress) {
    platform::TextFile daily;
    if (!daily.Open(dailyFileName, platform::TextFile::Mode::kWrite)) return false;

    const std::string stem = SnapshotStem(dailyFileName);
    for (int kind = 0; kind < 2; ++kind) {
        for (int offset = kFirstOffset; offset <= kLastOffset; offset += kOffsetStep) {
            const std::string address = RankingPageAddress(searchAddress, offset, kind);
            std::string lines;
            {
                CPageFetcher fetcher(address);
                // A failed or broken download leaves an empty or partial text
                // and is reported by the fetcher, once; a whole body without a
                // table is reported here.
                fetcher.Fetch();
                const std::string page = fetcher.ToShiftJis(fetcher.GetText());
                if (fetcher.Complete() && !HasRankingTable(page)) {
                    std::fprintf(stderr, "rankelle: %s: no ranking table\n", address.c_str());
                }
                lines = ParsePage(page, kind, stem);
            }
            daily.Write(lines);
            if (progress) progress(offset);
        }
    }
    if (progress) progress(kProgressEnd);
    daily.Close();
    return true;
}
