// The built-in tour: what `ondrel` shows where there is no display to
// open a window on. It plays a short session with the radio (start, a
// few seeks, a preset stored and recalled, a group, a band change, exit),
// prints what it does and leaves a picture of each step in a folder.
#pragma once

#include <filesystem>

#include "host/Script.h"

namespace host {

Script TourScript(const std::filesystem::path& pictureDir);

}  // namespace host
