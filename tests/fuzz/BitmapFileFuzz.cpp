// libFuzzer target: every input is a skin picture file, loaded with
// BitmapFile::Load as the skin loads it (CreateFileW, GetFileSize, ReadFile)
// from a device whose file is the input, and, when it loads, read back
// through a device context.
#include <cstddef>
#include <cstdint>

#include "BitmapFile.h"
#include "FuzzSupport.h"

namespace {

// Touches the picture's corners through a memory device context.
void ReadCorners(HBITMAP bitmap) {
  BITMAP info{};
  fuzz::Require(GetObjectW(bitmap, sizeof info, &info) == int(sizeof info), "a loaded picture is a bitmap");
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  GetPixel(dc, 0, 0);
  GetPixel(dc, info.bmWidth - 1, info.bmHeight - 1);
  SelectObject(dc, previous);
  DeleteDC(dc);
}

fuzz::InputDevice* device = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static fuzz::InputDevice input;
  device = &input;
  fuzz::AnswerMessageBoxesQuietly();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  device->Serve({data, size});
  {
    BitmapFile bitmap;
    int loaded = bitmap.Load(fuzz::InputDevice::kName);
    fuzz::Require(loaded == (bitmap.GetBitmap() != nullptr), "the result agrees with the section");
    if (loaded) ReadCorners(bitmap.GetBitmap());
  }
  fuzz::ForgetTheLog();
  return 0;
}
