#include "capture/ranking_record.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/mbcs.h"
#include "platform/text_file.h"

namespace {

// How long a history append waits for a file that someone else holds open
// (for instance the loader counting its lines) before it gives up on the row.
constexpr int kHistoryWaitMs = 1000;

// An integer as printf's "%d" or "%04d" writes it.
void AppendInt(std::string& out, int32_t value, bool pad4) {
    char digits[16];
    const int n =
        std::snprintf(digits, sizeof digits, pad4 ? "%04d" : "%d", static_cast<int>(value));
    out.append(digits, static_cast<std::size_t>(n));
}

}  // namespace

std::string FormatRecordLine(const RankingRecord& record) {
    using platform::UpToZero;
    std::string line;
    line.reserve(64 + record.market.size() + record.name.size() + record.change.size() +
                 record.rate.size());
    AppendInt(line, record.rank, false);
    line += ',';
    AppendInt(line, record.code, true);
    line += ',';
    line += UpToZero(record.market);
    line += ',';
    line += UpToZero(record.name);
    line += ',';
    AppendInt(line, record.price, false);
    line += ',';
    line += UpToZero(record.change);
    line += ',';
    line += UpToZero(record.rate);
    line += ',';
    AppendInt(line, record.volume, false);
    line += '\n';
    return line;
}

std::string HistoryFileName(int32_t code, std::string_view market) {
    std::string name = "code";
    AppendInt(name, code, true);
    // The market comes from a web page: keep it a plain name in the working
    // directory, with no folder separator and no control characters. '/' and
    // bytes below 0x20 are never the second byte of a two-byte character, so
    // replacing them byte by byte leaves every Japanese character whole.
    for (const char c : platform::UpToZero(market)) {
        const auto b = static_cast<unsigned char>(c);
        name += (c == '/' || b < 0x20) ? '_' : c;
    }
    name += ".csv";
    return name;
}

std::string SnapshotStem(std::string_view boxText) {
    const std::ptrdiff_t dot = platform::FindToken(boxText, ".");
    if (dot <= 0) return {};
    return std::string(boxText.substr(0, static_cast<std::size_t>(dot)));
}

void AppendHistoryLine(const RankingRecord& record, std::string_view stem) {
    const std::string name = HistoryFileName(record.code, record.market);
    platform::TextFile file;
    if (!file.Open(name, platform::TextFile::Mode::kAppend, kHistoryWaitMs)) {
        const int err = errno;
        std::fprintf(stderr,
                     "rankelle: history file %s could not be opened (%s); row not recorded\n",
                     platform::ToUtf8(name).c_str(), std::strerror(err));
        return;
    }
    std::string line(platform::UpToZero(stem));
    line += ',';
    line += FormatRecordLine(record);
    // One write per line: with the file in append mode, the line lands whole at the end.
    file.Write(line);
    file.Close();
}

std::vector<std::string> SplitFields(std::string_view line) {
    std::vector<std::string> fields;
    // The comma is looked for character by character, like every search in
    // the program's texts.
    for (;;) {
        const std::ptrdiff_t comma = platform::FindToken(line, ",");
        if (comma < 0) break;
        fields.emplace_back(line.substr(0, static_cast<std::size_t>(comma)));
        line.remove_prefix(static_cast<std::size_t>(comma) + 1);
    }
    fields.emplace_back(line);
    return fields;
}

int CountHistoryLines(int32_t code, std::string_view market) {
    platform::TextFile file;
    if (!file.Open(HistoryFileName(code, market), platform::TextFile::Mode::kRead)) return -1;
    const std::int64_t lines = file.CountRemainingLines();
    file.Close();
    constexpr std::int64_t kMax = std::numeric_limits<int>::max();
    return static_cast<int>(lines > kMax ? kMax : lines);
}
