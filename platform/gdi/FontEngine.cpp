#include "platform/gdi/FontEngine.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>

#include "platform/kernel/Utf.h"

namespace ce::gdi {
namespace {

constexpr int kSystemPixels = 11;  // 8 points at 96 dpi
constexpr int kMaxPixels = 256;

struct Glyph {
  int left = 0, top = 0;  // bitmap origin relative to the pen on the baseline
  int width = 0, rows = 0;
  int advance = 0;
  std::vector<std::uint8_t> coverage;  // rows * width, 0..255
};

}  // namespace

// Lato (Debian's fonts-lato) at the system's 8 points measures as the
// handheld's own dialog font: a 13-pixel line, 11 of it above the
// baseline, and 6 x 13 dialog base units; and it sets text as narrow, so
// a label fits its dialog control on one line as it does on the device.
std::string RegularFontFile() { return "/usr/share/fonts/truetype/lato/Lato-Regular.ttf"; }
std::string BoldFontFile() { return "/usr/share/fonts/truetype/lato/Lato-Bold.ttf"; }

class SizedFont {
 public:
  FT_Face face = nullptr;
  int pixels = 0;
  bool bold = false;
  FontMetrics metrics;
  std::map<char32_t, Glyph> glyphs;

  ~SizedFont() {
    if (face) FT_Done_Face(face);
  }

  const Glyph& GlyphOf(char32_t code) {
    auto it = glyphs.find(code);
    if (it != glyphs.end()) return it->second;
    Glyph g;
    FT_UInt index = FT_Get_Char_Index(face, code);
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_NORMAL) == 0 &&
        FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) == 0) {
      const FT_Bitmap& b = face->glyph->bitmap;
      g.left = face->glyph->bitmap_left;
      g.top = face->glyph->bitmap_top;
      g.width = int(b.width);
      g.rows = int(b.rows);
      g.advance = int((face->glyph->advance.x + 32) >> 6);
      g.coverage.resize(std::size_t(g.width) * std::size_t(g.rows));
      for (int y = 0; y < g.rows; ++y)
        std::copy_n(b.buffer + std::ptrdiff_t(y) * b.pitch, g.width, g.coverage.begin() + std::ptrdiff_t(y) * g.width);
    }
    return glyphs.emplace(code, std::move(g)).first->second;
  }
};

struct FontEngine::Library {
  FT_Library ft = nullptr;
  std::map<std::pair<int, bool>, std::unique_ptr<SizedFont>> fonts;
  ~Library() {
    fonts.clear();
    if (ft) FT_Done_FreeType(ft);
  }
};

FontEngine& FontEngine::Instance() {
  static FontEngine engine;
  return engine;
}

FontEngine::FontEngine() : library_(std::make_unique<Library>()) {
  if (FT_Init_FreeType(&library_->ft) != 0) library_->ft = nullptr;
}

FontEngine::~FontEngine() = default;

SizedFont* FontEngine::Get(const LOGFONTW& log, std::string& error) {
  std::lock_guard lock(mutex_);
  if (!library_->ft) {
    error = "the font engine could not start";
    return nullptr;
  }
  bool bold = log.lfWeight >= 600;
  // Line heights become em sizes once the face's proportions are known,
  // so sizes are keyed by what was asked: negative em, positive line.
  int asked = log.lfHeight == 0 ? -kSystemPixels : std::clamp(int(log.lfHeight), -kMaxPixels, kMaxPixels);
  auto key = std::make_pair(asked, bold);
  if (auto it = library_->fonts.find(key); it != library_->fonts.end()) return it->second.get();

  auto font = std::make_unique<SizedFont>();
  std::string file = bold ? BoldFontFile() : RegularFontFile();
  if (FT_New_Face(library_->ft, file.c_str(), 0, &font->face) != 0) {
    font->face = nullptr;
    error = "cannot read the font file " + file;
    return nullptr;
  }
  FT_Face face = font->face;
  // Line metrics from the face's Windows ascent and descent when it has
  // them, as the platform measures lines.
  double ascender = face->ascender, descender = -double(face->descender);
  if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)); os2 && os2->usWinAscent) {
    ascender = os2->usWinAscent;
    descender = os2->usWinDescent;
  }
  double em = face->units_per_EM;
  int pixels = asked < 0 ? -asked : std::max(1, int(std::lround(asked * em / (ascender + descender))));
  FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixels));
  font->pixels = pixels;
  font->bold = bold;
  double scale = pixels / em;
  FontMetrics& m = font->metrics;
  m.height = std::max(1, int((ascender + descender) * scale));
  m.ascent = std::min(m.height, int(std::lround(ascender * scale)));
  m.descent = m.height - m.ascent;
  m.averageWidth = font->GlyphOf(U'x').advance;
  m.maxWidth = int((face->max_advance_width * scale) + 0.5);
  m.weight = bold ? FW_BOLD : FW_NORMAL;
  SizedFont* result = font.get();
  library_->fonts.emplace(key, std::move(font));
  return result;
}

FontMetrics FontEngine::Metrics(SizedFont& font) { return font.metrics; }

std::vector<int> FontEngine::Advances(SizedFont& font, std::u16string_view text) {
  std::lock_guard lock(mutex_);
  std::vector<int> advances(text.size(), 0);
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t at = pos;
    char32_t code = NextUtf16(text, pos).code;
    if (code == U'\t' || code == U'\r' || code == U'\n') continue;
    advances[at] = font.GlyphOf(code).advance;
  }
  return advances;
}

void FontEngine::Draw(SizedFont& font, const Target& target, int x, int y, std::u16string_view text,
                      const std::vector<int>& advances, Rgb colour, const std::optional<RECT>& clip) {
  std::lock_guard lock(mutex_);
  const Surface& s = target.surface;
  int penX = x + target.origin.x;
  int baseline = y + target.origin.y + font.metrics.ascent;
  const Rgb cr = (colour >> 16) & 0xFF, cg = (colour >> 8) & 0xFF, cb = colour & 0xFF;
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t at = pos;
    char32_t code = NextUtf16(text, pos).code;
    int advance = at < advances.size() ? advances[at] : 0;
    if (code == U'\t' || code == U'\r' || code == U'\n') {
      penX += advance;
      continue;
    }
    const Glyph& g = font.GlyphOf(code);
    RECT box{penX + g.left, baseline - g.top, penX + g.left + g.width, baseline - g.top + g.rows};
    for (RECT area : target.clip) {
      area = Intersect(Intersect(area, box), RECT{0, 0, s.width, s.height});
      if (clip) area = Intersect(area, *clip);
      for (int py = area.top; py < area.bottom; ++py) {
        const std::uint8_t* cov = g.coverage.data() + std::size_t(py - box.top) * std::size_t(g.width);
        for (int px = area.left; px < area.right; ++px) {
          Rgb a = cov[px - box.left];
          if (a == 0) continue;
          Rgb d = a == 255 ? colour : ReadPixel(s, px, py);
          if (a != 255) {
            Rgb r = (cr * a + ((d >> 16) & 0xFF) * (255 - a) + 127) / 255;
            Rgb gr = (cg * a + ((d >> 8) & 0xFF) * (255 - a) + 127) / 255;
            Rgb b = (cb * a + (d & 0xFF) * (255 - a) + 127) / 255;
            d = (r << 16) | (gr << 8) | b;
          }
          WritePixel(s, px, py, d);
        }
      }
    }
    penX += advance;
  }
}

}  // namespace ce::gdi
