// EUC-JP to Shift_JIS by the arithmetic relation of the two encodings (no table).
#pragma once

#include <string>
#include <string_view>

std::string ToShiftJis(std::string_view eucText);
