// What a file handle stands for. Files on the device root and opened
// devices ("MVX1:") are both FileObjects, so ReadFile, WriteFile,
// SetFilePointer, GetFileSize and CloseHandle reach either through the one
// kernel handle table. Each operation sets the last error itself when it
// fails.
#pragma once

#include <functional>
#include <string_view>

#include "platform/kernel/KernelObject.h"
#include "winbase.h"

namespace ce {

class FileObject : public KernelObject {
 public:
  static constexpr Kind kKind = Kind::File;
  FileObject() : KernelObject(kKind) {}

  virtual BOOL Read(void* buffer, DWORD bytes, DWORD* bytesRead) = 0;
  virtual BOOL Write(const void* buffer, DWORD bytes, DWORD* bytesWritten) = 0;
  // Same contract as SetFilePointer.
  virtual DWORD Seek(LONG distance, PLONG distanceHigh, DWORD method) = 0;
  virtual DWORD Size(DWORD* sizeHigh) = 0;
  // Same contract as DeviceIoControl. Only devices take control requests:
  // a file on the device root answers ERROR_INVALID_FUNCTION.
  virtual BOOL IoControl(DWORD code, void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned);
};

// Opens a device name such as "MVX1:" (the whole name, colon included) and
// returns the handle or INVALID_HANDLE_VALUE with the last error set. The
// device manager installs it; without one, device names are not found.
using DeviceOpener = std::function<HANDLE(std::u16string_view name, DWORD access, DWORD share)>;
void SetDeviceOpener(DeviceOpener opener);

}  // namespace ce
