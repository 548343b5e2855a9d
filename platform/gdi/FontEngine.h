// Glyphs from the system's TrueType fonts through FreeType: the sizes a
// LOGFONTW asks for, hinted advances and metrics, and drawing a line of
// text anti-aliased onto a picture.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/Raster.h"
#include "wingdi.h"

namespace ce::gdi {

// The metrics of a font at one size, in pixels.
struct FontMetrics {
  int ascent = 0;   // baseline below the top of the line
  int descent = 0;  // below the baseline
  int height = 0;   // one line: ascent + descent
  int averageWidth = 0;
  int maxWidth = 0;
  int weight = FW_NORMAL;
};

// One font at one pixel size. Owned by the engine; stays valid for the
// process's life.
class SizedFont;

class FontEngine {
 public:
  static FontEngine& Instance();
  ~FontEngine();

  // The font a LOGFONTW describes: lfHeight negative is the em size in
  // pixels, positive the line height, 0 the system's 8 points at 96 dpi;
  // a weight from 600 up is bold. nullptr with error when no font file
  // can be read.
  SizedFont* Get(const LOGFONTW& log, std::string& error);

  // Advance of each character of the text (tabs and line breaks measure
  // as nothing; callers lay those out).
  std::vector<int> Advances(SizedFont& font, std::u16string_view text);
  FontMetrics Metrics(SizedFont& font);

  // Draws the text with its top-left corner at (x, y) (logical
  // coordinates of the target), each character advanced by advances[i],
  // in colour; clip (picture coordinates) limits it further when given.
  void Draw(SizedFont& font, const Target& target, int x, int y, std::u16string_view text,
            const std::vector<int>& advances, Rgb colour, const std::optional<RECT>& clip);

 private:
  FontEngine();
  struct Library;
  std::mutex mutex_;
  std::unique_ptr<Library> library_;
};

// The font files the platform draws with.
std::string RegularFontFile();
std::string BoldFontFile();

}  // namespace ce::gdi
