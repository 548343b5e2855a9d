// Files on the device root and the dispatch of device names. A file handle
// is a HostFile in the kernel handle table: an open host file descriptor
// and the access the handle was opened with. Sharing modes are not
// enforced (the handheld runs one program at a time on its files); the
// overlapped argument of ReadFile/WriteFile is ignored, as the platform
// has no overlapped file I/O.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <mutex>
#include <utility>

#include "platform/kernel/DevicePath.h"
#include "platform/kernel/FileObject.h"
#include "platform/kernel/LastError.h"
#include "winbase.h"

namespace ce {
namespace fs = std::filesystem;
namespace {

DWORD ErrnoError(int err) { return FileErrorOf(std::error_code(err, std::generic_category())); }

class UniqueFd {
 public:
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  UniqueFd& operator=(UniqueFd&&) = delete;
  ~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

class HostFile : public FileObject {
 public:
  HostFile(UniqueFd fd, bool canRead, bool canWrite) : fd_(std::move(fd)), canRead_(canRead), canWrite_(canWrite) {}

  BOOL Read(void* buffer, DWORD bytes, DWORD* bytesRead) override {
    *bytesRead = 0;
    if (!canRead_) return Fail(ERROR_ACCESS_DENIED);
    std::lock_guard lock(mutex_);
    auto* out = static_cast<std::uint8_t*>(buffer);
    while (*bytesRead < bytes) {
      ssize_t n = ::read(fd_.get(), out + *bytesRead, bytes - *bytesRead);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return Fail(ErrnoError(errno));
      if (n == 0) break;  // end of file: a short read, not an error
      *bytesRead += static_cast<DWORD>(n);
    }
    return TRUE;
  }

  BOOL Write(const void* buffer, DWORD bytes, DWORD* bytesWritten) override {
    *bytesWritten = 0;
    if (!canWrite_) return Fail(ERROR_ACCESS_DENIED);
    std::lock_guard lock(mutex_);
    const auto* in = static_cast<const std::uint8_t*>(buffer);
    while (*bytesWritten < bytes) {
      ssize_t n = ::write(fd_.get(), in + *bytesWritten, bytes - *bytesWritten);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return Fail(n < 0 ? ErrnoError(errno) : ERROR_WRITE_FAULT);
      *bytesWritten += static_cast<DWORD>(n);
    }
    return TRUE;
  }

  DWORD Seek(LONG distance, PLONG distanceHigh, DWORD method) override {
    // Without the high word the distance is a signed 32-bit value and the
    // result must fit the return value; with it, both words form one
    // signed 64-bit distance.
    std::int64_t move = distanceHigh
                            ? static_cast<std::int64_t>((std::uint64_t(std::uint32_t(*distanceHigh)) << 32) |
                                                        std::uint32_t(distance))
                            : std::int64_t{distance};
    std::lock_guard lock(mutex_);
    std::int64_t base;
    switch (method) {
      case FILE_BEGIN:
        base = 0;
        break;
      case FILE_CURRENT:
        base = ::lseek(fd_.get(), 0, SEEK_CUR);
        break;
      case FILE_END:
        base = SizeLocked();
        break;
      default:
        return FailSeek(ERROR_INVALID_PARAMETER);
    }
    if (base < 0) return FailSeek(ErrnoError(errno));
    std::int64_t target;
    if (__builtin_add_overflow(base, move, &target)) return FailSeek(ERROR_INVALID_PARAMETER);
    if (target < 0) return FailSeek(ERROR_NEGATIVE_SEEK);
    if (!distanceHigh && target >= std::int64_t{INVALID_SET_FILE_POINTER}) return FailSeek(ERROR_INVALID_PARAMETER);
    if (::lseek(fd_.get(), target, SEEK_SET) < 0) return FailSeek(ErrnoError(errno));
    if (distanceHigh) *distanceHigh = static_cast<LONG>(static_cast<std::uint64_t>(target) >> 32);
    // A position whose low word is all ones looks like the failure value;
    // callers tell them apart by the last error.
    SetThreadError(ERROR_SUCCESS);
    return static_cast<DWORD>(target);
  }

  DWORD Size(DWORD* sizeHigh) override {
    std::lock_guard lock(mutex_);
    std::int64_t size = SizeLocked();
    if (size < 0) {
      SetThreadError(ErrnoError(errno));
      return INVALID_FILE_SIZE;
    }
    if (sizeHigh) *sizeHigh = static_cast<DWORD>(static_cast<std::uint64_t>(size) >> 32);
    SetThreadError(ERROR_SUCCESS);
    return static_cast<DWORD>(size);
  }

 private:
  static BOOL Fail(DWORD error) {
    SetThreadError(error);
    return FALSE;
  }
  static DWORD FailSeek(DWORD error) {
    SetThreadError(error);
    return INVALID_SET_FILE_POINTER;
  }
  std::int64_t SizeLocked() const {
    struct stat info {};
    return ::fstat(fd_.get(), &info) < 0 ? -1 : std::int64_t{info.st_size};
  }

  std::mutex mutex_;
  UniqueFd fd_;
  const bool canRead_;
  const bool canWrite_;
};

class DeviceOpeners {
 public:
  static DeviceOpeners& Instance();
  void Set(DeviceOpener opener) {
    std::lock_guard lock(mutex_);
    opener_ = std::move(opener);
  }
  HANDLE Open(std::u16string_view name, DWORD access, DWORD share) {
    DeviceOpener opener;
    {
      std::lock_guard lock(mutex_);
      opener = opener_;
    }
    if (!opener) {
      SetThreadError(ERROR_FILE_NOT_FOUND);
      return INVALID_HANDLE_VALUE;
    }
    return opener(name, access, share);  // not under the lock: it may take long or open files itself
  }

 private:
  std::mutex mutex_;
  DeviceOpener opener_;
};

DeviceOpeners& DeviceOpeners::Instance() {
  static DeviceOpeners openers;
  return openers;
}

HANDLE FailOpen(DWORD error) {
  SetThreadError(error);
  return INVALID_HANDLE_VALUE;
}

// Opens or creates a file on the device root as CreateFileW does.
HANDLE OpenHostFile(std::u16string_view name, DWORD access, DWORD disposition, DWORD attributes) {
  const bool read = (access & GENERIC_READ) != 0;
  const bool write = (access & GENERIC_WRITE) != 0;
  if (disposition == TRUNCATE_EXISTING && !write) return FailOpen(ERROR_INVALID_PARAMETER);
  const bool mayCreate = disposition == CREATE_NEW || disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
  HostPath target = HostPathOf(name, mayCreate);
  if (!target) return FailOpen(target.error);

  std::error_code ec;
  fs::file_status status = fs::status(target.path, ec);
  const bool existed = fs::exists(status);
  if (existed && disposition == CREATE_NEW) return FailOpen(ERROR_FILE_EXISTS);
  // Folders cannot be opened as files; neither can the host's pipes,
  // sockets and device nodes (opening a pipe would block).
  if (existed && !fs::is_regular_file(status)) return FailOpen(ERROR_ACCESS_DENIED);

  const bool truncate = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
  int flags = O_CLOEXEC | O_NOCTTY;
  flags |= (write || truncate) ? (read ? O_RDWR : O_WRONLY) : O_RDONLY;
  if (truncate) flags |= O_TRUNC;
  if (disposition == CREATE_NEW) flags |= O_CREAT | O_EXCL;
  if (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) flags |= O_CREAT;
  const mode_t mode = (attributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
  int fd = ::open(target.path.c_str(), flags, mode);
  if (fd < 0) return FailOpen(ErrnoError(errno));

  HANDLE handle = AddKernelHandle(std::make_shared<HostFile>(UniqueFd(fd), read, write));
  // CREATE_ALWAYS and OPEN_ALWAYS report that the file was already there.
  SetThreadError(existed && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) ? ERROR_ALREADY_EXISTS
                                                                                         : ERROR_SUCCESS);
  return handle;
}

std::u16string_view NameOf(LPCWSTR name) { return std::u16string_view(name); }

}  // namespace

void SetDeviceOpener(DeviceOpener opener) { DeviceOpeners::Instance().Set(std::move(opener)); }

BOOL FileObject::IoControl(DWORD, void*, DWORD, void*, DWORD, DWORD*) {
  SetThreadError(ERROR_INVALID_FUNCTION);
  return FALSE;
}

}  // namespace ce

extern "C" {

HANDLE WINAPI CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode, LPSECURITY_ATTRIBUTES,
                          DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE) {
  if (!lpFileName) return ce::FailOpen(ERROR_INVALID_PARAMETER);
  if (dwCreationDisposition < CREATE_NEW || dwCreationDisposition > TRUNCATE_EXISTING) {
    return ce::FailOpen(ERROR_INVALID_PARAMETER);
  }
  std::u16string_view name = ce::NameOf(lpFileName);
  if (auto device = ce::DeviceNameOf(name)) return ce::DeviceOpeners::Instance().Open(*device, dwDesiredAccess, dwShareMode);
  return ce::OpenHostFile(name, dwDesiredAccess, dwCreationDisposition, dwFlagsAndAttributes);
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                     LPOVERLAPPED) {
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = 0;
  auto file = ce::KernelObjectOf<ce::FileObject>(hFile);
  if (!file) return FALSE;
  if (!lpBuffer && nNumberOfBytesToRead > 0) {
    ce::SetThreadError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // The count may be left out; the object always gets somewhere to put it.
  DWORD done = 0;
  BOOL ok = file->Read(lpBuffer, nNumberOfBytesToRead, &done);
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = done;
  return ok;
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
                      LPOVERLAPPED) {
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
  auto file = ce::KernelObjectOf<ce::FileObject>(hFile);
  if (!file) return FALSE;
  if (!lpBuffer && nNumberOfBytesToWrite > 0) {
    ce::SetThreadError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DWORD done = 0;
  BOOL ok = file->Write(lpBuffer, nNumberOfBytesToWrite, &done);
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = done;
  return ok;
}

DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh, DWORD dwMoveMethod) {
  auto file = ce::KernelObjectOf<ce::FileObject>(hFile);
  if (!file) return INVALID_SET_FILE_POINTER;
  return file->Seek(lDistanceToMove, lpDistanceToMoveHigh, dwMoveMethod);
}

DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
  auto file = ce::KernelObjectOf<ce::FileObject>(hFile);
  if (!file) return INVALID_FILE_SIZE;
  return file->Size(lpFileSizeHigh);
}

BOOL WINAPI CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES) {
  if (!lpPathName) {
    ce::SetThreadError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  ce::HostPath target = ce::HostPathOf(ce::NameOf(lpPathName), true);
  DWORD error = target.error;
  if (target && ::mkdir(target.path.c_str(), 0777) < 0) {
    error = errno == EEXIST ? static_cast<DWORD>(ERROR_ALREADY_EXISTS) : ce::ErrnoError(errno);
  }
  ce::SetThreadError(error);
  return error == ERROR_SUCCESS ? TRUE : FALSE;
}

BOOL WINAPI DeleteFileW(LPCWSTR lpFileName) {
  if (!lpFileName) {
    ce::SetThreadError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  ce::HostPath target = ce::HostPathOf(ce::NameOf(lpFileName), false);
  DWORD error = target.error;
  std::error_code ec;
  if (target && ce::fs::is_directory(ce::fs::symlink_status(target.path, ec))) {
    error = ERROR_ACCESS_DENIED;  // folders go with RemoveDirectory
  } else if (target && ::unlink(target.path.c_str()) < 0) {
    error = ce::ErrnoError(errno);
  }
  ce::SetThreadError(error);
  return error == ERROR_SUCCESS ? TRUE : FALSE;
}

DWORD WINAPI GetFileAttributesW(LPCWSTR lpFileName) {
  if (!lpFileName) {
    ce::SetThreadError(ERROR_INVALID_PARAMETER);
    return INVALID_FILE_ATTRIBUTES;
  }
  ce::HostPath target = ce::HostPathOf(ce::NameOf(lpFileName), false);
  struct stat info {};
  if (target && ::stat(target.path.c_str(), &info) < 0) target.error = ce::ErrnoError(errno);
  if (!target) {
    ce::SetThreadError(target.error);
    return INVALID_FILE_ATTRIBUTES;
  }
  if (S_ISDIR(info.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
  return (info.st_mode & S_IWUSR) ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY;
}

}  // extern "C"
