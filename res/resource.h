// Resource identifiers of the program: templates, strings, icon, commands and controls.
#pragma once

inline constexpr int IDOK = 1;
inline constexpr int IDC_STATIC = -1;  // a control nobody addresses

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr int IDD_MAIN = 102;
inline constexpr int IDR_MAINFRAME = 128;

// Window-menu command that opens the About box; the low four bits are free.
inline constexpr unsigned IDM_ABOUTBOX = 0x0010;

inline constexpr int IDC_FETCH = 1000;
inline constexpr int IDC_FILENAME = 1001;
inline constexpr int IDC_PROGRESS = 1002;
inline constexpr int IDC_LIST = 1003;
inline constexpr int IDC_OPEN = 1004;
inline constexpr int IDC_CODE = 1005;
inline constexpr int IDC_CHART = 1006;
inline constexpr int IDC_DETAIL = 1007;
inline constexpr int IDC_HISTORY = 1008;
inline constexpr int IDC_TIMESERIES = 1009;
