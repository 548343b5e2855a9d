// One skin picture read from an uncompressed Windows bitmap file on the
// device into a DIB section that the object keeps for its life.
//
// The file's info block (BITMAPINFOHEADER and colour table, the bytes
// between the 14-byte file header and the pixel data) becomes the
// section's BITMAPINFO. A file that is not a bitmap, is compressed, or has
// another header than the 40-byte one is refused with a message box
// ("Error") naming what is wrong; a file that cannot be opened is refused
// silently. Pixel data are never read beyond the section's memory.
#pragma once

#include "windows.h"

class BitmapFile {
 public:
  BitmapFile() = default;
  virtual ~BitmapFile();
  BitmapFile(const BitmapFile&) = delete;
  BitmapFile& operator=(const BitmapFile&) = delete;

  // 1 when the section was built and filled, 0 otherwise. Called once.
  int Load(LPCWSTR path);
  // The section; stays owned by this object (select it, never delete it).
  HBITMAP GetBitmap() const { return bitmap_; }

 private:
  // Load's steps after the file is open; the caller closes it.
  int LoadFrom(HANDLE file);
  // Allocates the info block and fills it from the file; 0 without memory.
  int ReadInfo(HANDLE file, DWORD length);

  BYTE* info_ = nullptr;  // owned: header and colour table
  void* bits_ = nullptr;  // the section's pixel memory
  HBITMAP bitmap_ = nullptr;
};
