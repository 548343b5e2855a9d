#include "Skin.h"

#include "Palette.h"

namespace artwork {

namespace {

using namespace palette;

double CentreX(const Box& b) { return b.x + b.w / 2.0; }
double CentreY(const Box& b) { return b.y + b.h / 2.0; }

// Lettering of a key that carries a lamp at its top, a pictogram in the
// middle and a caption at the bottom.
template <class Pictogram>
auto LampKey(const Font& font, std::string caption, Pictogram pictogram) {
  return [&font, caption, pictogram](Image& image, const Box& f, Look look, int shift) {
    double cx = CentreX(f) + shift;
    Rgb ink = LetteringFor(look);
    DrawLamp(image, cx, f.y + 5.5 + shift, 2.2, look == Look::Lit);
    pictogram(image, cx, f.y + 15.5 + shift, ink);
    DrawCentred(image, font, caption, cx, f.y + 22 + shift, Solid(ink));
  };
}

// Lettering of a push key: a pictogram above a caption.
template <class Pictogram>
auto CaptionKey(const Font& font, std::string caption, Pictogram pictogram) {
  return [&font, caption, pictogram](Image& image, const Box& f, Look look, int shift) {
    double cx = CentreX(f) + shift;
    Rgb ink = LetteringFor(look);
    pictogram(image, cx, f.y + 9.5 + shift, ink);
    DrawCentred(image, font, caption, cx, f.y + 17 + shift, Solid(ink));
  };
}

// Lettering of a latching key with a lamp on its left and a label.
auto LampLabel(const Font& font, std::string label) {
  return [&font, label](Image& image, const Box& f, Look look, int shift) {
    DrawLamp(image, f.x + 7.5 + shift, CentreY(f) + shift, 2.2, look == Look::Lit);
    DrawCentred(image, font, label, CentreX(f) + 5 + shift, f.y + 4 + shift, Solid(LetteringFor(look)));
  };
}

auto Numbered(const Font& font, int n) {
  return [&font, n](Image& image, const Box& f, Look look, int shift) {
    DrawCentred(image, font, std::to_string(n), CentreX(f) + shift, f.y + 8 + shift, Solid(LetteringFor(look)));
  };
}

auto Arrows(bool up) {
  return [up](Image& image, const Box& f, Look look, int shift) {
    DrawArrows(image, CentreX(f) + shift, CentreY(f) + shift, up, LetteringFor(look));
  };
}

void PaintControl(Image& image, const Control& c, Look look) {
  int shift = DrawKey(image, c.face, look);
  c.letter(image, c.face, look, shift);
}

// The stereo lamp and the mono key on the display glass.
void PaintAnnunciators(Image& image, const Lettering& lettering, bool stereo, Look mono) {
  image.FillRect(kMonoKey, Solid(kLcdBack));
  Rgb stereoInk = stereo ? kLcdAmber : kLcdGhost;
  double cx = CentreX(kStereoLamp);
  DrawCentred(image, lettering.caption, "STEREO", cx + 4, kStereoLamp.y + 3, Solid(stereoInk));
  image.Fill(Circle(cx - 19, kStereoLamp.y + 6, 1.8), stereoInk);
  image.Fill(Circle(cx - 22.5, kStereoLamp.y + 6, 1.8), stereoInk, stereo ? 0.6 : 1.0);
  Box key{kMonoKey.x + 10, kMonoKey.y + 13, kMonoKey.w - 20, 10};
  int shift = mono == Look::Normal ? 0 : 1;
  Rgb rim = mono == Look::Lit ? kLcdAmber : mono == Look::Pressed ? kLcdPrint : kLcdGhost;
  image.Fill(RoundRect(key.x, key.y, key.w, key.h, 3), rim);
  image.Fill(RoundRect(key.x + 1, key.y + 1, key.w - 2, key.h - 2, 2),
             mono == Look::Pressed ? Mix(kLcdBack, kLcdPrint, 0.3) : kLcdBack);
  Rgb ink = mono == Look::Lit ? kLcdAmber : mono == Look::Pressed ? kLcdInk : kLcdPrint;
  DrawCentred(image, lettering.caption, "MONO", CentreX(key) + shift, key.y + 2 + shift, Solid(ink));
}

}  // namespace

std::vector<Control> ScreenControls(const Lettering& l) {
  using K = ControlKind;
  const Font& c = l.caption;
  auto seek = [](Image& i, double x, double y, Rgb ink) { DrawMagnifier(i, x, y, ink); };
  auto mute = [](Image& i, double x, double y, Rgb ink) {
    DrawSpeaker(i, x - 3, y, 9, ink);
    DrawCross(i, x + 4, y, 4.5, ink);
  };
  auto power = [](Image& i, double x, double y, Rgb ink) { DrawPowerSign(i, x, y, ink); };
  auto screen = [](Image& i, double x, double y, Rgb ink) { DrawScreenSign(i, x, y, ink); };
  return {
      {"tune up", {126, 170, 40, 28}, {127, 171, 38, 26}, K::PushButton, Arrows(true)},
      {"tune down", {40, 170, 40, 28}, {41, 171, 38, 26}, K::PushButton, Arrows(false)},
      {"mute", {87, 223, 30, 33}, {88, 224, 28, 31}, K::Toggle, LampKey(c, "MUTE", mute)},
      {"search mode", {87, 165, 30, 33}, {88, 166, 28, 31}, K::Toggle, LampKey(c, "SEEK", seek)},
      {"preset 1", {7, 41, 23, 24}, {7, 41, 20, 23}, K::PushButton, Numbered(l.number, 1)},
      {"preset 2", {4, 67, 26, 24}, {4, 67, 23, 23}, K::PushButton, Numbered(l.number, 2)},
      {"preset 3", {7, 93, 23, 24}, {7, 93, 20, 23}, K::PushButton, Numbered(l.number, 3)},
      {"preset 4", {177, 41, 23, 24}, {179, 41, 20, 23}, K::PushButton, Numbered(l.number, 4)},
      {"preset 5", {177, 67, 26, 24}, {179, 67, 23, 23}, K::PushButton, Numbered(l.number, 5)},
      {"preset 6", {177, 93, 23, 24}, {179, 93, 20, 23}, K::PushButton, Numbered(l.number, 6)},
      {"group 1", {10, 15, 60, 22}, {12, 23, 57, 13}, K::Toggle, LampLabel(c, "BANK A")},
      {"group 2", {70, 7, 67, 30}, {72, 23, 62, 13}, K::Toggle, LampLabel(c, "BANK B")},
      {"group 3", {137, 15, 60, 22}, {137, 23, 57, 13}, K::Toggle, LampLabel(c, "BANK C")},
      {"display off", {126, 223, 40, 28}, {127, 224, 38, 26}, K::PushButton, CaptionKey(c, "DISPLAY", screen)},
      {"exit", {40, 223, 40, 28}, {41, 224, 38, 26}, K::PushButton, CaptionKey(c, "EXIT", power)},
      // Above group toggle 1's key: the two rectangles overlap at x 10..38,
      // y 15..22, where neither draws anything.
      {"RDS", {0, 0, 39, 23}, {2, 2, 35, 12}, K::Toggle, LampLabel(c, "RDS")},
  };
}

Skins PaintSkins(const Lettering& lettering) {
  Image plate(kSkinWidth, kSkinHeight);
  PaintFaceplate(plate, lettering, kEuropeBand);
  const std::vector<Control> controls = ScreenControls(lettering);
  Skins skins{plate, plate, plate};
  for (const Control& c : controls) {
    PaintControl(skins.normal, c, Look::Normal);
    PaintControl(skins.on, c, c.kind == ControlKind::Toggle ? Look::Lit : Look::Pressed);
  }
  // The pressed skin is the normal one but for the mono key and the
  // frequency track (the track of the Japanese band). Its stereo lamp stays
  // dark: the mono key's pressed image spans the lamp's rows, and a tap on
  // MONO must not light STEREO on a mono signal.
  skins.pressed = skins.normal;
  PaintAnnunciators(skins.normal, lettering, false, Look::Normal);
  PaintAnnunciators(skins.pressed, lettering, false, Look::Pressed);
  PaintAnnunciators(skins.on, lettering, true, Look::Lit);
  PaintFrequencyTrack(skins.pressed, kJapanBand);
  return skins;
}

}  // namespace artwork
