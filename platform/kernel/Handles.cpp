#include "kernel/KernelObject.h"
#include "winbase.h"

namespace ce {

HandleTable<KernelObject>& KernelHandles() {
  static HandleTable<KernelObject> table(0x1000, 4);
  return table;
}

HANDLE AddKernelHandle(std::shared_ptr<KernelObject> object) {
  return reinterpret_cast<HANDLE>(KernelHandles().Add(std::move(object)));
}

}  // namespace ce

extern "C" BOOL WINAPI CloseHandle(HANDLE hObject) {
  auto object = ce::KernelHandles().Remove(reinterpret_cast<std::uintptr_t>(hObject));
  if (!object) {
    ce::SetThreadError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  object->OnClose();
  return TRUE;
}
