#include <set>

#include "platform/kernel/KernelObject.h"
#include "winbase.h"

namespace ce {
namespace {

// Every handle table alive in the process. A table joins while it is
// made, so the census is made first and outlives every table.
class Census {
 public:
  static Census& Instance() {
    static Census census;
    return census;
  }
  void Join(const detail::CountedTable* table) {
    std::lock_guard lock(mutex_);
    tables_.insert(table);
  }
  void Leave(const detail::CountedTable* table) {
    std::lock_guard lock(mutex_);
    tables_.erase(table);
  }
  std::map<std::string, std::size_t> Counts() {
    std::lock_guard lock(mutex_);
    std::map<std::string, std::size_t> counts;
    for (const detail::CountedTable* table : tables_) counts[table->Kind()] += table->Size();
    return counts;
  }

 private:
  std::mutex mutex_;
  std::set<const detail::CountedTable*> tables_;
};

}  // namespace

// The census is made before any table joins it, so it outlives them all.
detail::CountedTable::CountedTable(const char* kind) : kind_(kind) { Census::Instance(); }
detail::CountedTable::~CountedTable() { LeaveCensus(); }
void detail::CountedTable::JoinCensus() { Census::Instance().Join(this); }
void detail::CountedTable::LeaveCensus() { Census::Instance().Leave(this); }

std::map<std::string, std::size_t> LiveHandleCounts() { return Census::Instance().Counts(); }

KernelHandles& KernelHandles::Instance() {
  static KernelHandles table;
  return table;
}

HANDLE AddKernelHandle(std::shared_ptr<KernelObject> object) {
  return reinterpret_cast<HANDLE>(KernelHandles::Instance().Add(std::move(object)));
}

}  // namespace ce

extern "C" BOOL WINAPI CloseHandle(HANDLE hObject) {
  auto object = ce::KernelHandles::Instance().Remove(reinterpret_cast<std::uintptr_t>(hObject));
  if (!object) {
    ce::SetThreadError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  object->OnClose();
  return TRUE;
}
