#include "platform/gdi/DeviceContext.h"

#include "platform/gdi/WindowArea.h"
#include "hardware/display/Panel.h"
#include "platform/kernel/Devices.h"

namespace ce {
namespace {

std::mutex g_providerMutex;
WindowAreaProvider g_provider;

}  // namespace

WindowAreaProvider SetWindowAreaProvider(WindowAreaProvider provider) {
  std::lock_guard lock(g_providerMutex);
  std::swap(g_provider, provider);
  return provider;
}

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

std::optional<DeviceContext::Place> DeviceContext::Resolve() {
  Place place;
  switch (kind_) {
    case Kind::Memory: {
      Bitmap* b = bitmap.object ? bitmap.object->AsBitmap() : nullptr;
      if (!b) return std::nullopt;
      place.target.surface = b->View();
      place.target.clip = {RECT{0, 0, b->width(), b->height()}};
      place.bitmap = b;
      return place;
    }
    case Kind::Screen: {
      place.panel = Attached::Panel();
      if (!place.panel) return std::nullopt;  // no screen to draw on
      place.target.surface = PanelSurface(*place.panel);
      place.target.clip = {RECT{0, 0, hw::Panel::kWidth, hw::Panel::kHeight}};
      return place;
    }
    case Kind::Window: {
      WindowArea area = WindowAreaOf(window_);
      place.panel = Attached::Panel();
      if (!area.alive || !place.panel) return std::nullopt;
      place.target.surface = PanelSurface(*place.panel);
      const POINT at = area.clientOrigin;
      place.target.origin = at;
      RECT client = Offset(area.client, at.x, at.y);
      if (paintClip) client = Intersect(client, Offset(*paintClip, at.x, at.y));
      // The visible rectangles cut to the client area, kept in the list the
      // window manager made.
      std::vector<RECT>& clip = area.visible;
      for (RECT& r : clip) r = Intersect(r, client);
      std::erase_if(clip, [](const RECT& r) { return IsEmpty(r); });
      place.target.clip = std::move(clip);
      return place;
    }
  }
  return std::nullopt;
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

HDC Gdi::NewDc(DeviceContext::Kind kind, HWND window) {
  auto dc = std::make_shared<DeviceContext>(kind, window);
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

PanelGuard::PanelGuard(hw::Panel* a, hw::Panel* b, bool changes) : panel_(a ? a : b), changes_(changes) {
  if (panel_) lock_ = std::unique_lock(panel_->mutex());
}

PanelGuard::~PanelGuard() {
  if (!panel_) return;
  lock_.unlock();
  if (changes_) panel_->MarkChanged();
}

}  // namespace gdi
}  // namespace ce
