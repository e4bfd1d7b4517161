// Code page 932 (Shift_JIS) helpers: the character rules the program's texts
// follow, and conversion to and from UTF-8 at the edges of the system.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// True when the byte opens a two-byte Shift_JIS character (0x81..0x9F, 0xE0..0xFC).
constexpr bool IsLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Position of the first occurrence of `token` in `text`, or -1 when absent.
// The search steps through `text` by Shift_JIS characters (a token never
// matches at the second byte of a two-byte character) and looks only at the
// bytes before the first zero byte. An empty token is absent.
std::ptrdiff_t FindToken(std::string_view text, std::string_view token);

// `text` up to, not including, its first zero byte.
std::string_view UpToZero(std::string_view text);

// Code page 932 -> UTF-8 (glibc iconv "CP932"). Bytes that do not form a
// code page 932 character are passed through unchanged, so the conversion
// never loses a byte (what a file name needs); a display shows them as
// replacement characters.
std::string ToUtf8(std::string_view cp932);

// UTF-8 -> code page 932. Bytes that are not valid UTF-8 are passed through
// unchanged; characters without a code page 932 form become '?'.
std::string FromUtf8(std::string_view utf8);

}  // namespace platform
