// A pop-up menu on the screen, tracked with the pen: a window listing the
// items of a menu (black on white in the system font, the item under the
// pen highlighted, separators as lines, greyed items grey). The pen goes
// to the menu while it is open: pen down or move over an item highlights
// it, lifting the pen on a command chooses it; a tap outside the menu
// closes it without a command. The cursor keys move the highlight, Return
// chooses, Escape closes.
//
// The chosen command is posted as WM_COMMAND(id) to the command target
// after the menu has closed, as the platform does.
#pragma once

#include <functional>

#include "windows.h"

namespace ce {

struct PopupMenuRequest {
  HMENU menu = nullptr;
  // The menu opens upwards from this screen point (its bottom-left
  // corner), moved as far as needed to lie on the screen.
  POINT anchor{0, 0};
  HWND owner = nullptr;          // the menu closes when its owner goes
  HWND commandTarget = nullptr;  // gets the chosen command
  std::function<void()> closed;  // called once the menu has gone, chosen or not
};

// Opens the menu with the items it has now. nullptr when the handle is
// not a menu (ERROR_INVALID_HANDLE) or the menu has no items.
HWND OpenPopupMenu(PopupMenuRequest request);

}  // namespace ce
