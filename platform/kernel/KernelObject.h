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
  // The kinds a handle can be asked for. Each kind's class names its own
  // as kKind, so that a handle's kind is checked by one comparison.
  enum class Kind { Event, File };

  explicit KernelObject(Kind kind) : kind_(kind) {}
  virtual ~KernelObject() = default;
  Kind kind() const { return kind_; }
  // Called once, when the last handle to the object is closed.
  virtual void OnClose() {}

 private:
  const Kind kind_;
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
  auto object = KernelHandles::Instance().Get(reinterpret_cast<std::uintptr_t>(handle));
  if (object && object->kind() == T::kKind) return std::static_pointer_cast<T>(std::move(object));
  SetThreadError(ERROR_INVALID_HANDLE);
  return nullptr;
}
}  // namespace ce
