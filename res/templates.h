// The two dialog templates and the string table, as plain data.
//
// Positions and sizes are dialog units: a quarter of the dialog font's
// average character width horizontally, an eighth of its height vertically.
// Texts are UTF-8.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace res {

enum class ControlKind {
    kEdit,
    kPushButton,
    kProgressBar,
    kLabel,
    kListView,
    kIcon,
};

// Style bits of dialogs and controls.
enum Style : std::uint32_t {
    kPopup = 1u << 0,
    kVisible = 1u << 1,
    kCaption = 1u << 2,
    kSysMenu = 1u << 3,
    kThickFrame = 1u << 4,  // resizable border
    kModalFrame = 1u << 5,
    kSetFont = 1u << 6,
    kAppWindow = 1u << 7,  // a taskbar button of its own

    kBorder = 1u << 8,
    kTabStop = 1u << 9,
    kGroup = 1u << 10,
    kAutoHScroll = 1u << 11,
    kDefPushButton = 1u << 12,
    kNoPrefix = 1u << 13,  // '&' is shown, not taken as a mnemonic
    kReport = 1u << 14,    // list view with columns
};

struct ControlTemplate {
    ControlKind kind;
    int id;
    const char* text;  // caption, or the icon's resource number for kIcon
    int x;
    int y;
    int cx;
    int cy;
    std::uint32_t style;
};

struct DialogTemplate {
    int id;
    const char* caption;
    const char* fontFace;
    int pointSize;
    int cx;
    int cy;
    std::uint32_t style;
    std::span<const ControlTemplate> controls;  // template order = tab order
};

const DialogTemplate& MainTemplate();   // IDD_MAIN
const DialogTemplate& AboutTemplate();  // IDD_ABOUTBOX

// The template of that identifier, or null.
const DialogTemplate* FindTemplate(int id);

// The string table entry of that identifier; empty when there is none.
std::string_view LoadString(int id);

}  // namespace res
