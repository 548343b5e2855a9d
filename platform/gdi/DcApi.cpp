// The device context calls: window, screen and memory contexts, the
// objects selected into them, and the display escapes.
#include <cstring>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiCalls.h"
#include "platform/gdi/WindowArea.h"
#include "hardware/display/Panel.h"
#include "platform/kernel/Devices.h"
#include "platform/kernel/LastError.h"
#include "winuser.h"

using ce::gdi::DcRef;
using ce::gdi::DeviceContext;
using ce::gdi::Gdi;
using ce::gdi::HandleOf;

namespace ce::gdi {

DcRef DcOrFail(HDC hdc) {
  DcRef dc = Gdi::Instance().Dc(hdc);
  if (!dc) SetThreadError(ERROR_INVALID_HANDLE);
  return dc;
}

}  // namespace ce::gdi

extern "C" {

HDC WINAPI GetDC(HWND hWnd) {
  if (!hWnd) return Gdi::Instance().NewDc(DeviceContext::Kind::Screen, nullptr);
  if (!ce::WindowAreaOf(hWnd).alive) {
    ce::SetThreadError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return Gdi::Instance().NewDc(DeviceContext::Kind::Window, hWnd);
}

int WINAPI ReleaseDC(HWND hWnd, HDC hDC) {
  DcRef dc = Gdi::Instance().Dc(hDC);
  if (!dc || dc->kind() == DeviceContext::Kind::Memory || dc->window() != hWnd) return 0;
  return Gdi::Instance().DropDc(hDC) ? 1 : 0;
}

HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
  ce::WindowArea area = ce::WindowAreaOf(hWnd);
  if (!area.alive) {
    ce::SetThreadError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  if (!lpPaint) {
    ce::SetThreadError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  // The update region, validated as it is taken; a window the window
  // manager does not keep (a bare area) paints all of its client area.
  RECT update = area.client;
  bool erase = false;
  if (!ce::TakeUpdateRect(hWnd, &update, &erase)) update = area.client;
  HDC hdc = Gdi::Instance().NewDc(DeviceContext::Kind::Window, hWnd, update);
  // The window erases its own background; if it leaves it (returns 0),
  // the application is told to erase it while painting.
  bool mustErase = erase && SendMessageW(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0) == 0;
  std::memset(lpPaint, 0, sizeof(*lpPaint));
  lpPaint->hdc = hdc;
  lpPaint->fErase = mustErase ? TRUE : FALSE;
  lpPaint->rcPaint = update;
  return hdc;
}

BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) {
  if (!lpPaint) return FALSE;
  DcRef dc = Gdi::Instance().Dc(lpPaint->hdc);
  if (!dc || dc->window() != hWnd) return FALSE;
  Gdi::Instance().DropDc(lpPaint->hdc);
  return TRUE;
}

HDC WINAPI CreateCompatibleDC(HDC hdc) {
  if (hdc && !ce::gdi::DcOrFail(hdc)) return nullptr;
  return Gdi::Instance().NewDc(DeviceContext::Kind::Memory, nullptr);
}

BOOL WINAPI DeleteDC(HDC hdc) {
  if (!Gdi::Instance().DropDc(hdc)) {
    ce::SetThreadError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

int WINAPI GetDeviceCaps(HDC hdc, int nIndex) {
  DcRef dc = ce::gdi::DcOrFail(hdc);
  if (!dc) return 0;
  switch (nIndex) {
    case HORZRES: return hw::Panel::kWidth;
    case VERTRES: return hw::Panel::kHeight;
    case BITSPIXEL: {
      if (dc->kind() == DeviceContext::Kind::Memory)
        if (auto* b = dc->bitmap.object->AsBitmap()) return ce::gdi::BitsPerPixel(b->format());
      return 32;
    }
    case PLANES: return 1;
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    default: return 0;
  }
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
  DcRef dc = ce::gdi::DcOrFail(hdc);
  if (!dc) return nullptr;
  ce::gdi::ObjectRef object = Gdi::Instance().Object(h);
  if (!object) {
    ce::SetThreadError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  auto swap = [&](ce::gdi::Selected& slot) {
    std::uintptr_t old = slot.handle;
    slot.handle = reinterpret_cast<std::uintptr_t>(h);
    slot.object = object;
    return reinterpret_cast<HGDIOBJ>(old);
  };
  switch (object->Type()) {
    case OBJ_BITMAP: {
      // A bitmap lives in one memory context at a time (the stock 1 x 1
      // bitmap excepted).
      if (dc->kind() != DeviceContext::Kind::Memory) {
        ce::SetThreadError(ERROR_INVALID_PARAMETER);
        return nullptr;
      }
      if (dc->bitmap.object == object) return h;
      ce::gdi::Bitmap* b = object->AsBitmap();
      if (!object->stock && b->selections > 0) {
        ce::SetThreadError(ERROR_INVALID_PARAMETER);
        return nullptr;
      }
      if (ce::gdi::Bitmap* old = dc->bitmap.object ? dc->bitmap.object->AsBitmap() : nullptr) --old->selections;
      ++b->selections;
      return swap(dc->bitmap);
    }
    case OBJ_BRUSH: return swap(dc->brush);
    case OBJ_PEN: return swap(dc->pen);
    case OBJ_FONT: return swap(dc->font);
  }
  return nullptr;
}

HGDIOBJ WINAPI GetCurrentObject(HDC hdc, UINT type) {
  DcRef dc = ce::gdi::DcOrFail(hdc);
  if (!dc) return nullptr;
  switch (type) {
    case OBJ_BITMAP: return reinterpret_cast<HGDIOBJ>(dc->bitmap.handle);
    case OBJ_BRUSH: return reinterpret_cast<HGDIOBJ>(dc->brush.handle);
    case OBJ_PEN: return reinterpret_cast<HGDIOBJ>(dc->pen.handle);
    case OBJ_FONT: return reinterpret_cast<HGDIOBJ>(dc->font.handle);
    default: ce::SetThreadError(ERROR_INVALID_PARAMETER); return nullptr;
  }
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
  Gdi& gdi = Gdi::Instance();
  ce::gdi::ObjectRef object = gdi.Object(ho);
  if (!object) {
    ce::SetThreadError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (object->stock) return TRUE;
  if (ce::gdi::Bitmap* b = object->AsBitmap(); b && b->selections > 0) {
    // The platform keeps a bitmap that a memory context still holds.
    ce::SetThreadError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  gdi.objects.Remove(reinterpret_cast<std::uintptr_t>(ho));
  return TRUE;
}

HGDIOBJ WINAPI GetStockObject(int i) {
  std::uintptr_t h = Gdi::Instance().Stock(i);
  if (!h) ce::SetThreadError(ERROR_INVALID_PARAMETER);
  return reinterpret_cast<HGDIOBJ>(h);
}

DWORD WINAPI GetObjectType(HGDIOBJ h) {
  Gdi& gdi = Gdi::Instance();
  if (auto object = gdi.Object(h)) return object->Type();
  if (auto dc = gdi.Dc(static_cast<HDC>(h))) return dc->kind() == DeviceContext::Kind::Memory ? OBJ_MEMDC : OBJ_DC;
  ce::SetThreadError(ERROR_INVALID_HANDLE);
  return 0;
}

int WINAPI GetObjectW(HGDIOBJ h, int c, LPVOID pv) {
  ce::gdi::ObjectRef object = Gdi::Instance().Object(h);
  if (!object) {
    ce::SetThreadError(ERROR_INVALID_HANDLE);
    return 0;
  }
  auto give = [&](const auto& record) -> int {
    int size = int(sizeof(record));
    if (!pv) return size;
    if (c < size) {
      ce::SetThreadError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    std::memcpy(pv, &record, sizeof(record));
    return size;
  };
  if (ce::gdi::Bitmap* b = object->AsBitmap()) {
    BITMAP bm{};
    bm.bmWidth = b->width();
    bm.bmHeight = b->height();
    bm.bmWidthBytes = LONG(b->rowBytes());
    bm.bmPlanes = 1;
    bm.bmBitsPixel = WORD(ce::gdi::BitsPerPixel(b->format()));
    bm.bmBits = b->dibSection() ? b->bits().data() : nullptr;
    return give(bm);
  }
  if (ce::gdi::Brush* brush = object->AsBrush()) {
    LOGBRUSH lb{brush->hollow ? UINT(BS_NULL) : UINT(BS_SOLID), ce::gdi::ColorRefOfRgb(brush->colour), 0};
    return give(lb);
  }
  if (ce::gdi::Font* font = object->AsFont()) return give(font->log);
  ce::SetThreadError(ERROR_INVALID_PARAMETER);
  return 0;
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
  auto object = std::make_shared<ce::gdi::GdiObject>(ce::gdi::GdiObject{ce::gdi::Brush{ce::gdi::RgbOfColorRef(color), false}});
  return HandleOf<HBRUSH>(Gdi::Instance().objects.Add(std::move(object)));
}

HFONT WINAPI CreateFontIndirectW(const LOGFONTW* lplf) {
  if (!lplf) {
    ce::SetThreadError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto object = std::make_shared<ce::gdi::GdiObject>(ce::gdi::GdiObject{ce::gdi::Font{*lplf}});
  return HandleOf<HFONT>(Gdi::Instance().objects.Add(std::move(object)));
}

// SETPOWERMANAGEMENT takes three words: length (12), version, power state;
// state 1 lights the panel, the others (standby, suspend, off) darken it.
// The pixels are kept and the pen and keys keep working either way.
int WINAPI ExtEscape(HDC hdc, int iEscape, int cjInput, LPCSTR lpInData, int cjOutput, LPSTR lpOutData) {
  if (!ce::gdi::DcOrFail(hdc)) return -1;
  auto word = [&](int i) {
    DWORD v;
    std::memcpy(&v, lpInData + 4 * i, 4);
    return v;
  };
  hw::Panel* attached = ce::Attached::Panel();
  if (!attached) return -1;  // no display to ask
  hw::Panel& panel = *attached;
  switch (iEscape) {
    case QUERYESCSUPPORT: {
      if (!lpInData || cjInput < 4) break;
      DWORD asked = word(0);
      return asked == QUERYESCSUPPORT || asked == SETPOWERMANAGEMENT || asked == GETPOWERMANAGEMENT ? 1 : 0;
    }
    case SETPOWERMANAGEMENT: {
      if (!lpInData || cjInput < 12 || word(0) < 12) break;
      DWORD state = word(2);
      if (state < VideoPowerOn || state > VideoPowerOff) break;
      panel.SetBacklight(state == VideoPowerOn);
      return 1;
    }
    case GETPOWERMANAGEMENT: {
      if (!lpOutData || cjOutput < 12) break;
      DWORD out[3] = {12, 0, DWORD(panel.backlight() ? VideoPowerOn : VideoPowerOff)};
      std::memcpy(lpOutData, out, sizeof(out));
      return 1;
    }
    default:
      return 0;  // not supported by this display
  }
  ce::SetThreadError(ERROR_INVALID_PARAMETER);
  return -1;
}

}  // extern "C"
