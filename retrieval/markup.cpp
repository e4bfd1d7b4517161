#include "retrieval/markup.h"

// One pass, one state: outside a tag we look for '<', inside for '>'. Only
// lower-case ASCII letters inside a tag change; the length never changes.
// Safe on EUC-JP text, whose multi-byte characters have every high bit set.
void NormalizeTags(std::string& text) {
    bool inside = false;
    for (char& c : text) {
        if (c == (inside ? '>' : '<')) {
            inside = !inside;
        } else if (inside && c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 0x20);
        }
    }
}
