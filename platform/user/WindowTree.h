// The windows of this process and how they lie on the screen: the handle
// table, the front-to-back order of the top-level windows and of each
// window's children, hit testing and what part of a window can be seen.
// Not locked itself: the window manager holds its lock around every use.
// Whatever changes a window's place, size, style or order outside the
// tree also calls WindowAreasChanged, so that device contexts look again.
#pragma once

#include <functional>
#include <vector>

#include "platform/kernel/HandleTable.h"
#include "platform/user/Window.h"

namespace ce {

class WindowTree {
 public:
  static constexpr RECT kScreen{0, 0, 240, 320};

  WindowTree();

  HWND Add(WindowPtr window);  // puts it in front of its siblings
  void Remove(HWND handle);
  WindowPtr Find(HWND handle) const;

  const std::vector<HWND>& TopLevel() const { return topLevel_; }
  // The top-level window a window belongs to (itself when top-level).
  WindowPtr Root(const WindowPtr& window) const;
  // Moves a top-level window in front of the others (behind the topmost
  // ones unless it is topmost itself). Returns true when it moved.
  bool BringToFront(HWND topLevel);
  // Orders a window's children by the order they were made in (handles
  // grow), the first made in front: the order of a dialog's template.
  void StackChildrenInCreationOrder(const WindowPtr& parent);

  // Visible and every ancestor visible.
  bool Shown(const Window& window) const;
  // The deepest shown window under the screen point; nullptr for none.
  WindowPtr WindowAt(POINT screen) const;
  // Screen rectangles the window's drawing may reach.
  std::vector<RECT> VisibleRects(const Window& window) const;

  // Screen areas no window draws on (the navigation bar).
  void SetScreenCovers(std::vector<RECT> covers);
  bool Covered(POINT screen) const;

  // Every window, top-level windows front first, each followed by its
  // children front first (depth first).
  void ForEach(const std::function<void(const WindowPtr&)>& visit) const;
  // Whether any window is one `match` accepts, in no order: one look
  // through the handle table. `match` must not look in the tree.
  template <typename Match>
  bool Any(const Match& match) const {
    return table_.AnyOf(match);
  }
  // The first window in that order that `match` accepts, nullptr for
  // none. It stops there and copies nothing on the way: the message loop
  // asks it for a window to paint every time it looks for work.
  template <typename Match>
  WindowPtr FirstWhere(const Match& match) const {
    for (HWND h : topLevel_)
      if (WindowPtr found = FirstWhereIn(Find(h), match)) return found;
    return nullptr;
  }
  // The window and all its descendants, descendants first.
  std::vector<WindowPtr> Subtree(const WindowPtr& window) const;

  // Gives the windows that a rectangle (screen) leaving window's place
  // uncovers an update region there: every shown window not in front of
  // it and not inside it.
  void Uncover(const WindowPtr& window, const RECT& screen);

 private:
  template <typename Match>
  WindowPtr FirstWhereIn(const WindowPtr& window, const Match& match) const {
    if (!window) return nullptr;
    if (match(*window)) return window;
    for (HWND h : window->children)
      if (WindowPtr found = FirstWhereIn(Find(h), match)) return found;
    return nullptr;
  }
  void Visit(const WindowPtr& window, const std::function<void(const WindowPtr&)>& visit) const;
  bool InSubtree(const WindowPtr& window, HWND root) const;

  HandleTable<Window> table_;
  std::vector<HWND> topLevel_;
  std::vector<RECT> covers_;
};

// Adds a screen rectangle to the window's update region.
void AddUpdate(Window& window, const RECT& screen, bool erase);

}  // namespace ce
