// A synchronous HTTP client session over libcurl, shaped like the four
// operations the page fetcher relies on: open a session, open an address,
// read the body in pieces, close.
#pragma once

#include <cstddef>
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

}  // namespace platform
