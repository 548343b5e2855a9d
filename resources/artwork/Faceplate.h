// What the three skins share: the radio's body, the display glass with
// its unlit figures and print, the speaker grille, and the printed
// scales of the two sliders' tracks.
#pragma once

#include "Digits.h"
#include "Image.h"
#include "Text.h"

namespace artwork {

// The fonts the face plate is lettered with.
struct Lettering {
  Font caption{Weight::CondensedBold, 8};
  Font label{Weight::Bold, 9};
  Font number{Weight::Bold, 11};
  Font brand{Weight::Bold, 12};
};

// A tuning band as its track is printed: limits in units of 100 kHz and
// how many MHz apart the figures stand.
struct Band {
  int low, high, figureEveryMHz;
};
inline constexpr Band kEuropeBand{875, 1080, 4};
inline constexpr Band kJapanBand{760, 910, 2};

// The frequency slider's track and thumb, and the volume slider's.
inline constexpr Box kFrequencyTrack{26, 116, 156, 29};
inline constexpr int kFrequencyThumbWidth = 21;
inline constexpr Box kVolumeTrack{22, 200, 158, 22};
inline constexpr int kVolumeThumbWidth = 22;

// The frequency scale's rows, counted from the track's top: the figures
// (in the small pixel font) above, the ticks standing on a base line
// below them.
inline constexpr int kScaleFiguresTop = 1;
inline constexpr int kScaleFiguresBottom = kScaleFiguresTop + kSmallCellHeight;
inline constexpr int kScaleTicksBase = 13;

// The frequency readout (five 16-pixel cells) and the preset labels.
inline constexpr int kReadoutX = 64, kReadoutY = 73;

// Paints the body, display and print common to every skin; the frequency
// track shows `band`'s scale.
void PaintFaceplate(Image& image, const Lettering& lettering, const Band& band);

// Repaints only the frequency track with `band`'s scale.
void PaintFrequencyTrack(Image& image, const Band& band);

// Where on the track the thumb's centre stands for value v.
int ScaleX(const Band& band, int v);

}  // namespace artwork
