// A second program on a device root: finds a window by class and title,
// as a program started a second time does, and brings it to the front.
// Exit status: 0 brought forward, 3 not found, 4 could not ask, 2 usage.
#include <string>

#include "platform/kernel/Kernel.h"
#include "platform/kernel/Utf.h"
#include "windows.h"

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  ce::SetDeviceRoot(argv[1]);
  std::u16string cls = ce::ToUtf16(argv[2]), title = ce::ToUtf16(argv[3]);
  HWND found = FindWindowW(cls.c_str(), title.c_str());
  if (!found) return 3;
  HWND withOwned = reinterpret_cast<HWND>(reinterpret_cast<std::uintptr_t>(found) | 1);
  return SetForegroundWindow(withOwned) ? 0 : 4;
}
