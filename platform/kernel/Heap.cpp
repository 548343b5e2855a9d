// The process's local heap. Blocks are fixed: the pointer LocalAlloc
// returns is the block, and LMEM_MOVEABLE is refused, as the handheld's
// heap has no moveable blocks. The heap knows every live block, so
// freeing anything else (a block freed before, a pointer into a block, a
// pointer from elsewhere) fails cleanly instead of corrupting memory.
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>

#include "platform/kernel/LastError.h"
#include "winbase.h"

namespace ce {
namespace {

// More than the handheld's whole memory: such a request cannot succeed.
constexpr SIZE_T kMaxBlockBytes = SIZE_T{256} << 20;

class LocalHeap {
 public:
  static LocalHeap& Instance();
  void* Allocate(SIZE_T bytes, bool zero) {
    if (bytes > kMaxBlockBytes) return nullptr;
    // A zero-byte block is still a block of its own, with its own address.
    const SIZE_T size = bytes == 0 ? 1 : bytes;
    try {
      auto block = std::make_unique_for_overwrite<std::byte[]>(size);
      if (zero) std::memset(block.get(), 0, size);
      void* address = block.get();
      std::lock_guard lock(mutex_);
      blocks_.emplace(address, std::move(block));
      return address;
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
  }

  bool Free(void* address) {
    std::unique_ptr<std::byte[]> block;  // released after the lock
    std::lock_guard lock(mutex_);
    auto it = blocks_.find(address);
    if (it == blocks_.end()) return false;
    block = std::move(it->second);
    blocks_.erase(it);
    return true;
  }

 private:
  std::mutex mutex_;
  std::unordered_map<void*, std::unique_ptr<std::byte[]>> blocks_;
};

LocalHeap& LocalHeap::Instance() {
  static LocalHeap heap;
  return heap;
}

}  // namespace
}  // namespace ce

extern "C" {

HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes) {
  if ((uFlags & ~(LMEM_FIXED | LMEM_ZEROINIT)) != 0) {
    ce::SetThreadError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  void* block = ce::LocalHeap::Instance().Allocate(uBytes, (uFlags & LMEM_ZEROINIT) != 0);
  if (!block) ce::SetThreadError(ERROR_NOT_ENOUGH_MEMORY);
  return block;
}

HLOCAL WINAPI LocalFree(HLOCAL hMem) {
  if (!hMem) return nullptr;
  if (ce::LocalHeap::Instance().Free(hMem)) return nullptr;
  ce::SetThreadError(ERROR_INVALID_HANDLE);
  return hMem;
}

}  // extern "C"
