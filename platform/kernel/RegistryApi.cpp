// The registry functions of <winreg.h>. Each checks its arguments as the
// platform does and forwards to the mounted store, or to the handheld's
// RAM for the keys that live there (kernel/RegistryRam.h). Opened keys are
// handles in their own table; a handle remembers the key's id, so a key
// deleted meanwhile is told apart (ERROR_KEY_DELETED) from a handle that
// never was (ERROR_INVALID_HANDLE), and its path, so that a path below it
// finds the store it lives in and no path from it leads past the deepest
// level keys may nest.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/kernel/HandleTable.h"
#include "platform/kernel/RegistryNames.h"
#include "platform/kernel/RegistryRam.h"
#include "platform/kernel/RegistryStore.h"
#include "platform/kernel/Utf.h"
#include "winbase.h"  // winreg.h uses its SECURITY_ATTRIBUTES
#include "winreg.h"

namespace ce {
namespace {

using reg::KeyId;
using reg::RegistryStore;

struct OpenKey {
  std::weak_ptr<RegistryStore> store;  // the mount (or its RAM) it was opened on
  KeyId id;
  reg::Root root;
  std::vector<std::string> path;  // from the root
};

// Values 2 mod 4: never equal to a kernel handle (multiples of 4) or to a
// predefined root, so a handle of the wrong kind never resolves.
class KeyHandles : public HandleTable<OpenKey> {
 public:
  static KeyHandles& Instance() {
    static KeyHandles table;
    return table;
  }

 private:
  KeyHandles() : HandleTable("registry keys", 0x10002, 4) {}
};

bool IsPredefined(HKEY key) {
  return key == HKEY_LOCAL_MACHINE || key == HKEY_CURRENT_USER || key == HKEY_CLASSES_ROOT || key == HKEY_USERS;
}

struct Target {
  std::shared_ptr<RegistryStore> store;
  KeyId id = 0;
  reg::Root root = reg::Root::LocalMachine;
  std::vector<std::string> path;  // of the key, from the root
};

LONG Resolve(HKEY key, Target& target) {
  auto mounted = reg::MountedRegistry();
  if (key == HKEY_LOCAL_MACHINE || key == HKEY_CURRENT_USER) {
    // Nothing can be read before the host mounts the device's registry.
    if (!mounted) return ERROR_REGISTRY_IO_FAILED;
    reg::Root root = key == HKEY_LOCAL_MACHINE ? reg::Root::LocalMachine : reg::Root::CurrentUser;
    target = Target{std::move(mounted), static_cast<KeyId>(root), root, {}};
    return ERROR_SUCCESS;
  }
  auto open = KeyHandles::Instance().Get(reinterpret_cast<std::uintptr_t>(key));
  if (!open) return ERROR_INVALID_HANDLE;
  auto store = open->store.lock();
  // A handle from an earlier mount names nothing now.
  if (!store || (store != mounted && store != reg::MountedRam())) return ERROR_INVALID_HANDLE;
  target = Target{std::move(store), open->id, open->root, open->path};
  return ERROR_SUCCESS;
}

// Where the key at subPath below base lives: the store, the key to start
// from and the path from there. A path that leads from a stored key into
// the RAM keys starts again at the root of the RAM.
struct Place {
  Target base;
  std::vector<std::string> relative;
  std::vector<std::string> full;
};

Place Locate(const Target& base, std::vector<std::string> subPath) {
  Place place{base, std::move(subPath), base.path};
  place.full.insert(place.full.end(), place.relative.begin(), place.relative.end());
  auto ram = reg::MountedRam();
  if (ram && base.store != ram && reg::InRam(base.root, place.full)) {
    place.base = Target{ram, static_cast<KeyId>(base.root), base.root, {}};
    place.relative = place.full;
  }
  return place;
}

std::u16string_view Wide(LPCWSTR text) { return text ? std::u16string_view(text) : std::u16string_view(); }

// A value name; null and empty both name the key's default value.
LONG ValueName(LPCWSTR name, std::string& utf8) {
  auto converted = ToUtf8Strict(Wide(name));
  if (!converted || reg::ValueNameProblem(*converted)) return ERROR_INVALID_PARAMETER;
  utf8 = std::move(*converted);
  return ERROR_SUCCESS;
}

// A subkey path below the target; a path that leads deeper than keys may
// nest is refused as a malformed one is.
LONG KeyPath(LPCWSTR subKey, const Target& target, std::vector<std::string>& path) {
  auto converted = ToUtf8Strict(Wide(subKey));
  if (!converted) return ERROR_INVALID_PARAMETER;
  auto names = reg::SplitKeyPath(*converted, nullptr, target.path.size());
  if (!names) return ERROR_INVALID_PARAMETER;
  path = std::move(*names);
  return ERROR_SUCCESS;
}

// Where the subkey below an open key (or a root) lives.
LONG LocateSubKey(HKEY key, LPCWSTR subKey, Place& place) {
  Target target;
  if (LONG rc = Resolve(key, target)) return rc;
  std::vector<std::string> path;
  if (LONG rc = KeyPath(subKey, target, path)) return rc;
  place = Locate(target, std::move(path));
  return ERROR_SUCCESS;
}

HKEY AddKeyHandle(const Place& place, KeyId id) {
  return reinterpret_cast<HKEY>(
      KeyHandles::Instance().Add(std::make_shared<OpenKey>(OpenKey{place.base.store, id, place.base.root, place.full})));
}

// A name for the caller's buffer of *count characters, terminator
// included. Too small: ERROR_MORE_DATA with the size it needs.
LONG FitName(const std::string& utf8, LPDWORD count, std::u16string& wide) {
  wide = ToUtf16(utf8);
  if (wide.size() + 1 > *count) {
    *count = static_cast<DWORD>(wide.size() + 1);
    return ERROR_MORE_DATA;
  }
  return ERROR_SUCCESS;
}

void CopyName(const std::u16string& wide, LPWSTR buffer, LPDWORD count) {
  std::memcpy(buffer, wide.c_str(), (wide.size() + 1) * sizeof(WCHAR));
  *count = static_cast<DWORD>(wide.size());
}

// The data part of a query: size only, or the bytes if they fit. A buffer
// that is too small gets nothing, only the size it would need.
LONG FitData(const reg::Value& value, LPBYTE data, LPDWORD size) {
  if (data && value.data.size() > *size) {
    *size = static_cast<DWORD>(value.data.size());
    return ERROR_MORE_DATA;
  }
  return ERROR_SUCCESS;
}

void CopyData(const reg::Value& value, LPBYTE data, LPDWORD size) {
  if (data && !value.data.empty()) std::memcpy(data, value.data.data(), value.data.size());
  if (size) *size = static_cast<DWORD>(value.data.size());
}

}  // namespace
}  // namespace ce

extern "C" {

LONG WINAPI RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES,
                            PHKEY phkResult, LPDWORD lpdwDisposition) {
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  ce::Place place;
  if (LONG rc = ce::LocateSubKey(hKey, lpSubKey, place)) return rc;
  ce::reg::KeyId key = 0;
  bool created = false;
  if (LONG rc = place.base.store->CreateKey(place.base.id, place.relative, key, created)) return rc;
  *phkResult = ce::AddKeyHandle(place, key);
  if (lpdwDisposition) *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  return ERROR_SUCCESS;
}

LONG WINAPI RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM, PHKEY phkResult) {
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  ce::Place place;
  if (LONG rc = ce::LocateSubKey(hKey, lpSubKey, place)) return rc;
  ce::reg::KeyId key = 0;
  if (LONG rc = place.base.store->OpenKey(place.base.id, place.relative, key)) return rc;
  *phkResult = ce::AddKeyHandle(place, key);
  return ERROR_SUCCESS;
}

LONG WINAPI RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                             LPDWORD lpcbData) {
  if (lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
  ce::Target target;
  if (LONG rc = ce::Resolve(hKey, target)) return rc;
  std::string name;
  if (LONG rc = ce::ValueName(lpValueName, name)) return rc;
  ce::reg::Value value;
  if (LONG rc = target.store->QueryValue(target.id, name, value)) return rc;
  if (lpType) *lpType = value.type;
  if (LONG rc = ce::FitData(value, lpData, lpcbData)) return rc;
  ce::CopyData(value, lpData, lpcbData);
  return ERROR_SUCCESS;
}

LONG WINAPI RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData) {
  if (!lpData && cbData > 0) return ERROR_INVALID_PARAMETER;
  ce::Target target;
  if (LONG rc = ce::Resolve(hKey, target)) return rc;
  ce::reg::Value value;
  if (LONG rc = ce::ValueName(lpValueName, value.name)) return rc;
  value.type = dwType;
  if (cbData > 0) value.data.assign(lpData, lpData + cbData);
  return target.store->SetValue(target.id, value);
}

LONG WINAPI RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
  ce::Target target;
  if (LONG rc = ce::Resolve(hKey, target)) return rc;
  std::string name;
  if (LONG rc = ce::ValueName(lpValueName, name)) return rc;
  return target.store->DeleteValue(target.id, name);
}

LONG WINAPI RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) {
  ce::Place place;
  if (LONG rc = ce::LocateSubKey(hKey, lpSubKey, place)) return rc;
  // The whole subtree goes: subkeys, their values, the key's own values;
  // the RAM keys too when they are below it.
  LONG rc = place.base.store->DeleteKey(place.base.id, place.relative);
  auto ram = ce::reg::MountedRam();
  if (ram && place.base.store != ram && !place.full.empty() && ce::reg::HoldsRam(place.base.root, place.full) &&
      ram->DeleteKey(static_cast<ce::reg::KeyId>(place.base.root), place.full) == ERROR_SUCCESS)
    return ERROR_SUCCESS;
  return rc;
}

LONG WINAPI RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                          LPWSTR lpClass, LPDWORD lpcchClass, PFILETIME lpftLastWriteTime) {
  if (!lpName || !lpcchName || lpReserved) return ERROR_INVALID_PARAMETER;
  ce::Target target;
  if (LONG rc = ce::Resolve(hKey, target)) return rc;
  std::string name;
  if (LONG rc = target.store->EnumKey(target.id, dwIndex, name)) return rc;
  std::u16string wide;
  if (LONG rc = ce::FitName(name, lpcchName, wide)) return rc;
  ce::CopyName(wide, lpName, lpcchName);
  // Keys have no class and no recorded write time here.
  if (lpClass && lpcchClass && *lpcchClass > 0) lpClass[0] = u'\0';
  if (lpcchClass) *lpcchClass = 0;
  if (lpftLastWriteTime) *lpftLastWriteTime = FILETIME{0, 0};
  return ERROR_SUCCESS;
}

LONG WINAPI RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved,
                          LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  if (!lpValueName || !lpcchValueName || lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
  ce::Target target;
  if (LONG rc = ce::Resolve(hKey, target)) return rc;
  ce::reg::Value value;
  if (LONG rc = target.store->EnumValue(target.id, dwIndex, value)) return rc;
  // Check both buffers before writing either: ERROR_MORE_DATA writes nothing.
  std::u16string wide;
  LONG nameFits = ce::FitName(value.name, lpcchValueName, wide);
  LONG dataFits = ce::FitData(value, lpData, lpcbData);
  if (lpType) *lpType = value.type;
  if (nameFits || dataFits) return ERROR_MORE_DATA;
  ce::CopyName(wide, lpValueName, lpcchValueName);
  ce::CopyData(value, lpData, lpcbData);
  return ERROR_SUCCESS;
}

LONG WINAPI RegCloseKey(HKEY hKey) {
  if (ce::IsPredefined(hKey)) return ERROR_SUCCESS;  // the roots stay open
  return ce::KeyHandles::Instance().Remove(reinterpret_cast<std::uintptr_t>(hKey)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

}  // extern "C"
