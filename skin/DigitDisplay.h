// A frequency in units of 100 kHz shown as three digits, a decimal point
// and one digit (875 as " 87.5", 1080 as "108.0"), drawn from a strip
// picture of the ten digits and a point picture straight into the owner
// window's device context. Each cell is first restored from a background
// surface at the same coordinates; by default only the digits that
// changed are redrawn. Not a window.
#pragma once

#include "windows.h"

class DigitDisplay {
 public:
  DigitDisplay() = default;
  virtual ~DigitDisplay();
  DigitDisplay(const DigitDisplay&) = delete;
  DigitDisplay& operator=(const DigitDisplay&) = delete;

  // Loads the pictures from the program's resources (masks optional, 0 for
  // none). 0, with nothing loaded, when the strip or point id is 0.
  int Create(HWND owner, WORD stripId, int digitWidth, WORD pointId, WORD stripMaskId, WORD pointMaskId);
  // The surface the cells are restored from (not owned); 0 when null.
  int SetBackground(HDC background);
  void SetSuppressLeadingZeros(int flag) { suppressLeadingZeros_ = flag; }
  // Stored only while visible; no check of order, no redraw.
  void SetRange(DWORD minimum, DWORD maximum);
  // Clamped into the range (unsigned); ignored entirely while hidden.
  void SetValue(int value, int redraw);
  // Draws at (x, y), or at the last position when either is negative.
  // onlyChanged: only the digit cells whose digit changed, no point.
  int Draw(int onlyChanged, int x, int y);
  // Hiding paints the background over all five cells; showing repaints.
  int SetVisible(int flag);

  int Value() const { return value_; }
  bool Visible() const { return visible_ != 0; }

 private:
  void FreePictures();
  void RestoreCell(HDC dc, int x);
  // cell: 0 thousands .. 3 units, the digit's place in the cache.
  void DrawCell(HDC dc, int cell, int x, int digit, bool blank, int onlyChanged);
  void DrawPoint(HDC dc, int x);

  int visible_ = 1;
  int y_ = 0, x_ = 0;
  DWORD minimum_ = 0, maximum_ = 0;
  int suppressLeadingZeros_ = 0;
  HDC background_ = nullptr;
  BYTE cache_[4] = {255, 255, 255, 255};  // thousands, hundreds, tens, units
  int digitWidth_ = 0, digitHeight_ = 0;
  int pointWidth_ = 0, pointHeight_ = 0;
  HBITMAP strip_ = nullptr, point_ = nullptr, stripMask_ = nullptr, pointMask_ = nullptr;
  HWND owner_ = nullptr;
  HDC stripDc_ = nullptr, pointDc_ = nullptr, stripMaskDc_ = nullptr, pointMaskDc_ = nullptr;
  int value_ = 0;
};
