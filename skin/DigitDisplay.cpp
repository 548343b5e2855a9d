#include "DigitDisplay.h"

namespace {

// A program picture selected into a memory context of its own; the
// picture's size goes to info when asked for.
HDC LoadPicture(HDC like, WORD id, HBITMAP& picture, BITMAP* info) {
  picture = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
  if (info) GetObjectW(picture, sizeof *info, info);
  HDC dc = CreateCompatibleDC(like);
  SelectObject(dc, picture);
  return dc;
}

template <typename Handle, typename Deleter>
void Drop(Handle& handle, Deleter deleter) {
  if (handle) deleter(handle);
  handle = nullptr;
}

}  // namespace

DigitDisplay::~DigitDisplay() { FreePictures(); }

void DigitDisplay::FreePictures() {
  auto deleteDc = [](HDC dc) { DeleteDC(dc); };
  auto deleteBitmap = [](HBITMAP bitmap) { DeleteObject(bitmap); };
  Drop(stripDc_, deleteDc);
  Drop(pointDc_, deleteDc);
  Drop(stripMaskDc_, deleteDc);
  Drop(pointMaskDc_, deleteDc);
  Drop(strip_, deleteBitmap);
  Drop(point_, deleteBitmap);
  Drop(stripMask_, deleteBitmap);
  Drop(pointMask_, deleteBitmap);
}

int DigitDisplay::Create(HWND owner, WORD stripId, int digitWidth, WORD pointId, WORD stripMaskId, WORD pointMaskId) {
  owner_ = owner;
  if (stripId == 0 || pointId == 0) return 0;
  FreePictures();  // a second Create replaces the pictures rather than leaking them
  HDC windowDc = GetDC(owner);
  BITMAP stripInfo{}, pointInfo{};
  stripDc_ = LoadPicture(windowDc, stripId, strip_, &stripInfo);
  pointDc_ = LoadPicture(windowDc, pointId, point_, &pointInfo);
  if (stripMaskId != 0) stripMaskDc_ = LoadPicture(windowDc, stripMaskId, stripMask_, nullptr);
  if (pointMaskId != 0) pointMaskDc_ = LoadPicture(windowDc, pointMaskId, pointMask_, nullptr);
  ReleaseDC(owner, windowDc);
  digitHeight_ = stripInfo.bmHeight;
  pointWidth_ = pointInfo.bmWidth;
  pointHeight_ = pointInfo.bmHeight;
  digitWidth_ = digitWidth;
  return 1;
}

int DigitDisplay::SetBackground(HDC background) {
  if (!background) return 0;
  background_ = background;
  return 1;
}

void DigitDisplay::SetRange(DWORD minimum, DWORD maximum) {
  if (!visible_) return;
  minimum_ = minimum;
  maximum_ = maximum;
}

void DigitDisplay::SetValue(int value, int redraw) {
  if (!visible_) return;
  DWORD v = static_cast<DWORD>(value);
  if (v > maximum_) v = maximum_;
  if (v < minimum_) v = minimum_;
  value_ = static_cast<int>(v);
  if (redraw) Draw(1, -1, -1);
}

int DigitDisplay::SetVisible(int flag) {
  visible_ = flag;
  return Draw(0, -1, -1);
}

void DigitDisplay::RestoreCell(HDC dc, int x) {
  if (background_) BitBlt(dc, x, y_, digitWidth_, digitHeight_, background_, x, y_, SRCCOPY);
}

// One digit cell: restored from the background, then the digit through
// its mask (or ANDed straight on when there is no mask, the strip's white
// leaving the background as it is).
void DigitDisplay::DrawCell(HDC dc, int cell, int x, int digit, bool blank, int onlyChanged) {
  if (onlyChanged && cache_[cell] == digit) return;
  RestoreCell(dc, x);
  cache_[cell] = static_cast<BYTE>(digit);
  // A value past 9999 has no picture for its leading digit: left blank
  // rather than copied from beyond the strip.
  if (!visible_ || blank || digit < 0 || digit > 9) return;
  const int column = digit * digitWidth_;
  if (stripMaskDc_) {
    BitBlt(dc, x, y_, digitWidth_, digitHeight_, stripMaskDc_, column, 0, SRCAND);
    BitBlt(dc, x, y_, digitWidth_, digitHeight_, stripDc_, column, 0, SRCPAINT);
  } else {
    BitBlt(dc, x, y_, digitWidth_, digitHeight_, stripDc_, column, 0, SRCAND);
  }
}

void DigitDisplay::DrawPoint(HDC dc, int x) {
  RestoreCell(dc, x);
  if (!visible_) return;
  if (stripMaskDc_) {
    BitBlt(dc, x, y_, pointWidth_, pointHeight_, pointMaskDc_, 0, 0, SRCAND);
    BitBlt(dc, x, y_, pointWidth_, pointHeight_, pointDc_, 0, 0, SRCPAINT);
  } else {
    BitBlt(dc, x, y_, pointWidth_, pointHeight_, pointDc_, 0, 0, SRCAND);
  }
}

int DigitDisplay::Draw(int onlyChanged, int x, int y) {
  if (x >= 0 && y >= 0) {
    x_ = x;
    y_ = y;
  }
  const int thousands = value_ / 1000;
  const int r = value_ - 1000 * thousands;
  const int hundreds = r / 100;
  const int s = r - 100 * hundreds;
  const int tens = s / 10;
  const int units = s - 10 * tens;
  const bool blankThousands = suppressLeadingZeros_ && thousands == 0;
  const bool blankHundreds = blankThousands && hundreds == 0;

  HDC dc = GetDC(owner_);
  DrawCell(dc, 0, x_, thousands, blankThousands, onlyChanged);
  DrawCell(dc, 1, x_ + digitWidth_, hundreds, blankHundreds, onlyChanged);
  DrawCell(dc, 2, x_ + 2 * digitWidth_, tens, false, onlyChanged);
  if (!onlyChanged) DrawPoint(dc, x_ + 3 * digitWidth_);
  DrawCell(dc, 3, x_ + 3 * digitWidth_ + pointWidth_, units, false, onlyChanged);
  ReleaseDC(owner_, dc);
  return 1;
}
