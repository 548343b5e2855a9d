#include "Text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace artwork {

namespace {

std::string FontFile(Weight weight) {
  const std::string dir = "/usr/share/fonts/truetype/dejavu/";
  switch (weight) {
    case Weight::Regular: return dir + "DejaVuSans.ttf";
    case Weight::Bold: return dir + "DejaVuSans-Bold.ttf";
    case Weight::CondensedBold: return dir + "DejaVuSansCondensed-Bold.ttf";
  }
  return dir + "DejaVuSans.ttf";
}

}  // namespace

struct Font::Face {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  int capTop = 0;  // rows from the top of the capital H to the baseline
  ~Face() {
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
  }
};

Font::Font(Weight weight, int pixels) : face_(std::make_unique<Face>()) {
  const std::string file = FontFile(weight);
  if (FT_Init_FreeType(&face_->library) != 0 || FT_New_Face(face_->library, file.c_str(), 0, &face_->face) != 0 ||
      FT_Set_Pixel_Sizes(face_->face, 0, FT_UInt(pixels)) != 0)
    throw std::runtime_error("cannot read the font " + file);
  if (FT_Load_Char(face_->face, 'H', FT_LOAD_RENDER) != 0) throw std::runtime_error("no capital H in " + file);
  face_->capTop = face_->face->glyph->bitmap_top;
}

Font::~Font() = default;

AlphaMap Font::Render(const std::string& text) const {
  FT_Face face = face_->face;
  int width = 0;
  for (char c : text) {
    if (FT_Load_Char(face, FT_ULong(c), FT_LOAD_DEFAULT) == 0) width += int((face->glyph->advance.x + 32) >> 6);
  }
  const int descent = int(std::ceil(-face->size->metrics.descender / 64.0));
  AlphaMap map{std::max(1, width), face_->capTop + descent, {}};
  map.alpha.assign(std::size_t(map.width) * std::size_t(map.height), 0);
  int pen = 0;
  for (char c : text) {
    if (FT_Load_Char(face, FT_ULong(c), FT_LOAD_RENDER) != 0) continue;
    const FT_Bitmap& b = face->glyph->bitmap;
    for (int row = 0; row < int(b.rows); ++row)
      for (int col = 0; col < int(b.width); ++col) {
        int x = pen + face->glyph->bitmap_left + col, y = face_->capTop - face->glyph->bitmap_top + row;
        if (x < 0 || y < 0 || x >= map.width || y >= map.height) continue;
        std::uint8_t& a = map.alpha[std::size_t(y) * std::size_t(map.width) + std::size_t(x)];
        a = std::max(a, b.buffer[row * b.pitch + col]);
      }
    pen += int((face->glyph->advance.x + 32) >> 6);
  }
  return map;
}

void DrawCentred(Image& image, const Font& font, const std::string& text, double cx, int y, const Paint& paint) {
  AlphaMap map = font.Render(text);
  image.Stamp(map, int(std::lround(cx - map.width / 2.0)), y, paint);
}

}  // namespace artwork
