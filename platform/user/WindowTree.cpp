#include "platform/user/WindowTree.h"

#include <algorithm>

#include "platform/gdi/Rects.h"
#include "platform/gdi/WindowArea.h"

namespace ce {

namespace {
std::uintptr_t Value(HWND handle) { return reinterpret_cast<std::uintptr_t>(handle); }
}  // namespace

// Window handles are multiples of 4, so a handle's lowest bit is free for
// SetForegroundWindow's "and the windows it owns".
WindowTree::WindowTree() : table_("windows", 0x10004, 4) {}

HWND WindowTree::Add(WindowPtr window) {
  HWND handle = reinterpret_cast<HWND>(table_.Add(window));
  window->handle = handle;
  if (window->IsChild()) {
    if (WindowPtr parent = Find(window->parent)) parent->children.insert(parent->children.begin(), handle);
  } else {
    topLevel_.insert(topLevel_.begin(), handle);
    BringToFront(handle);  // behind the topmost windows
  }
  WindowAreasChanged();
  return handle;
}

void WindowTree::Remove(HWND handle) {
  WindowPtr window = table_.Remove(Value(handle));
  if (!window) return;
  auto drop = [handle](std::vector<HWND>& list) { std::erase(list, handle); };
  if (window->IsChild()) {
    if (WindowPtr parent = Find(window->parent)) drop(parent->children);
  } else {
    drop(topLevel_);
  }
  WindowAreasChanged();
}

WindowPtr WindowTree::Find(HWND handle) const {
  if (!handle) return nullptr;
  return table_.Get(Value(handle));
}

WindowPtr WindowTree::Root(const WindowPtr& window) const {
  WindowPtr at = window;
  while (at && at->IsChild()) at = Find(at->parent);
  return at;
}

bool WindowTree::BringToFront(HWND topLevel) {
  auto it = std::find(topLevel_.begin(), topLevel_.end(), topLevel);
  if (it == topLevel_.end()) return false;
  WindowPtr window = Find(topLevel);
  bool topmost = window && (window->exStyle & WS_EX_TOPMOST);
  const auto oldIndex = it - topLevel_.begin();
  topLevel_.erase(it);
  auto place = topLevel_.begin();
  if (!topmost) {
    while (place != topLevel_.end()) {
      WindowPtr other = Find(*place);
      if (!other || !(other->exStyle & WS_EX_TOPMOST)) break;
      ++place;
    }
  }
  const auto newIndex = place - topLevel_.begin();
  topLevel_.insert(place, topLevel);
  if (newIndex == oldIndex) return false;
  WindowAreasChanged();
  return true;
}

void WindowTree::StackChildrenInCreationOrder(const WindowPtr& parent) {
  std::sort(parent->children.begin(), parent->children.end(), [](HWND a, HWND b) {
    return reinterpret_cast<std::uintptr_t>(a) < reinterpret_cast<std::uintptr_t>(b);
  });
  WindowAreasChanged();
}

void WindowTree::SetScreenCovers(std::vector<RECT> covers) {
  covers_ = std::move(covers);
  WindowAreasChanged();
}

bool WindowTree::Shown(const Window& window) const {
  if (!window.Visible()) return false;
  HWND parent = window.IsChild() ? window.parent : nullptr;
  while (parent) {
    WindowPtr p = Find(parent);
    if (!p || !p->Visible()) return false;
    parent = p->IsChild() ? p->parent : nullptr;
  }
  return true;
}

bool WindowTree::Covered(POINT screen) const {
  for (const RECT& cover : covers_)
    if (Contains(cover, screen)) return true;
  return false;
}

WindowPtr WindowTree::WindowAt(POINT screen) const {
  if (!Contains(kScreen, screen) || Covered(screen)) return nullptr;
  const std::vector<HWND>* level = &topLevel_;
  WindowPtr found;
  for (;;) {
    WindowPtr hit;
    for (HWND h : *level) {
      WindowPtr w = Find(h);
      if (w && w->Visible() && !w->destroying && Contains(w->rect, screen)) {
        hit = w;
        break;
      }
    }
    if (!hit) return found;
    found = hit;
    level = &hit->children;
  }
}

std::vector<RECT> WindowTree::VisibleRects(const Window& window) const {
  if (!Shown(window)) return {};
  RECT clip = Intersect(window.rect, kScreen);
  // Clipped to each ancestor; siblings in front of the window or of an
  // ancestor cover it, and so do top-level windows in front of its root.
  std::vector<RECT> area;
  if (!IsEmpty(clip)) area.push_back(clip);
  for (const RECT& cover : covers_) Subtract(area, cover);
  if (window.style & WS_CLIPCHILDREN) {
    for (HWND h : window.children)
      if (WindowPtr child = Find(h); child && child->Visible()) Subtract(area, child->rect);
  }
  const Window* at = &window;
  while (!area.empty()) {
    const std::vector<HWND>* siblings = &topLevel_;
    WindowPtr parent;
    if (at->IsChild()) {
      parent = Find(at->parent);
      if (!parent) break;
      siblings = &parent->children;
      std::vector<RECT> clipped;
      for (const RECT& r : area)
        if (RECT c = Intersect(r, parent->rect); !IsEmpty(c)) clipped.push_back(c);
      area = std::move(clipped);
    }
    for (HWND h : *siblings) {
      if (h == at->handle) break;
      if (WindowPtr other = Find(h); other && other->Visible()) Subtract(area, other->rect);
    }
    if (!parent) break;
    at = parent.get();
  }
  return area;
}

void WindowTree::Visit(const WindowPtr& window, const std::function<void(const WindowPtr&)>& visit) const {
  // Visitors are held to the window manager's lock and change no
  // window's place in the tree, so the lists are walked where they are.
  visit(window);
  for (HWND h : window->children)
    if (WindowPtr child = Find(h)) Visit(child, visit);
}

void WindowTree::ForEach(const std::function<void(const WindowPtr&)>& visit) const {
  for (HWND h : topLevel_)
    if (WindowPtr w = Find(h)) Visit(w, visit);
}

std::vector<WindowPtr> WindowTree::Subtree(const WindowPtr& window) const {
  std::vector<WindowPtr> all;
  Visit(window, [&](const WindowPtr& w) { all.push_back(w); });
  std::reverse(all.begin(), all.end());
  return all;
}

bool WindowTree::InSubtree(const WindowPtr& window, HWND root) const {
  for (WindowPtr at = window; at; at = at->IsChild() ? Find(at->parent) : nullptr)
    if (at->handle == root) return true;
  return false;
}

void WindowTree::Uncover(const WindowPtr& window, const RECT& screen) {
  if (IsEmpty(screen)) return;
  WindowPtr root = Root(window);
  bool below = false;  // past the window's root in the front-to-back order
  ForEach([&](const WindowPtr& other) {
    if (!other->IsChild()) below = below || other->handle == (root ? root->handle : nullptr);
    if (!below || InSubtree(other, window->handle) || !Shown(*other)) return;
    AddUpdate(*other, screen, true);
  });
}

void AddUpdate(Window& window, const RECT& screen, bool erase) {
  RECT part = Intersect(screen, window.rect);
  if (IsEmpty(part)) return;
  window.update = Union(window.update, Offset(part, -window.rect.left, -window.rect.top));
  window.needsErase = window.needsErase || erase;
}

}  // namespace ce
