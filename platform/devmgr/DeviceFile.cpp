// An opened device: the kernel object behind a handle from
// CreateFileW("MVX1:"). It holds the driver's open context and passes
// each file operation to the driver's entry point; once the device has
// gone, every operation fails with ERROR_DEVICE_NOT_CONNECTED until the
// handle is closed.
#include "platform/devmgr/DeviceFile.h"

#include "platform/kernel/LastError.h"

namespace ce {

BOOL DeviceFile::Read(void* buffer, DWORD bytes, DWORD* bytesRead) {
  DWORD result = 0;
  if (!device_->Use([&] { result = device_->entries().read ? device_->entries().read(open_, buffer, bytes) : 0; }))
    return FALSE;
  return Count(result, bytesRead);
}

BOOL DeviceFile::Write(const void* buffer, DWORD bytes, DWORD* bytesWritten) {
  DWORD result = 0;
  if (!device_->Use([&] { result = device_->entries().write ? device_->entries().write(open_, buffer, bytes) : 0; }))
    return FALSE;
  return Count(result, bytesWritten);
}

DWORD DeviceFile::Seek(LONG distance, PLONG, DWORD method) {
  DWORD result = 0;
  if (!device_->Use([&] { result = device_->entries().seek ? device_->entries().seek(open_, distance, method) : 0; }))
    return INVALID_SET_FILE_POINTER;
  return result;
}

DWORD DeviceFile::Size(DWORD*) {
  SetThreadError(ERROR_INVALID_FUNCTION);  // a device has no size
  return INVALID_FILE_SIZE;
}

BOOL DeviceFile::IoControl(DWORD code, void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
  BOOL ok = FALSE;
  if (!device_->Use([&] {
        ok = device_->entries().ioControl(open_, code, static_cast<PBYTE>(in), inSize, static_cast<PBYTE>(out),
                                          outSize, returned);
      }))
    return FALSE;
  return ok;
}

void DeviceFile::OnClose() {
  device_->Use([&] { device_->entries().close(open_); });
}

// A driver's read or write returns the count, or -1 on failure (with the
// last error set by the driver).
BOOL DeviceFile::Count(DWORD result, DWORD* count) {
  if (result == static_cast<DWORD>(-1)) return FALSE;
  *count = result;
  return TRUE;
}

}  // namespace ce

extern "C" BOOL WINAPI DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuffer, DWORD nInBufferSize,
                                       LPVOID lpOutBuffer, DWORD nOutBufferSize, LPDWORD lpBytesReturned,
                                       LPOVERLAPPED) {
  auto file = ce::KernelObjectOf<ce::FileObject>(hDevice);
  if (!file) return FALSE;
  return file->IoControl(dwIoControlCode, lpInBuffer, nInBufferSize, lpOutBuffer, nOutBufferSize, lpBytesReturned);
}
