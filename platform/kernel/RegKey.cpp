#include "platform/kernel/RegKey.h"

namespace ce {

RegKey::RegKey(HKEY root, const char16_t* path, bool create) {
  DWORD disposition = 0;
  status_ = create ? RegCreateKeyExW(root, path, 0, nullptr, 0, 0, nullptr, &key_, &disposition)
                   : RegOpenKeyExW(root, path, 0, KEY_ALL_ACCESS, &key_);
}

RegKey::~RegKey() {
  if (status_ == ERROR_SUCCESS) RegCloseKey(key_);
}

std::optional<std::u16string> RegKey::String(const char16_t* name) const {
  char16_t buffer[MAX_PATH] = {};
  DWORD size = sizeof buffer - sizeof(char16_t);  // the last character stays the terminating zero
  DWORD type = 0;
  if (RegQueryValueExW(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return std::nullopt;
  return std::u16string(buffer);
}

bool RegKey::HasValue(const char16_t* name) const {
  DWORD size = 0;
  return RegQueryValueExW(key_, name, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS;
}

LONG RegKey::SetString(const char16_t* name, std::u16string_view value) {
  // The stored string carries its terminating zero.
  std::u16string text(value);
  return RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>((text.size() + 1) * sizeof(char16_t)));
}

LONG RegKey::SetBinary(const char16_t* name, const void* data, DWORD size) {
  return RegSetValueExW(key_, name, 0, REG_BINARY, static_cast<const BYTE*>(data), size);
}

LONG RegKey::SetDword(const char16_t* name, DWORD value) {
  return RegSetValueExW(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

}  // namespace ce
