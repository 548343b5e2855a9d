// libFuzzer target: every input is a module's .res file. It is checked and
// indexed as the platform does when a program first asks for a resource,
// and each resource it holds is read as its type says: string tables,
// accelerators, menus, dialog templates (both forms), icon groups and
// bitmaps. Nothing may be read outside the file's bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "FuzzSupport.h"
#include "platform/gdi/GdiCalls.h"
#include "platform/user/ResourceData.h"
#include "winrsrc.h"

namespace {

using ce::res::ResourceId;

bool IsType(const ResourceId& type, LPCWSTR ordinal) {
  const auto id = ce::res::IdOf(ordinal);
  return id && ce::res::SameId(type, *id);
}

void CheckDialog(const ce::res::DialogTemplate& dialog, std::size_t bytes) {
  // Every item takes at least its fixed fields, so no count beyond what
  // the bytes can hold is believed.
  fuzz::Require(dialog.items.size() * 18 <= bytes, "a dialog has no more items than its bytes hold");
  fuzz::Require(dialog.hasFont == ((dialog.style & DS_SETFONT) != 0), "a dialog has a font exactly when it says so");
}

void CheckMenu(const std::vector<ce::res::MenuItem>& items, int depth) {
  fuzz::Require(depth <= 17, "menus nest no deeper than the parser allows");
  for (const auto& item : items) CheckMenu(item.items, depth + 1);
}

void ReadResource(const ce::res::Resource& resource) {
  std::string error;
  const auto data = resource.data;
  if (IsType(resource.type, RT_STRING)) {
    for (UINT id = 0; id < 16; ++id) {
      if (auto place = ce::res::StringInBlock(data, id, error))
        fuzz::Require(place->offset + 2 * place->length <= data.size(), "a string lies inside its table");
    }
  } else if (IsType(resource.type, RT_ACCELERATOR)) {
    if (auto table = ce::res::ParseAccelerators(data, error))
      fuzz::Require(!table->empty() && table->size() * 8 <= data.size(), "accelerators lie inside their table");
  } else if (IsType(resource.type, RT_MENU)) {
    if (auto menu = ce::res::ParseMenu(data, error)) CheckMenu(*menu, 0);
  } else if (IsType(resource.type, RT_DIALOG)) {
    if (auto dialog = ce::res::ParseDialog(data, error)) CheckDialog(*dialog, data.size());
  } else if (IsType(resource.type, RT_GROUP_ICON)) {
    if (auto icons = ce::res::ParseIconGroup(data, error))
      fuzz::Require(!icons->empty() && 6 + icons->size() * 14 <= data.size(), "icon entries lie inside their group");
  } else if (IsType(resource.type, RT_BITMAP)) {
    if (HBITMAP bitmap = ce::gdi::BitmapFromPackedDib(data, error)) {
      fuzz::Require(DeleteObject(bitmap) != FALSE, "a bitmap made from a resource can be deleted");
    } else {
      fuzz::Require(!error.empty(), "a refused bitmap says why");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::AnswerMessageBoxesQuietly();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string error;
  auto file = ce::res::ResourceFile::Parse(std::vector<std::uint8_t>(data, data + size), error);
  if (!file) {
    fuzz::Require(!error.empty(), "a refused file says why");
    return 0;
  }
  for (const auto& resource : file->resources()) {
    const auto* first = file->Find(resource.type, resource.name);
    fuzz::Require(first && ce::res::SameId(first->type, resource.type) && ce::res::SameId(first->name, resource.name),
                  "every resource is found by its type and name");
    ReadResource(resource);
  }
  return 0;
}
