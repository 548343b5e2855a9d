// One JSON line of what can be observed on the handheld: the time, the
// card as its model sees it, the backlight and the windows on the screen.
#pragma once

#include <string>

namespace host {
class Handheld;
std::string DumpState(Handheld& handheld);
}  // namespace host
