// ToShiftJis on arbitrary bytes: never reads or writes out of bounds, never
// grows a text by more than the two bytes of a dangling lead byte, and leaves
// 7-bit text as it is.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "retrieval/euc_to_sjis.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string out = ToShiftJis(text);
    if (out.size() > text.size() + 2) std::abort();

    bool sevenBit = true;
    for (unsigned char c : text) sevenBit &= c < 0x80;
    if (sevenBit && out != text) std::abort();
    return 0;
}
