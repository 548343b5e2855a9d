// Menus: a menu is a list of items, each a command, a separator or a
// pop-up (a sub-menu that the item owns). A bar menu's items are usually
// pop-ups; the shell's menu bar shows them as buttons and opens their
// pop-ups with the pen. Menu handles are checked: a destroyed menu no
// longer resolves, and a call with it fails with ERROR_INVALID_HANDLE.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "windows.h"

namespace ce {

struct MenuEntry {
  UINT flags = 0;  // MF_GRAYED, MF_DISABLED, MF_CHECKED, MF_POPUP, MF_SEPARATOR
  UINT_PTR id = 0;  // commands only
  std::u16string text;  // as given, with its '&' mnemonic marks
  HMENU popup = nullptr;  // MF_POPUP only

  bool Separator() const { return (flags & MF_SEPARATOR) != 0; }
  bool Popup() const { return (flags & MF_POPUP) != 0; }
  bool Enabled() const { return (flags & (MF_GRAYED | MF_DISABLED)) == 0; }
  // A command the user can choose.
  bool Choosable() const { return !Separator() && !Popup() && Enabled(); }
};

// A copy of the menu's items as they are now; nullopt (with
// ERROR_INVALID_HANDLE) when the handle is not a menu.
std::optional<std::vector<MenuEntry>> MenuEntries(HMENU menu);

// An item's text as shown: "&x" marks the mnemonic (dropped), "&&" is "&".
std::u16string ShownMenuText(std::u16string_view text);

}  // namespace ce
