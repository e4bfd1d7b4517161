#include "capture/text_cursor.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <utility>

#include "platform/mbcs.h"

// The remaining text is a window [offset_, text_.size()) onto the text the
// cursor was built over: skipping moves the offset, truncating shortens the
// string in place. No step copies what is left, so a whole page is scanned
// in time linear in its size.

CTextCursor::CTextCursor(std::string text) : text_(std::move(text)) {}

std::string_view CTextCursor::Remaining() const { return std::string_view(text_).substr(offset_); }

namespace {

// Position of `token` in `text`, or -1, by the character-wise search.
std::ptrdiff_t Find(std::string_view text, std::string_view token) {
    return platform::FindToken(text, token);
}

// Byte count that `SkipPast(token)` drops from `text`: position + length,
// which for an absent token (position -1) is length - 1.
std::ptrdiff_t SkipCount(std::string_view text, std::string_view token) {
    return Find(text, token) + static_cast<std::ptrdiff_t>(token.size());
}

}  // namespace

void CTextCursor::SkipPast(std::string_view token) {
    const std::ptrdiff_t p = SkipCount(Remaining(), token);
    if (p <= 0) return;
    const std::size_t left = text_.size() - offset_;
    offset_ += std::min(static_cast<std::size_t>(p), left);
}

void CTextCursor::TruncateAt(std::string_view token) {
    const std::ptrdiff_t n = Find(Remaining(), token);
    const std::size_t keep = n <= 0 ? 0 : static_cast<std::size_t>(n);
    // Shrinking a std::string keeps its buffer: nothing is copied.
    text_.resize(offset_ + keep);
}

std::string CTextCursor::Extract(std::string_view start, std::string_view end) {
    const std::string_view rest = Remaining();
    const std::ptrdiff_t s = SkipCount(rest, start);
    const std::ptrdiff_t e = Find(rest, end);
    std::string field;
    // e > s implies s >= 0 and e < size, so the cut stays inside the text.
    if (e > s) {
        field.assign(rest.substr(static_cast<std::size_t>(s), static_cast<std::size_t>(e - s)));
    }
    // SkipPast(end), reusing the position just found.
    const std::ptrdiff_t skip = e + static_cast<std::ptrdiff_t>(end.size());
    if (skip > 0) offset_ += std::min(static_cast<std::size_t>(skip), rest.size());
    return field;
}

int32_t CTextCursor::ExtractInt(std::string_view start, std::string_view end) {
    return DecimalValue(Extract(start, end));
}

int32_t CTextCursor::ExtractNumber(std::string_view start, std::string_view end) {
    return DecimalValue(RemoveCommas(Extract(start, end)));
}

std::string CTextCursor::ExtractField(std::string_view start, std::string_view end) {
    return RemoveCommas(Extract(start, end));
}

int32_t DecimalValue(std::string_view text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    auto isSpace = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    };
    while (i < n && isSpace(text[i])) ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate the magnitude in 64 bits and stop growing it once it is past
    // what 32 bits can hold, so any run of digits is read without overflow.
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t magnitude = 0;
    for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (magnitude <= kLimit) magnitude = magnitude * 10 + (text[i] - '0');
    }
    if (negative) {
        return magnitude >= kLimit ? std::numeric_limits<int32_t>::min()
                                   : static_cast<int32_t>(-magnitude);
    }
    return magnitude >= kLimit ? std::numeric_limits<int32_t>::max()
                               : static_cast<int32_t>(magnitude);
}

std::string RemoveCommas(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c != ',') out.push_back(c);
    }
    return out;
}
