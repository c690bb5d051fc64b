// Identifiers of the dialog templates, their controls and the icon.
#pragma once

// Templates.
constexpr int IDD_MAIN = 100;
constexpr int IDD_INFO = 200;
constexpr int IDD_OPTIONS = 400;
// The program icon (16 to 64 pixels).
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
constexpr int XLSX = 122;

// Info dialog.
constexpr int INFO_TEXT = 201;
constexpr int INFO_OK = 203;
constexpr int INFO_NOTICE = -1;  // the notice is never addressed

// Options dialog. Group boxes and labels carry identifiers of their own but
// are never addressed by the procedure.
constexpr int TOTFORM = 102;
constexpr int SEPKOMMA = 106;
constexpr int SEPTAB = 107;
constexpr int GRP_GENERAL = 401;
constexpr int EXTENSIONS = 402;
constexpr int GRP_TEXT = 404;
constexpr int RMEXT = 405;
constexpr int LBL_SEPARATOR = 406;
constexpr int IDOOK = 407;
constexpr int IDOCAN = 408;
constexpr int LBL_FORMATTED = 409;
constexpr int COLWTIT = 410;
constexpr int COLWART = 411;
constexpr int LBL_ARTIST = 412;
constexpr int LBL_WIDTH = 413;
constexpr int LBL_IMPORT = 414;
constexpr int LBL_TITLE = 415;
constexpr int LBL_ORDER = 416;
constexpr int TITFIRST = 419;
constexpr int ARTFIRST = 420;
constexpr int LBL_MUSICDIR = 421;
constexpr int MUSICDIR = 422;
constexpr int MUSICDIRBTN = 423;
constexpr int HEADROW = 424;
