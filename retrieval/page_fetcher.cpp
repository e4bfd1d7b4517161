#include "retrieval/page_fetcher.h"

#include <cstdio>
#include <utility>

#include "retrieval/euc_to_sjis.h"
#include "retrieval/markup.h"

namespace {

constexpr char kAgent[] = "pagewhisk";
constexpr std::size_t kPiece = 7;

// One line on standard error per page that could not be downloaded, so that a
// capture started from a terminal or a scheduler shows why a page came back empty.
void ReportFailure(const std::string& address, const std::string& reason) {
    std::fprintf(stderr, "rankelle: %s: %s\n", address.c_str(),
                 reason.empty() ? "download failed" : reason.c_str());
}

}  // namespace

CPageFetcher::CPageFetcher(std::string address) : address_(std::move(address)) {}

// Fetch closes both handles before it returns; a fetcher dropped between its
// steps closes what is still open.
CPageFetcher::~CPageFetcher() { CloseHandles(); }

int CPageFetcher::Fetch() {
    complete_ = false;
    if (!OpenUrl()) return 0;
    ReadAll();
    CloseHandles();
    return 1;
}

std::string CPageFetcher::GetText() const { return text_; }

std::string CPageFetcher::ToShiftJis(std::string text) const { return ::ToShiftJis(text); }

int CPageFetcher::OpenUrl() {
    session_ = platform::InternetOpen(kAgent);
    if (!session_) {
        ReportFailure(address_, platform::InternetLastError());
        return 0;
    }
    request_ = platform::InternetOpenUrl(session_, address_);
    if (!request_) {
        ReportFailure(address_, platform::InternetLastError());
        platform::InternetCloseHandle(session_);
        session_ = nullptr;
        return 0;
    }
    return 1;
}

void CPageFetcher::ReadAll() {
    char piece[kPiece];
    for (;;) {
        std::size_t read = 0;
        if (!platform::InternetReadFile(request_, piece, kPiece, &read)) {
            // The transfer broke off: keep what came so far.
            ReportFailure(address_, platform::InternetLastError());
            break;
        }
        if (read == 0) {
            complete_ = true;
            break;
        }
        // A zero byte and the rest of its piece are dropped, so the text
        // never holds one.
        std::size_t keep = 0;
        while (keep < read && piece[keep] != '\0') ++keep;
        text_.append(piece, keep);
    }
    NormalizeTags();
}

void CPageFetcher::CloseHandles() {
    platform::InternetCloseHandle(request_);
    request_ = nullptr;
    platform::InternetCloseHandle(session_);
    session_ = nullptr;
}

void CPageFetcher::NormalizeTags() { ::NormalizeTags(text_); }
