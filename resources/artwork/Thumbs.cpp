#include "Thumbs.h"

#include <functional>

#include "Faceplate.h"
#include "Palette.h"

namespace artwork {

namespace {

using namespace palette;

constexpr Rgb kMetalTop{214, 218, 224};
constexpr Rgb kMetalBottom{122, 128, 138};
constexpr Rgb kLitTop{255, 222, 150};
constexpr Rgb kLitBottom{206, 142, 48};
// The track under the thumbs, which their soft edges blend into.
constexpr Rgb kTrackShade = Rgb{40, 44, 51};

using Drawing = std::function<void(Image&, bool pressed)>;

// Draws the thumb on the track's shade, keeps the pixels `outline`
// mostly covers and blackens the rest; the mask is white outside.
Thumb Cut(int w, int h, const Shape& outline, const Drawing& draw) {
  Thumb thumb{Image(w, h), Image(w, h), Image(w, h, kWhite)};
  for (bool pressed : {false, true}) {
    Image picture(w, h, kTrackShade);
    draw(picture, pressed);
    Image& out = pressed ? thumb.pressed : thumb.normal;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (outline.CoverageAt(x, y) >= 0.3) {
          out.at(x, y) = picture.at(x, y) == kBlack ? Rgb{1, 1, 1} : picture.at(x, y);
          thumb.mask.at(x, y) = kBlack;
        }
  }
  return thumb;
}

}  // namespace

Thumb FrequencyThumb() {
  // The scale prints its figures in the track's top rows and its ticks
  // below them: the needle starts under the figures and points at the
  // ticks, so no figure is ever covered, wherever the thumb stands.
  const int w = 21, h = 29, centre = w / 2, tip = kScaleFiguresBottom + 1;
  Shape body = RoundRect(4, 13, 13, 16, 3);
  Shape needle = RoundRect(centre - 1, tip, 3, 14 - tip, 0.5);
  return Cut(w, h, Union(body, needle), [&](Image& image, bool pressed) {
    image.Fill(needle, Mix(kNeedle, kBlack, 0.55));
    image.FillRect(centre, tip, 1, 14 - tip, kNeedle);
    image.Fill(body, kKeyRim);
    image.Fill(RoundRect(5, 14, 11, 14, 2),
               VerticalGradient(14, 28, pressed ? kLitTop : kMetalTop, pressed ? kLitBottom : kMetalBottom));
    for (int y : {18, 21, 24}) {  // grip ridges either side of the needle
      image.FillRect(6, y, 3, 1, Mix(kMetalBottom, kBlack, 0.4));
      image.FillRect(12, y, 3, 1, Mix(kMetalBottom, kBlack, 0.4));
    }
    image.FillRect(centre, 14, 1, 14, pressed ? Rgb{255, 80, 40} : kNeedle);
  });
}

Thumb VolumeThumb() {
  const int w = 22, h = 22;
  const double c = 11.0;
  Shape knob = Circle(c, c, 10.2);
  return Cut(w, h, knob, [&](Image& image, bool pressed) {
    image.Fill(knob, kKeyRim);
    image.Fill(Circle(c, c, 9.2), VerticalGradient(2, 20, pressed ? kLitTop : kMetalTop, pressed ? kLitBottom : kMetalBottom));
    image.Fill(Circle(c, c + 0.6, 6.2), Mix(kMetalBottom, kBlack, 0.15));
    image.Fill(Circle(c, c, 6.0), VerticalGradient(5, 17, pressed ? kLitBottom : kMetalBottom, pressed ? kLitTop : kMetalTop));
    image.Fill(RoundRect(c - 1, 2.5, 2, 6, 0.8), pressed ? Rgb{255, 80, 40} : kNeedle);
  });
}

}  // namespace artwork
