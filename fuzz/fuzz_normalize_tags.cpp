// NormalizeTags on arbitrary bytes: the length stays, a byte either stays or
// is a lower-case ASCII letter that became its capital, and a second pass
// changes nothing.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "retrieval/markup.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string original(reinterpret_cast<const char*>(data), size);
    std::string text = original;
    NormalizeTags(text);
    if (text.size() != original.size()) std::abort();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char before = original[i];
        const char after = text[i];
        if (after != before && !(before >= 'a' && before <= 'z' && after == before - 'a' + 'A')) {
            std::abort();
        }
    }
    std::string again = text;
    NormalizeTags(again);
    if (again != text) std::abort();
    return 0;
}
