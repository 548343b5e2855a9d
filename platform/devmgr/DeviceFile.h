#pragma once

#include <memory>

#include "platform/devmgr/StreamDevice.h"
#include "platform/kernel/FileObject.h"

namespace ce {

class DeviceFile : public FileObject {
 public:
  DeviceFile(std::shared_ptr<StreamDevice> device, DWORD_PTR openContext)
      : device_(std::move(device)), open_(openContext) {}

  BOOL Read(void* buffer, DWORD bytes, DWORD* bytesRead) override;
  BOOL Write(const void* buffer, DWORD bytes, DWORD* bytesWritten) override;
  DWORD Seek(LONG distance, PLONG distanceHigh, DWORD method) override;
  DWORD Size(DWORD* sizeHigh) override;
  void OnClose() override;
  BOOL IoControl(DWORD code, void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) override;

 private:
  static BOOL Count(DWORD result, DWORD* count);

  const std::shared_ptr<StreamDevice> device_;
  const DWORD_PTR open_;
};

}  // namespace ce
