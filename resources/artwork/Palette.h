// The colours of Ondrel's face plate: a dark graphite body, raised grey
// keys with light lettering, amber lamps, and a dark teal display with
// cyan figures.
#pragma once

#include "Image.h"

namespace artwork::palette {

inline constexpr Rgb kBodyTop{54, 59, 68};
inline constexpr Rgb kBodyBottom{28, 31, 37};
inline constexpr Rgb kRecess{22, 25, 30};
inline constexpr Rgb kBevelDark{12, 13, 16};
inline constexpr Rgb kBevelLight{82, 88, 99};

inline constexpr Rgb kKeyTop{104, 111, 122};
inline constexpr Rgb kKeyBottom{64, 69, 78};
inline constexpr Rgb kKeyRim{16, 18, 22};
inline constexpr Rgb kKeyShine{150, 157, 168};
inline constexpr Rgb kKeyPressedTop{36, 39, 45};
inline constexpr Rgb kKeyPressedBottom{56, 61, 69};
inline constexpr Rgb kLettering{236, 239, 243};
inline constexpr Rgb kLetteringPressed{196, 201, 208};
inline constexpr Rgb kPrint{150, 157, 168};  // printing on the body

inline constexpr Rgb kLampOff{74, 54, 26};
inline constexpr Rgb kLampOn{255, 184, 48};
inline constexpr Rgb kLampCore{255, 240, 190};
inline constexpr Rgb kNeedle{238, 64, 48};

inline constexpr Rgb kLcdBack{10, 30, 36};
inline constexpr Rgb kLcdFrame{4, 10, 12};
inline constexpr Rgb kLcdGhost{22, 52, 60};
inline constexpr Rgb kLcdInk{150, 246, 255};
inline constexpr Rgb kLcdSmallInk{120, 226, 238};
inline constexpr Rgb kLcdPrint{78, 160, 172};
inline constexpr Rgb kLcdAmber{255, 196, 84};

}  // namespace artwork::palette
