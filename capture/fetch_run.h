// One whole capture: twenty ranking pages into the daily file and the history files.
#pragma once

#include <functional>
#include <string>
#include <string_view>

// The ranking search address of a service host ("http://host[:port]"):
// host + "/ranking/search?b=".
std::string RankingSearchAddress(std::string_view rankingHost);

// Address of one page: search address, offset in decimal, the kind's suffix.
std::string RankingPageAddress(std::string_view searchAddress, int offset, int kind);

// Opens (creates or empties) the daily file, then for kind 0 and kind 1 and
// the offsets 1, 21, ..., 181 downloads, converts and parses each page, writes
// its twenty lines to the daily file and calls progress(offset); finally
// progress(200) and closes the daily file. History lines carry
// SnapshotStem(dailyFileName).
//
// Returns false, having fetched nothing, when the daily file cannot be
// opened. A failed write or close throws platform::FileError at that point;
// the files in use are closed on the way out.
bool RunCapture(std::string_view dailyFileName, std::string_view searchAddress,
                const std::function<void(int position)>& progress);
