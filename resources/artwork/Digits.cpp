#include "Digits.h"

#include <array>
#include <vector>

#include "Palette.h"

namespace artwork {

namespace {

// ---- Seven-segment digits --------------------------------------------------

// Segment geometry in a cell, before the slant: outer left edge, width
// and thickness of the figure.
constexpr double kLeft = 2.0, kWidth = 10.6, kThick = 2.6, kGap = 0.55, kSlant = 0.1;
constexpr double kHalf = kThick / 2;
constexpr double kTopY = kHalf, kMidY = 8.5, kBottomY = kLargeCellHeight - kHalf;

using Points = std::vector<std::pair<double, double>>;

// Leans the figure to the right: the higher, the further.
Points Slanted(Points points, double cellX, double cellY) {
  for (auto& [x, y] : points) {
    x += cellX + kSlant * (kLargeCellHeight - y);
    y += cellY;
  }
  return points;
}

Points Horizontal(double yc) {
  double left = kLeft + kHalf + kGap, right = kLeft + kWidth - kHalf - kGap;
  return {{left, yc}, {left + kHalf, yc - kHalf}, {right - kHalf, yc - kHalf},
          {right, yc}, {right - kHalf, yc + kHalf}, {left + kHalf, yc + kHalf}};
}

Points Vertical(double xc, double top, double bottom) {
  top += kGap, bottom -= kGap;
  return {{xc, top}, {xc + kHalf, top + kHalf}, {xc + kHalf, bottom - kHalf},
          {xc, bottom}, {xc - kHalf, bottom - kHalf}, {xc - kHalf, top + kHalf}};
}

// Segments a to g: top, upper right, lower right, bottom, lower left,
// upper left, middle.
std::array<Points, 7> SegmentOutlines() {
  double leftX = kLeft + kHalf, rightX = kLeft + kWidth - kHalf;
  return {Horizontal(kTopY),
          Vertical(rightX, kTopY, kMidY),
          Vertical(rightX, kMidY, kBottomY),
          Horizontal(kBottomY),
          Vertical(leftX, kMidY, kBottomY),
          Vertical(leftX, kTopY, kMidY),
          Horizontal(kMidY)};
}

// Which segments (bit 0 = a ... bit 6 = g) each digit lights.
constexpr std::array<int, 10> kDigitSegments = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};

Shape Segments(int lit, double cellX, double cellY) {
  auto outlines = SegmentOutlines();
  Shape shape({0, 0, 0, 0}, [](double, double) { return false; });
  for (int s = 0; s < 7; ++s)
    if (lit & (1 << s)) shape = Union(shape, Polygon(Slanted(outlines[std::size_t(s)], cellX, cellY)));
  return shape;
}

Shape PointDot(double cellX, double cellY) {
  return Circle(cellX + 6.6 + kSlant * 1.6, cellY + kLargeCellHeight - 1.6, 1.6);
}

// Draws `figure` lit over the display glass (with its ghost) in `cell`,
// and the mask from the figure's coverage.
void MaskedCell(Masked& out, const Box& cell, const Shape& figure, void (*ghost)(Image&, int, int)) {
  Image glass(out.picture.width(), out.picture.height(), palette::kLcdBack);
  ghost(glass, cell.x, cell.y);
  glass.Fill(figure, palette::kLcdInk);
  for (int y = cell.y; y < cell.Bottom(); ++y)
    for (int x = cell.x; x < cell.Right(); ++x)
      if (figure.CoverageAt(x, y) > 0) {
        out.picture.at(x, y) = glass.at(x, y);
        out.mask.at(x, y) = kBlack;
      }
}

// ---- Pixel font --------------------------------------------------------------

// 4 x 6 glyphs, one string a row, '#' lit.
constexpr std::array<std::array<const char*, 6>, 10> kGlyphs = {{
    {".##.", "#..#", "#..#", "#..#", "#..#", ".##."},
    {".#..", "##..", ".#..", ".#..", ".#..", "###."},
    {".##.", "#..#", "..#.", ".#..", "#...", "####"},
    {"###.", "...#", ".##.", "...#", "...#", "###."},
    {"..#.", ".##.", "#.#.", "####", "..#.", "..#."},
    {"####", "#...", "###.", "...#", "...#", "###."},
    {".##.", "#...", "###.", "#..#", "#..#", ".##."},
    {"####", "...#", "..#.", "..#.", ".#..", ".#.."},
    {".##.", "#..#", ".##.", "#..#", "#..#", ".##."},
    {".##.", "#..#", "#..#", ".###", "...#", ".##."},
}};

void DrawGlyph(Image& image, int x, int y, int digit, Rgb ink) {
  for (int row = 0; row < kSmallCellHeight; ++row)
    for (int col = 0; col < 4; ++col)
      if (kGlyphs[std::size_t(digit)][std::size_t(row)][col] == '#') image.Set(x + col, y + row, ink);
}

// Marks every pixel of `picture` that is not black as figure in `mask`.
Masked WithMask(Image picture) {
  Image mask(picture.width(), picture.height(), kWhite);
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      if (!(picture.at(x, y) == kBlack)) mask.at(x, y) = kBlack;
  return {std::move(picture), std::move(mask)};
}

}  // namespace

Masked LargeDigitStrip() {
  Masked out{Image(10 * kLargeCellWidth, kLargeCellHeight, kBlack), Image(10 * kLargeCellWidth, kLargeCellHeight, kWhite)};
  for (int d = 0; d < 10; ++d) {
    Box cell{d * kLargeCellWidth, 0, kLargeCellWidth, kLargeCellHeight};
    MaskedCell(out, cell, Segments(kDigitSegments[std::size_t(d)], cell.x, 0), DrawGhostDigit);
  }
  return out;
}

Masked LargePoint() {
  Masked out{Image(kLargeCellWidth, kLargeCellHeight, kBlack), Image(kLargeCellWidth, kLargeCellHeight, kWhite)};
  MaskedCell(out, {0, 0, kLargeCellWidth, kLargeCellHeight}, PointDot(0, 0), DrawGhostPoint);
  return out;
}

Masked SmallDigitStrip() {
  Image picture(10 * kSmallCellWidth + 1, kSmallCellHeight, kBlack);
  for (int d = 0; d < 10; ++d) DrawGlyph(picture, d * kSmallCellWidth, 0, d, palette::kLcdSmallInk);
  return WithMask(std::move(picture));
}

Masked SmallPoint() {
  Image picture(kSmallCellWidth, kSmallCellHeight, kBlack);
  picture.Set(1, kSmallCellHeight - 1, palette::kLcdSmallInk);
  return WithMask(std::move(picture));
}

void DrawGhostDigit(Image& image, int x, int y) { image.Fill(Segments(0x7F, x, y), palette::kLcdGhost); }

void DrawGhostPoint(Image& image, int x, int y) { image.Fill(PointDot(x, y), palette::kLcdGhost); }

void DrawPixelDigits(Image& image, int x, int y, const std::string& text, Rgb ink) {
  for (char c : text) {
    if (c >= '0' && c <= '9') DrawGlyph(image, x, y, c - '0', ink);
    x += kSmallCellWidth;
  }
}

int PixelTextWidth(const std::string& text) { return text.empty() ? 0 : int(text.size()) * kSmallCellWidth - 1; }

}  // namespace artwork
