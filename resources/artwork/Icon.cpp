#include "Icon.h"

#include "Image.h"
#include "Palette.h"

namespace artwork {

namespace {

using namespace palette;

// The radio drawn at `size` pixels; `opaque` tells which pixels it covers.
struct IconPicture {
  Image colour;
  std::vector<bool> opaque;
};

IconPicture DrawRadio(int size) {
  const double u = size / 32.0;
  Shape antenna = Segment(9 * u, 12 * u, 22 * u, 2 * u, 2.0 * u);
  Shape tip = Circle(22 * u, 2.2 * u, 1.8 * u);
  Shape body = RoundRect(2 * u, 11 * u, 28 * u, 19 * u, 3.5 * u);
  Shape outline = Union(Union(antenna, tip), body);
  Image image(size, size, Rgb{150, 155, 163});  // soft edges blend towards a neutral grey
  image.Fill(Union(antenna, tip), Rgb{190, 196, 206});
  image.Fill(body, kKeyRim);
  image.Fill(RoundRect(3 * u, 12 * u, 26 * u, 17 * u, 2.5 * u), VerticalGradient(int(12 * u), int(29 * u), kKeyTop, kKeyBottom));
  image.Fill(Circle(10 * u, 20.5 * u, 6 * u), kKeyRim);  // loudspeaker
  image.Fill(Circle(10 * u, 20.5 * u, 4.6 * u), kRecess);
  image.Fill(Circle(10 * u, 20.5 * u, 1.6 * u), kBevelLight);
  image.Fill(RoundRect(18 * u, 15 * u, 9 * u, 6 * u, 1 * u), kLcdBack);  // dial
  image.Fill(RoundRect(19.5 * u, 17 * u, 1.2 * u, 3 * u, 0.3 * u), kLcdInk);
  image.Fill(RoundRect(22 * u, 17 * u, 1.2 * u, 3 * u, 0.3 * u), kLcdInk);
  image.Fill(RoundRect(24.5 * u, 17 * u, 1.2 * u, 3 * u, 0.3 * u), kLcdInk);
  image.Fill(Circle(22.5 * u, 25 * u, 2.3 * u), kLampOn);  // tuning knob
  IconPicture picture{image, std::vector<bool>(std::size_t(size) * std::size_t(size))};
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) picture.opaque[std::size_t(y) * std::size_t(size) + std::size_t(x)] = outline.CoverageAt(x, y) >= 0.4;
  return picture;
}

// One icon image: its header, its colours bottom row first, then the AND
// mask (1 = transparent), rows padded to four bytes.
std::string IconImage(const IconPicture& p) {
  const int size = p.colour.width();
  std::string out;
  PutLittleEndian(out, 40, 4);
  PutLittleEndian(out, std::uint32_t(size), 4);
  PutLittleEndian(out, std::uint32_t(size * 2), 4);  // colours and mask
  PutLittleEndian(out, 1, 2);
  PutLittleEndian(out, 24, 2);
  for (int i = 0; i < 6; ++i) PutLittleEndian(out, 0, 4);
  for (int y = size - 1; y >= 0; --y)
    for (int x = 0; x < size; ++x) {
      bool opaque = p.opaque[std::size_t(y) * std::size_t(size) + std::size_t(x)];
      Rgb c = opaque ? p.colour.at(x, y) : kBlack;
      out.push_back(char(c.b)), out.push_back(char(c.g)), out.push_back(char(c.r));
    }
  const int maskRow = ((size + 31) / 32) * 4;
  for (int y = size - 1; y >= 0; --y) {
    std::string row(std::size_t(maskRow), '\0');
    for (int x = 0; x < size; ++x)
      if (!p.opaque[std::size_t(y) * std::size_t(size) + std::size_t(x)]) row[std::size_t(x / 8)] |= char(0x80 >> (x % 8));
    out += row;
  }
  return out;
}

}  // namespace

std::string RadioIcon() {
  const int sizes[] = {32, 16};
  std::string directory, images;
  PutLittleEndian(directory, 0, 2);
  PutLittleEndian(directory, 1, 2);  // an icon
  PutLittleEndian(directory, 2, 2);
  std::uint32_t offset = 6 + 16 * 2;
  for (int size : sizes) {
    std::string image = IconImage(DrawRadio(size));
    PutLittleEndian(directory, std::uint32_t(size), 1);
    PutLittleEndian(directory, std::uint32_t(size), 1);
    PutLittleEndian(directory, 0, 1);  // no palette
    PutLittleEndian(directory, 0, 1);
    PutLittleEndian(directory, 1, 2);
    PutLittleEndian(directory, 24, 2);
    PutLittleEndian(directory, std::uint32_t(image.size()), 4);
    PutLittleEndian(directory, offset, 4);
    offset += std::uint32_t(image.size());
    images += image;
  }
  return directory + images;
}

}  // namespace artwork
