// Identifiers of the dialog templates, their controls and the icon.
#pragma once

// Templates.
constexpr int IDD_MAIN = 100;
constexpr int IDD_INFO = 200;
constexpr int IDD_OPTIONS = 400;
// The program icon (16 x 16 and 32 x 32).
constexpr int IDI_MIRTUN = 300;

// Main dialog controls; "Umwandeln" and "Beenden" carry the standard
// identifiers IDOK (1) and IDCANCEL (2).
constexpr int LBL_SOURCE = 101;
constexpr int IDINFO = 103;
constexpr int LBL_TARGET = 104;
constexpr int ASCII = 105;
constexpr int HTML = 108;
constexpr int IDOPT = 109;
constexpr int TFMT = 110;
constexpr int SOURCE = 112;
constexpr int TARGET = 113;
constexpr int TOTAL = 114;
constexpr int SOURCEBTN = 115;
constexpr int TARGETBTN = 116;
constexpr int ID_HELP = 117;
constexpr int IDPREVIEW = 121;
