// The station presets: three groups of six frequencies (units of 100 kHz),
// one group current, drawn as small digits beside the six preset buttons
// through one embedded digit display that visits each label in turn.
// Stored frequencies are never clamped; only what is drawn is brought
// into the band in force.
#pragma once

#include "DigitDisplay.h"
#include "windows.h"

class PresetBank {
 public:
  static constexpr int kGroups = 3;
  static constexpr int kPerGroup = 6;

  PresetBank() = default;
  virtual ~PresetBank() = default;

  void SetPreset(DWORD group, DWORD n, DWORD frequency);
  DWORD GetPreset(DWORD group, DWORD n) const;
  void SetGroupPresets(DWORD group, DWORD f1, DWORD f2, DWORD f3, DWORD f4, DWORD f5, DWORD f6);
  void SelectGroup(DWORD group);
  DWORD CurrentGroup() const { return currentGroup_; }
  void SetRange(DWORD low, DWORD high) { digits_.SetRange(low, high); }
  // 0, doing nothing, when window is null.
  int Attach(HWND window, HDC backgroundSurface, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4,
             int x5, int y5, int x6, int y6);
  // n 1..6: that label; anything else: all six.
  void Draw(DWORD n);

 private:
  void DrawLabel(DWORD n, bool clampToBand);

  DWORD currentGroup_ = 0;
  DWORD presets_[kGroups * kPerGroup] = {};
  POINT labelPos_[kPerGroup] = {};
  DigitDisplay digits_;
};
