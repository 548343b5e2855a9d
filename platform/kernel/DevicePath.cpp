#include "platform/kernel/DevicePath.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "platform/kernel/Kernel.h"
#include "platform/kernel/Utf.h"

namespace ce {
namespace fs = std::filesystem;
namespace {

constexpr std::size_t kMaxHostNameBytes = 255;
constexpr int kMaxLinkHops = 40;

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

bool IsAllowedInName(char16_t c) {
  return c >= 0x20 && std::u16string_view(u"<>:\"|?*").find(c) == std::u16string_view::npos;
}

// A device path as the names of its components, "." and ".." already
// applied, each converted to the host's UTF-8.
struct Components {
  std::vector<std::pair<std::u16string_view, std::string>> names;  // device spelling, host spelling
  DWORD error = ERROR_SUCCESS;
};

Components Split(std::u16string_view path) {
  Components out;
  std::size_t pos = 0;
  while (pos < path.size()) {
    std::size_t end = pos;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    std::u16string_view name = path.substr(pos, end - pos);
    pos = end + 1;
    if (name.empty() || name == u".") continue;
    if (name == u"..") {
      if (!out.names.empty()) out.names.pop_back();  // at the root, ".." is the root
      continue;
    }
    auto host = ToUtf8Strict(name);
    if (!std::all_of(name.begin(), name.end(), IsAllowedInName) || !host || host->size() > kMaxHostNameBytes) {
      out.error = ERROR_INVALID_NAME;
      return out;
    }
    out.names.emplace_back(name, std::move(*host));
  }
  return out;
}

bool IsInside(const fs::path& root, const fs::path& path) {
  auto [r, p] = std::mismatch(root.begin(), root.end(), path.begin(), path.end());
  return r == root.end();
}

// Where the host would really open or create path: every symbolic link
// followed, also a dangling last one (creating through it would create its
// target). nullopt for a loop or an unreadable link.
std::optional<fs::path> RealLocation(fs::path path) {
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    std::error_code ec;
    fs::file_status status = fs::symlink_status(path, ec);
    if (!fs::is_symlink(status)) {
      fs::path real = fs::weakly_canonical(path, ec);
      if (ec) return std::nullopt;
      return real;
    }
    fs::path target = fs::read_symlink(path, ec);
    if (ec) return std::nullopt;
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  return std::nullopt;
}

// The entry of folder whose name matches name without regard to case. An
// exact match wins; among several others the smallest host name, so the
// choice does not depend on the order the host lists them in. Host names
// that are not UTF-8 cannot be named from the device and are skipped.
struct Lookup {
  std::optional<std::string> name;
  DWORD error = ERROR_SUCCESS;
};

Lookup FindEntry(const fs::path& folder, std::u16string_view name, const std::string& hostName) {
  std::error_code ec;
  if (fs::exists(fs::symlink_status(folder / hostName, ec))) return {hostName};
  fs::directory_iterator it(folder, ec);
  if (ec) return {std::nullopt, FileErrorOf(ec)};
  std::optional<std::string> best;
  while (it != fs::directory_iterator()) {
    std::string candidate = it->path().filename().string();
    auto wide = ToUtf16Strict(candidate);
    if (wide && EqualNoCase(*wide, name) && (!best || candidate < *best)) best = std::move(candidate);
    if (it.increment(ec); ec) break;
  }
  if (ec) return {std::nullopt, FileErrorOf(ec)};
  return {best};
}

}  // namespace

HostPath HostPathOf(std::u16string_view devicePath, bool forCreate) {
  if (devicePath.empty()) return {{}, ERROR_PATH_NOT_FOUND};
  Components components = Split(devicePath);
  if (components.error != ERROR_SUCCESS) return {{}, components.error};

  std::error_code ec;
  const fs::path configured = DeviceRoot();
  if (configured.empty()) return {{}, ERROR_PATH_NOT_FOUND};
  const fs::path root = fs::canonical(configured, ec);
  if (ec || !fs::is_directory(root, ec)) return {{}, ERROR_PATH_NOT_FOUND};

  fs::path current = root;
  const std::size_t count = components.names.size();
  for (std::size_t i = 0; i < count; ++i) {
    const bool last = i + 1 == count;
    const auto& [name, hostName] = components.names[i];
    Lookup found = FindEntry(current, name, hostName);
    if (found.error != ERROR_SUCCESS) return {{}, found.error};
    if (!found.name) {
      if (!last) return {{}, ERROR_PATH_NOT_FOUND};
      if (!forCreate) return {{}, ERROR_FILE_NOT_FOUND};
      return {current / hostName};
    }
    fs::path next = current / *found.name;
    if (fs::is_symlink(fs::symlink_status(next, ec))) {
      auto real = RealLocation(next);
      if (!real || !IsInside(root, *real)) return {{}, ERROR_ACCESS_DENIED};
    }
    if (!last && !fs::is_directory(next, ec)) return {{}, ERROR_PATH_NOT_FOUND};
    current = std::move(next);
  }
  return {current};
}

std::optional<std::u16string_view> DeviceNameOf(std::u16string_view path) {
  if (!path.empty() && IsSeparator(path.front())) path.remove_prefix(1);
  if (path.size() < 2 || path.back() != u':') return std::nullopt;
  std::u16string_view stem = path.substr(0, path.size() - 1);
  bool plain = std::all_of(stem.begin(), stem.end(), [](char16_t c) { return IsAllowedInName(c) && !IsSeparator(c); });
  if (!plain) return std::nullopt;
  return path;
}

DWORD FileErrorOf(std::error_code error) {
  if (error.category() != std::generic_category() && error.category() != std::system_category()) {
    return ERROR_GEN_FAILURE;
  }
  switch (error.value()) {
    case 0:
      return ERROR_SUCCESS;
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ELOOP:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case ETXTBSY:
      return ERROR_ACCESS_DENIED;
    case EEXIST:
      return ERROR_FILE_EXISTS;
    case ENOTEMPTY:
      return ERROR_DIR_NOT_EMPTY;
    case ENAMETOOLONG:
      return ERROR_INVALID_NAME;
    case EMFILE:
    case ENFILE:
      return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case ENOSPC:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case EFBIG:
      return ERROR_WRITE_FAULT;
    case EINVAL:
      return ERROR_INVALID_PARAMETER;
    default:
      return ERROR_GEN_FAILURE;
  }
}

}  // namespace ce
