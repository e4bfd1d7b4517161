// A forward-only scanner over one Shift_JIS text.
//
// The cursor holds the remaining text; every operation shortens it or reads a
// field out of it and then shortens it. Tokens are found from the beginning of
// the remaining text, character by character, and only before its first zero
// byte. An absent token never fails: it yields empty fields and zeros by fixed
// rules that the page parser relies on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class CTextCursor {
public:
    explicit CTextCursor(std::string text);
    virtual ~CTextCursor() = default;

    // Drops everything up to and including the token's first occurrence. An
    // absent token of length L drops the first L - 1 bytes.
    void SkipPast(std::string_view token);

    // Keeps only what precedes the token's first occurrence; an absent token
    // empties the remaining text.
    void TruncateAt(std::string_view token);

    // The bytes between the start token and the end token (both searched from
    // the beginning of the remaining text), then SkipPast(end).
    std::string Extract(std::string_view start, std::string_view end);

    // Decimal value of Extract's field (commas kept: "1,234" reads as 1).
    int32_t ExtractInt(std::string_view start, std::string_view end);

    // Decimal value of Extract's field after comma removal ("1,234" reads as 1234).
    int32_t ExtractNumber(std::string_view start, std::string_view end);

    // Extract's field after comma removal.
    std::string ExtractField(std::string_view start, std::string_view end);

    std::string_view Remaining() const;

private:
    std::string text_;
    std::size_t offset_ = 0;  // the remaining text is text_[offset_, end)
};

// Decimal value of a text: leading white space, an optional sign, the longest
// run of digits; 0 without digits. Values beyond 32 bits saturate at
// INT32_MAX / INT32_MIN.
int32_t DecimalValue(std::string_view text);

// `text` without any comma byte.
std::string RemoveCommas(std::string_view text);
