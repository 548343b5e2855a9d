// ondrel-artwork OUTDIR: draws Ondrel's pictures, icon and confirmation
// sound into OUTDIR for the resource compiler and the handheld's
// provisioning.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include "Chime.h"
#include "Digits.h"
#include "Icon.h"
#include "Skin.h"
#include "Thumbs.h"

namespace {

using namespace artwork;

// Writes the files, throwing std::runtime_error naming the first that
// cannot be written.
class Output {
 public:
  explicit Output(std::string dir) : dir_(std::move(dir)) {}
  void Bitmap(const std::string& name, const Image& image) const { Check(name, WriteBmp(image, Path(name))); }
  void Masked(const std::string& name, const artwork::Masked& figure) const {
    Bitmap(name + ".bmp", figure.picture);
    Bitmap(name + "_mask.bmp", figure.mask);
  }
  void Thumb(const std::string& name, const artwork::Thumb& thumb) const {
    Bitmap(name + ".bmp", thumb.normal);
    Bitmap(name + "_pressed.bmp", thumb.pressed);
    Bitmap(name + "_mask.bmp", thumb.mask);
  }
  void Bytes(const std::string& name, const std::string& bytes) const { Check(name, WriteFile(Path(name), bytes)); }

 private:
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  void Check(const std::string& name, bool written) const {
    if (!written) throw std::runtime_error(Path(name) + ": " + std::strerror(errno));
  }
  std::string dir_;
};

void DrawEverything(const Output& out) {
  Lettering lettering;
  Skins skins = PaintSkins(lettering);
  out.Bitmap("BK_U.bmp", skins.normal);
  out.Bitmap("BK_P.bmp", skins.pressed);
  out.Bitmap("BK_E.bmp", skins.on);
  out.Masked("digits_large", LargeDigitStrip());
  out.Masked("point_large", LargePoint());
  out.Masked("digits_small", SmallDigitStrip());
  out.Masked("point_small", SmallPoint());
  out.Thumb("freq_thumb", FrequencyThumb());
  out.Thumb("volume_thumb", VolumeThumb());
  out.Bytes("Ondrel.ico", RadioIcon());
  out.Bytes("Default.wav", Chime());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: ondrel-artwork OUTDIR\n");
    return 2;
  }
  try {
    DrawEverything(Output(argv[1]));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "ondrel-artwork: %s\n", e.what());
    return 1;
  }
  return 0;
}
