// The program's icon: a small portable radio, 32 x 32 and 16 x 16,
// 24-bit colour with a transparency mask.
#pragma once

#include <string>

namespace artwork {

// The bytes of the .ico file.
std::string RadioIcon();

}  // namespace artwork
