// A whole capture against the local sample portal, next to the least any
// capture must do: twenty bare libcurl GETs of the same pages and the same
// 400 history appends in a minimal loop. Both run in one process, one run.
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "bench/capture_ratio.h"
#include "capture/fetch_run.h"
#include "capture/ranking_record.h"
#include "platform/mbcs.h"
#include "tests/support/temp_dir.h"
#include "tools/sample-portal/sample_portal.h"

namespace {

constexpr int kOffsets[] = {1, 21, 41, 61, 81, 101, 121, 141, 161, 181};

sample_portal::Portal& SharedPortal() {
    static sample_portal::Portal portal;
    return portal;
}

std::size_t Collect(char* data, std::size_t size, std::size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

// History file names and CR LF history lines of one complete run, in capture order.
std::vector<std::pair<std::string, std::string>> HistoryAppends(const sample_portal::Portal& portal,
                                                                const std::string& stem) {
    std::vector<std::pair<std::string, std::string>> appends;
    for (int kind = 0; kind < 2; ++kind) {
        for (int offset : kOffsets) {
            const std::string lines = portal.ExpectedRecordLines(kind, offset);
            const auto keys = portal.ExpectedHistoryKeys(kind, offset);
            std::size_t start = 0;
            for (const auto& [code, market] : keys) {
                const std::size_t end = lines.find('\n', start);
                std::string line = stem + "," + lines.substr(start, end - start) + "\r\n";
                appends.emplace_back(platform::ToUtf8(HistoryFileName(code, market)),
                                     std::move(line));
                start = end + 1;
            }
        }
    }
    return appends;
}

void BM_Capture(benchmark::State& state) {
    sample_portal::Portal& portal = SharedPortal();
    const std::string search = RankingSearchAddress(portal.BaseUrl());
    testing_support::ScopedTempDir dir;
    for (auto _ : state) {
        if (!RunCapture("20050314a.csv", search, nullptr)) {
            state.SkipWithError("the daily file did not open");
            break;
        }
    }
}

void BM_BareGetsAndAppends(benchmark::State& state) {
    sample_portal::Portal& portal = SharedPortal();
    std::vector<std::string> urls;
    for (int kind = 0; kind < 2; ++kind) {
        for (int offset : kOffsets) urls.push_back(portal.PageUrl(kind, offset));
    }
    const auto appends = HistoryAppends(portal, "20050314a");
    testing_support::ScopedTempDir dir;
    for (auto _ : state) {
        std::size_t bytes = 0;
        for (const std::string& url : urls) {
            std::string body;
            CURL* curl = curl_easy_init();
            curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
            curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
            curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
            curl_easy_setopt(curl, CURLOPT_PROXY, "");
            if (curl_easy_perform(curl) != CURLE_OK) state.SkipWithError("a GET failed");
            curl_easy_cleanup(curl);
            bytes += body.size();
        }
        benchmark::DoNotOptimize(bytes);
        for (const auto& [name, line] : appends) {
            const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
            if (fd < 0 || ::write(fd, line.data(), line.size()) < 0) {
                state.SkipWithError("a history append failed");
            }
            if (fd >= 0) ::close(fd);
        }
    }
}

BENCHMARK(BM_Capture)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BareGetsAndAppends)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    bench::UnsetProxyVariables();
    curl_global_init(CURL_GLOBAL_DEFAULT);
    const int rc = bench::RunWithRatios(
        argc, argv, {{"BM_Capture/real_time", "BM_BareGetsAndAppends/real_time"}});
    curl_global_cleanup();
    return rc;
}
