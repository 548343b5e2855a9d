// GDI's objects and device contexts, and the tables their handles resolve
// in. A handle is never reused, so a deleted object or a released device
// context simply stops resolving: drawing through it fails with
// ERROR_INVALID_HANDLE and touches nothing.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <variant>

#include "hardware/display/Panel.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Raster.h"
#include "platform/kernel/HandleTable.h"
#include "wingdi.h"

#include "platform/gdi/WindowArea.h"


namespace ce::gdi {

struct Brush {
  Rgb colour = 0;
  bool hollow = false;
};
struct Pen {
  Rgb colour = 0;
  bool hollow = false;
};
struct Font {
  LOGFONTW log{};
};

struct GdiObject {
  std::variant<Bitmap, Brush, Pen, Font> value;
  bool stock = false;  // stock objects are never deleted

  DWORD Type() const;
  Bitmap* AsBitmap() { return std::get_if<Bitmap>(&value); }
  Brush* AsBrush() { return std::get_if<Brush>(&value); }
  Font* AsFont() { return std::get_if<Font>(&value); }
};

using ObjectRef = std::shared_ptr<GdiObject>;

// An object a device context holds, with the handle it was selected by
// (SelectObject gives that handle back).
struct Selected {
  std::uintptr_t handle = 0;
  ObjectRef object;
};

class DeviceContext {
 public:
  enum class Kind {
    Memory,  // draws into its selected bitmap
    Window,  // draws into a window's client area on the screen
    Screen,  // draws anywhere on the screen
  };

  // paintClip (BeginPaint's update rectangle, client coordinates) keeps
  // all drawing inside it.
  DeviceContext(Kind kind, HWND window, std::optional<RECT> paintClip = std::nullopt)
      : kind_(kind), window_(window), paintClip_(paintClip) {}

  Kind kind() const { return kind_; }
  HWND window() const { return window_; }

  Selected bitmap, brush, pen, font;
  COLORREF textColour = 0x000000;
  COLORREF bkColour = 0xFFFFFF;
  int bkMode = OPAQUE;

  // Where this context draws now, filled into a place made for the call.
  // False when its window is gone (the caller fails with
  // ERROR_INVALID_HANDLE). For the screen, panel is set and its mutex must
  // be held while the pixels are touched. A window context's clip may be
  // its own last look at the window, good until the context is resolved
  // again: a call resolves each context once.
  struct Place {
    Place() = default;
    Place(const Place&) = delete;  // the clip may point into the place
    Place& operator=(const Place&) = delete;

    Target target;
    hw::Panel* panel = nullptr;
    Bitmap* bitmap = nullptr;  // memory contexts
    RECT whole{};              // the clip of a picture or of the screen
    ClipRects looked;          // a look at a window taken for this call alone
  };
  // Inline for a memory context, so that a blit from a picture makes its
  // place in one go.
  bool Resolve(Place& place) {
    if (kind_ != Kind::Memory) return ResolveOnScreen(place);
    Bitmap* b = bitmap.object ? bitmap.object->AsBitmap() : nullptr;
    if (!b) return false;
    place.target.surface = b->View();
    place.whole = RECT{0, 0, b->width(), b->height()};
    place.target.clip = {&place.whole, 1};
    place.bitmap = b;
    return true;
  }

 private:
  bool ResolveOnScreen(Place& place);
  // A window context's look at its window, good for as long as the count
  // of window area changes stays at version (0: never looked).
  struct Seen {
    std::uint64_t version = 0;
    bool alive = false;
    POINT origin{0, 0};
    ClipRects clip;  // the visible rectangles cut to the client area
  };
  void LookAtWindow(Seen& seen, std::uint64_t version) const;
  // For a thread other than the maker's, out of the way of the common case.
  [[gnu::noinline]] bool PlaceOnFreshLook(std::uint64_t version, Place& place) const;
  static bool PlaceOnWindow(const Seen& seen, std::span<const RECT> clip, Place& place);

  const Kind kind_;
  const HWND window_;
  const std::optional<RECT> paintClip_;
  // The thread that made the context keeps its last look, and it alone
  // touches it: another thread drawing through the context looks afresh
  // each time, so nothing here needs a lock.
  static const void* ThisThread();
  const void* maker_ = ThisThread();
  Seen seen_;
};

using DcRef = std::shared_ptr<DeviceContext>;

class Gdi {
 public:
  static Gdi& Instance();

  HandleTable<GdiObject> objects{"GDI objects", 0x60000000, 4};
  HandleTable<DeviceContext> dcs{"device contexts", 0x70000000, 4};

  // Stock object handle for GetStockObject's index; 0 for none.
  std::uintptr_t Stock(int index) const;

  DcRef Dc(HDC dc) const { return dcs.Get(reinterpret_cast<std::uintptr_t>(dc)); }
  ObjectRef Object(HGDIOBJ h) const { return objects.Get(reinterpret_cast<std::uintptr_t>(h)); }

  // A new device context with the default objects selected.
  HDC NewDc(DeviceContext::Kind kind, HWND window, std::optional<RECT> paintClip = std::nullopt);
  // Releases everything the context holds and forgets its handle.
  bool DropDc(HDC dc);

 private:
  Gdi();
  std::array<std::uintptr_t, 20> stock_{};
  std::uintptr_t defaultBitmap_ = 0;
};

// The contexts of two handles for a drawing call that must be quick
// (nullptr for a handle that does not resolve, a null one included).
// They stay alive until the calling thread's next DcPair.
std::array<DeviceContext*, 2> DcPair(HDC first, HDC second);

// Holds the panel's lock for as long as it lives, when drawing touches the
// screen, and tells the front ends afterwards that the screen changed.
class PanelGuard {
 public:
  // changes: false for a guard that only reads.
  explicit PanelGuard(hw::Panel* a, hw::Panel* b = nullptr, bool changes = true)
      : panel_(a ? a : b), changes_(changes) {
    if (panel_) panel_->mutex().lock();
  }
  ~PanelGuard() {
    if (!panel_) return;
    const bool tell = changes_ && panel_->NoteChangeLocked();
    panel_->mutex().unlock();
    if (tell) panel_->TellListener();
  }
  PanelGuard(const PanelGuard&) = delete;
  PanelGuard& operator=(const PanelGuard&) = delete;

 private:
  hw::Panel* panel_;
  bool changes_;
};

// The view of the panel's pixels as a 32-bit picture.
Surface PanelSurface(hw::Panel& panel);

// The handle as the API hands it out.
template <class H>
H HandleOf(std::uintptr_t value) {
  return reinterpret_cast<H>(value);
}

}  // namespace ce::gdi
