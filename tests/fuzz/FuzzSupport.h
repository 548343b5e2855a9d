// What the fuzz targets share. Every input stays in memory: a target that
// reads a file through the platform reads it from a device whose file is
// the input, so nothing touches the disk per input.
//
// A target checks what must hold for any input with Require: a broken
// promise aborts, and the fuzzer keeps the input as a crash, as it does for
// every sanitizer report. Each input cleans up after itself, so that the
// memory taken and given back per input balance and the fuzzer's leak
// check stays quiet unless something really leaks.
#pragma once

#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <span>
#include <string_view>

#include "platform/kernel/FileObject.h"
#include "platform/kernel/LastError.h"
#include "platform/kernel/RunLog.h"
#include "platform/user/MessageBox.h"
#include "windows.h"

namespace fuzz {

// Aborts with the broken promise named, so that the report says which.
inline void Require(bool holds, const char* promise) {
  if (holds) return;
  std::fprintf(stderr, "fuzz target: broken promise: %s\n", promise);
  abort();
}

// A read-only file whose contents are the bytes of the current input.
class InputFile : public ce::FileObject {
 public:
  explicit InputFile(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  BOOL Read(void* buffer, DWORD bytes, DWORD* bytesRead) override {
    const std::size_t count = std::min<std::size_t>(bytes, bytes_.size() - position_);
    if (count > 0) std::memcpy(buffer, bytes_.data() + position_, count);
    position_ += count;
    *bytesRead = static_cast<DWORD>(count);
    return TRUE;
  }
  BOOL Write(const void*, DWORD, DWORD* bytesWritten) override {
    *bytesWritten = 0;
    ce::SetThreadError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  DWORD Seek(LONG distance, PLONG distanceHigh, DWORD method) override {
    const std::int64_t base = method == FILE_BEGIN ? 0
                              : method == FILE_CURRENT ? static_cast<std::int64_t>(position_)
                                                       : static_cast<std::int64_t>(bytes_.size());
    const std::int64_t target = base + distance;
    if (distanceHigh || target < 0 || method > FILE_END) {
      ce::SetThreadError(ERROR_INVALID_PARAMETER);
      return INVALID_SET_FILE_POINTER;
    }
    position_ = std::min<std::size_t>(static_cast<std::size_t>(target), bytes_.size());
    return static_cast<DWORD>(position_);
  }
  DWORD Size(DWORD* sizeHigh) override {
    if (sizeHigh) *sizeHigh = 0;
    ce::SetThreadError(ERROR_SUCCESS);
    return static_cast<DWORD>(bytes_.size());
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

// The device "FUZ1:" opens the input as a file; every other device name
// is not there. Set once; the bytes change with each input.
class InputDevice {
 public:
  static constexpr const char16_t* kName = u"FUZ1:";

  InputDevice() {
    ce::SetDeviceOpener([this](std::u16string_view name, DWORD, DWORD) -> HANDLE {
      if (name != kName) {
        ce::SetThreadError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
      }
      return ce::AddKernelHandle(std::make_shared<InputFile>(bytes_));
    });
  }
  void Serve(std::span<const std::uint8_t> bytes) { bytes_ = bytes; }

 private:
  std::span<const std::uint8_t> bytes_;
};

// Refusals are expected by the thousand: message boxes are answered at
// once instead of being written to standard error.
inline void AnswerMessageBoxesQuietly() {
  ce::SetMessageBoxPresenter([](HWND, std::u16string_view, std::u16string_view, UINT) { return IDOK; });
}

// What one input left in the run's log goes with it.
inline void ForgetTheLog() { ce::ClearRunLog(); }

}  // namespace fuzz
