// A disk with only so much room left, as the registry database sees it:
// while a FullDisk lives, every database this process opens goes through
// a file layer that lets files grow by the room left and no more; a write
// beyond it fails as a full disk does (SQLITE_FULL). Reading, rewriting
// what is there and the shared-memory index are not limited.
#pragma once

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <cstdint>

namespace e2e {

class FullDisk {
 public:
  explicit FullDisk(std::int64_t room) {
    room_ = room;
    real_ = sqlite3_vfs_find(nullptr);
    vfs_ = *real_;
    vfs_.zName = "ondrel-test-full-disk";
    vfs_.szOsFile = static_cast<int>(sizeof(File)) + real_->szOsFile;
    vfs_.xOpen = Open;
    sqlite3_vfs_register(&vfs_, 1);
  }
  ~FullDisk() { sqlite3_vfs_unregister(&vfs_); }
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;

  static std::int64_t Room() { return room_; }

 private:
  struct File {
    sqlite3_file base;
    sqlite3_file* real;  // the real file's state follows this record
  };

  static sqlite3_file* Real(sqlite3_file* file) { return reinterpret_cast<File*>(file)->real; }

  static int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
    auto* shim = reinterpret_cast<File*>(file);
    shim->real = reinterpret_cast<sqlite3_file*>(shim + 1);
    int rc = real_->xOpen(real_, name, shim->real, flags, outFlags);
    if (shim->real->pMethods) {
      if (!methods_.xWrite) {  // the real layer has one set of methods for all its files
        methods_ = *shim->real->pMethods;
        methods_.xClose = Close;
        methods_.xWrite = Write;
        ForwardTheRest();
      }
      shim->base.pMethods = &methods_;
    } else {
      shim->base.pMethods = nullptr;
    }
    return rc;
  }

  static int Close(sqlite3_file* file) { return Real(file)->pMethods->xClose(Real(file)); }

  static int Write(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
    sqlite3_file* real = Real(file);
    sqlite3_int64 size = 0;
    real->pMethods->xFileSize(real, &size);
    std::int64_t growth = std::max<std::int64_t>(0, offset + amount - size);
    if (growth > 0) {
      std::int64_t left = room_.load();
      do {
        if (left < growth) return SQLITE_FULL;
      } while (!room_.compare_exchange_weak(left, left - growth));
    }
    return real->pMethods->xWrite(real, data, amount, offset);
  }

  // Every other method goes to the real file as it is.
  static void ForwardTheRest() {
    methods_.xRead = [](sqlite3_file* f, void* d, int n, sqlite3_int64 o) { return Real(f)->pMethods->xRead(Real(f), d, n, o); };
    methods_.xTruncate = [](sqlite3_file* f, sqlite3_int64 n) { return Real(f)->pMethods->xTruncate(Real(f), n); };
    methods_.xSync = [](sqlite3_file* f, int flags) { return Real(f)->pMethods->xSync(Real(f), flags); };
    methods_.xFileSize = [](sqlite3_file* f, sqlite3_int64* n) { return Real(f)->pMethods->xFileSize(Real(f), n); };
    methods_.xLock = [](sqlite3_file* f, int l) { return Real(f)->pMethods->xLock(Real(f), l); };
    methods_.xUnlock = [](sqlite3_file* f, int l) { return Real(f)->pMethods->xUnlock(Real(f), l); };
    methods_.xCheckReservedLock = [](sqlite3_file* f, int* r) { return Real(f)->pMethods->xCheckReservedLock(Real(f), r); };
    methods_.xFileControl = [](sqlite3_file* f, int op, void* a) { return Real(f)->pMethods->xFileControl(Real(f), op, a); };
    methods_.xSectorSize = [](sqlite3_file* f) { return Real(f)->pMethods->xSectorSize(Real(f)); };
    methods_.xDeviceCharacteristics = [](sqlite3_file* f) { return Real(f)->pMethods->xDeviceCharacteristics(Real(f)); };
    if (methods_.iVersion < 2) return;
    methods_.xShmMap = [](sqlite3_file* f, int page, int size, int extend, void volatile** p) {
      return Real(f)->pMethods->xShmMap(Real(f), page, size, extend, p);
    };
    methods_.xShmLock = [](sqlite3_file* f, int o, int n, int flags) { return Real(f)->pMethods->xShmLock(Real(f), o, n, flags); };
    methods_.xShmBarrier = [](sqlite3_file* f) { Real(f)->pMethods->xShmBarrier(Real(f)); };
    methods_.xShmUnmap = [](sqlite3_file* f, int d) { return Real(f)->pMethods->xShmUnmap(Real(f), d); };
    if (methods_.iVersion < 3) return;
    methods_.xFetch = [](sqlite3_file* f, sqlite3_int64 o, int n, void** p) { return Real(f)->pMethods->xFetch(Real(f), o, n, p); };
    methods_.xUnfetch = [](sqlite3_file* f, sqlite3_int64 o, void* p) { return Real(f)->pMethods->xUnfetch(Real(f), o, p); };
  }

  static inline std::atomic<std::int64_t> room_ = 0;
  static inline sqlite3_vfs* real_ = nullptr;
  static inline sqlite3_vfs vfs_{};
  static inline sqlite3_io_methods methods_{};
};

}  // namespace e2e
