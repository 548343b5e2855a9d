// Reading .res files and the resource formats inside them.
#include <algorithm>

#include "platform/kernel/Utf.h"
#include "platform/user/ResourceData.h"
#include "winrsrc.h"

namespace ce::res {
namespace {

// Little-endian reads that never go past the span; every read says
// whether the bytes were there.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes, std::size_t pos = 0) : bytes_(bytes), pos_(pos) {}

  std::size_t pos() const { return pos_; }
  std::size_t left() const { return pos_ <= bytes_.size() ? bytes_.size() - pos_ : 0; }
  bool Skip(std::size_t n) {
    if (left() < n) return false;
    pos_ += n;
    return true;
  }
  bool AlignTo4(std::size_t base) {
    std::size_t pad = (4 - (pos_ - base) % 4) % 4;
    return Skip(pad);
  }
  std::optional<std::uint16_t> U16() {
    if (left() < 2) return std::nullopt;
    std::uint16_t v = std::uint16_t(bytes_[pos_] | (bytes_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
  }
  std::optional<std::uint32_t> U32() {
    auto lo = U16();
    auto hi = lo ? U16() : std::nullopt;
    if (!hi) return std::nullopt;
    return std::uint32_t(*lo) | (std::uint32_t(*hi) << 16);
  }
  // A zero-terminated UTF-16 string.
  std::optional<std::u16string> String() {
    std::u16string s;
    for (;;) {
      auto c = U16();
      if (!c) return std::nullopt;
      if (*c == 0) return s;
      s.push_back(char16_t(*c));
    }
  }
  // 0xFFFF and a number, or a string.
  std::optional<ResourceId> Id() {
    std::size_t at = pos_;
    auto first = U16();
    if (!first) return std::nullopt;
    if (*first == 0xFFFF) {
      auto n = U16();
      if (!n) return std::nullopt;
      return ResourceId(WORD(*n));
    }
    pos_ = at;
    auto s = String();
    if (!s) return std::nullopt;
    return ResourceId(std::move(*s));
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t pos_;
};

std::string At(std::size_t offset) { return "at offset " + std::to_string(offset) + ": "; }

bool ParseMenuItems(Reader& r, std::vector<MenuItem>& out, int depth, std::string& error) {
  if (depth > 16) {
    error = At(r.pos()) + "menu nested more than 16 levels deep";
    return false;
  }
  for (;;) {
    std::size_t at = r.pos();
    auto flags = r.U16();
    if (!flags) {
      error = At(at) + "menu ends without its last item";
      return false;
    }
    MenuItem item;
    item.flags = WORD(*flags & ~kMenuEnd);
    if (!(*flags & kMenuPopup)) {
      auto id = r.U16();
      if (!id) {
        error = At(at) + "menu item cut short";
        return false;
      }
      item.id = *id;
    }
    auto text = r.String();
    if (!text) {
      error = At(at) + "menu item text is not terminated";
      return false;
    }
    item.text = std::move(*text);
    if ((*flags & kMenuPopup) && !ParseMenuItems(r, item.items, depth + 1, error)) return false;
    out.push_back(std::move(item));
    if (*flags & kMenuEnd) return true;
  }
}

constexpr DWORD kDsSetFont = 0x40;

std::u16string ClassName(const ResourceId& id) {
  if (const auto* name = std::get_if<std::u16string>(&id)) return *name;
  switch (std::get<WORD>(id)) {
    case 0x80: return u"BUTTON";
    case 0x81: return u"EDIT";
    case 0x82: return u"STATIC";
    case 0x83: return u"LISTBOX";
    case 0x84: return u"SCROLLBAR";
    case 0x85: return u"COMBOBOX";
    default: return u"#" + ToUtf16(std::to_string(std::get<WORD>(id)));
  }
}

bool ReadBox(Reader& r, short& x, short& y, short& cx, short& cy) {
  auto a = r.U16(), b = r.U16(), c = r.U16(), d = r.U16();
  if (!a || !b || !c || !d) return false;
  x = short(*a), y = short(*b), cx = short(*c), cy = short(*d);
  return true;
}

bool ParseDialogHeader(Reader& r, DialogTemplate& t, WORD& count) {
  std::optional<std::uint32_t> style, exStyle;
  if (t.extended) {
    if (!r.Skip(8)) return false;  // version, signature, help id
    exStyle = r.U32();
    style = r.U32();
  } else {
    style = r.U32();
    exStyle = r.U32();
  }
  auto n = r.U16();
  if (!style || !exStyle || !n || !ReadBox(r, t.x, t.y, t.cx, t.cy)) return false;
  t.style = *style, t.exStyle = *exStyle, count = *n;
  auto menu = r.Id();
  auto cls = menu ? r.Id() : std::nullopt;
  auto title = cls ? r.String() : std::nullopt;
  if (!title) return false;
  t.menu = *menu, t.windowClass = *cls, t.title = *title;
  if (!(t.style & kDsSetFont)) return true;
  t.hasFont = true;
  auto points = r.U16();
  if (!points) return false;
  t.pointSize = *points;
  if (t.extended) {
    auto weight = r.U16();
    auto italicCharset = weight ? r.U16() : std::nullopt;
    if (!italicCharset) return false;
    t.weight = *weight;
    t.italic = (*italicCharset & 0xFF) != 0;
  }
  auto face = r.String();
  if (!face) return false;
  t.typeface = *face;
  return true;
}

bool ParseDialogItem(Reader& r, bool extended, DialogItem& item) {
  std::optional<std::uint32_t> style, exStyle;
  if (extended) {
    if (!r.Skip(4)) return false;  // help id
    exStyle = r.U32();
    style = r.U32();
  } else {
    style = r.U32();
    exStyle = r.U32();
  }
  if (!style || !exStyle || !ReadBox(r, item.x, item.y, item.cx, item.cy)) return false;
  item.style = *style, item.exStyle = *exStyle;
  std::optional<std::uint32_t> id = extended ? r.U32() : std::optional<std::uint32_t>(r.U16());
  if (!id) return false;
  item.id = *id;
  auto cls = r.Id();
  auto title = cls ? r.Id() : std::nullopt;
  auto extra = title ? r.U16() : std::nullopt;
  if (!extra || !r.Skip(*extra)) return false;
  item.className = ClassName(*cls);
  item.title = *title;
  return true;
}

}  // namespace

std::optional<DialogTemplate> ParseDialog(std::span<const std::uint8_t> data, std::string& error) {
  Reader r(data);
  DialogTemplate t;
  t.extended = data.size() >= 4 && data[0] == 1 && data[1] == 0 && data[2] == 0xFF && data[3] == 0xFF;
  WORD count = 0;
  if (!ParseDialogHeader(r, t, count)) {
    error = At(r.pos()) + "dialog header cut short";
    return std::nullopt;
  }
  for (WORD i = 0; i < count; ++i) {
    DialogItem item;
    if (!r.AlignTo4(0) || !ParseDialogItem(r, t.extended, item)) {
      error = At(r.pos()) + "dialog item " + std::to_string(i + 1) + " of " + std::to_string(count) + " cut short";
      return std::nullopt;
    }
    t.items.push_back(std::move(item));
  }
  return t;
}

std::optional<ResourceId> IdOf(LPCWSTR name) {
  if (IS_INTRESOURCE(name)) return ResourceId(WORD(reinterpret_cast<std::uintptr_t>(name)));
  std::u16string_view s(name);
  if (s.size() > 1 && s[0] == u'#') {
    unsigned value = 0;
    for (char16_t c : s.substr(1)) {
      if (c < u'0' || c > u'9' || value > 0xFFFF) return std::nullopt;
      value = value * 10 + unsigned(c - u'0');
    }
    if (value > 0xFFFF) return std::nullopt;
    return ResourceId(WORD(value));
  }
  return ResourceId(std::u16string(s));
}

bool SameId(const ResourceId& a, const ResourceId& b) {
  if (a.index() != b.index()) return false;
  if (const WORD* n = std::get_if<WORD>(&a)) return *n == std::get<WORD>(b);
  return EqualNoCase(std::get<std::u16string>(a), std::get<std::u16string>(b));
}

std::optional<ResourceFile> ResourceFile::Parse(std::vector<std::uint8_t> bytes, std::string& error) {
  ResourceFile file;
  file.bytes_ = std::move(bytes);
  std::span<const std::uint8_t> all(file.bytes_);
  std::size_t pos = 0;
  bool first = true;
  while (pos < all.size()) {
    Reader r(all, pos);
    auto dataSize = r.U32();
    auto headerSize = r.U32();
    if (!headerSize) {
      error = At(pos) + "resource header cut short";
      return std::nullopt;
    }
    if (*headerSize < 32 || *headerSize > all.size() - pos) {
      error = At(pos) + "resource header of " + std::to_string(*headerSize) + " bytes";
      return std::nullopt;
    }
    // Names and the fixed fields must lie inside the header.
    Reader h(all.first(pos + *headerSize), pos + 8);
    auto type = h.Id();
    auto name = type ? h.Id() : std::nullopt;
    std::optional<std::uint32_t> dataVersion;
    std::optional<std::uint16_t> memoryFlags, language;
    if (name && h.AlignTo4(pos) && (dataVersion = h.U32()) && (memoryFlags = h.U16())) language = h.U16();
    if (!language || !h.Skip(8)) {
      error = At(pos) + "resource names run past the header";
      return std::nullopt;
    }
    std::size_t dataAt = pos + *headerSize;
    if (*dataSize > all.size() - dataAt) {
      error = At(pos) + "resource data of " + std::to_string(*dataSize) + " bytes runs past the end of the file (" +
              std::to_string(all.size() - dataAt) + " left)";
      return std::nullopt;
    }
    bool empty = *dataSize == 0 && std::holds_alternative<WORD>(*type) && std::get<WORD>(*type) == 0;
    if (first && !empty) {
      error = "not a .res file: it does not start with the empty resource";
      return std::nullopt;
    }
    first = false;
    if (!empty) file.resources_.push_back({*type, *name, *language, all.subspan(dataAt, *dataSize)});
    pos = dataAt + *dataSize;
    pos += (4 - pos % 4) % 4;
  }
  if (first) {
    error = "empty .res file";
    return std::nullopt;
  }
  return file;
}

const Resource* ResourceFile::Find(const ResourceId& type, const ResourceId& name) const {
  for (const Resource& r : resources_)
    if (SameId(r.type, type) && SameId(r.name, name)) return &r;
  return nullptr;
}

std::optional<StringPlace> StringInBlock(std::span<const std::uint8_t> block, UINT id, std::string& error) {
  Reader r(block);
  for (unsigned i = 0; i < 16; ++i) {
    std::size_t at = r.pos();
    auto length = r.U16();
    if (!length || r.left() < 2u * *length) {
      error = At(at) + "string " + std::to_string(((id >> 4) << 4) + i) + " runs past its table";
      return std::nullopt;
    }
    if (i == (id & 15)) return StringPlace{r.pos(), *length};
    r.Skip(2u * *length);
  }
  return std::nullopt;
}

std::optional<std::vector<Accelerator>> ParseAccelerators(std::span<const std::uint8_t> data, std::string& error) {
  Reader r(data);
  std::vector<Accelerator> table;
  for (;;) {
    std::size_t at = r.pos();
    auto flags = r.U16();
    auto key = flags ? r.U16() : std::nullopt;
    auto command = key ? r.U16() : std::nullopt;
    if (!command || !r.Skip(2)) {
      error = At(at) + "accelerator table ends without its last entry";
      return std::nullopt;
    }
    table.push_back({BYTE(*flags & 0x7F), *key, *command});
    if (*flags & 0x80) return table;
  }
}

std::optional<std::vector<MenuItem>> ParseMenu(std::span<const std::uint8_t> data, std::string& error) {
  Reader r(data);
  auto version = r.U16();
  auto offset = version ? r.U16() : std::nullopt;
  if (!offset) {
    error = "menu header cut short";
    return std::nullopt;
  }
  if (*version != 0) {
    error = "menu template version " + std::to_string(*version) + " (only standard menus are read)";
    return std::nullopt;
  }
  if (!r.Skip(*offset)) {
    error = "menu header offset runs past the menu";
    return std::nullopt;
  }
  std::vector<MenuItem> items;
  if (!ParseMenuItems(r, items, 0, error)) return std::nullopt;
  return items;
}

std::optional<std::vector<IconEntry>> ParseIconGroup(std::span<const std::uint8_t> data, std::string& error) {
  Reader r(data);
  auto reserved = r.U16();
  auto type = reserved ? r.U16() : std::nullopt;
  auto count = type ? r.U16() : std::nullopt;
  if (!count || *reserved != 0 || *type != 1) {
    error = "icon group header malformed";
    return std::nullopt;
  }
  if (r.left() < 14u * *count) {
    error = "icon group of " + std::to_string(*count) + " entries runs past its data";
    return std::nullopt;
  }
  std::vector<IconEntry> entries;
  for (unsigned i = 0; i < *count; ++i) {
    std::size_t at = r.pos();
    IconEntry e;
    e.width = data[at] ? data[at] : 256;
    e.height = data[at + 1] ? data[at + 1] : 256;
    r.Skip(6);  // sizes, colours, reserved, planes
    e.bitCount = *r.U16();
    r.Skip(4);  // bytes in the image
    e.id = *r.U16();
    entries.push_back(e);
  }
  if (entries.empty()) {
    error = "icon group without images";
    return std::nullopt;
  }
  return entries;
}

}  // namespace ce::res
