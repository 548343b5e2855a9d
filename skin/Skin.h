// The skin: four full-screen pictures from the installation directory,
// each selected into a memory device context (a skin surface) from which
// the main window paints its background and the widgets, sliders and
// digit displays copy their images.
//
//   background surface  "\Windows\BK_U.bmp" (its own copy)
//   U surface           "\Windows\BK_U.bmp": every control's normal look
//   P surface           "\Windows\BK_P.bmp": pressed looks of the stereo
//                       indicator and the mono toggle; the Japan scale
//   E surface           "\Windows\BK_E.bmp": every other pressed look and
//                       the lit look of every toggle
//
// The four BitmapFile objects are program-wide objects of the screen (they
// come first in its construction order) and own the pictures; the skin
// creates and deletes only the surfaces. Everything else borrows the
// surface handles.
#pragma once

#include "BitmapFile.h"
#include "windows.h"

struct SkinBitmaps {
  BitmapFile background;
  BitmapFile u;
  BitmapFile p;
  BitmapFile e;
};

inline constexpr DWORD kInstallDirChars = 260;

// Reads HKLM\SOFTWARE\Apps\Veltrane "InstallDir" into buffer: the first
// `capacity` bytes are zeroed, and at most `capacity` bytes are read (the
// main window passes 260, so a directory of up to 129 characters fits; a
// longer one leaves the buffer empty). 1 when the key could be opened.
int ReadInstallDir(DWORD capacity, WCHAR* buffer);

class Skin {
 public:
  explicit Skin(SkinBitmaps& bitmaps) : bitmaps_(bitmaps) {}
  Skin(const Skin&) = delete;
  Skin& operator=(const Skin&) = delete;

  // Loads the four pictures from installDir + "\Windows\BK_?.bmp" (a
  // failed load does not stop the others) and creates the four surfaces
  // compatible with the window's device context.
  void LoadSkin(HWND window, const WCHAR* installDir);
  // Deletes the surfaces that exist (the pictures stay with their owners).
  void FreeSkin();

  HDC Background() const { return background_; }
  HDC U() const { return u_; }
  HDC P() const { return p_; }
  HDC E() const { return e_; }

 private:
  void CreateSkinSurfaces(HWND window);

  SkinBitmaps& bitmaps_;
  HDC background_ = nullptr;
  HDC u_ = nullptr;
  HDC p_ = nullptr;
  HDC e_ = nullptr;
};
