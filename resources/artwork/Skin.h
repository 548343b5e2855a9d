// The radio's three skins, the whole 240 x 268 screen each: every control
// in its normal look (U), the pressed mono key (under a dark stereo lamp)
// with the Japanese band's track (P), and every other control
// pressed or lit (E). Each widget copies its own screen rectangle from
// one of them, so they differ only inside those rectangles.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "Faceplate.h"
#include "Image.h"
#include "Keys.h"

namespace artwork {

inline constexpr int kSkinWidth = 240, kSkinHeight = 268;

enum class ControlKind { PushButton, Toggle };

// One control of the screen: the rectangle its widget copies, the key
// drawn inside it, and its lettering (given the key's face, look and the
// pushed-in offset).
struct Control {
  std::string name;
  Box rect;
  Box face;
  ControlKind kind;
  std::function<void(Image&, const Box& face, Look look, int shift)> letter;
};

// Every keyed control of the screen (the stereo lamp and the mono key,
// which sit on the display glass, are drawn apart).
std::vector<Control> ScreenControls(const Lettering& lettering);

// The stereo lamp's and the mono key's rectangles.
inline constexpr Box kStereoLamp{72, 47, 62, 12};
inline constexpr Box kMonoKey{72, 47, 62, 24};

struct Skins {
  Image normal, pressed, on;  // BK_U, BK_P, BK_E
};

Skins PaintSkins(const Lettering& lettering);

}  // namespace artwork
