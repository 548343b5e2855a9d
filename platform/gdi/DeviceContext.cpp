#include "platform/gdi/DeviceContext.h"

#include <atomic>

#include "platform/gdi/WindowArea.h"
#include "hardware/display/Panel.h"
#include "platform/kernel/Devices.h"

namespace ce {
namespace {

std::mutex g_providerMutex;
WindowAreaProvider g_provider;
std::atomic<std::uint64_t> g_areasVersion{1};

}  // namespace

WindowAreaProvider SetWindowAreaProvider(WindowAreaProvider provider) {
  {
    std::lock_guard lock(g_providerMutex);
    std::swap(g_provider, provider);
  }
  WindowAreasChanged();
  return provider;
}

void WindowAreasChanged() { g_areasVersion.fetch_add(1, std::memory_order_release); }

std::uint64_t WindowAreasVersion() { return g_areasVersion.load(std::memory_order_acquire); }

WindowArea WindowAreaOf(HWND window) {
  WindowAreaProvider provider;
  {
    std::lock_guard lock(g_providerMutex);
    provider = g_provider;
  }
  if (!provider || !window) return {};
  return provider(window);
}

namespace gdi {

DWORD GdiObject::Type() const {
  switch (value.index()) {
    case 0: return OBJ_BITMAP;
    case 1: return OBJ_BRUSH;
    case 2: return OBJ_PEN;
    default: return OBJ_FONT;
  }
}

Surface PanelSurface(hw::Panel& panel) {
  Surface s;
  s.row0 = reinterpret_cast<std::uint8_t*>(panel.pixels());
  s.stride = hw::Panel::kWidth * 4;
  s.width = hw::Panel::kWidth;
  s.height = hw::Panel::kHeight;
  s.format = PixelFormat::Xrgb32;
  return s;
}

void DeviceContext::LookAtWindow(Seen& seen, std::uint64_t version) const {
  WindowArea area = WindowAreaOf(window_);
  seen.version = version;
  seen.alive = area.alive;
  seen.origin = area.clientOrigin;
  RECT client = Offset(area.client, area.clientOrigin.x, area.clientOrigin.y);
  if (paintClip_) client = Intersect(client, Offset(*paintClip_, area.clientOrigin.x, area.clientOrigin.y));
  seen.clip = {};
  for (const RECT& r : area.visible)
    if (RECT part = Intersect(r, client); !IsEmpty(part)) seen.clip.Add(part);
}

// The address of this thread's own copy of a byte: it tells threads apart
// as their ids do (and is reused like one once its thread has ended),
// without a call into the thread library.
const void* DeviceContext::ThisThread() {
  static thread_local char mark;
  return &mark;
}

bool DeviceContext::ResolveOnScreen(Place& place) {
  switch (kind_) {
    case Kind::Memory: return false;  // resolved inline
    case Kind::Screen: {
      place.panel = Attached::Panel();
      if (!place.panel) return false;  // no screen to draw on
      place.target.surface = PanelSurface(*place.panel);
      place.whole = RECT{0, 0, hw::Panel::kWidth, hw::Panel::kHeight};
      place.target.clip = {&place.whole, 1};
      return true;
    }
    case Kind::Window: {
      // Read before looking, so that a change made while we look is seen
      // next time.
      const std::uint64_t version = WindowAreasVersion();
      if (ThisThread() != maker_) return PlaceOnFreshLook(version, place);
      if (seen_.version != version) LookAtWindow(seen_, version);
      return PlaceOnWindow(seen_, seen_.clip, place);
    }
  }
  return false;
}

bool DeviceContext::PlaceOnFreshLook(std::uint64_t version, Place& place) const {
  Seen fresh;
  LookAtWindow(fresh, version);
  place.looked = fresh.clip;
  return PlaceOnWindow(fresh, place.looked, place);
}

bool DeviceContext::PlaceOnWindow(const Seen& seen, std::span<const RECT> clip, Place& place) {
  if (!seen.alive) return false;
  place.target.origin = seen.origin;
  place.target.clip = clip;
  place.panel = Attached::Panel();
  if (!place.panel) return false;  // no screen to draw on
  place.target.surface = PanelSurface(*place.panel);
  return true;
}

Gdi& Gdi::Instance() {
  static Gdi gdi;
  return gdi;
}

Gdi::Gdi() {
  auto add = [&](int index, GdiObject object) {
    object.stock = true;
    stock_[std::size_t(index)] = objects.Add(std::make_shared<GdiObject>(std::move(object)));
  };
  add(WHITE_BRUSH, {Brush{0xFFFFFF, false}});
  add(LTGRAY_BRUSH, {Brush{0xC0C0C0, false}});
  add(GRAY_BRUSH, {Brush{0x808080, false}});
  add(DKGRAY_BRUSH, {Brush{0x404040, false}});
  add(BLACK_BRUSH, {Brush{0x000000, false}});
  add(NULL_BRUSH, {Brush{0, true}});
  add(WHITE_PEN, {Pen{0xFFFFFF, false}});
  add(BLACK_PEN, {Pen{0x000000, false}});
  add(NULL_PEN, {Pen{0, true}});
  LOGFONTW system{};
  system.lfHeight = -11;
  system.lfWeight = FW_NORMAL;
  add(SYSTEM_FONT, {Font{system}});
  // Every memory device context starts with this 1 x 1 monochrome bitmap.
  std::string error;
  auto one = Bitmap::Create(1, 1, PixelFormat::Index1, true, {}, false, error);
  GdiObject b{std::move(*one)};
  b.stock = true;
  defaultBitmap_ = objects.Add(std::make_shared<GdiObject>(std::move(b)));
}

std::uintptr_t Gdi::Stock(int index) const {
  if (index < 0 || std::size_t(index) >= stock_.size()) return 0;
  return stock_[std::size_t(index)];
}

std::array<DeviceContext*, 2> DcPair(HDC first, HDC second) {
  thread_local HandleTable<DeviceContext>::Reader reader(Gdi::Instance().dcs);
  return reader.Find(reinterpret_cast<std::uintptr_t>(first), reinterpret_cast<std::uintptr_t>(second));
}

HDC Gdi::NewDc(DeviceContext::Kind kind, HWND window, std::optional<RECT> paintClip) {
  auto dc = std::make_shared<DeviceContext>(kind, window, paintClip);
  auto select = [&](Selected& slot, std::uintptr_t handle) {
    slot.handle = handle;
    slot.object = objects.Get(handle);
  };
  select(dc->brush, Stock(WHITE_BRUSH));
  select(dc->pen, Stock(BLACK_PEN));
  select(dc->font, Stock(SYSTEM_FONT));
  if (kind == DeviceContext::Kind::Memory) select(dc->bitmap, defaultBitmap_);
  return HandleOf<HDC>(dcs.Add(std::move(dc)));
}

bool Gdi::DropDc(HDC handle) {
  DcRef dc = dcs.Remove(reinterpret_cast<std::uintptr_t>(handle));
  if (!dc) return false;
  if (dc->bitmap.object) {
    if (Bitmap* b = dc->bitmap.object->AsBitmap()) --b->selections;
  }
  return true;
}

}  // namespace gdi
}  // namespace ce
