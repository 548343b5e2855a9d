// Identifiers of Ondrel's resources and commands, shared by the resource
// script and the program. Plain numbers only: the resource compiler's
// preprocessor reads this file too.
#pragma once

// Strings.
#define IDS_APP_TITLE 1
#define IDS_WINDOW_CLASS 3

// Icon, menu, accelerators, dialogs.
#define IDI_ONDREL 101
#define IDR_MAIN_MENU 102
#define IDR_ACCELERATORS 3
#define IDD_ABOUTBOX 103
#define IDD_SETTING 133

// Pictures (24-bit, uncompressed). Masks are white where the background
// shows through and black where the picture is.
#define IDB_POINT_LARGE 109
#define IDB_DIGITS_LARGE 110
#define IDB_FREQ_THUMB 117
#define IDB_FREQ_THUMB_PRESSED 119
#define IDB_VOLUME_THUMB 123
#define IDB_VOLUME_THUMB_PRESSED 124
#define IDB_FREQ_THUMB_MASK 125
#define IDB_VOLUME_THUMB_MASK 126
#define IDB_DIGITS_LARGE_MASK 129
#define IDB_POINT_LARGE_MASK 130
#define IDB_DIGITS_SMALL 131
#define IDB_POINT_SMALL 132
#define IDB_DIGITS_SMALL_MASK 136
#define IDB_POINT_SMALL_MASK 137

// Menu commands (IDOK, 1, is the accelerator Ctrl+Q's command).
#define IDM_ABOUT 40003
#define IDM_EXIT 40004
#define IDM_SETTING 40005
#define IDM_RDS 40006

// Dialog controls.
#define IDC_SEARCH_LEVEL 1001
#define IDC_BAND_EUROPE 1002
#define IDC_BAND_USA 1003
#define IDC_BAND_JAPAN 1006
#define IDC_NOISE_CANCEL_OFF 1007
#define IDC_NOISE_CANCEL_GROUP 1008
#define IDC_ABOUT_BAND 1012
