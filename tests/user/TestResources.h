// Identifiers of the resources the resource tests read.
#pragma once

#define IDS_TITLE 1
#define IDS_BAND 17
#define IDS_EMPTY 18
#define IDI_APP 101
#define IDM_MENU 102
#define IDM_ABOUT 1001
#define IDM_EXIT 1002
#define IDM_MONO 1003
#define IDA_KEYS 103
#define IDD_SETTINGS 104
#define IDC_BAND 2001
#define IDC_VOLUME 2002
#define IDB_THREE 110
#define IDB_MASK 125
