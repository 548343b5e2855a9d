// ondrel-artwork OUTDIR: draws Ondrel's pictures, icon and confirmation
// sound into OUTDIR for the resource compiler and the handheld's
// provisioning.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

#include "Image.h"

using artwork::Image;
using artwork::Rgb;

namespace {

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};

// A strip of `count` cells, each a filled block on black; its mask is
// black where the block is.
void Strip(const std::string& dir, const std::string& name, int cellW, int count, int w, int h, Rgb ink) {
  Image picture(w, h, kBlack), mask(w, h, kWhite);
  for (int i = 0; i < count; ++i) {
    picture.FillRect(i * cellW + 1, 1, cellW - 2, h - 2, ink);
    mask.FillRect(i * cellW + 1, 1, cellW - 2, h - 2, kBlack);
  }
  artwork::WriteBmp(picture, dir + "/" + name + ".bmp");
  artwork::WriteBmp(mask, dir + "/" + name + "_mask.bmp");
}

void Thumb(const std::string& dir, const std::string& name, int w, int h) {
  Image thumb(w, h, kBlack), pressed(w, h, kBlack), mask(w, h, kWhite);
  thumb.FillRect(2, 2, w - 4, h - 4, {200, 200, 210});
  pressed.FillRect(2, 2, w - 4, h - 4, {120, 160, 230});
  mask.FillRect(2, 2, w - 4, h - 4, kBlack);
  artwork::WriteBmp(thumb, dir + "/" + name + ".bmp");
  artwork::WriteBmp(pressed, dir + "/" + name + "_pressed.bmp");
  artwork::WriteBmp(mask, dir + "/" + name + "_mask.bmp");
}

void Put(std::string& out, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(char((v >> (8 * i)) & 0xFF));
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(bytes.data(), std::streamsize(bytes.size()));
  return bool(file.flush());
}

// A 32 x 32, 24-bit icon with its transparency mask.
bool Icon(const std::string& path) {
  const int size = 32;
  std::string image;
  Put(image, 40, 4);
  Put(image, size, 4);
  Put(image, size * 2, 4);
  Put(image, 1, 2);
  Put(image, 24, 2);
  Put(image, 0, 4);
  Put(image, 0, 4);
  Put(image, 0, 4);
  Put(image, 0, 4);
  Put(image, 0, 4);
  Put(image, 0, 4);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) Put(image, 0x3060C0, 3);
  for (int y = 0; y < size; ++y) Put(image, 0, 4);  // opaque everywhere
  std::string ico;
  Put(ico, 0, 2);
  Put(ico, 1, 2);
  Put(ico, 1, 2);
  Put(ico, size, 1);
  Put(ico, size, 1);
  Put(ico, 0, 1);
  Put(ico, 0, 1);
  Put(ico, 1, 2);
  Put(ico, 24, 2);
  Put(ico, std::uint32_t(image.size()), 4);
  Put(ico, 22, 4);
  return WriteFile(path, ico + image);
}

// A short two-note chime, 22.05 kHz mono 16-bit.
bool Chime(const std::string& path) {
  const int rate = 22050, frames = rate / 4;
  std::string data;
  for (int i = 0; i < frames; ++i) {
    double t = double(i) / rate;
    double f = i < frames / 2 ? 880.0 : 1318.5;
    double v = std::sin(2 * M_PI * f * t) * std::exp(-6.0 * t) * 9000.0;
    Put(data, std::uint32_t(std::int16_t(v)) & 0xFFFF, 2);
  }
  std::string wav = "RIFF";
  Put(wav, std::uint32_t(36 + data.size()), 4);
  wav += "WAVEfmt ";
  Put(wav, 16, 4);
  Put(wav, 1, 2);
  Put(wav, 1, 2);
  Put(wav, rate, 4);
  Put(wav, rate * 2, 4);
  Put(wav, 2, 2);
  Put(wav, 16, 2);
  wav += "data";
  Put(wav, std::uint32_t(data.size()), 4);
  return WriteFile(path, wav + data);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: ondrel-artwork OUTDIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  for (const char* skin : {"BK_U", "BK_P", "BK_E"}) {
    Image background(240, 268, {30, 34, 44});
    artwork::WriteBmp(background, dir + "/" + skin + ".bmp");
  }
  Strip(dir, "digits_large", 16, 10, 160, 17, {120, 230, 255});
  Strip(dir, "point_large", 16, 1, 16, 17, {120, 230, 255});
  Strip(dir, "digits_small", 5, 10, 51, 6, {255, 210, 120});
  Strip(dir, "point_small", 5, 1, 5, 6, {255, 210, 120});
  Thumb(dir, "freq_thumb", 21, 29);
  Thumb(dir, "volume_thumb", 22, 22);
  if (!Icon(dir + "/Ondrel.ico") || !Chime(dir + "/Default.wav")) {
    std::perror(("ondrel-artwork: " + dir).c_str());
    return 1;
  }
  return 0;
}
