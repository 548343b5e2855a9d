// Mounting the registry database and moving the registry to and from .reg
// text files.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

#include "platform/kernel/RegFile.h"
#include "platform/kernel/Registry.h"
#include "platform/kernel/RegistryRam.h"
#include "platform/kernel/RegistryStore.h"

namespace ce {
namespace {

namespace fs = std::filesystem;

std::mutex g_mountMutex;
std::shared_ptr<reg::RegistryStore> g_store;
std::shared_ptr<reg::RegistryStore> g_ram;

std::string Quoted(const fs::path& file) { return "'" + file.string() + "'"; }

std::string SystemError() { return std::strerror(errno); }

// Reads a whole file; nullopt with errno set when it cannot.
std::optional<std::string> ReadWholeFile(const fs::path& file) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> stream(std::fopen(file.c_str(), "rb"), &std::fclose);
  if (!stream) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  std::size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, stream.get())) > 0) bytes.append(buffer, count);
  if (std::ferror(stream.get())) return std::nullopt;
  return bytes;
}

// Writes all bytes to a file opened for writing; an error text or nullopt.
std::optional<std::string> WriteAll(const fs::path& file, std::string_view bytes, bool sync) {
  std::FILE* stream = std::fopen(file.c_str(), "wb");
  if (!stream) return SystemError();
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
  ok = std::fflush(stream) == 0 && ok;
  if (sync) ok = ::fsync(::fileno(stream)) == 0 && ok;
  std::string error = ok ? std::string() : SystemError();
  if (std::fclose(stream) != 0 && ok) return SystemError();
  if (!ok) return error;
  return std::nullopt;
}

// A regular file is written beside the target and renamed over it, so a
// failed export never leaves a cut-off file in place of a good earlier
// one. Anything else (a terminal, a pipe) is written to directly.
std::optional<std::string> WriteFileWhole(const fs::path& file, std::string_view bytes) {
  std::error_code ec;
  auto status = fs::status(file, ec);
  if (fs::exists(status) && !fs::is_regular_file(status)) return WriteAll(file, bytes, false);
  fs::path temporary = file;
  temporary += ".tmp" + std::to_string(::getpid());
  auto error = WriteAll(temporary, bytes, true);
  if (!error && std::rename(temporary.c_str(), file.c_str()) == 0) return std::nullopt;
  if (!error) error = SystemError();
  std::remove(temporary.c_str());
  return error;
}

}  // namespace

namespace reg {
std::shared_ptr<RegistryStore> MountedRegistry() {
  std::lock_guard lock(g_mountMutex);
  return g_store;
}
std::shared_ptr<RegistryStore> MountedRam() {
  std::lock_guard lock(g_mountMutex);
  return g_ram;
}
}  // namespace reg

std::optional<std::string> MountRegistry(const fs::path& databaseFile, RegistryAccess access) {
  UnmountRegistry();
  auto opened = reg::RegistryStore::Open(databaseFile, access == RegistryAccess::ReadOnly
                                                           ? reg::RegistryStore::Mode::ReadOnly
                                                           : reg::RegistryStore::Mode::ReadWrite);
  if (auto* message = std::get_if<std::string>(&opened)) return *message;
  std::shared_ptr<reg::RegistryStore> store = std::move(std::get<std::unique_ptr<reg::RegistryStore>>(opened));
  if (access == RegistryAccess::ReadWrite) reg::ForgetStoredRamKeys(*store);
  // A fresh RAM with every boot.
  std::shared_ptr<reg::RegistryStore> ram = reg::RegistryStore::InMemory();
  std::lock_guard lock(g_mountMutex);
  g_store = std::move(store);
  g_ram = std::move(ram);
  return std::nullopt;
}

void UnmountRegistry() {
  std::shared_ptr<reg::RegistryStore> store, ram;
  {
    std::lock_guard lock(g_mountMutex);
    store.swap(g_store);
    ram.swap(g_ram);
  }
  // The database closes here, or when the last call still using it ends.
}

bool RegistryMounted() { return reg::MountedRegistry() != nullptr; }

std::optional<std::string> CheckRegistryIntegrity() {
  auto store = reg::MountedRegistry();
  if (!store) return "no registry is mounted";
  return store->CheckIntegrity();
}

std::optional<std::string> ExportRegistryFile(const fs::path& regFile) {
  std::string failed = "cannot export the registry to " + Quoted(regFile) + ": ";
  auto store = reg::MountedRegistry();
  if (!store) return failed + "no registry is mounted";
  std::vector<reg::KeyContents> keys;
  if (auto error = store->Snapshot(keys)) return failed + *error;
  if (auto error = WriteFileWhole(regFile, reg::WriteRegFile(keys))) return failed + *error;
  return std::nullopt;
}

std::optional<std::string> ImportRegistryFile(const fs::path& regFile) {
  std::string failed = "cannot import " + Quoted(regFile) + ": ";
  auto store = reg::MountedRegistry();
  if (!store) return failed + "no registry is mounted";
  auto bytes = ReadWholeFile(regFile);
  if (!bytes) return failed + SystemError();
  auto parsed = reg::ParseRegFile(*bytes);
  if (auto* error = std::get_if<reg::RegFileError>(&parsed)) {
    return Quoted(regFile) + ", line " + std::to_string(error->line) + ": " + error->message +
           "; nothing was imported";
  }
  // What a file says about the RAM keys (an export of an older build
  // carries them) describes a system that is not running: left out.
  auto& edits = std::get<std::vector<reg::Edit>>(parsed);
  std::erase_if(edits, [](const reg::Edit& edit) { return reg::InRam(edit.root, edit.path); });
  if (auto error = store->Apply(edits)) {
    return failed + *error + "; nothing was imported";
  }
  return std::nullopt;
}

}  // namespace ce
