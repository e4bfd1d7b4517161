#include "platform/mbcs.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace platform {

std::string_view UpToZero(std::string_view text) {
    const auto zero = text.find('\0');
    return zero == std::string_view::npos ? text : text.substr(0, zero);
}

std::ptrdiff_t FindToken(std::string_view text, std::string_view token) {
    // A token holding a zero byte could only match across the first zero byte.
    if (token.empty() || token.find('\0') != std::string_view::npos) return -1;
    const std::size_t n = text.size();
    const std::size_t m = token.size();
    const char* const p = text.data();
    std::size_t i = 0;
    while (i < n && p[i] != '\0') {
        if (m > n - i) return -1;
        // The token holds no zero byte, so a match cannot reach past one.
        if (p[i] == token[0] && std::memcmp(p + i, token.data(), m) == 0) {
            return static_cast<std::ptrdiff_t>(i);
        }
        if (IsLeadByte(static_cast<unsigned char>(p[i]))) {
            // The trail byte is part of this character; a zero there still ends the search.
            if (i + 1 < n && p[i + 1] == '\0') return -1;
            i += 2;
        } else {
            i += 1;
        }
    }
    return -1;
}

namespace {

// An iconv descriptor kept for the life of a thread: opening one loads the
// converter module, which would dominate a capture's many short name
// conversions. iconv_t may not be shared between threads, hence thread_local.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

  private:
    iconv_t cd_;
};

bool IsAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

// One conversion. Input bytes that do not convert are copied unchanged; with
// `questionForUnmappable`, a valid UTF-8 character that has no counterpart
// becomes '?'. ASCII is the same in both encodings (CP932 keeps 0x5C as the
// backslash) and is returned as it is.
std::string Convert(const Converter& converter, std::string_view in, bool questionForUnmappable) {
    if (IsAscii(in) || !converter.ok()) return std::string(in);
    std::string out;
    iconv_t cd = converter.get();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    out.reserve(in.size() * 3 / 2 + 8);
    char buffer[4096];
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    while (srcLeft > 0) {
        char* dst = buffer;
        std::size_t dstLeft = sizeof buffer;
        const std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, static_cast<std::size_t>(dst - buffer));
        if (rc != static_cast<std::size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL: the byte at src does not start a convertible
        // character. Keep it (or a '?' when it is a valid character without a
        // counterpart) and go on with the next byte.
        if (questionForUnmappable && errno == EILSEQ && static_cast<unsigned char>(*src) >= 0x80) {
            // In UTF-8 input, a valid multi-byte character that CP932 lacks:
            // skip its whole sequence and write '?'.
            const unsigned char lead = static_cast<unsigned char>(*src);
            std::size_t len = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
            bool valid = len > 1 && len <= srcLeft;
            for (std::size_t k = 1; valid && k < len; ++k) {
                valid = (static_cast<unsigned char>(src[k]) & 0xC0) == 0x80;
            }
            if (valid) {
                out.push_back('?');
                src += len;
                srcLeft -= len;
                continue;
            }
        }
        out.push_back(*src);
        ++src;
        --srcLeft;
    }
    return out;
}

}  // namespace

std::string ToUtf8(std::string_view cp932) {
    thread_local const Converter converter("UTF-8", "CP932");
    return Convert(converter, cp932, false);
}

std::string FromUtf8(std::string_view utf8) {
    thread_local const Converter converter("CP932", "UTF-8");
    return Convert(converter, utf8, true);
}

}  // namespace platform
