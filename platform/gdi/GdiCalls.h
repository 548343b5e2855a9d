// What GDI's API files share, and what the rest of the platform asks of
// GDI in C++ terms.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/gdi/DeviceContext.h"

namespace ce::gdi {

// The device context of a handle; nullptr with ERROR_INVALID_HANDLE.
DcRef DcOrFail(HDC hdc);

// A bitmap from a packed DIB (BITMAPINFOHEADER, colour table, pixels), as
// bitmap resources hold them. nullptr with error saying what is wrong;
// the bytes are never read past their end.
HBITMAP BitmapFromPackedDib(std::span<const std::uint8_t> dib, std::string& error);

// A loaded picture as the display keeps it: the same pixels in the screen's
// own format, not a section, as LoadBitmapW gives them on the device, so
// that every draw of it is a 32-bit to 32-bit pass. Two-colour and 32-bit
// pictures are returned as they are; otherwise `dib` is deleted.
HBITMAP DisplayBitmapOf(HBITMAP dib);

}  // namespace ce::gdi
