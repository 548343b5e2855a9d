// The skin's pictures and the memory device contexts that hold them.
#include "Skin.h"

#include <cstring>

#include "strsafe.h"

namespace {

const WCHAR kInstallKey[] = TEXT("SOFTWARE\\Apps\\Veltrane");
const WCHAR kInstallDirValue[] = TEXT("InstallDir");

const WCHAR kNormalLook[] = TEXT("\\Windows\\BK_U.bmp");
const WCHAR kPressedLook[] = TEXT("\\Windows\\BK_P.bmp");
const WCHAR kLitLook[] = TEXT("\\Windows\\BK_E.bmp");

constexpr size_t kPathChars = 260;

// Loads installDir + filePart. A path that does not fit the buffer is not
// tried: a cut-off path could name another file.
void LoadSkinFile(BitmapFile& bitmap, const WCHAR* installDir, const WCHAR* filePart) {
  WCHAR path[kPathChars];
  if (FAILED(StringCchCopyW(path, kPathChars, installDir ? installDir : TEXT(""))) || FAILED(StringCchCatW(path, kPathChars, filePart)))
    return;
  bitmap.Load(path);
}

// A memory device context like the window's, holding the picture (if any).
HDC CreateSurface(HDC windowDc, HBITMAP picture) {
  HDC surface = CreateCompatibleDC(windowDc);
  if (surface && picture) SelectObject(surface, picture);
  return surface;
}

void DeleteSurface(HDC& surface) {
  if (surface) DeleteDC(surface);
  surface = nullptr;
}

}  // namespace

int ReadInstallDir(DWORD capacity, WCHAR* buffer) {
  std::memset(buffer, 0, capacity);
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kInstallKey, 0, nullptr, 0, 0, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return 0;
  DWORD length = capacity;
  RegQueryValueExW(key, kInstallDirValue, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &length);
  RegCloseKey(key);
  // A value that fills the buffer to its last character without a
  // terminator is longer than the buffer: treat it like one that did not
  // fit at all.
  DWORD chars = capacity / sizeof(WCHAR);
  if (chars > 0 && buffer[chars - 1] != 0) std::memset(buffer, 0, capacity);
  return 1;
}

void Skin::LoadSkin(HWND window, const WCHAR* installDir) {
  HDC windowDc = GetDC(window);
  LoadSkinFile(bitmaps_.background, installDir, kNormalLook);
  LoadSkinFile(bitmaps_.u, installDir, kNormalLook);
  LoadSkinFile(bitmaps_.p, installDir, kPressedLook);
  LoadSkinFile(bitmaps_.e, installDir, kLitLook);
  background_ = CreateSurface(windowDc, bitmaps_.background.GetBitmap());
  ReleaseDC(window, windowDc);
  CreateSkinSurfaces(window);
}

void Skin::CreateSkinSurfaces(HWND window) {
  HDC windowDc = GetDC(window);
  u_ = CreateSurface(windowDc, bitmaps_.u.GetBitmap());
  p_ = CreateSurface(windowDc, bitmaps_.p.GetBitmap());
  e_ = CreateSurface(windowDc, bitmaps_.e.GetBitmap());
  ReleaseDC(window, windowDc);
}

// The handles are forgotten as well: once deleted, a surface's handle
// value may come back for another device context.
void Skin::FreeSkin() {
  DeleteSurface(background_);
  DeleteSurface(u_);
  DeleteSurface(p_);
  DeleteSurface(e_);
}
