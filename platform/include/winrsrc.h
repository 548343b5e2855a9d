// A program's resources: the compiled resource script that travels with
// its module (strings, icons, bitmaps, menus, accelerators, dialogs).
#pragma once

#include "windef.h"

#ifndef MAKEINTRESOURCEW
#define MAKEINTRESOURCEW(i) ((LPWSTR)((ULONG_PTR)((WORD)(i))))
#define MAKEINTRESOURCE MAKEINTRESOURCEW
#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)
#endif

#define RT_CURSOR MAKEINTRESOURCEW(1)
#define RT_BITMAP MAKEINTRESOURCEW(2)
#define RT_ICON MAKEINTRESOURCEW(3)
#define RT_MENU MAKEINTRESOURCEW(4)
#define RT_DIALOG MAKEINTRESOURCEW(5)
#define RT_STRING MAKEINTRESOURCEW(6)
#define RT_ACCELERATOR MAKEINTRESOURCEW(9)
#define RT_RCDATA MAKEINTRESOURCEW(10)
#define RT_GROUP_CURSOR MAKEINTRESOURCEW(12)
#define RT_GROUP_ICON MAKEINTRESOURCEW(14)
#define RT_VERSION MAKEINTRESOURCEW(16)

#define IDI_APPLICATION MAKEINTRESOURCEW(32512)

CE_BEGIN_DECLS

WINUSERAPI HRSRC WINAPI FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType);
WINUSERAPI HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo);
WINUSERAPI LPVOID WINAPI LockResource(HGLOBAL hResData);
WINUSERAPI DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo);
WINUSERAPI BOOL WINAPI FreeResource(HGLOBAL hResData);

WINUSERAPI int WINAPI LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax);
WINUSERAPI HICON WINAPI LoadIconW(HINSTANCE hInstance, LPCWSTR lpIconName);
WINUSERAPI BOOL WINAPI DestroyIcon(HICON hIcon);
WINUSERAPI HBITMAP WINAPI LoadBitmapW(HINSTANCE hInstance, LPCWSTR lpBitmapName);
WINUSERAPI HACCEL WINAPI LoadAcceleratorsW(HINSTANCE hInstance, LPCWSTR lpTableName);
// A menu resource as a menu (its pop-ups as sub-menus); DestroyMenu frees it.
WINUSERAPI HMENU WINAPI LoadMenuW(HINSTANCE hInstance, LPCWSTR lpMenuName);

CE_END_DECLS
