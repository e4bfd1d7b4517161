// A stand-in for the ranking portal: a small HTTP server on 127.0.0.1 that
// serves EUC-JP ranking pages in the layout the page parser reads, plus
// echo pages for the quote and price-table addresses. Used by tests,
// benchmarks and the sample-portal program.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace sample_portal {

enum class Fault {
    kNone,
    kNotFound,  // every page answers 404 with a small HTML body
    kCutBody,   // the connection is closed in the middle of the body
    kStall,     // part of the body is sent, then nothing until the client gives up
    kEndless,   // a body that never ends (chunked, keeps sending)
    kCrlf,      // ranking pages use CR LF line ends, so they hold no page marker
    kZeroByte,  // ranking pages carry a zero byte inside the table stretch
};

// Parses "none", "not-found", "cut-body", "stall", "endless", "crlf",
// "zero-byte"; false for any other name.
bool ParseFault(const std::string& name, Fault* fault);
const char* FaultName(Fault fault);

struct Options {
    unsigned seed = 1;
    Fault fault = Fault::kNone;
    int port = 0;  // 0 = an ephemeral port chosen by the system
};

// Ranking kinds and page offsets as the fetch run requests them.
inline constexpr int kRowsPerPage = 20;
inline constexpr int kPagesPerKind = 10;

class Portal {
  public:
    // Starts listening on 127.0.0.1 and serving in a background thread.
    // Throws std::runtime_error when the port cannot be bound.
    explicit Portal(Options options = {});
    ~Portal();  // stops
    Portal(const Portal&) = delete;
    Portal& operator=(const Portal&) = delete;

    void Stop();

    int Port() const;
    std::string BaseUrl() const;  // "http://127.0.0.1:PORT"
    // BaseUrl() + "/ranking/search?b=": the search address the fetch run
    // joins with the offset and the kind's suffix.
    std::string SearchAddress() const;
    // Full address of one ranking page, with the suffix the fetch run uses.
    std::string PageUrl(int kind, int offset) const;

    // Path and query of every request so far, in order of arrival.
    std::vector<std::string> RequestLog() const;
    void ClearRequestLog();

    // The EUC-JP body served for this kind (0/1) and offset (1, 21, ..., 181),
    // without faults applied.
    std::string PageBody(int kind, int offset) const;

    // The twenty Shift_JIS record lines ("%d,%04d,%s,%s,%d,%s,%s,%d\n" each)
    // that the page of this kind and offset must parse into.
    std::string ExpectedRecordLines(int kind, int offset) const;
    // All 400 record lines of a complete run: kind 0 offsets 1..181, then kind 1.
    std::string ExpectedDailyLines() const;
    // The (code, market) pairs of the page's rows in row order; market in
    // Shift_JIS, as it appears in history file names.
    std::vector<std::pair<int, std::string>> ExpectedHistoryKeys(int kind, int offset) const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace sample_portal
