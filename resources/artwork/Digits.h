// The display's figures: slanted seven-segment digits for the frequency
// readout (16 x 17 cells) and a crisp pixel font for the preset labels
// (5 x 6 cells), each with its mask (white where the display shows
// through, black on the figure).
#pragma once

#include <string>

#include "Image.h"

namespace artwork {

// A picture and the mask it is drawn with (AND of the mask, then OR of
// the picture, which is black outside the figure).
struct Masked {
  Image picture, mask;
};

inline constexpr int kLargeCellWidth = 16, kLargeCellHeight = 17;
inline constexpr int kSmallCellWidth = 5, kSmallCellHeight = 6;

// The ten large digits side by side (160 x 17) and the point (16 x 17).
Masked LargeDigitStrip();
Masked LargePoint();
// The ten small digits and a spare column (51 x 6) and the point (5 x 6).
Masked SmallDigitStrip();
Masked SmallPoint();

// The unlit segments of a readout cell, faintly visible on the display
// glass under the digits: all seven segments at (x, y), or the point.
void DrawGhostDigit(Image& image, int x, int y);
void DrawGhostPoint(Image& image, int x, int y);

// Digits (and spaces) in the small pixel font, top-left at (x, y);
// 5 pixels a character.
void DrawPixelDigits(Image& image, int x, int y, const std::string& text, Rgb ink);
int PixelTextWidth(const std::string& text);

}  // namespace artwork
