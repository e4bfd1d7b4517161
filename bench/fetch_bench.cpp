// Text preparation throughput, and twenty page downloads through the page
// fetcher next to twenty bare libcurl GETs of the same sample-portal pages,
// measured in one run.
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "bench/capture_ratio.h"
#include "retrieval/euc_to_sjis.h"
#include "retrieval/markup.h"
#include "retrieval/page_fetcher.h"
#include "tools/sample-portal/sample_portal.h"

namespace {

sample_portal::Portal& SharedPortal() {
    static sample_portal::Portal portal;
    return portal;
}

std::vector<std::string> PageUrls() {
    std::vector<std::string> urls;
    for (int kind = 0; kind < 2; ++kind) {
        for (int offset = 1; offset <= 181; offset += 20) {
            urls.push_back(SharedPortal().PageUrl(kind, offset));
        }
    }
    return urls;
}

// About 1 MB of real-looking EUC-JP markup: portal pages back to back.
const std::string& EucText() {
    static const std::string text = [] {
        std::string out;
        int offset = 1;
        while (out.size() < (std::size_t{1} << 20)) {
            out += SharedPortal().PageBody(offset % 2, offset);
            offset += 20;
        }
        return out;
    }();
    return text;
}

void BM_ToShiftJis(benchmark::State& state) {
    const std::string& euc = EucText();
    for (auto _ : state) {
        std::string sjis = ToShiftJis(euc);
        benchmark::DoNotOptimize(sjis.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(euc.size()));
}
BENCHMARK(BM_ToShiftJis)->Unit(benchmark::kMillisecond);

void BM_NormalizeTags(benchmark::State& state) {
    const std::string& euc = EucText();
    for (auto _ : state) {
        std::string text = euc;
        NormalizeTags(text);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(euc.size()));
}
BENCHMARK(BM_NormalizeTags)->Unit(benchmark::kMillisecond);

void BM_FetchTwentyPages(benchmark::State& state) {
    const std::vector<std::string> urls = PageUrls();
    std::size_t bytes = 0;
    for (auto _ : state) {
        for (const std::string& url : urls) {
            CPageFetcher fetcher(url);
            if (!fetcher.Fetch()) {
                state.SkipWithError("download failed");
                return;
            }
            bytes += fetcher.GetText().size();
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_FetchTwentyPages)->Unit(benchmark::kMillisecond)->UseRealTime();

std::size_t Collect(char* data, std::size_t size, std::size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

// The least a download can do: one easy handle per page, body into a string.
void BM_BareCurlTwentyPages(benchmark::State& state) {
    const std::vector<std::string> urls = PageUrls();
    std::size_t bytes = 0;
    for (auto _ : state) {
        for (const std::string& url : urls) {
            std::string body;
            CURL* curl = curl_easy_init();
            curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
            curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Collect);
            curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
            const CURLcode rc = curl_easy_perform(curl);
            curl_easy_cleanup(curl);
            if (rc != CURLE_OK) {
                state.SkipWithError("download failed");
                return;
            }
            bytes += body.size();
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_BareCurlTwentyPages)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    bench::UnsetProxyVariables();
    curl_global_init(CURL_GLOBAL_DEFAULT);
    const int rc = bench::RunWithRatios(
        argc, argv, {{"BM_FetchTwentyPages/real_time", "BM_BareCurlTwentyPages/real_time"}});
    SharedPortal().Stop();
    return rc;
}
