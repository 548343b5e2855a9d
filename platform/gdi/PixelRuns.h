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

// What a blit's fast path does with a source pixel and the destination
// pixel under it.
enum class Combination { Copy, And, Or, Xor };
// The instruction sets the rectangle loops come in, plainest first.
enum class Vectors { None, Sse, Avx512 };

// Combines a w x h rectangle of 24-bit or 32-bit source pixels into a
// 32-bit destination: d and s point at the rectangles' top left pixels,
// the strides are in bytes (negative for pictures stored bottom up).
// Nothing outside either rectangle is read or written, and the result is
// exactly what a loop over single pixels gives.
using RectRun = void (*)(std::uint8_t* d, std::ptrdiff_t dStride, const std::uint8_t* s, std::ptrdiff_t sStride,
                         int w, int h);
// The loop for the source format in the given instruction set; nullptr
// for other formats or for a set this processor lacks.
RectRun RectRunOf(Combination c, PixelFormat source, Vectors vectors);
// The fastest set this processor has; a blit picks its loop by it.
Vectors FastestVectors();

}  // namespace ce::gdi
