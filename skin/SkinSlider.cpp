#include "SkinSlider.h"

#include <cmath>
#include <cstdint>

#include "DigitDisplay.h"
#include "RadioDevice.h"

namespace {

// A program picture, described, in a memory context of its own that
// holds it selected for the slider's life.
HDC LoadSelected(HDC like, WORD id, HBITMAP& picture, BITMAP& info) {
  picture = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
  GetObjectW(picture, sizeof info, &info);
  HDC dc = CreateCompatibleDC(like);
  SelectObject(dc, picture);
  return dc;
}

void DeleteContext(HDC& dc) {
  if (dc) DeleteDC(dc);
  dc = nullptr;
}

void DeletePicture(HBITMAP& picture) {
  if (picture) DeleteObject(picture);
  picture = nullptr;
}

// Values are ints but ranges may span more than an int can hold.
std::int64_t Span(int from, int to) { return std::int64_t{to} - from; }

}  // namespace

SkinSlider::~SkinSlider() { FreePictures(); }

void SkinSlider::FreePictures() {
  DeleteContext(maskDc_);
  DeleteContext(backgroundDc_);
  DeleteContext(thumbDc_);
  DeleteContext(pressedDc_);
  DeletePicture(mask_);
  DeletePicture(thumb_);
  DeletePicture(pressedThumb_);
  DeletePicture(background_);
}

int SkinSlider::Create(HWND owner, int orientation, int left, int top, int width, int height, WORD thumbId,
                       WORD pressedThumbId, WORD backgroundId) {
  FreePictures();  // created again: the old pictures go rather than leak
  owner_ = owner;
  orientation_ = orientation;
  left_ = left;
  top_ = top;
  right_ = left + width;
  bottom_ = top + height;
  HDC windowDc = GetDC(owner);
  thumbDc_ = LoadSelected(windowDc, thumbId, thumb_, thumbInfo_);
  if (orientation_ == kHorizontal) {
    originX_ = left;
    originY_ = top + (height - thumbInfo_.bmHeight) / 2;
  } else {
    originX_ = left + (width - thumbInfo_.bmWidth) / 2;
    originY_ = bottom_ - thumbInfo_.bmHeight;
  }
  if (backgroundId != 0) backgroundDc_ = LoadSelected(windowDc, backgroundId, background_, backgroundInfo_);
  if (pressedThumbId != 0) pressedDc_ = LoadSelected(windowDc, pressedThumbId, pressedThumb_, pressedInfo_);
  ReleaseDC(owner, windowDc);
  return 1;
}

int SkinSlider::SetMask(WORD maskId) {
  if (maskId == 0) return 0;
  DeleteContext(maskDc_);
  DeletePicture(mask_);
  BITMAP unused{};
  HDC windowDc = GetDC(owner_);
  maskDc_ = LoadSelected(windowDc, maskId, mask_, unused);
  ReleaseDC(owner_, windowDc);
  return 1;
}

void SkinSlider::SetSharedBackground(HDC surface, int x, int y) {
  if (!surface) return;
  sharedDc_ = surface;
  shared_ = {x, y, x + (right_ - left_), y + (bottom_ - top_)};
  useShared_ = 1;
}

int SkinSlider::Travel() const {
  if (orientation_ == kHorizontal) return right_ - thumbInfo_.bmWidth - left_;
  return bottom_ - thumbInfo_.bmHeight - top_;
}

int SkinSlider::SetRange(int minimum, int maximum) {
  if (static_cast<DWORD>(maximum) <= static_cast<DWORD>(minimum)) return 0;
  minimum_ = minimum;
  maximum_ = maximum;
  position_ = minimum;
  scale_ = static_cast<float>(Travel()) / static_cast<float>(Span(minimum, maximum));
  return 1;
}

int SkinSlider::Offset(int value) const {
  return static_cast<int>(std::trunc(static_cast<float>(Span(minimum_, value)) * scale_));
}

POINT SkinSlider::ThumbPlace(int value) const {
  if (orientation_ == kHorizontal) return {originX_ + Offset(value), originY_};
  return {originX_, originY_ - Offset(value)};
}

bool SkinSlider::Drawable() const { return position_ >= 0 && scale_ > 0.0f; }

void SkinSlider::DrawThumb(HDC dc, HDC picture, POINT place) const {
  const int w = thumbInfo_.bmWidth, h = thumbInfo_.bmHeight;
  if (maskDc_) {
    BitBlt(dc, place.x, place.y, w, h, maskDc_, 0, 0, SRCAND);
    BitBlt(dc, place.x, place.y, w, h, picture, 0, 0, SRCPAINT);
  } else {
    BitBlt(dc, place.x, place.y, w, h, picture, 0, 0, SRCCOPY);
  }
}

// The thumb as the pen shows it; a slider without a pressed picture
// shows its normal thumb rather than the bare mask.
HDC SkinSlider::ThumbPicture(int pressed) const { return pressed && pressedDc_ ? pressedDc_ : thumbDc_; }

void SkinSlider::CopyTrack(HDC dc, int dx, int dy, int w, int h, int sharedX, int sharedY, int ownX,
                           int ownY) const {
  if (useShared_)
    BitBlt(dc, dx, dy, w, h, sharedDc_, sharedX, sharedY, SRCCOPY);
  else
    BitBlt(dc, dx, dy, w, h, backgroundDc_, ownX, ownY, SRCCOPY);
}

void SkinSlider::Paint() {
  if (!Drawable()) return;
  HDC dc = GetDC(owner_);
  CopyTrack(dc, left_, top_, right_ - left_, bottom_ - top_, shared_.left, shared_.top, 0, 0);
  if (enabled_) DrawThumb(dc, thumbDc_, ThumbPlace(position_));
  ReleaseDC(owner_, dc);
}

// Only the strip of track the old thumb covered is repainted, then the
// thumb at its new place.
void SkinSlider::MoveThumb(int oldPosition, int pressed) {
  if (!Drawable() || oldPosition == position_) return;
  const int o = Offset(oldPosition);
  const int thumbW = thumbInfo_.bmWidth, thumbH = thumbInfo_.bmHeight;
  HDC dc = GetDC(owner_);
  if (orientation_ == kHorizontal)
    CopyTrack(dc, originX_ + o, top_, thumbW, bottom_ - top_, shared_.left + o, shared_.top, o, 0);
  else
    CopyTrack(dc, left_, originY_ - o, right_ - left_, thumbH, shared_.left, shared_.bottom - thumbH - o, 0,
              backgroundInfo_.bmHeight - thumbH - o);
  if (enabled_) DrawThumb(dc, ThumbPicture(pressed), ThumbPlace(position_));
  ReleaseDC(owner_, dc);
}

int SkinSlider::SetPos(int value, int pressed) {
  if (!enabled_) return 0;
  if (value < minimum_) value = minimum_;
  if (value > maximum_) value = maximum_;
  const int old = position_;
  position_ = value;
  MoveThumb(old, pressed);
  OnChange();
  return 1;
}

void SkinSlider::StepUp() {
  if (position_ >= maximum_ || position_ == -1 || !enabled_) return;
  const int old = position_;
  position_ = old + 1;
  MoveThumb(old, 0);
  OnChange();
}

void SkinSlider::StepDown() {
  if (position_ <= minimum_ || position_ == -1 || !enabled_) return;
  const int old = position_;
  position_ = old - 1;
  MoveThumb(old, 0);
  OnChange();
}

void SkinSlider::SetEnabled(int flag) {
  enabled_ = flag;
  Paint();
}

void SkinSlider::DrawThumbNow(HDC picture) {
  HDC dc = GetDC(owner_);
  DrawThumb(dc, picture, ThumbPlace(position_));
  ReleaseDC(owner_, dc);
}

// The value under the pen: the thumb's centre follows it.
int SkinSlider::ValueAt(int x, int y) const {
  const int d = orientation_ == kHorizontal ? x - thumbInfo_.bmWidth / 2 - left_ : bottom_ - thumbInfo_.bmHeight / 2 - y;
  const double value = std::trunc(static_cast<float>(d) / scale_) + minimum_;
  // SetPos clamps; keep the arithmetic inside an int on the way there.
  if (!(value > INT32_MIN)) return INT32_MIN;
  if (value > INT32_MAX) return INT32_MAX;
  return static_cast<int>(value);
}

int SkinSlider::OnPen(int x, int y, int event) {
  if (!enabled_) return 0;
  const POINT place = ThumbPlace(position_);
  const RECT thumb{place.x, place.y, place.x + thumbInfo_.bmWidth, place.y + thumbInfo_.bmHeight};
  const bool onThumb = PtInRect(&thumb, POINT{x, y}) != FALSE;
  switch (event) {
    case kPenDown:
      if (!onThumb) return 0;
      dragging_ = 1;
      SetCapture(owner_);
      if (pressedDc_) DrawThumbNow(pressedDc_);
      return 1;
    case kPenUp:
      dragging_ = 0;
      ReleaseCapture();
      DrawThumbNow(thumbDc_);
      return 1;
    case kPenMove:
      if (dragging_) SetPos(ValueAt(x, y), 1);
      return 1;
    default:
      return 1;
  }
}

void FrequencySlider::OnChange() {
  if (radio_.seekContinue == 0) radio_.SetFrequency(static_cast<WORD>(GetPos()));
  digits_.SetValue(GetPos(), 1);
}

void VolumeSlider::OnChange() { radio_.SetVolume(GetPos()); }
