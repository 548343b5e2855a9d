// A registry key held open through the platform's own calls and closed
// when it goes, for the platform's modules and the host that write the
// device's configuration (the device manager's keys, provisioning).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "windows.h"

namespace ce {

class RegKey {
 public:
  // An existing key, or nothing (status() says why).
  static RegKey Open(HKEY root, const char16_t* path) { return RegKey(root, path, false); }
  // The key, created with its missing parents when it is not there.
  static RegKey Create(HKEY root, const char16_t* path) { return RegKey(root, path, true); }
  ~RegKey();
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  explicit operator bool() const { return status_ == ERROR_SUCCESS; }
  LONG status() const { return status_; }

  // A REG_SZ value shorter than MAX_PATH characters; nullopt when the
  // value is missing, longer or of another type.
  std::optional<std::u16string> String(const char16_t* name) const;
  bool HasValue(const char16_t* name) const;
  LONG SetString(const char16_t* name, std::u16string_view value);
  LONG SetBinary(const char16_t* name, const void* data, DWORD size);
  LONG SetDword(const char16_t* name, DWORD value);

 private:
  RegKey(HKEY root, const char16_t* path, bool create);

  HKEY key_ = nullptr;
  LONG status_;
};

}  // namespace ce
