// The loops the paint path spends its time in: a row's pixels read as
// colours, and runs of colours combined, with the processor's vector
// instructions where it has them. Each gives exactly what a loop over
// single pixels would. The source and destination of a run never overlap.
#pragma once

#include <cstddef>

#include "platform/gdi/Bitmap.h"

namespace ce::gdi {

// Reads n pixels of each of rows y to y + rows - 1, from column x on, as
// 0x00RRGGBB: row y + k lands at out + k * outStride (ReadRow, row by row).
using RowReader = void (*)(const Surface& s, int x, int y, int n, int rows, Rgb* out, std::ptrdiff_t outStride);
// The reader of a format, the fastest this processor runs; a blit looks
// it up once.
RowReader ReaderOf(PixelFormat format);

// 32-bit words (whose top byte may hold anything) into colours: copied, or
// combined bit by bit with what d holds.
void CopyRgb(Rgb* d, const Rgb* s, int n);
void AndRgb(Rgb* d, const Rgb* s, int n);
void OrRgb(Rgb* d, const Rgb* s, int n);
void XorRgb(Rgb* d, const Rgb* s, int n);

}  // namespace ce::gdi
