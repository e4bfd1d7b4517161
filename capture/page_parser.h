// Turns one prepared ranking page (tags upper-cased, Shift_JIS) into its
// twenty record lines, appending each row's history line on the way.
#pragma once

#include <string>
#include <string_view>

// The text that encloses the ranking table, twice.
inline constexpr std::string_view kPageMarker =
    "<!-- "
    "-----------------------------------------------------------------------------------"
    ">\n";

// The twenty record lines of the page; `kind` 0 or 1 (anything but 0 is 1).
// History lines are written relative to the working directory, prefixed with `stem`.
std::string ParsePage(std::string_view page, int kind, std::string_view stem);

// The record line of one row; appends its history line.
std::string ParseRow(std::string_view row, int kind, std::string_view stem);
