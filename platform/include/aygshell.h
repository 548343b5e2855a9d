// The handheld shell's calls for programs: the menu bar at the bottom of
// the screen, full-screen dialogs with "ok" in the navigation bar, and
// the shell's handling of setting changes.
#pragma once

#include "windef.h"

// Menu bar.
#define SHCMBF_EMPTYBAR 0x0001
#define SHCMBF_HIDDEN 0x0002
#define SHCMBF_HIDESIPBUTTON 0x0004
#define SHCMBF_COLORBK 0x0008
#define SHCMBF_HMENU 0x0010  // nToolBarId names a menu resource
#define SHCMBM_GETMENU (WM_USER + 402)  // 1426: the menu the bar shows

typedef struct tagSHMENUBARINFO {
  DWORD cbSize;
  HWND hwndParent;
  DWORD dwFlags;
  UINT nToolBarId;
  HINSTANCE hInstRes;
  int nBmpId;
  int cBmpImages;
  HWND hwndMB;  // set by the shell
  COLORREF clrBk;
} SHMENUBARINFO, *PSHMENUBARINFO;

// Dialogs.
#define SHIDIM_FLAGS 0x0001
#define SHIDIF_DONEBUTTON 0x0001
#define SHIDIF_SIZEDLG 0x0002
#define SHIDIF_SIZEDLGFULLSCREEN 0x0004
#define SHIDIF_SIPDOWN 0x0008
#define SHIDIF_FULLSCREENNOMENUBAR 0x0010

typedef struct tagSHINITDLGINFO {
  DWORD dwMask;
  HWND hDlg;
  DWORD dwFlags;
} SHINITDLGINFO, *PSHINITDLGINFO;

// Kept by a program for the shell's setting-change handling.
typedef struct tagSHACTIVATEINFO {
  DWORD cbSize;
  HWND hwndLastFocus;
  UINT fSipUp : 1;
  UINT fSipOnDeactivation : 1;
  UINT fActive : 1;
  UINT fReserved : 29;
} SHACTIVATEINFO, *PSHACTIVATEINFO;

CE_BEGIN_DECLS

// Makes the bar (26 pixels at the bottom of the screen) for the parent
// window; with SHCMBF_HMENU a "Menu" button whose pop-up opens above the
// bar and sends WM_COMMAND to the parent. TRUE with hwndMB set.
WINUSERAPI BOOL WINAPI SHCreateMenuBar(SHMENUBARINFO* pmbi);
// Sizes the dialog to the screen below the navigation bar and puts "ok"
// into the navigation bar (it sends IDOK to the dialog).
WINUSERAPI BOOL WINAPI SHInitDialog(PSHINITDLGINFO pshidi);
WINUSERAPI BOOL WINAPI SHHandleWMSettingChange(HWND hwnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* psai);

CE_END_DECLS
