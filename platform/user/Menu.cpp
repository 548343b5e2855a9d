// The menu calls. One lock guards every menu of the process; the calls
// check their handles and arguments as the platform does and leave the
// menus untouched when they fail.
#include "platform/user/Menu.h"

#include <memory>
#include <mutex>

#include "platform/kernel/HandleTable.h"
#include "platform/kernel/LastError.h"
#include "platform/kernel/RunLog.h"
#include "platform/kernel/Utf.h"
#include "platform/user/ResourceData.h"
#include "winrsrc.h"

namespace ce {
namespace {

constexpr UINT kAppend = 0xFFFFFFFF;  // position -1: after the last item
constexpr UINT kNotFound = 0xFFFFFFFF;
constexpr UINT kBitmapItem = 0x0004;
constexpr UINT kOwnerDrawItem = 0x0100;
constexpr UINT kStateFlags = MF_GRAYED | MF_DISABLED | MF_CHECKED;
// Pop-ups nest at most this deep; deeper is refused (and a menu can
// never contain itself).
constexpr int kMaxDepth = 16;

struct Menu {
  std::vector<MenuEntry> items;
};
using MenuPtr = std::shared_ptr<Menu>;

// Where an item is: its menu and its index there.
struct Place {
  MenuPtr menu;
  std::size_t index = 0;
};

class MenuTable {
 public:
  static MenuTable& Instance() {
    static MenuTable table;
    return table;
  }

  std::unique_lock<std::mutex> Lock() { return std::unique_lock(mutex_); }

  HMENU Create() { return reinterpret_cast<HMENU>(handles_.Add(std::make_shared<Menu>())); }

  // The menu, or nullptr with ERROR_INVALID_HANDLE.
  MenuPtr Checked(HMENU handle) {
    MenuPtr menu = handles_.Get(reinterpret_cast<std::uintptr_t>(handle));
    if (!menu) SetThreadError(ERROR_INVALID_HANDLE);
    return menu;
  }

  // Destroys the menu and the pop-ups it holds.
  bool Destroy(HMENU handle, int depth = 0) {
    MenuPtr menu = handles_.Remove(reinterpret_cast<std::uintptr_t>(handle));
    if (!menu) return false;
    if (depth < kMaxDepth)
      for (const MenuEntry& item : menu->items)
        if (item.Popup()) Destroy(item.popup, depth + 1);
    return true;
  }

  // The item at a position of the menu, or the command item anywhere in
  // it and its pop-ups.
  std::optional<Place> Locate(const MenuPtr& menu, UINT position, UINT flags, int depth = 0) {
    if (flags & MF_BYPOSITION) {
      if (position >= menu->items.size()) return std::nullopt;
      return Place{menu, position};
    }
    for (std::size_t i = 0; i < menu->items.size(); ++i) {
      const MenuEntry& item = menu->items[i];
      if (!item.Popup() && !item.Separator() && item.id == position) return Place{menu, i};
    }
    if (depth >= kMaxDepth) return std::nullopt;
    for (const MenuEntry& item : menu->items) {
      if (!item.Popup()) continue;
      if (MenuPtr sub = handles_.Get(reinterpret_cast<std::uintptr_t>(item.popup)))
        if (auto found = Locate(sub, position, flags, depth + 1)) return found;
    }
    return std::nullopt;
  }

  // True when target is menu or one of its pop-ups, at any depth.
  bool Reaches(HMENU menu, HMENU target, int depth = 0) {
    if (menu == target) return true;
    MenuPtr m = handles_.Get(reinterpret_cast<std::uintptr_t>(menu));
    if (!m || depth >= kMaxDepth) return depth >= kMaxDepth;
    for (const MenuEntry& item : m->items)
      if (item.Popup() && Reaches(item.popup, target, depth + 1)) return true;
    return false;
  }

 private:
  std::mutex mutex_;
  HandleTable<Menu> handles_{"menus", 0x48000004, 4};
};

bool Fail(DWORD error) {
  SetThreadError(error);
  return false;
}

std::nullopt_t Refuse(DWORD error) {
  SetThreadError(error);
  return std::nullopt;
}

// The item InsertMenuW describes, checked: a string needs its text, a
// pop-up a menu that does not already hold the menu it goes into.
std::optional<MenuEntry> NewEntry(MenuTable& table, HMENU into, UINT flags, UINT_PTR id, LPCWSTR text) {
  if (flags & (kBitmapItem | kOwnerDrawItem)) return Refuse(ERROR_NOT_SUPPORTED);
  MenuEntry entry;
  entry.flags = flags & (kStateFlags | MF_POPUP | MF_SEPARATOR);
  if (entry.Separator()) {
    entry.flags &= ~MF_POPUP;
    return entry;
  }
  if (!text) return Refuse(ERROR_INVALID_PARAMETER);
  entry.text = text;
  if (!entry.Popup()) {
    entry.id = id;
    return entry;
  }
  entry.popup = reinterpret_cast<HMENU>(id);
  if (!table.Checked(entry.popup)) return std::nullopt;
  if (table.Reaches(entry.popup, into)) return Refuse(ERROR_INVALID_PARAMETER);
  return entry;
}

BOOL InsertItem(HMENU hMenu, UINT position, UINT flags, UINT_PTR id, LPCWSTR text) {
  MenuTable& table = MenuTable::Instance();
  auto lock = table.Lock();
  MenuPtr menu = table.Checked(hMenu);
  if (!menu) return FALSE;
  std::optional<MenuEntry> entry = NewEntry(table, hMenu, flags, id, text);
  if (!entry) return FALSE;
  if (flags & MF_BYPOSITION) {
    const std::size_t at = position == kAppend ? menu->items.size() : std::min<std::size_t>(position, menu->items.size());
    menu->items.insert(menu->items.begin() + static_cast<std::ptrdiff_t>(at), std::move(*entry));
    return TRUE;
  }
  // By command: in front of that command, in whichever menu holds it.
  auto place = table.Locate(menu, position, flags);
  if (!place) return Fail(ERROR_INVALID_PARAMETER);
  place->menu->items.insert(place->menu->items.begin() + static_cast<std::ptrdiff_t>(place->index), std::move(*entry));
  return TRUE;
}

// Runs use(table, place) on the item a call names, under the lock; the
// failed result (and the platform's error) when the menu or item is not
// there.
template <class Result, class Use>
Result WithItem(HMENU hMenu, UINT position, UINT flags, Result failed, Use use) {
  MenuTable& table = MenuTable::Instance();
  auto lock = table.Lock();
  MenuPtr menu = table.Checked(hMenu);
  if (!menu) return failed;
  auto place = table.Locate(menu, position, flags);
  if (!place) {
    SetThreadError(ERROR_INVALID_PARAMETER);
    return failed;
  }
  return use(table, *place);
}

// RemoveMenu and DeleteMenu: the item goes; DeleteMenu also destroys the
// pop-up it held.
BOOL RemoveItem(HMENU hMenu, UINT position, UINT flags, bool destroyPopup) {
  return WithItem<BOOL>(hMenu, position, flags, FALSE, [destroyPopup](MenuTable& table, Place& place) {
    MenuEntry removed = std::move(place.menu->items[place.index]);
    place.menu->items.erase(place.menu->items.begin() + static_cast<std::ptrdiff_t>(place.index));
    if (destroyPopup && removed.Popup()) table.Destroy(removed.popup);
    return TRUE;
  });
}

// EnableMenuItem and CheckMenuItem: sets the bits of mask to the given
// ones and returns what they were, or -1 when there is no such item.
DWORD ChangeState(HMENU hMenu, UINT item, UINT flags, UINT mask) {
  return WithItem<DWORD>(hMenu, item, flags, kNotFound, [flags, mask](MenuTable&, Place& place) {
    MenuEntry& entry = place.menu->items[place.index];
    const DWORD previous = entry.flags & mask;
    entry.flags = (entry.flags & ~mask) | (flags & mask);
    return previous;
  });
}

// Builds a menu from a resource template's items.
void Fill(MenuTable& table, HMENU handle, const std::vector<res::MenuItem>& items) {
  MenuPtr menu = table.Checked(handle);
  for (const res::MenuItem& item : items) {
    MenuEntry entry;
    entry.flags = item.flags & kStateFlags;
    entry.text = item.text;
    if (item.flags & res::kMenuPopup) {
      entry.flags |= MF_POPUP;
      entry.popup = table.Create();
      Fill(table, entry.popup, item.items);
    } else if (item.separator()) {
      entry.flags = MF_SEPARATOR;
    } else {
      entry.id = item.id;
    }
    menu->items.push_back(std::move(entry));
  }
}

HMENU NewMenu() {
  MenuTable& table = MenuTable::Instance();
  auto lock = table.Lock();
  return table.Create();
}

}  // namespace

std::optional<std::vector<MenuEntry>> MenuEntries(HMENU handle) {
  MenuTable& table = MenuTable::Instance();
  auto lock = table.Lock();
  MenuPtr menu = table.Checked(handle);
  if (!menu) return std::nullopt;
  return menu->items;
}

std::u16string ShownMenuText(std::u16string_view text) {
  std::u16string shown;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'&') {
      shown.push_back(text[i]);
    } else if (i + 1 < text.size()) {
      shown.push_back(text[++i]);  // the marked letter, or the second '&'
    }
  }
  return shown;
}

}  // namespace ce

using ce::MenuPtr;
using ce::MenuTable;

extern "C" {

HMENU WINAPI CreateMenu(void) { return ce::NewMenu(); }
HMENU WINAPI CreatePopupMenu(void) { return ce::NewMenu(); }

BOOL WINAPI DestroyMenu(HMENU hMenu) {
  MenuTable& table = MenuTable::Instance();
  auto lock = table.Lock();
  if (table.Destroy(hMenu)) return TRUE;
  return ce::Fail(ERROR_INVALID_HANDLE);
}

HMENU WINAPI GetSubMenu(HMENU hMenu, int nPos) {
  MenuTable& table = MenuTable::Instance();
  auto lock = table.Lock();
  MenuPtr menu = table.Checked(hMenu);
  if (!menu || nPos < 0 || static_cast<std::size_t>(nPos) >= menu->items.size()) return nullptr;
  const ce::MenuEntry& item = menu->items[static_cast<std::size_t>(nPos)];
  return item.Popup() ? item.popup : nullptr;
}

int WINAPI GetMenuItemCount(HMENU hMenu) {
  MenuTable& table = MenuTable::Instance();
  auto lock = table.Lock();
  MenuPtr menu = table.Checked(hMenu);
  return menu ? static_cast<int>(menu->items.size()) : -1;
}

UINT WINAPI GetMenuItemID(HMENU hMenu, int nPos) {
  MenuTable& table = MenuTable::Instance();
  auto lock = table.Lock();
  MenuPtr menu = table.Checked(hMenu);
  if (!menu || nPos < 0 || static_cast<std::size_t>(nPos) >= menu->items.size()) return ce::kNotFound;
  const ce::MenuEntry& item = menu->items[static_cast<std::size_t>(nPos)];
  return item.Popup() ? ce::kNotFound : static_cast<UINT>(item.id);
}

BOOL WINAPI InsertMenuW(HMENU hMenu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem) {
  return ce::InsertItem(hMenu, uPosition, uFlags, uIDNewItem, lpNewItem);
}

BOOL WINAPI AppendMenuW(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem) {
  return ce::InsertItem(hMenu, ce::kAppend, uFlags | MF_BYPOSITION, uIDNewItem, lpNewItem);
}

BOOL WINAPI RemoveMenu(HMENU hMenu, UINT uPosition, UINT uFlags) {
  return ce::RemoveItem(hMenu, uPosition, uFlags, false);
}

BOOL WINAPI DeleteMenu(HMENU hMenu, UINT uPosition, UINT uFlags) {
  return ce::RemoveItem(hMenu, uPosition, uFlags, true);
}

BOOL WINAPI EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable) {
  return static_cast<BOOL>(ce::ChangeState(hMenu, uIDEnableItem, uEnable, MF_GRAYED | MF_DISABLED));
}

DWORD WINAPI CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck) {
  return ce::ChangeState(hMenu, uIDCheckItem, uCheck, MF_CHECKED);
}

int WINAPI GetMenuStringW(HMENU hMenu, UINT uIDItem, LPWSTR lpString, int cchMax, UINT flags) {
  return ce::WithItem<int>(hMenu, uIDItem, flags, 0, [lpString, cchMax](MenuTable&, ce::Place& place) {
    const std::u16string& text = place.menu->items[place.index].text;
    if (!lpString || cchMax <= 0) return static_cast<int>(text.size());
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(cchMax - 1));
    text.copy(lpString, n);
    lpString[n] = 0;
    return static_cast<int>(n);
  });
}

HMENU WINAPI LoadMenuW(HINSTANCE hInstance, LPCWSTR lpMenuName) {
  auto name = lpMenuName ? ce::res::IdOf(lpMenuName) : std::nullopt;
  if (!name) {
    ce::SetThreadError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  DWORD error = ERROR_SUCCESS;
  auto data = ce::res::FindData(hInstance, *ce::res::IdOf(RT_MENU), *name, error);
  if (!data) {
    ce::SetThreadError(error);
    return nullptr;
  }
  std::string why;
  auto items = ce::res::ParseMenu(*data, why);
  if (!items) {
    ce::LogLine("menu resource refused: " + why);
    ce::SetThreadError(ERROR_INVALID_DATA);
    return nullptr;
  }
  MenuTable& table = MenuTable::Instance();
  auto lock = table.Lock();
  HMENU menu = table.Create();
  ce::Fill(table, menu, *items);
  return menu;
}

}  // extern "C"
