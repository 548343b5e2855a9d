#include "Keys.h"

#include <cmath>

#include "Palette.h"

namespace artwork {

namespace {
constexpr double kRadius = 4.0;
}

int DrawKey(Image& image, const Box& face, Look look) {
  using namespace palette;
  const bool raised = look == Look::Normal;
  Shape outer = RoundRect(face.x, face.y, face.w, face.h, kRadius);
  Shape inner = RoundRect(face.x + 1, face.y + 1, face.w - 2, face.h - 2, kRadius - 1);
  image.Fill(outer, kKeyRim);
  if (raised) {
    image.Fill(inner, VerticalGradient(face.y, face.Bottom(), kKeyTop, kKeyBottom));
    // Light falls from above: a bright top edge, a shaded lower edge.
    image.Fill(Difference(inner, RoundRect(face.x + 1, face.y + 2, face.w - 2, face.h - 3, kRadius - 1)), kKeyShine);
    image.Fill(Difference(inner, RoundRect(face.x + 1, face.y + 1, face.w - 2, face.h - 3, kRadius - 1)),
               Mix(kKeyBottom, kKeyRim, 0.5));
    return 0;
  }
  image.Fill(inner, VerticalGradient(face.y, face.Bottom(), kKeyPressedTop, kKeyPressedBottom));
  // Pushed in: the upper rim casts a shadow into the key.
  image.Fill(Difference(inner, RoundRect(face.x + 1, face.y + 3, face.w - 2, face.h - 4, kRadius - 1)),
             Mix(kKeyPressedTop, kKeyRim, 0.6));
  if (look == Look::Lit)
    image.Fill(Difference(outer, RoundRect(face.x + 1, face.y + 1, face.w - 2, face.h - 2, kRadius - 1)),
               Mix(kKeyRim, kLampOn, 0.45));
  return 1;
}

void DrawLamp(Image& image, double cx, double cy, double r, bool lit) {
  using namespace palette;
  if (!lit) {
    image.Fill(Circle(cx, cy, r + 0.8), kKeyRim);
    image.Fill(Circle(cx, cy, r), kLampOff);
    image.Fill(Circle(cx - r * 0.3, cy - r * 0.35, r * 0.35), Mix(kLampOff, kWhite, 0.25));
    return;
  }
  for (double halo = r + 3.0; halo > r; halo -= 1.0)  // glow spilling over the key
    image.Fill(Circle(cx, cy, halo), kLampOn, 0.22);
  image.Fill(Circle(cx, cy, r), kLampOn);
  image.Fill(Circle(cx, cy, r * 0.5), kLampCore);
}

Rgb LetteringFor(Look look) {
  switch (look) {
    case Look::Normal: return palette::kLettering;
    case Look::Pressed: return palette::kLetteringPressed;
    case Look::Lit: return palette::kLampOn;
  }
  return palette::kLettering;
}

void DrawArrows(Image& image, double cx, double cy, bool up, Rgb ink) {
  const double w = 6.5, h = 5.5, s = up ? 1.0 : -1.0;
  for (double offset : {-w / 2 - 0.5, w / 2 - 0.5}) {
    double tip = cx + s * (offset + w / 2), back = cx + s * (offset - w / 2);
    image.Fill(Polygon({{back, cy - h}, {tip, cy}, {back, cy + h}}), ink);
  }
  double bar = cx + s * (w + 0.5);  // the stop bar of a station search
  image.Fill(RoundRect(std::min(bar, bar + s * 1.6), cy - h, 1.6, 2 * h, 0.4), ink);
}

void DrawSpeaker(Image& image, double cx, double cy, double size, Rgb ink) {
  double u = size / 8.0;
  image.Fill(Polygon({{cx - 4 * u, cy - 2 * u}, {cx - 1.5 * u, cy - 2 * u}, {cx + 2 * u, cy - 5 * u},
                      {cx + 2 * u, cy + 5 * u}, {cx - 1.5 * u, cy + 2 * u}, {cx - 4 * u, cy + 2 * u}}),
             ink);
}

void DrawCross(Image& image, double cx, double cy, double size, Rgb ink) {
  double h = size / 2;
  image.Fill(Segment(cx - h, cy - h, cx + h, cy + h, 1.4), ink);
  image.Fill(Segment(cx - h, cy + h, cx + h, cy - h, 1.4), ink);
}

void DrawWaves(Image& image, double cx, double cy, int count, Rgb ink) {
  for (int i = 1; i <= count; ++i) {
    double r = 2.5 * i;
    Shape ring = Difference(Circle(cx, cy, r + 0.6), Circle(cx, cy, r - 0.6));
    image.Fill(Intersection(ring, Polygon({{cx, cy}, {cx + 20, cy - 20}, {cx + 20, cy + 20}})), ink);
  }
}

void DrawPowerSign(Image& image, double cx, double cy, Rgb ink) {
  Shape ring = Difference(Circle(cx, cy, 5.2), Circle(cx, cy, 3.6));
  Shape gap = Polygon({{cx, cy}, {cx - 4, cy - 7}, {cx + 4, cy - 7}});
  image.Fill(Difference(ring, gap), ink);
  image.Fill(Segment(cx, cy - 6, cx, cy - 1, 1.6), ink);
}

void DrawScreenSign(Image& image, double cx, double cy, Rgb ink) {
  image.Fill(Difference(RoundRect(cx - 7, cy - 5, 14, 9, 1.5), RoundRect(cx - 5.5, cy - 3.5, 11, 6, 0.5)), ink);
  image.Fill(RoundRect(cx - 3, cy + 5, 6, 1.5, 0.5), ink);
}

void DrawMagnifier(Image& image, double cx, double cy, Rgb ink) {
  image.Fill(Difference(Circle(cx - 1.2, cy - 1.2, 4.2), Circle(cx - 1.2, cy - 1.2, 2.7)), ink);
  image.Fill(Segment(cx + 1.8, cy + 1.8, cx + 4.6, cy + 4.6, 2.0), ink);
}

}  // namespace artwork
