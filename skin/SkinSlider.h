// The skinned slider of the main screen: a thumb picture moving along a
// track in proportion to an integer value. Not a window: it draws
// straight into its owner's device context (the thumb through its mask:
// AND of the mask, then OR of the thumb), takes the pen events the screen
// hands it, and calls OnChange after every change of its value. Moving
// the thumb repaints only the strip of track under its old place.
#pragma once

#include "windows.h"

class DigitDisplay;
class RadioDevice;

class SkinSlider {
 public:
  enum { kVertical = 0, kHorizontal = 1 };
  enum PenEvent { kPenDown = 1, kPenUp = 2, kPenMove = 5 };

  SkinSlider() = default;
  virtual void OnChange() {}
  virtual ~SkinSlider();
  SkinSlider(const SkinSlider&) = delete;
  SkinSlider& operator=(const SkinSlider&) = delete;

  // Pictures are program resources; pressed thumb and background are
  // optional (0). Always 1.
  int Create(HWND owner, int orientation, int left, int top, int width, int height, WORD thumbId,
             WORD pressedThumbId, WORD backgroundId);
  // 0 when the id is 0; else loads the mask (thumb-sized) and returns 1.
  int SetMask(WORD maskId);
  // From now on the track comes from that surface (not owned) at (x, y).
  void SetSharedBackground(HDC surface, int x, int y);
  // 0, nothing changed, unless maximum > minimum as unsigned numbers.
  int SetRange(int minimum, int maximum);
  // Clamps; 0 when disabled. OnChange runs even when nothing changed.
  int SetPos(int value, int pressed);
  int GetPos() const { return position_; }
  int IsEnabled() const { return enabled_; }
  void StepUp();
  void StepDown();
  void SetEnabled(int flag);
  void Paint();
  void MoveThumb(int oldPosition, int pressed);
  int OnPen(int x, int y, int event);

  // Read-only views for the screen and tests.
  POINT ThumbPlace(int value) const;
  int Minimum() const { return minimum_; }
  int Maximum() const { return maximum_; }
  bool Dragging() const { return dragging_ != 0; }

 private:
  void FreePictures();
  int Travel() const;
  int Offset(int value) const;
  bool Drawable() const;
  int ValueAt(int x, int y) const;
  HDC ThumbPicture(int pressed) const;
  void DrawThumb(HDC dc, HDC picture, POINT place) const;
  void DrawThumbNow(HDC picture);
  void CopyTrack(HDC dc, int dx, int dy, int w, int h, int sharedX, int sharedY, int ownX, int ownY) const;

  int enabled_ = 1;
  int dragging_ = 0;
  RECT shared_{0, 0, 0, 0};
  int useShared_ = 0;
  int originX_ = 0, originY_ = 0;
  int position_ = -1;
  int orientation_ = 0;
  int minimum_ = 0, maximum_ = 0;
  int left_ = 0, top_ = 0, right_ = 0, bottom_ = 0;
  HWND owner_ = nullptr;
  HBITMAP thumb_ = nullptr, background_ = nullptr, pressedThumb_ = nullptr, mask_ = nullptr;
  BITMAP thumbInfo_{}, backgroundInfo_{}, pressedInfo_{};
  HDC sharedDc_ = nullptr;
  HDC backgroundDc_ = nullptr, thumbDc_ = nullptr, pressedDc_ = nullptr, maskDc_ = nullptr;
  float scale_ = -1.0f;
};

// Tunes the radio (unless a seek is running) and shows the frequency in
// the large digits.
class FrequencySlider : public SkinSlider {
 public:
  FrequencySlider(RadioDevice& radio, DigitDisplay& digits) : radio_(radio), digits_(digits) {}
  void OnChange() override;

 private:
  RadioDevice& radio_;
  DigitDisplay& digits_;
};

// Sets the radio's volume.
class VolumeSlider : public SkinSlider {
 public:
  explicit VolumeSlider(RadioDevice& radio) : radio_(radio) {}
  void OnChange() override;

 private:
  RadioDevice& radio_;
};
