// The sliders' thumbs: the tuning pointer (a knob with a red needle over
// the scale) and the round volume knob, each normal and pressed, with
// their common mask.
#pragma once

#include "Image.h"

namespace artwork {

struct Thumb {
  Image normal, pressed, mask;
};

Thumb FrequencyThumb();  // 21 x 29
Thumb VolumeThumb();     // 22 x 22

}  // namespace artwork
