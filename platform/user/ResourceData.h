// A program's resources as the platform reads them. Each program module
// carries its resource script compiled to a standard .res file, kept next
// to the module under the module's file name with ".res" added
// (Ondrel.so -> Ondrel.so.res). The file is read and checked whole the
// first time the module's resources are asked for; a malformed file is
// refused with a message in the run's log, and nothing of it is used.
//
// Everything here reads bytes only within their span: a truncated or
// inconsistent resource is refused, never read past its end.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "windef.h"

namespace ce::res {

// A resource type or name: a 16-bit number or a string (names compare
// without regard to case, as the platform's do).
using ResourceId = std::variant<WORD, std::u16string>;
// From the API's LPCWSTR (MAKEINTRESOURCE or a string); "#101" means 101.
std::optional<ResourceId> IdOf(LPCWSTR name);
bool SameId(const ResourceId& a, const ResourceId& b);

struct Resource {
  ResourceId type;
  ResourceId name;
  WORD language = 0;
  std::span<const std::uint8_t> data;  // inside the file's bytes
};

class ResourceFile {
 public:
  // Checks and indexes a .res image; nullopt with an error naming the
  // offset and what is wrong.
  static std::optional<ResourceFile> Parse(std::vector<std::uint8_t> bytes, std::string& error);

  const std::vector<Resource>& resources() const { return resources_; }
  // The first resource of that type and name (any language).
  const Resource* Find(const ResourceId& type, const ResourceId& name) const;

 private:
  std::vector<std::uint8_t> bytes_;
  std::vector<Resource> resources_;
};

// The resources of a loaded module (nullptr instance: the running
// program). nullptr with a platform error code (ERROR_RESOURCE_DATA_NOT_FOUND
// when the module has no resource file or it is malformed) in error. The
// file stays loaded for the rest of the process, so data spans stay valid.
std::shared_ptr<const ResourceFile> ResourcesOf(HINSTANCE instance, DWORD& error);

// The data of one resource of a module; nullopt with the platform's
// error code (..._TYPE_NOT_FOUND, ..._NAME_NOT_FOUND, ...).
std::optional<std::span<const std::uint8_t>> FindData(HINSTANCE instance, const ResourceId& type,
                                                      const ResourceId& name, DWORD& error);

// String tables: string id's block is (id >> 4) + 1, sixteen counted
// strings each. Where the string's characters lie in the block (byte
// offset, length in characters); nullopt when the block is malformed.
struct StringPlace {
  std::size_t offset = 0;
  std::size_t length = 0;
};
std::optional<StringPlace> StringInBlock(std::span<const std::uint8_t> block, UINT id, std::string& error);

// Accelerator tables: 8-byte entries, the last one flagged 0x80.
struct Accelerator {
  BYTE flags = 0;  // FVIRTKEY, FSHIFT, FCONTROL, FALT (end flag removed)
  WORD key = 0;
  WORD command = 0;
};
std::optional<std::vector<Accelerator>> ParseAccelerators(std::span<const std::uint8_t> data, std::string& error);

// Menu templates (the standard form: header of version 0, then items;
// a popup's items follow it up to the item flagged MF_END).
struct MenuItem {
  WORD flags = 0;  // MF_POPUP, MF_CHECKED, MF_GRAYED, ... (MF_END removed)
  WORD id = 0;     // commands only
  std::u16string text;  // empty for a separator
  std::vector<MenuItem> items;  // a popup's items
  bool separator() const { return id == 0 && text.empty() && items.empty() && !(flags & 0x10); }
};
std::optional<std::vector<MenuItem>> ParseMenu(std::span<const std::uint8_t> data, std::string& error);

inline constexpr WORD kMenuPopup = 0x0010;
inline constexpr WORD kMenuEnd = 0x0080;

// Dialog templates, extended (DIALOGEX: version 1, signature 0xFFFF) or
// the older form. Items start on 4-byte boundaries; a class given as an
// ordinal is named as the platform names it (0x80 "BUTTON", 0x81 "EDIT",
// 0x82 "STATIC", 0x83 "LISTBOX", 0x84 "SCROLLBAR", 0x85 "COMBOBOX");
// class names given as strings are kept as written. Coordinates are in
// dialog units.
struct DialogItem {
  DWORD style = 0, exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  DWORD id = 0;
  std::u16string className;
  ResourceId title;  // text, or an ordinal (an icon's resource number)
};
struct DialogTemplate {
  bool extended = false;
  DWORD style = 0, exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  ResourceId menu, windowClass;  // empty strings when absent
  std::u16string title;
  bool hasFont = false;  // DS_SETFONT: the font below
  WORD pointSize = 0, weight = 0;
  bool italic = false;
  std::u16string typeface;
  std::vector<DialogItem> items;
};
std::optional<DialogTemplate> ParseDialog(std::span<const std::uint8_t> data, std::string& error);

// Icon groups: the entries of a group and the best image for a size.
struct IconEntry {
  int width = 0, height = 0, bitCount = 0;
  WORD id = 0;  // of the RT_ICON resource
};
std::optional<std::vector<IconEntry>> ParseIconGroup(std::span<const std::uint8_t> data, std::string& error);

// What LoadIconW gave out: the chosen image of the group (a packed DIB
// of twice the icon's height: colours, then the transparency mask).
struct Icon {
  int width = 0, height = 0;
  std::span<const std::uint8_t> image;
};
std::shared_ptr<const Icon> IconOf(HICON icon);

}  // namespace ce::res
