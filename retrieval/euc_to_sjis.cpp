#include "retrieval/euc_to_sjis.h"

namespace {

// JIS X 0208 row/cell (each 0x21..0x7E) to the Shift_JIS pair.
inline void AppendJisPair(std::string& out, unsigned j1, unsigned j2) {
    unsigned second;
    if (j1 & 1) {
        second = j2 + (j2 <= 0x5F ? 0x1F : 0x20);
    } else {
        second = j2 + 0x7E;
    }
    unsigned first = ((j1 - 0x21) >> 1) + 0x81;
    if (first > 0x9F) first += 0x40;
    out.push_back(static_cast<char>(first));
    out.push_back(static_cast<char>(second));
}

}  // namespace

// One pass over the input. A byte that needs a follower but stands last is
// followed by 0x00, as if the text ended in a zero byte. Pairs whose second
// byte is not 0xA1..0xFE have no Shift_JIS form and become 0x00 0x00.
std::string ToShiftJis(std::string_view eucText) {
    std::string out;
    // The result is never longer than the input plus the two bytes a dangling
    // lead byte can add.
    out.reserve(eucText.size() + 2);
    const std::size_t n = eucText.size();
    std::size_t i = 0;
    while (i < n) {
        const auto b = static_cast<unsigned char>(eucText[i]);
        if (b == 0x8E) {
            ++i;
            out.push_back(i < n ? eucText[i] : '\0');
        } else if (b >= 0xA1 && b <= 0xFE) {
            ++i;
            const auto t = i < n ? static_cast<unsigned char>(eucText[i]) : 0u;
            if (t >= 0xA1 && t <= 0xFE) {
                AppendJisPair(out, b ^ 0x80u, t ^ 0x80u);
            } else {
                out.push_back('\0');
                out.push_back('\0');
            }
        } else {
            out.push_back(static_cast<char>(b));
        }
        ++i;
    }
    return out;
}
