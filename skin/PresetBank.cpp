#include "PresetBank.h"

#include "BandLimits.h"
#include "OndrelIds.h"

namespace {

bool ValidGroup(DWORD group) { return group >= 1 && group <= PresetBank::kGroups; }
bool ValidPreset(DWORD n) { return n >= 1 && n <= PresetBank::kPerGroup; }
DWORD Index(DWORD group, DWORD n) { return PresetBank::kPerGroup * (group - 1) + (n - 1); }

}  // namespace

void PresetBank::SetPreset(DWORD group, DWORD n, DWORD frequency) {
  if (!ValidGroup(group) || !ValidPreset(n)) return;
  presets_[Index(group, n)] = frequency;
  digits_.SetValue(static_cast<int>(frequency), 0);
}

DWORD PresetBank::GetPreset(DWORD group, DWORD n) const {
  if (!ValidGroup(group) || !ValidPreset(n)) return 0;
  return presets_[Index(group, n)];
}

void PresetBank::SetGroupPresets(DWORD group, DWORD f1, DWORD f2, DWORD f3, DWORD f4, DWORD f5, DWORD f6) {
  if (!ValidGroup(group)) return;
  const DWORD frequencies[kPerGroup] = {f1, f2, f3, f4, f5, f6};
  for (DWORD n = 1; n <= kPerGroup; ++n) presets_[Index(group, n)] = frequencies[n - 1];
  SelectGroup(group);
}

void PresetBank::SelectGroup(DWORD group) {
  if (ValidGroup(group)) currentGroup_ = group;
}

int PresetBank::Attach(HWND window, HDC backgroundSurface, int x1, int y1, int x2, int y2, int x3, int y3, int x4,
                       int y4, int x5, int y5, int x6, int y6) {
  if (!window) return 0;
  digits_.Create(window, IDB_DIGITS_SMALL, 5, IDB_POINT_SMALL, IDB_DIGITS_SMALL_MASK, IDB_POINT_SMALL_MASK);
  digits_.SetBackground(backgroundSurface);
  digits_.SetSuppressLeadingZeros(1);
  const BandLimits& band = BandLimits::Instance();
  digits_.SetRange(band.lower, band.upper);
  digits_.SetValue(band.lower, 1);
  const POINT places[kPerGroup] = {{x1, y1}, {x2, y2}, {x3, y3}, {x4, y4}, {x5, y5}, {x6, y6}};
  for (int i = 0; i < kPerGroup; ++i) labelPos_[i] = places[i];
  return 1;
}

// One label, all cells and the point, restored from the background
// first. Drawing all six also brings each preset into the band in force:
// a preset kept from another band is shown at the band's edge.
void PresetBank::DrawLabel(DWORD n, bool clampToBand) {
  const DWORD preset = presets_[Index(currentGroup_, n)];
  digits_.SetValue(static_cast<int>(preset), 0);
  const BandLimits& band = BandLimits::Instance();
  if (clampToBand && preset > band.upper) digits_.SetValue(band.upper, 0);
  if (clampToBand && preset < band.lower) digits_.SetValue(band.lower, 0);
  const POINT& at = labelPos_[n - 1];
  digits_.Draw(0, at.x, at.y);
}

void PresetBank::Draw(DWORD n) {
  if (!ValidGroup(currentGroup_)) return;  // nothing to show before a group is chosen
  if (ValidPreset(n)) {
    DrawLabel(n, false);
    return;
  }
  for (DWORD i = 1; i <= kPerGroup; ++i) DrawLabel(i, true);
}
