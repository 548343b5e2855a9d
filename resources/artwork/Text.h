// Labels set in the system's sans-serif face (DejaVu, through FreeType),
// hinted for the small sizes of a handheld's buttons.
#pragma once

#include <memory>
#include <string>

#include "Image.h"

namespace artwork {

enum class Weight { Regular, Bold, CondensedBold };

class Font {
 public:
  // Throws std::runtime_error naming the file when the face cannot be read.
  Font(Weight weight, int pixels);
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // The text's coverage; its top row is the cap height's top (so capitals
  // sit exactly at the place they are drawn).
  AlphaMap Render(const std::string& text) const;

 private:
  struct Face;
  std::unique_ptr<Face> face_;
};

// Draws ASCII text centred on (cx, top of capitals at y).
void DrawCentred(Image& image, const Font& font, const std::string& text, double cx, int y, const Paint& paint);

}  // namespace artwork
