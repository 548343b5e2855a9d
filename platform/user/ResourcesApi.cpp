// The resource calls: finding a module's resource file, and the strings,
// icons, bitmaps, accelerators and raw data in it.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>

#include "platform/gdi/GdiCalls.h"
#include "platform/kernel/HandleTable.h"
#include "platform/kernel/LastError.h"
#include "platform/kernel/ProgramLoader.h"
#include "platform/kernel/RunLog.h"
#include "platform/kernel/Utf.h"
#include "platform/user/ResourceData.h"
#include "windows.h"

namespace ce::res {
namespace {

struct Found {
  std::shared_ptr<const ResourceFile> file;  // keeps the data alive
  const Resource* resource;
};

// Handles that each stand for one thing of a loaded resource file: finding
// a resource again, or loading its icon again, gives the handle it got the
// first time (while that handle lives), as the platform's resource and
// shared icon handles do. Programs never free them, so a dialog opened a
// thousand times costs one handle, not a thousand.
template <class Object>
class SharedHandles {
 public:
  SharedHandles(const char* kind, std::uintptr_t firstValue) : table_(kind, firstValue) {}

  HandleTable<Object>& Table() { return table_; }

  // The handle of the thing at `key` (an address inside a resource file,
  // which stays loaded), made with `make` when it has none.
  template <class Make>
  std::uintptr_t HandleOf(const void* key, Make make) {
    std::lock_guard lock(mutex_);
    auto it = handles_.find(key);
    if (it != handles_.end() && table_.Get(it->second)) return it->second;
    std::uintptr_t value = table_.Add(make());
    handles_[key] = value;
    return value;
  }

 private:
  std::mutex mutex_;
  HandleTable<Object> table_;
  std::map<const void*, std::uintptr_t> handles_;
};

class FoundResources : public SharedHandles<Found> {
 public:
  static FoundResources& Instance() {
    static FoundResources handles;
    return handles;
  }

 private:
  FoundResources() : SharedHandles("resources", 0x50000000) {}
};

class LoadedIcons : public SharedHandles<Icon> {
 public:
  static LoadedIcons& Instance() {
    static LoadedIcons handles;
    return handles;
  }

 private:
  LoadedIcons() : SharedHandles("icons", 0x58000000) {}
};

std::string NameOf(const ResourceId& id) {
  if (const WORD* n = std::get_if<WORD>(&id)) return std::to_string(*n);
  return "\"" + ToUtf8(std::get<std::u16string>(id)) + "\"";
}

// Malformed resources are refused with one line in the log.
void Refused(HINSTANCE instance, const std::string& what, const std::string& why) {
  auto path = ModulePathOf(instance ? instance : RunningProgram());
  LogLine("resources of " + (path ? path->filename().string() : std::string("?")) + ": " + what + " refused: " + why);
}

// The resource files read so far. They stay for the process's life:
// LoadResource hands out pointers into them. Keyed by file and its
// modification time, so a rebuilt module's resources are read afresh; a
// file that was refused is kept as nullptr.
struct ResourceFiles {
  static ResourceFiles& Instance() {
    static ResourceFiles files;
    return files;
  }
  std::mutex mutex;
  std::map<std::string, std::shared_ptr<const ResourceFile>> byStamp;
};

}  // namespace

std::shared_ptr<const ResourceFile> ResourcesOf(HINSTANCE instance, DWORD& error) {
  auto module = ModulePathOf(instance ? instance : RunningProgram());
  if (!module) {
    error = ERROR_RESOURCE_DATA_NOT_FOUND;
    return nullptr;
  }
  std::filesystem::path path = *module;
  path += ".res";
  std::error_code ec;
  auto stamp = std::filesystem::last_write_time(path, ec);
  if (ec) {
    error = ERROR_RESOURCE_DATA_NOT_FOUND;
    return nullptr;
  }
  std::string key = path.string() + "@" + std::to_string(stamp.time_since_epoch().count());
  ResourceFiles& files = ResourceFiles::Instance();
  std::lock_guard lock(files.mutex);
  if (auto it = files.byStamp.find(key); it != files.byStamp.end()) {
    if (!it->second) error = ERROR_RESOURCE_DATA_NOT_FOUND;
    return it->second;
  }
  std::ifstream in(path, std::ios::binary);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string why;
  auto parsed = in.bad() ? std::nullopt : ResourceFile::Parse(std::move(bytes), why);
  std::shared_ptr<const ResourceFile> file;
  if (parsed) {
    file = std::make_shared<const ResourceFile>(std::move(*parsed));
  } else {
    LogLine("resource file " + path.string() + " refused: " + (why.empty() ? "cannot be read" : why));
    error = ERROR_RESOURCE_DATA_NOT_FOUND;
  }
  files.byStamp.emplace(key, file);
  return file;
}

std::optional<std::span<const std::uint8_t>> FindData(HINSTANCE instance, const ResourceId& type,
                                                      const ResourceId& name, DWORD& error) {
  auto file = ResourcesOf(instance, error);
  if (!file) return std::nullopt;
  if (const Resource* r = file->Find(type, name)) return r->data;
  bool typeKnown = std::any_of(file->resources().begin(), file->resources().end(),
                               [&](const Resource& r) { return SameId(r.type, type); });
  error = typeKnown ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND;
  return std::nullopt;
}

std::shared_ptr<const Icon> IconOf(HICON icon) { return LoadedIcons::Instance().Table().Get(reinterpret_cast<std::uintptr_t>(icon)); }

}  // namespace ce::res

using ce::res::IdOf;

namespace {

template <class T>
T Fail(DWORD error, T result = T{}) {
  ce::SetThreadError(error);
  return result;
}

// The data of a named resource, failing as the platform does.
std::optional<std::span<const std::uint8_t>> Data(HINSTANCE instance, LPCWSTR type, LPCWSTR name) {
  auto typeId = type ? IdOf(type) : std::nullopt;
  auto nameId = name ? IdOf(name) : std::nullopt;
  if (!typeId || !nameId) {
    ce::SetThreadError(ERROR_INVALID_PARAMETER);
    return std::nullopt;
  }
  DWORD error = ERROR_SUCCESS;
  auto data = ce::res::FindData(instance, *typeId, *nameId, error);
  if (!data) ce::SetThreadError(error);
  return data;
}

}  // namespace

extern "C" {

HRSRC WINAPI FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType) {
  auto type = lpType ? IdOf(lpType) : std::nullopt;
  auto name = lpName ? IdOf(lpName) : std::nullopt;
  if (!type || !name) return Fail<HRSRC>(ERROR_INVALID_PARAMETER);
  DWORD error = ERROR_SUCCESS;
  auto file = ce::res::ResourcesOf(hModule, error);
  if (!file) return Fail<HRSRC>(error);
  const ce::res::Resource* r = file->Find(*type, *name);
  if (!r) {
    ce::res::FindData(hModule, *type, *name, error);
    return Fail<HRSRC>(error);
  }
  return reinterpret_cast<HRSRC>(
      ce::res::FoundResources::Instance().HandleOf(r, [&] { return std::make_shared<ce::res::Found>(ce::res::Found{file, r}); }));
}

HGLOBAL WINAPI LoadResource(HMODULE, HRSRC hResInfo) {
  auto found = ce::res::FoundResources::Instance().Table().Get(reinterpret_cast<std::uintptr_t>(hResInfo));
  if (!found) return Fail<HGLOBAL>(ERROR_INVALID_HANDLE);
  // The data stays where it is for the rest of the process.
  return const_cast<std::uint8_t*>(found->resource->data.data());
}

LPVOID WINAPI LockResource(HGLOBAL hResData) { return hResData; }

DWORD WINAPI SizeofResource(HMODULE, HRSRC hResInfo) {
  auto found = ce::res::FoundResources::Instance().Table().Get(reinterpret_cast<std::uintptr_t>(hResInfo));
  if (!found) return Fail<DWORD>(ERROR_INVALID_HANDLE);
  return DWORD(found->resource->data.size());
}

BOOL WINAPI FreeResource(HGLOBAL) { return TRUE; }

int WINAPI LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax) {
  if (!lpBuffer || cchBufferMax < 0) return Fail<int>(ERROR_INVALID_PARAMETER);
  auto block = Data(hInstance, RT_STRING, MAKEINTRESOURCEW((uID >> 4) + 1));
  if (!block) return 0;
  std::string why;
  auto place = ce::res::StringInBlock(*block, uID, why);
  if (!place) {
    ce::res::Refused(hInstance, "string " + std::to_string(uID), why);
    return Fail<int>(ERROR_INVALID_DATA);
  }
  if (place->length == 0) return Fail<int>(ERROR_RESOURCE_NAME_NOT_FOUND);
  const auto* chars = reinterpret_cast<const WCHAR*>(block->data() + place->offset);
  if (cchBufferMax == 0) {
    // The platform hands out the string in place (not terminated).
    std::memcpy(lpBuffer, &chars, sizeof(chars));
    return int(place->length);
  }
  std::size_t n = std::min(place->length, std::size_t(cchBufferMax - 1));
  std::memcpy(lpBuffer, chars, n * sizeof(WCHAR));
  lpBuffer[n] = 0;
  return int(n);
}

HICON WINAPI LoadIconW(HINSTANCE hInstance, LPCWSTR lpIconName) {
  if (!hInstance) {
    // The system's own icons: one plain application icon.
    static const std::uintptr_t application =
        ce::res::LoadedIcons::Instance().Table().Add(std::make_shared<ce::res::Icon>(ce::res::Icon{32, 32, {}}));
    if (IS_INTRESOURCE(lpIconName) && lpIconName == IDI_APPLICATION) return reinterpret_cast<HICON>(application);
    return Fail<HICON>(ERROR_RESOURCE_NAME_NOT_FOUND);
  }
  auto group = Data(hInstance, RT_GROUP_ICON, lpIconName);
  if (!group) return nullptr;
  std::string why;
  auto entries = ce::res::ParseIconGroup(*group, why);
  if (!entries) {
    ce::res::Refused(hInstance, "icon", why);
    return Fail<HICON>(ERROR_INVALID_DATA);
  }
  // The largest image up to the handheld's 32 x 32, else the smallest.
  auto best = entries->front();
  for (const auto& e : *entries) {
    bool fits = e.width <= 32, bestFits = best.width <= 32;
    if ((fits && (!bestFits || e.width > best.width)) || (!fits && !bestFits && e.width < best.width)) best = e;
  }
  auto image = Data(hInstance, RT_ICON, MAKEINTRESOURCEW(best.id));
  if (!image) return Fail<HICON>(ERROR_RESOURCE_DATA_NOT_FOUND);
  return reinterpret_cast<HICON>(ce::res::LoadedIcons::Instance().HandleOf(
      image->data(), [&] { return std::make_shared<ce::res::Icon>(ce::res::Icon{best.width, best.height, *image}); }));
}

// Every icon here is a shared one, LoadIconW's: each load of a resource
// gives the same handle to every caller (a window class, a dialog's icon
// control), so destroying it would take it from all of them. A shared
// icon lives as long as the process; destroying one is allowed and does
// nothing.
BOOL WINAPI DestroyIcon(HICON hIcon) {
  if (!ce::res::LoadedIcons::Instance().Table().Get(reinterpret_cast<std::uintptr_t>(hIcon)))
    return Fail<BOOL>(ERROR_INVALID_HANDLE);
  return TRUE;
}

HBITMAP WINAPI LoadBitmapW(HINSTANCE hInstance, LPCWSTR lpBitmapName) {
  if (!hInstance) return Fail<HBITMAP>(ERROR_RESOURCE_NAME_NOT_FOUND);  // no system bitmaps
  auto data = Data(hInstance, RT_BITMAP, lpBitmapName);
  if (!data) return nullptr;
  std::string why;
  HBITMAP bitmap = ce::gdi::BitmapFromPackedDib(*data, why);
  if (!bitmap) {
    auto id = IdOf(lpBitmapName);
    ce::res::Refused(hInstance, "bitmap " + (id ? ce::res::NameOf(*id) : std::string("?")), why);
    return Fail<HBITMAP>(ERROR_INVALID_DATA);
  }
  return ce::gdi::DisplayBitmapOf(bitmap);
}

HACCEL WINAPI LoadAcceleratorsW(HINSTANCE hInstance, LPCWSTR lpTableName) {
  auto data = Data(hInstance, RT_ACCELERATOR, lpTableName);
  if (!data) return nullptr;
  std::string why;
  auto table = ce::res::ParseAccelerators(*data, why);
  if (!table) {
    ce::res::Refused(hInstance, "accelerators", why);
    return Fail<HACCEL>(ERROR_INVALID_DATA);
  }
  std::vector<ACCEL> accel;
  for (const auto& a : *table) accel.push_back(ACCEL{a.flags, a.key, a.command});
  return CreateAcceleratorTableW(accel.data(), int(accel.size()));
}

}  // extern "C"
