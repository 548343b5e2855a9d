// The device's file system is a folder on the host, the device root (its
// "\"). Device paths are absolute and separated by backslashes ("/" is
// taken too); a path without a leading separator is also taken from the
// root, because the device has no current directory. Names are compared
// without regard to case, as on the device, although the host's file
// system is case-sensitive: each component is looked up by scanning its
// folder.
//
// A path never leads out of the root. "." and ".." are resolved on the
// names before the host is asked, and ".." at the root stays at the root.
// A symbolic link inside the root whose target lies outside it is refused
// with ERROR_ACCESS_DENIED, whether it is the file itself or a folder on
// the way.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

#include "windef.h"
#include "winerror.h"

namespace ce {

struct HostPath {
  std::filesystem::path path;  // absolute; valid when error == ERROR_SUCCESS
  DWORD error = ERROR_SUCCESS;
  explicit operator bool() const { return error == ERROR_SUCCESS; }
};

// Maps a device path to the host. Every folder on the way must exist
// (else ERROR_PATH_NOT_FOUND). The last name must exist too, unless
// forCreate: then an existing entry of that name in any case is used and
// otherwise the name as given. Other errors: ERROR_INVALID_NAME for a
// name the device does not allow (control characters, < > : " | ? *, not
// well-formed UTF-16, longer than the host allows), ERROR_ACCESS_DENIED
// for a way out of the root, ERROR_PATH_NOT_FOUND for an empty path or a
// device root that does not exist. The root itself maps to the root.
HostPath HostPathOf(std::u16string_view devicePath, bool forCreate);

// "MVX1:" and "\MVX1:" name devices: the bare name (colon included) goes
// to the device manager. nullopt for anything else.
std::optional<std::u16string_view> DeviceNameOf(std::u16string_view path);

// The platform's error for a failed host file operation.
DWORD FileErrorOf(std::error_code error);

}  // namespace ce
