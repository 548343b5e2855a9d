// Where the panel's picture sits in a desktop window of any size: enlarged
// by the largest whole factor that fits (at least 1), centred, black
// around it. The pen's place is read back through the same rectangle, so
// a click lands on the panel pixel drawn under it, and a click beside the
// picture lands nowhere.
#pragma once

#include <algorithm>
#include <optional>

#include "hardware/display/Panel.h"

namespace hw {

struct PanelPicture {
  int x = 0, y = 0;  // top left, in output pixels
  int scale = 1;     // output pixels per panel pixel

  static PanelPicture Fit(int outputWidth, int outputHeight) {
    PanelPicture picture;
    picture.scale = std::max(1, std::min(outputWidth / Panel::kWidth, outputHeight / Panel::kHeight));
    picture.x = (outputWidth - Panel::kWidth * picture.scale) / 2;
    picture.y = (outputHeight - Panel::kHeight * picture.scale) / 2;
    return picture;
  }

  int width() const { return Panel::kWidth * scale; }
  int height() const { return Panel::kHeight * scale; }

  struct Point {
    int x, y;
  };
  // The panel pixel under an output pixel; nothing beside the picture.
  std::optional<Point> PanelPointAt(int outputX, int outputY) const {
    if (outputX < x || outputY < y || outputX >= x + width() || outputY >= y + height()) return std::nullopt;
    return Point{(outputX - x) / scale, (outputY - y) / scale};
  }
  // The same, brought onto the panel's edge from beside it (for a pen
  // that was put down on the picture and is dragged off it).
  Point NearestPanelPoint(int outputX, int outputY) const {
    auto panelOf = [this](int at, int origin, int size) {
      return std::clamp(at - origin, 0, size * scale - 1) / scale;
    };
    return Point{panelOf(outputX, x, Panel::kWidth), panelOf(outputY, y, Panel::kHeight)};
  }
};

}  // namespace hw
