// Hands an address or a file name to the desktop's default handler.
#pragma once

#include <string_view>

namespace platform {

// Starts xdg-open with `target` (code page 932, converted to UTF-8; the name of
// an existing file made absolute) without a shell and without waiting for it;
// the child is reaped in the background.
// The result is not reported: a failure to start shows nowhere.
void ShellOpen(std::string_view target);

}  // namespace platform
