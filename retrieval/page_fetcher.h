// Downloads one web page into a byte string and prepares it for scraping.
//
// Every Fetch opens an Internet session of its own, reads the whole body in
// pieces of 7 bytes, upper-cases the inside of every tag and closes both
// handles before it returns. Nothing is shared between fetchers.
#pragma once

#include <string>
#include <string_view>

#include "platform/internet.h"

class CPageFetcher {
  public:
    explicit CPageFetcher(std::string address);
    virtual ~CPageFetcher();
    CPageFetcher(const CPageFetcher&) = delete;
    CPageFetcher& operator=(const CPageFetcher&) = delete;

    // 1 when the address could be opened (the body has then been read), 0 when
    // the session or the address could not be opened.
    int Fetch();

    // A copy of the downloaded, normalised text.
    std::string GetText() const;

    // True when the last Fetch read the whole body. A download that could not
    // be opened or broke off has been reported on standard error already.
    bool Complete() const { return complete_; }

    // EUC-JP to Shift_JIS; reads no member.
    std::string ToShiftJis(std::string text) const;

    // The steps of Fetch.
    int OpenUrl();
    void ReadAll();
    void CloseHandles();
    void NormalizeTags();

  private:
    std::string text_;
    std::string address_;
    platform::InternetHandle session_ = nullptr;
    platform::InternetHandle request_ = nullptr;
    bool complete_ = false;
};
