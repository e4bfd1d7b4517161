// The ranking record, its line form, and the daily and history CSV files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct RankingRecord {
    int32_t rank = 0;
    int32_t code = 0;
    std::string market;
    std::string name;
    std::string note1;
    std::string note2;
    int32_t price = 0;
    std::string change;
    std::string rate;
    int32_t volume = 0;
};

// "%d,%04d,%s,%s,%d,%s,%s,%d\n"; texts are written up to their first zero byte.
std::string FormatRecordLine(const RankingRecord& record);

// "code%04d%s.csv" with the market made safe as a plain file name in the
// working directory: its text up to the first zero byte, with '/' and bytes
// below 0x20 replaced by '_'. Writers and readers both use it.
std::string HistoryFileName(int32_t code, std::string_view market);

// The file-name box text up to, not including, its first '.' (searched
// character-wise); empty when there is none.
std::string SnapshotStem(std::string_view boxText);

// Appends "<stem>,<record line>" to the record's history file (created when
// absent). Throws platform::FileError when the write or close fails; a file
// that cannot be opened is skipped.
void AppendHistoryLine(const RankingRecord& record, std::string_view stem);

// The pieces of `line` between commas; N commas give N + 1 fields.
std::vector<std::string> SplitFields(std::string_view line);

// Number of lines in the history file of code and market, or -1 when it
// cannot be opened. Throws platform::FileError on a read error.
int CountHistoryLines(int32_t code, std::string_view market);
