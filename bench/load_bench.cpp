// Loading a daily file of 400 rows whose history files total about 70 MB:
// the loader's own work per row (read the line, split it, take the code, name
// and count the history file) next to `wc -l` over the same 400 files, both
// in one run with the files in the page cache.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "bench/capture_ratio.h"
#include "capture/ranking_record.h"
#include "capture/text_cursor.h"
#include "platform/mbcs.h"
#include "platform/text_file.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace {

constexpr int kRows = 400;
constexpr std::size_t kHistoryBytes = 175 * 1024;
constexpr const char* kDailyName = "20050314a.csv";

// Code page 932 texts as the portal's rows carry them.
const char* const kMarkets[] = {
    "\x93\x8c\x8f\xd8\x82\x50\x95\x94",                   // 東証１部
    "\x93\x8c\x8f\xd8\x82\x51\x95\x94",                   // 東証２部
    "\x83\x57\x83\x83\x83\x58\x83\x5f\x83\x62\x83\x4e"};  // ジャスダック
// 株式会社, テスト, 三井物産
const char* const kNames[] = {"\x8a\x94\x8e\xae\x89\xef\x8e\xd0", "\x83\x65\x83\x58\x83\x67",
                              "\x8e\x4f\x88\xe4\x95\xa8\x8e\x59"};

std::vector<std::string> g_historyNames;
std::int64_t g_historyLines = 0;

std::string RecordLine(int rank, int code, int variant) {
    char line[256];
    std::snprintf(line, sizeof line, "%d,%04d,%s,%s,%d,%+d,%+.2f%%,%d", rank, code,
                  kMarkets[code % 3], kNames[variant % 3], 1000 + variant * 7 % 90000,
                  variant % 200 - 100, (variant % 1000) / 100.0, 10000 + variant * 131);
    return line;
}

// The daily file and one history file per row, each about kHistoryBytes of
// CR LF history lines from earlier snapshots.
void WriteFiles() {
    std::ofstream daily(kDailyName, std::ios::binary);
    for (int row = 0; row < kRows; ++row) {
        const int code = 1300 + row * 17;
        daily << RecordLine(row % 200 + 1, code, row) << "\r\n";
        // Names are code page 932 texts; on disk they are UTF-8.
        const std::string name = platform::ToUtf8(HistoryFileName(code, kMarkets[code % 3]));
        g_historyNames.push_back(name);
        std::string text;
        for (int snapshot = 0; text.size() < kHistoryBytes; ++snapshot) {
            char stem[32];
            std::snprintf(stem, sizeof stem, "2004%02d%02d%c", snapshot / 62 % 12 + 1,
                          snapshot / 2 % 31 + 1, snapshot % 2 ? 'b' : 'a');
            text += stem;
            text += ',';
            text += RecordLine(snapshot % 200 + 1, code, snapshot);
            text += "\r\n";
            ++g_historyLines;
        }
        std::ofstream(name, std::ios::binary) << text;
    }
}

void BM_Load(benchmark::State& state) {
    for (auto _ : state) {
        platform::TextFile daily;
        if (!daily.Open(kDailyName, platform::TextFile::Mode::kRead)) {
            state.SkipWithError("the daily file did not open");
            break;
        }
        std::int64_t total = 0;
        std::string line;
        while (daily.ReadLine(line)) {
            const std::vector<std::string> fields = SplitFields(line);
            const int32_t code = DecimalValue(fields.at(1));
            benchmark::DoNotOptimize(HistoryFileName(code, fields.at(2)));
            total += CountHistoryLines(code, fields.at(2));
        }
        daily.Close();
        if (total != g_historyLines) state.SkipWithError("history counts do not add up");
    }
}

void BM_WcL(benchmark::State& state) {
    std::vector<char*> argv;
    std::string program = "wc", option = "-l";
    argv.push_back(program.data());
    argv.push_back(option.data());
    for (std::string& name : g_historyNames) argv.push_back(name.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    for (auto _ : state) {
        pid_t pid = 0;
        int status = 0;
        if (posix_spawnp(&pid, "wc", &actions, nullptr, argv.data(), environ) != 0 ||
            ::waitpid(pid, &status, 0) != pid || status != 0) {
            state.SkipWithError("wc -l failed");
            break;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
}

BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WcL)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    testing_support::ScopedTempDir dir;
    WriteFiles();
    std::printf("%d rows, %lld history lines in %zu files\n", kRows,
                static_cast<long long>(g_historyLines), g_historyNames.size());
    return bench::RunWithRatios(argc, argv, {{"BM_Load/real_time", "BM_WcL/real_time"}});
}
