// The looks of the radio's keys: a raised rounded key, the same key
// pushed in (darker, lettering moved one pixel down and right), and the
// small amber lamp that latching keys carry.
#pragma once

#include "Image.h"

namespace artwork {

enum class Look { Normal, Pressed, Lit };

// Draws the key body in `face` and returns the offset its lettering
// moves by (0 raised, 1 pushed in).
int DrawKey(Image& image, const Box& face, Look look);

// A lamp of radius r centred on (cx, cy), dark or glowing.
void DrawLamp(Image& image, double cx, double cy, double r, bool lit);

// The colour lettering takes on a key in this look.
Rgb LetteringFor(Look look);

// Pictograms, centred on (cx, cy).
void DrawArrows(Image& image, double cx, double cy, bool up, Rgb ink);
void DrawSpeaker(Image& image, double cx, double cy, double size, Rgb ink);
void DrawCross(Image& image, double cx, double cy, double size, Rgb ink);
void DrawWaves(Image& image, double cx, double cy, int count, Rgb ink);
void DrawPowerSign(Image& image, double cx, double cy, Rgb ink);
void DrawScreenSign(Image& image, double cx, double cy, Rgb ink);
void DrawMagnifier(Image& image, double cx, double cy, Rgb ink);

}  // namespace artwork
