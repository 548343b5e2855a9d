#include "Faceplate.h"

#include <cmath>
#include <string>

#include "Digits.h"
#include "Keys.h"
#include "Palette.h"

namespace artwork {

namespace {

using namespace palette;

constexpr Box kGlass{28, 42, 150, 70};
constexpr int kFrequencyTravel = 135;
constexpr int kVolumeTravel = 136;

void PaintBody(Image& image) {
  image.FillRect({0, 0, image.width(), image.height()}, VerticalGradient(0, image.height(), kBodyTop, kBodyBottom));
  // A fine edge round the face plate.
  Shape plate = RoundRect(0.5, 0.5, image.width() - 1, image.height() - 1, 6);
  image.Fill(Difference(RoundRect(0, 0, image.width(), image.height(), 6), plate), kBevelDark);
}

// A panel sunk into the body: dark above and left, lit below and right.
void PaintRecess(Image& image, const Box& box, double radius, Rgb inside) {
  image.Fill(RoundRect(box.x - 1, box.y - 1, box.w + 2, box.h + 2, radius + 1), kBevelLight);
  image.Fill(RoundRect(box.x - 1, box.y - 1, box.w + 1, box.h + 1, radius + 1), kBevelDark);
  image.Fill(RoundRect(box.x, box.y, box.w, box.h, radius), inside);
}

void PaintGlass(Image& image, const Lettering& lettering) {
  PaintRecess(image, kGlass, 3, kLcdFrame);
  image.Fill(RoundRect(kGlass.x + 1, kGlass.y + 1, kGlass.w - 2, kGlass.h - 2, 2), kLcdBack);
  for (int cell : {0, 1, 2, 4}) DrawGhostDigit(image, kReadoutX + cell * kLargeCellWidth, kReadoutY);
  DrawGhostPoint(image, kReadoutX + 3 * kLargeCellWidth, kReadoutY);
  for (int x : {59, 146})  // dotted rules between the preset columns and the readout
    for (int y = 47; y <= 107; y += 2) image.Set(x, y, kLcdGhost);
  AlphaMap unit = lettering.caption.Render("MHz");
  image.Stamp(unit, kReadoutX + 5 * kLargeCellWidth - unit.width - 1, 94, Solid(kLcdPrint));
  image.Stamp(lettering.caption.Render("FM"), kReadoutX + 2, 94, Solid(kLcdPrint));
}

void PaintGrille(Image& image) {
  for (int row = 0; row < 46; ++row)
    for (int col = 0; col < 6; ++col) {
      double x = 211 + col * 4.6 + (row % 2) * 2.3, y = 50 + row * 4.2;
      if (x > 236) continue;
      image.Fill(Circle(x, y + 0.6, 1.35), kBevelLight, 0.5);
      image.Fill(Circle(x, y, 1.35), kBevelDark);
    }
}

void PaintBrand(Image& image, const Lettering& lettering) {
  DrawCentred(image, lettering.brand, "ONDREL", 102.5, 3, Solid(kPrint));
  DrawCentred(image, lettering.brand, "FM", 221.5, 3, Solid(kLampOn));
}

// An engraved rule with a caption in its middle, over a row of keys.
void PaintSection(Image& image, const Font& font, const std::string& caption, double cx, int y, int left, int right) {
  AlphaMap text = font.Render(caption);
  int textLeft = int(cx - text.width / 2.0), textRight = textLeft + text.width;
  image.Stamp(text, textLeft, y - 3, Solid(kPrint));
  for (auto [from, to] : {std::pair{left, textLeft - 4}, std::pair{textRight + 3, right}}) {
    image.FillRect(from, y, to - from, 1, kBevelDark);
    image.FillRect(from, y + 1, to - from, 1, kBevelLight);
  }
}

void PaintVolumeTrack(Image& image) {
  const Box& t = kVolumeTrack;
  double first = t.x + kVolumeThumbWidth / 2.0, last = first + kVolumeTravel;
  for (double x = first; x <= last; x += 3) {  // a ramp of bars, louder to the right
    double h = 2 + 11 * (x - first) / kVolumeTravel;
    image.Fill(RoundRect(x - 0.5, t.y + 18 - h, 2, h, 0.5), Mix(kRecess, kPrint, 0.55));
  }
  DrawSpeaker(image, 11, t.y + 11, 9, kPrint);
  DrawSpeaker(image, 189, t.y + 11, 9, kPrint);
  DrawWaves(image, 192, t.y + 11, 2, kPrint);
}

std::string MHzText(int mhz) { return std::to_string(mhz); }

}  // namespace

int ScaleX(const Band& band, int v) {
  return kFrequencyTrack.x + (v - band.low) * kFrequencyTravel / (band.high - band.low) + kFrequencyThumbWidth / 2;
}

void PaintFrequencyTrack(Image& image, const Band& band) {
  const Box& t = kFrequencyTrack;
  image.FillRect(t, VerticalGradient(0, image.height(), kBodyTop, kBodyBottom));
  PaintRecess(image, {ScaleX(band, band.low) - 3, t.y + 15, ScaleX(band, band.high) - ScaleX(band, band.low) + 7, 3},
              1.5, kRecess);
  for (int v = (band.low + 4) / 5 * 5; v <= band.high; v += 5) {
    int x = ScaleX(band, v);
    bool whole = v % 10 == 0, figured = whole && (v / 10) % band.figureEveryMHz == 0;
    int length = figured ? 5 : whole ? 3 : 1;
    image.FillRect(x, t.y + kScaleTicksBase - length, 1, length, figured ? kLettering : kPrint);
    if (figured) {
      std::string text = MHzText(v / 10);
      DrawPixelDigits(image, x - PixelTextWidth(text) / 2, t.y + kScaleFiguresTop, text, kLettering);
    }
  }
}

void PaintFaceplate(Image& image, const Lettering& lettering, const Band& band) {
  PaintBody(image);
  PaintGlass(image, lettering);
  PaintGrille(image);
  PaintBrand(image, lettering);
  PaintSection(image, lettering.caption, "TUNING", 102.5, 154, 30, 176);
  PaintFrequencyTrack(image, band);
  PaintVolumeTrack(image);
}

}  // namespace artwork
