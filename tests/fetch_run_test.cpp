// Whole captures over loopback against the sample portal: real sockets, real
// libcurl, real files in a temporary working directory.
#include "capture/fetch_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "capture/ranking_record.h"
#include "platform/mbcs.h"
#include "platform/text_file.h"
#include "tests/support/temp_dir.h"
#include "tools/sample-portal/sample_portal.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ReadBytes;
using testing_support::ScopedTempDir;
using testing_support::WriteBytes;

constexpr int kKinds = 2;
constexpr int kOffsets[] = {1, 21, 41, 61, 81, 101, 121, 141, 161, 181};
constexpr const char* kDailyName = "20050314a.csv";
constexpr const char* kStem = "20050314a";
constexpr const char* kZeroLine = "0,0000,,,0,,,0\n";

std::string Crlf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

// Splits text into lines, each keeping its '\n'.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(start, end - start));
        start = end;
    }
    return lines;
}

// Every "code*" file in the working directory with its bytes, by its code
// page 932 name (names are UTF-8 on disk).
std::map<std::string, std::string> HistoryFilesOnDisk() {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(fs::current_path())) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("code", 0) == 0) files[platform::FromUtf8(name)] = ReadBytes(entry.path());
    }
    return files;
}

struct Page {
    int kind;
    int offset;
};

std::vector<Page> CaptureOrder() {
    std::vector<Page> pages;
    for (int kind = 0; kind < kKinds; ++kind) {
        for (int offset : kOffsets) pages.push_back({kind, offset});
    }
    return pages;
}

class FetchRunTest : public testing::Test {
  protected:
    void SetUp() override {
        // Loopback traffic must not be sent to a proxy from the environment.
        for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY",
                                 "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"}) {
            ::unsetenv(name);
        }
    }

    // Path and query that the portal logs for a page.
    std::string LoggedPath(const sample_portal::Portal& portal, const Page& page) const {
        return portal.PageUrl(page.kind, page.offset).substr(portal.BaseUrl().size());
    }

    // Daily file content (as written, LF) and history files (name -> LF text)
    // that the given pages must produce with this stem.
    void Expect(const sample_portal::Portal& portal, const std::vector<Page>& pages,
                const std::string& stem, std::string* daily,
                std::map<std::string, std::string>* history) const {
        for (const Page& page : pages) {
            const std::string lines = portal.ExpectedRecordLines(page.kind, page.offset);
            *daily += lines;
            const auto keys = portal.ExpectedHistoryKeys(page.kind, page.offset);
            const auto rows = Lines(lines);
            EXPECT_EQ(rows.size(), keys.size());
            for (std::size_t i = 0; i < rows.size() && i < keys.size(); ++i) {
                (*history)[HistoryFileName(keys[i].first, keys[i].second)] += stem + "," + rows[i];
            }
        }
    }

    ScopedTempDir dir_;
    std::vector<int> progress_;
    std::function<void(int)> record_ = [this](int position) { progress_.push_back(position); };
};

TEST(RankingAddressTest, SearchAndPageAddressesAreExact) {
    EXPECT_EQ(RankingSearchAddress("http://127.0.0.1:8080"),
              "http://127.0.0.1:8080/ranking/search?b=");
    const std::string search = "http://r.test/ranking/search?b=";
    EXPECT_EQ(RankingPageAddress(search, 1, 0),
              "http://r.test/ranking/search?b=1&mk=11%2c%2012%2c%2021%2c%2022%2c%2031%2c%2032%"
              "2c%2043%2c%2047%2c%2083%2c%2087%2c%2094%2c%2017%2c%20A1%2c%20A7%2c%2037&kd=1&ca=1&"
              "tm=day&");
    EXPECT_EQ(RankingPageAddress(search, 181, 1),
              "http://r.test/ranking/search?b=181&mk=11%2c%2012%2c%2021%2c%2022%2c%2031%2c%"
              "2032%2c%2043%2c%2047%2c%2083%2c%2087%2c%2094%2c%2017%2c%20A1%2c%20A7%2c%2037&kd=2&"
              "ca=1&tm=day&");
    // The search address is joined as plain text, percent signs and all.
    EXPECT_EQ(RankingPageAddress("http://h/%d%s?b=", 41, 0).substr(0, 18), "http://h/%d%s?b=41");
}

TEST_F(FetchRunTest, CompleteRunFetchesTwentyPagesInOrderAndWritesAllFiles) {
    sample_portal::Portal portal;
    ASSERT_TRUE(RunCapture(kDailyName, RankingSearchAddress(portal.BaseUrl()), record_));

    const std::vector<Page> pages = CaptureOrder();
    std::vector<std::string> wantedRequests;
    for (const Page& page : pages) wantedRequests.push_back(LoggedPath(portal, page));
    EXPECT_EQ(portal.RequestLog(), wantedRequests);
    EXPECT_EQ(wantedRequests.front().rfind("/ranking/search?b=1&mk=", 0), 0u);

    std::vector<int> wantedProgress;
    for (const Page& page : pages) wantedProgress.push_back(page.offset);
    wantedProgress.push_back(200);
    EXPECT_EQ(progress_, wantedProgress);

    std::string daily;
    std::map<std::string, std::string> history;
    Expect(portal, pages, kStem, &daily, &history);
    ASSERT_EQ(Lines(daily).size(), 400u);
    EXPECT_EQ(ReadBytes(kDailyName), Crlf(daily));

    std::map<std::string, std::string> wantedFiles;
    for (const auto& [name, text] : history) wantedFiles[name] = Crlf(text);
    EXPECT_EQ(HistoryFilesOnDisk(), wantedFiles);
    // The portal repeats stocks across pages and kinds, so some history file
    // must have gained more than one line from this single run.
    bool someStockTwice = false;
    for (const auto& [name, text] : history) someStockTwice |= Lines(text).size() > 1;
    EXPECT_TRUE(someStockTwice);
}

TEST_F(FetchRunTest, HistoryFilesGrowAcrossRuns) {
    sample_portal::Portal portal;
    const std::string search = RankingSearchAddress(portal.BaseUrl());
    ASSERT_TRUE(RunCapture("20050314a.csv", search, nullptr));
    ASSERT_TRUE(RunCapture("20050314b.csv", search, nullptr));

    std::string daily;
    std::map<std::string, std::string> first, second;
    Expect(portal, CaptureOrder(), "20050314a", &daily, &first);
    Expect(portal, CaptureOrder(), "20050314b", &daily, &second);
    std::map<std::string, std::string> wantedFiles;
    for (const auto& [name, text] : first) wantedFiles[name] = Crlf(text + second[name]);
    EXPECT_EQ(HistoryFilesOnDisk(), wantedFiles);
}

TEST_F(FetchRunTest, UnreachablePortalGivesZeroLinesAndHistoryInCode0000) {
    std::string search;
    {
        sample_portal::Portal portal;
        search = RankingSearchAddress(portal.BaseUrl());
        portal.Stop();
    }
    ASSERT_TRUE(RunCapture(kDailyName, search, record_));
    EXPECT_EQ(ReadBytes(kDailyName), Crlf(Repeat(kZeroLine, 400)));
    EXPECT_EQ(HistoryFilesOnDisk(),
              (std::map<std::string, std::string>{
                  {"code0000.csv", Crlf(Repeat(std::string(kStem) + "," + kZeroLine, 400))}}));
    EXPECT_EQ(progress_.size(), 21u);
    EXPECT_EQ(progress_.back(), 200);
}

TEST_F(FetchRunTest, ExistingDailyFileIsReplaced) {
    std::string search;
    {
        sample_portal::Portal portal;
        search = RankingSearchAddress(portal.BaseUrl());
    }
    // Longer than what the run writes, so any leftover tail would show.
    WriteBytes(kDailyName, Repeat("9,9999,old,old,9,+9,9%,9\r\n", 10000));
    ASSERT_TRUE(RunCapture(kDailyName, search, nullptr));
    EXPECT_EQ(ReadBytes(kDailyName), Crlf(Repeat(kZeroLine, 400)));
}

TEST_F(FetchRunTest, PagesWithoutRankingTableAreReportedOnStandardError) {
    sample_portal::Options options;
    options.fault = sample_portal::Fault::kNotFound;
    sample_portal::Portal portal(options);
    const std::string search = RankingSearchAddress(portal.BaseUrl());

    testing::internal::CaptureStderr();
    ASSERT_TRUE(RunCapture(kDailyName, search, nullptr));
    const std::string err = testing::internal::GetCapturedStderr();

    EXPECT_EQ(ReadBytes(kDailyName), Crlf(Repeat(kZeroLine, 400)));
    std::vector<std::string> reported;
    for (const std::string& line : Lines(err)) {
        if (line.find("no ranking table") != std::string::npos) reported.push_back(line);
    }
    ASSERT_EQ(reported.size(), 20u) << err;
    for (std::size_t i = 0; i < reported.size(); ++i) {
        const Page page = CaptureOrder()[i];
        EXPECT_THAT(reported[i], testing::HasSubstr(portal.PageUrl(page.kind, page.offset)));
    }
}

TEST_F(FetchRunTest, BrokenDownloadIsReportedOnceWithItsReason) {
    // Half of every body arrives: the fetcher names the transfer's fault, and
    // that the half page then lacks its table is no second report.
    sample_portal::Options options;
    options.fault = sample_portal::Fault::kCutBody;
    sample_portal::Portal portal(options);

    testing::internal::CaptureStderr();
    ASSERT_TRUE(RunCapture(kDailyName, RankingSearchAddress(portal.BaseUrl()), nullptr));
    const std::string err = testing::internal::GetCapturedStderr();

    const std::vector<std::string> reported = Lines(err);
    ASSERT_EQ(reported.size(), 20u) << err;
    for (std::size_t i = 0; i < reported.size(); ++i) {
        const Page page = CaptureOrder()[i];
        EXPECT_THAT(reported[i], testing::HasSubstr(portal.PageUrl(page.kind, page.offset)));
        EXPECT_THAT(reported[i], testing::Not(testing::HasSubstr("no ranking table")));
    }
}

TEST_F(FetchRunTest, FullDailyFileStopsAfterFirstPageWithItsHistoryWritten) {
    sample_portal::Portal portal;
    try {
        RunCapture("/dev/full", RankingSearchAddress(portal.BaseUrl()), record_);
        FAIL() << "no FileError";
    } catch (const platform::FileError& error) {
        EXPECT_EQ(error.cause(), platform::FileError::Cause::kDiskFull);
        EXPECT_EQ(error.fullPath(), "/dev/full");
    }
    const Page first{0, 1};
    EXPECT_EQ(portal.RequestLog(), std::vector<std::string>{LoggedPath(portal, first)});
    EXPECT_TRUE(progress_.empty());

    // "/dev/full" holds no '.', so its stem is empty.
    std::string daily;
    std::map<std::string, std::string> history;
    Expect(portal, {first}, "", &daily, &history);
    std::map<std::string, std::string> wantedFiles;
    for (const auto& [name, text] : history) wantedFiles[name] = Crlf(text);
    EXPECT_EQ(HistoryFilesOnDisk(), wantedFiles);
}

TEST_F(FetchRunTest, UnwritableHistoryFileStopsTheRunAndKeepsEarlierPages) {
    sample_portal::Portal portal;
    const std::vector<Page> pages = CaptureOrder();

    // The first row, from the third page on, whose stock has not appeared
    // before: its history file is first written there.
    std::set<std::string> seen;
    std::size_t failingPage = 0;
    std::string failingName;
    for (std::size_t p = 0; p < pages.size() && failingName.empty(); ++p) {
        for (const auto& [code, market] :
             portal.ExpectedHistoryKeys(pages[p].kind, pages[p].offset)) {
            const std::string name = HistoryFileName(code, market);
            if (p >= 2 && !seen.count(name)) {
                failingPage = p;
                failingName = name;
                break;
            }
            seen.insert(name);
        }
    }
    ASSERT_FALSE(failingName.empty());
    fs::create_symlink("/dev/full", platform::ToUtf8(failingName));

    try {
        RunCapture(kDailyName, RankingSearchAddress(portal.BaseUrl()), record_);
        FAIL() << "no FileError";
    } catch (const platform::FileError& error) {
        EXPECT_EQ(error.cause(), platform::FileError::Cause::kDiskFull);
        EXPECT_EQ(error.fullPath(), fs::current_path().string() + "/" + failingName);
    }

    const std::vector<Page> before(pages.begin(), pages.begin() + failingPage);
    std::string daily;
    std::map<std::string, std::string> history;
    Expect(portal, before, kStem, &daily, &history);
    EXPECT_EQ(ReadBytes(kDailyName), Crlf(daily));
    EXPECT_EQ(portal.RequestLog().size(), failingPage + 1);
    std::vector<int> wantedProgress;
    for (const Page& page : before) wantedProgress.push_back(page.offset);
    EXPECT_EQ(progress_, wantedProgress);
}

TEST_F(FetchRunTest, UnopenableDailyFileFetchesNothing) {
    sample_portal::Portal portal;
    fs::create_directory(kDailyName);
    EXPECT_FALSE(RunCapture(kDailyName, RankingSearchAddress(portal.BaseUrl()), record_));
    EXPECT_TRUE(portal.RequestLog().empty());
    EXPECT_TRUE(progress_.empty());
    EXPECT_TRUE(HistoryFilesOnDisk().empty());
}

}  // namespace
