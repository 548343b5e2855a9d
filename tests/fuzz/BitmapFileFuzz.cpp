// libFuzzer target: every input is a skin picture file on the device,
// loaded with BitmapFile::Load and, when it loads, read back through a
// device context. AddressSanitizer and UBSan turn any read or write past
// a block, and any leak, into a crash that the fuzzer keeps.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "BitmapFile.h"
#include "kernel/Kernel.h"
#include "user/MessageBox.h"
#include "windows.h"

namespace {

namespace fs = std::filesystem;

fs::path& DeviceRoot() {
  static fs::path root;
  return root;
}

void RemoveDeviceRoot() {
  std::error_code ec;
  fs::remove_all(DeviceRoot(), ec);
}

// Touches the picture's corners through a memory device context.
void ReadCorners(HBITMAP bitmap) {
  BITMAP info{};
  if (GetObjectW(bitmap, sizeof info, &info) != int(sizeof info)) abort();
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  GetPixel(dc, 0, 0);
  GetPixel(dc, info.bmWidth - 1, info.bmHeight - 1);
  SelectObject(dc, previous);
  DeleteDC(dc);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string pattern = (fs::temp_directory_path() / "ondrel-bmp-fuzz-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) abort();
  DeviceRoot() = pattern;
  ce::SetDeviceRoot(DeviceRoot());
  atexit(RemoveDeviceRoot);
  // The loader's refusals are expected by the thousand: answer them
  // quietly instead of writing each to standard error.
  ce::SetMessageBoxPresenter([](HWND, std::u16string_view, std::u16string_view, UINT) { return IDOK; });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  {
    std::ofstream out(DeviceRoot() / "pic.bmp", std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
  }
  BitmapFile bitmap;
  int loaded = bitmap.Load(u"\\pic.bmp");
  if (loaded != (bitmap.GetBitmap() != nullptr)) abort();  // a result that disagrees with the section
  if (loaded) ReadCorners(bitmap.GetBitmap());
  return 0;
}
