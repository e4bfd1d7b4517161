// CPageFetcher over real libcurl and real sockets on 127.0.0.1.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>

#include "internet_test_server.h"
#include "platform/internet.h"
#include "retrieval/markup.h"
#include "retrieval/page_fetcher.h"

namespace {

using namespace std::string_literals;
using internet_testing::TestServer;

class FetcherTest : public testing::Test {
  protected:
    static void SetUpTestSuite() { internet_testing::UseLoopbackTestSettings(); }
    static void TearDownTestSuite() { platform::SetInternetLimits({}); }
    void TearDown() override { EXPECT_EQ(platform::InternetLiveHandles(), 0); }
};

struct BodyCase {
    const char* what;
    int status;
    std::string body;
    std::string text;
};

// Bodies are taken as they come, in pieces of seven bytes.
TEST_F(FetcherTest, BodiesBecomeTheText) {
    const BodyCase cases[] = {
        {"empty", 200, "", ""},
        {"exactly one piece", 200, "abcdefg", "abcdefg"},
        {"not a multiple of seven", 200, "0123456789abcdefghijklm", "0123456789abcdefghijklm"},
        {"zero byte drops the rest of its piece", 200, "abc\0efghijk\0mnopqrs"s, "abchijkopqrs"},
        {"zero byte at the end of a piece", 200, "abcdef\0ghi"s, "abcdefghi"},
        {"tags upper-cased, text kept", 200, "<td nowrap>Mixed Case</td>\r\n",
         "<TD NOWRAP>Mixed Case</TD>\r\n"},
        {"error status with a body", 404, "<html><body>Not here</body></html>",
         "<HTML><BODY>Not here</BODY></HTML>"},
        {"server error with a body", 500, "<p>oops</p>", "<P>oops</P>"},
        {"high bytes untouched", 200, "<a>\xA4\xA2\x8E\xB1\xFF</a>", "<A>\xA4\xA2\x8E\xB1\xFF</A>"},
    };
    TestServer server;
    int n = 0;
    for (const BodyCase& c : cases) {
        const std::string path = "/page" + std::to_string(n++);
        server.Serve(path, c.status, c.body);
        CPageFetcher fetcher(server.Url(path));
        EXPECT_EQ(fetcher.Fetch(), 1) << c.what;
        EXPECT_EQ(fetcher.GetText(), c.text) << c.what;
        EXPECT_EQ(fetcher.GetText(), fetcher.GetText()) << c.what;
        EXPECT_EQ(platform::InternetLiveHandles(), 0) << c.what;
    }
    EXPECT_EQ(server.LastAgent(), "pagewhisk");
}

TEST_F(FetcherTest, RedirectsAreFollowed) {
    TestServer server;
    server.Serve("/seven", 200, "<b>seven</b>");
    CPageFetcher fetcher(server.Url("/redirect"));
    EXPECT_EQ(fetcher.Fetch(), 1);
    EXPECT_EQ(fetcher.GetText(), "<B>seven</B>");
}

// A port on which nothing listens: bound once to learn a free number, then closed.
int ClosedPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) std::abort();
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    close(fd);
    return ntohs(addr.sin_port);
}

// An address that cannot be opened: Fetch gives 0, the text stays empty, no
// handle is left open, and one line on standard error names the address.
TEST_F(FetcherTest, AddressesThatCannotBeOpened) {
    TestServer server;
    server.Serve("/page", 200, "served");
    const std::string live = server.Url("/page");
    const std::string closed = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/";
    const std::string addresses[] = {
        closed,
        "http://no-such-host.invalid/ranking",
        "http://[127.0.0.1/",
        "not an address at all",
        "ftp://127.0.0.1:" + std::to_string(ClosedPort()) + "/file",
        "file:///etc/passwd",
        live.substr(live.find("://") + 3),  // no scheme: would reach a live server
        "gopher" + live.substr(live.find("://")),
        "",
        "http://127.0.0.1\0.example/"s,
    };
    for (const std::string& address : addresses) {
        testing::internal::CaptureStderr();
        CPageFetcher fetcher(address);
        EXPECT_EQ(fetcher.Fetch(), 0) << address;
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(fetcher.GetText(), "") << address;
        EXPECT_EQ(platform::InternetLiveHandles(), 0) << address;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_NE(err.find(address.substr(0, address.find('\0'))), std::string::npos) << err;
    }
}

// A server that takes the connection but never answers: the stall bound ends
// the wait, and since no response started the address counts as not opened.
TEST_F(FetcherTest, SilentServerIsGivenUp) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(listen(fd, 4), 0);  // the kernel completes the handshake; nobody reads
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);

    testing::internal::CaptureStderr();
    const auto start = std::chrono::steady_clock::now();
    CPageFetcher fetcher("http://127.0.0.1:" + std::to_string(ntohs(addr.sin_port)) + "/");
    EXPECT_EQ(fetcher.Fetch(), 0);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const std::string err = testing::internal::GetCapturedStderr();
    close(fd);
    EXPECT_LT(elapsed, std::chrono::seconds(10));  // stall bound is 1 s
    EXPECT_EQ(fetcher.GetText(), "");
    EXPECT_NE(err.find("no data received"), std::string::npos) << err;
}

// A redirect loop ends at the redirect limit instead of running forever.
TEST_F(FetcherTest, RedirectLoopEnds) {
    TestServer server;
    testing::internal::CaptureStderr();
    CPageFetcher fetcher(server.Url("/loop"));
    fetcher.Fetch();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(fetcher.GetText(), "");
    EXPECT_NE(err.find("redirect"), std::string::npos) << err;
}

// A fetcher dropped between the steps of Fetch (an exception out of ReadAll,
// or a caller running OpenUrl on its own) leaves no handle behind.
TEST_F(FetcherTest, DroppedFetcherClosesWhatItOpened) {
    TestServer server;
    server.Serve("/page", 200, "body");
    {
        CPageFetcher fetcher(server.Url("/page"));
        ASSERT_EQ(fetcher.OpenUrl(), 1);
        EXPECT_EQ(platform::InternetLiveHandles(), 2);
    }
    EXPECT_EQ(platform::InternetLiveHandles(), 0);
}

TEST_F(FetcherTest, ToShiftJisLeavesTheFetcherAlone) {
    CPageFetcher fetcher("http://127.0.0.1:1/");
    EXPECT_EQ(fetcher.ToShiftJis("a\xA4\xA2"), "a\x82\xA0");
    EXPECT_EQ(fetcher.GetText(), "");
}

}  // namespace
