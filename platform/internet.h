// A synchronous HTTP client session over libcurl, shaped like the four
// operations the page fetcher relies on: open a session, open an address,
// read the body in pieces, close.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

struct InternetObject;
using InternetHandle = InternetObject*;

// A session whose requests send `agent` as their User-Agent. Null on failure.
InternetHandle InternetOpen(std::string_view agent);

// Opens `address` (http or https) in the session. Null when the address is
// malformed, its scheme is not http/https, its host does not resolve or
// nothing answers. An error status is no failure.
InternetHandle InternetOpenUrl(InternetHandle session, std::string_view address);

// Reads at most `toRead` bytes of the body into `buffer`. Success with
// *read == 0 means the body is complete. Fails when the transfer broke,
// stalled or passed the body cap.
bool InternetReadFile(InternetHandle request, char* buffer, std::size_t toRead, std::size_t* read);

// Closes a session or a request handle; null is ignored.
void InternetCloseHandle(InternetHandle handle);

// Why the last failed InternetOpen, InternetOpenUrl or InternetReadFile on
// this thread failed (libcurl's error text, or our own); empty before any failure.
std::string InternetLastError();

// Bounds of every transfer, so that a dead or endless server cannot hold the
// caller for long. A transfer started after SetInternetLimits uses the new ones.
struct InternetLimits {
    std::chrono::milliseconds connect{10'000};  // to get a connection
    std::chrono::milliseconds stall{20'000};    // no byte received for this long ends the transfer
    std::chrono::seconds total{300};            // a whole transfer, headers and body
    int maxRedirects = 10;
    std::size_t bodyCap = std::size_t{16} << 20;  // past it the read fails
};
void SetInternetLimits(const InternetLimits& limits);
InternetLimits GetInternetLimits();

// Handles currently open (sessions and requests), for leak checks.
int InternetLiveHandles();

}  // namespace platform
