// Downloads from the sample portal: its pages parse into the records it
// promises, and its faults end within their bounds with the text collected so far.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>

#include "capture/page_parser.h"
#include "internet_test_server.h"
#include "platform/internet.h"
#include "retrieval/markup.h"
#include "retrieval/page_fetcher.h"
#include "sample_portal.h"
#include "support/temp_dir.h"

namespace {

using sample_portal::Fault;
using sample_portal::Portal;
using Clock = std::chrono::steady_clock;

class PortalTest : public testing::Test {
  protected:
    // A 1 MiB cap keeps the endless-body case short.
    static void SetUpTestSuite() {
        internet_testing::UseLoopbackTestSettings(std::size_t{1} << 20);
    }
    static void TearDownTestSuite() { platform::SetInternetLimits({}); }
    void TearDown() override { EXPECT_EQ(platform::InternetLiveHandles(), 0); }

    static std::string Normalized(std::string text) {
        NormalizeTags(text);
        return text;
    }
};

// Every page of both kinds, fetched, converted and parsed, gives exactly the
// record lines the portal built it from, with the same two markets/names in
// Shift_JIS that iconv produced on the portal's side.
TEST_F(PortalTest, PagesParseIntoTheirRecords) {
    testing_support::ScopedTempDir dir;
    Portal portal({.seed = 7});
    for (int kind = 0; kind < 2; ++kind) {
        for (int offset = 1; offset <= 181; offset += 20) {
            CPageFetcher fetcher(portal.PageUrl(kind, offset));
            ASSERT_EQ(fetcher.Fetch(), 1);
            const std::string page = fetcher.ToShiftJis(fetcher.GetText());
            EXPECT_EQ(ParsePage(page, kind, "stem"), portal.ExpectedRecordLines(kind, offset))
                << "kind " << kind << " offset " << offset;
        }
    }
    const auto log = portal.RequestLog();
    ASSERT_EQ(log.size(), 20u);
    EXPECT_EQ(log.front(), portal.PageUrl(0, 1).substr(portal.BaseUrl().size()));
    EXPECT_EQ(log.back(), portal.PageUrl(1, 181).substr(portal.BaseUrl().size()));
}

// Seeds change the data; the same seed gives the same pages.
TEST_F(PortalTest, DataFollowsTheSeed) {
    Portal a({.seed = 1}), b({.seed = 1}), c({.seed = 2});
    EXPECT_EQ(a.PageBody(1, 41), b.PageBody(1, 41));
    EXPECT_NE(a.PageBody(1, 41), c.PageBody(1, 41));
    EXPECT_NE(a.ExpectedRecordLines(0, 1), a.ExpectedRecordLines(1, 1));
}

TEST_F(PortalTest, NotFoundPageBecomesTheText) {
    Portal portal({.fault = Fault::kNotFound});
    CPageFetcher fetcher(portal.PageUrl(0, 1));
    EXPECT_EQ(fetcher.Fetch(), 1);
    EXPECT_EQ(fetcher.GetText(), "<HTML><BODY><H1>Not Found</H1></BODY></HTML>\n");
}

TEST_F(PortalTest, CrlfPageIsKeptByteForByte) {
    Portal portal({.fault = Fault::kCrlf});
    CPageFetcher fetcher(portal.PageUrl(0, 21));
    EXPECT_EQ(fetcher.Fetch(), 1);
    std::string crlf;
    for (char c : portal.PageBody(0, 21)) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    EXPECT_EQ(fetcher.GetText(), Normalized(crlf));
}

TEST_F(PortalTest, ZeroByteDropsTheRestOfItsPiece) {
    Portal portal({.fault = Fault::kZeroByte});
    CPageFetcher fetcher(portal.PageUrl(1, 1));
    EXPECT_EQ(fetcher.Fetch(), 1);
    // The served body is PageBody with one zero byte inserted at z.
    const std::string clean = portal.PageBody(1, 1);
    const std::string marker = "<!-- " + std::string(83, '-') + ">\n";
    const std::size_t z = clean.find(marker) + marker.size() + 1;
    const std::size_t pieceEnd = (z / 7 + 1) * 7;  // served offsets [z, pieceEnd) are dropped
    const std::string expected = clean.substr(0, z) + clean.substr(pieceEnd - 1);
    EXPECT_EQ(fetcher.GetText(), Normalized(expected));
    EXPECT_EQ(fetcher.GetText().find('\0'), std::string::npos);
}

// A transfer that breaks off keeps what arrived, closes everything, reports
// once on standard error, and returns within the bounds set above.
struct BrokenCase {
    Fault fault;
    double boundSeconds;
};

TEST_F(PortalTest, BrokenTransfersKeepWhatArrived) {
    const BrokenCase cases[] = {
        {Fault::kCutBody, 10},
        {Fault::kStall, 10},    // stall bound 1 s
        {Fault::kEndless, 10},  // body cap 1 MiB
    };
    for (const BrokenCase& c : cases) {
        SCOPED_TRACE(sample_portal::FaultName(c.fault));
        Portal portal({.fault = c.fault});
        const std::string url = portal.PageUrl(0, 61);
        const std::string body = portal.PageBody(0, 61);
        testing::internal::CaptureStderr();
        const auto start = Clock::now();
        CPageFetcher fetcher(url);
        EXPECT_EQ(fetcher.Fetch(), 1);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_LT(seconds, c.boundSeconds);
        EXPECT_EQ(platform::InternetLiveHandles(), 0);
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_NE(err.find(url), std::string::npos) << err;

        const std::string text = fetcher.GetText();
        if (c.fault == Fault::kEndless) {
            std::string repeated;
            while (repeated.size() < text.size()) repeated += body;
            EXPECT_EQ(text.size(), std::size_t{1} << 20);
            EXPECT_EQ(text, Normalized(repeated.substr(0, text.size())));
        } else {
            EXPECT_EQ(text, Normalized(body.substr(0, body.size() / 2)));
        }
    }
}

TEST_F(PortalTest, EchoPagesShowTheRequest) {
    Portal portal;
    CPageFetcher fetcher(portal.BaseUrl() + "/t?s=1301&c=ts");
    EXPECT_EQ(fetcher.Fetch(), 1);
    EXPECT_NE(fetcher.GetText().find("/t?s=1301&amp;c=ts"), std::string::npos);
}

}  // namespace
