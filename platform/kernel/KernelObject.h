// Objects behind kernel handles (events, files, devices, ...). Every kind
// lives in the one kernel handle table, so CloseHandle works for all of
// them and a handle of the wrong kind is told apart from a valid one.
#pragma once

#include <memory>

#include "platform/kernel/HandleTable.h"
#include "windef.h"

namespace ce {

class KernelObject {
 public:
  virtual ~KernelObject() = default;
  // Called once, when the last handle to the object is closed.
  virtual void OnClose() {}
};

// The one table of every kernel handle.
class KernelHandles : public HandleTable<KernelObject> {
 public:
  static KernelHandles& Instance();

 private:
  KernelHandles() : HandleTable("kernel objects", 0x1000, 4) {}
};

HANDLE AddKernelHandle(std::shared_ptr<KernelObject> object);

// The object behind a handle if it is alive and of kind T; otherwise sets
// ERROR_INVALID_HANDLE and returns nullptr.
template <class T>
std::shared_ptr<T> KernelObjectOf(HANDLE handle);

}  // namespace ce

#include "platform/kernel/LastError.h"

namespace ce {
template <class T>
std::shared_ptr<T> KernelObjectOf(HANDLE handle) {
  auto object = std::dynamic_pointer_cast<T>(KernelHandles::Instance().Get(reinterpret_cast<std::uintptr_t>(handle)));
  if (!object) SetThreadError(ERROR_INVALID_HANDLE);
  return object;
}
}  // namespace ce
