// ParsePage on arbitrary bytes: whatever the page holds, it yields twenty
// record lines of seven commas each, no zero byte, and history files that
// stay plain names in the working directory (a scratch folder here).
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "capture/page_parser.h"

namespace {

std::filesystem::path g_folder;
unsigned g_runs = 0;

void RemoveFolder() {
    std::error_code ec;
    std::filesystem::remove_all(g_folder, ec);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "rankelle-fuzz-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    g_folder = pattern;
    std::filesystem::current_path(g_folder);
    std::atexit(RemoveFolder);
    return 0;
}

// First byte: the ranking kind (its low bit); the rest: the page.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const int kind = data[0] & 1;
    const std::string_view page(reinterpret_cast<const char*>(data + 1), size - 1);

    const std::string lines = ParsePage(page, kind, "20050314a");

    std::size_t commas = 0;
    for (char c : lines) commas += c == ',';
    if (commas != 7 * 20 || lines.find('\0') != std::string::npos || lines.empty() ||
        lines.back() != '\n') {
        std::abort();
    }
    // Every history file must have landed in the scratch folder itself.
    if (++g_runs % 512 == 0) {
        for (const auto& entry : std::filesystem::directory_iterator(g_folder)) {
            if (!entry.is_regular_file()) std::abort();
        }
        for (const auto& entry : std::filesystem::directory_iterator(g_folder)) {
            std::filesystem::remove(entry.path());
        }
    }
    return 0;
}
