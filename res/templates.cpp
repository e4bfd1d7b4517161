#include "res/templates.h"

#include <array>

#include "res/resource.h"

namespace res {

namespace {

constexpr std::uint32_t kEditStyle = kBorder | kTabStop | kAutoHScroll;

constexpr std::array kMainControls = {
    ControlTemplate{ControlKind::kEdit, IDC_FILENAME, "", 7, 7, 91, 14, kEditStyle},
    ControlTemplate{ControlKind::kPushButton, IDC_FETCH, "取得(&A)", 102, 7, 50, 14, kTabStop},
    ControlTemplate{ControlKind::kPushButton, IDC_OPEN, "開く(&O)", 157, 7, 50, 14, kTabStop},
    ControlTemplate{ControlKind::kProgressBar, IDC_PROGRESS, "Progress1", 7, 25, 202, 14, kBorder},
    ControlTemplate{ControlKind::kLabel, IDC_STATIC, "コード(&N)", 10, 45, 39, 8, kGroup},
    ControlTemplate{ControlKind::kEdit, IDC_CODE, "", 54, 42, 40, 14, kEditStyle},
    ControlTemplate{ControlKind::kPushButton, IDC_CHART, "チャート(&C)", 101, 42, 50, 14, kTabStop},
    ControlTemplate{ControlKind::kPushButton, IDC_DETAIL, "詳細情報(&D)", 154, 42, 50, 14,
                    kTabStop},
    ControlTemplate{ControlKind::kPushButton, IDC_HISTORY, "履歴開く(&H)", 260, 42, 50, 14,
                    kTabStop},
    ControlTemplate{ControlKind::kListView, IDC_LIST, "List1", 7, 59, 305, 175,
                    kBorder | kTabStop | kReport},
    ControlTemplate{ControlKind::kPushButton, IDC_TIMESERIES, "時系列データ(&T)", 207, 42, 50, 14,
                    kTabStop},
};

constexpr std::array kAboutControls = {
    ControlTemplate{ControlKind::kIcon, IDC_STATIC, "128", 11, 17, 20, 20, 0},
    ControlTemplate{ControlKind::kLabel, IDC_STATIC, "Rankelle Version 0.0 D005", 40, 10, 119, 8,
                    kGroup | kNoPrefix},
    ControlTemplate{ControlKind::kLabel, IDC_STATIC, "株価ランキングの取得と閲覧", 40, 25, 119, 8,
                    kGroup},
    ControlTemplate{ControlKind::kPushButton, IDOK, "OK", 178, 7, 50, 14,
                    kGroup | kTabStop | kDefPushButton},
};

constexpr DialogTemplate kMain{
    IDD_MAIN,
    "Rankelle",
    "ＭＳ Ｐゴシック",
    9,
    319,
    241,
    kPopup | kVisible | kCaption | kSysMenu | kThickFrame | kSetFont | kAppWindow,
    kMainControls,
};

constexpr DialogTemplate kAbout{
    IDD_ABOUTBOX,
    "Rankelleのﾊﾞｰｼﾞｮﾝ情報",
    "ＭＳ Ｐゴシック",
    9,
    235,
    55,
    kPopup | kCaption | kSysMenu | kModalFrame | kSetFont,
    kAboutControls,
};

}  // namespace

const DialogTemplate& MainTemplate() { return kMain; }
const DialogTemplate& AboutTemplate() { return kAbout; }

const DialogTemplate* FindTemplate(int id) {
    if (id == IDD_MAIN) return &kMain;
    if (id == IDD_ABOUTBOX) return &kAbout;
    return nullptr;
}

std::string_view LoadString(int id) {
    if (id == IDS_ABOUTBOX) return "Rankelle のﾊﾞｰｼﾞｮﾝ情報(&A)...";
    return {};
}

}  // namespace res
