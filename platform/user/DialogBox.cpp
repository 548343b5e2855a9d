// Modal dialogs from templates: DialogBoxIndirectParamW and EndDialog.
//
// The template is read only within its bytes: a template that lies in a
// loaded resource is bounded by that resource; any other is read field by
// field, up to kLooseTemplateLimit bytes. A malformed template is refused
// with -1, ERROR_INVALID_DATA and a line in the run's log, before any
// window is made.
#include <algorithm>
#include <optional>
#include <span>

#include "platform/kernel/LastError.h"
#include "platform/kernel/RunLog.h"
#include "platform/kernel/Utf.h"
#include "platform/user/ButtonControl.h"
#include "platform/user/Desktop.h"
#include "platform/user/Dialog.h"
#include "platform/user/ResourceData.h"
#include "platform/user/WindowManager.h"

namespace ce {
namespace {

constexpr std::size_t kLooseTemplateLimit = 64 * 1024;

// The template's bytes: up to the end of the loaded resource it lies in,
// or the loose limit for a template the program built in memory.
std::span<const std::uint8_t> TemplateBytes(HINSTANCE instance, const void* start) {
  const auto* at = static_cast<const std::uint8_t*>(start);
  DWORD error = ERROR_SUCCESS;
  if (auto file = res::ResourcesOf(instance, error)) {
    for (const res::Resource& resource : file->resources()) {
      const std::uint8_t* begin = resource.data.data();
      const std::uint8_t* end = begin + resource.data.size();
      if (std::less_equal<>()(begin, at) && std::less<>()(at, end))
        return std::span<const std::uint8_t>(at, static_cast<std::size_t>(end - at));
    }
  }
  return std::span<const std::uint8_t>(at, kLooseTemplateLimit);
}

INT_PTR Refuse(DWORD error, const std::string& why) {
  LogLine("dialog template refused: " + why);
  SetThreadError(error);
  return -1;
}

// Every control's class must exist before anything is made.
std::optional<std::string> UnknownClass(const res::DialogTemplate& dialog) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  for (const res::DialogItem& item : dialog.items)
    if (!wm.FindClass(item.className)) return "control " + std::to_string(static_cast<int>(item.id)) +
                                                 " has the unknown class \"" + ToUtf8(item.className) + "\"";
  return std::nullopt;
}

// Where the dialog goes on the screen: centred in the work area with
// DS_CENTER, else at its place from the owner's top-left corner (or the
// work area's, without an owner).
RECT DialogPlace(const res::DialogTemplate& dialog, const DialogBaseUnits& units, HWND owner) {
  const RECT size = units.ToPixels(RECT{0, 0, dialog.cx, dialog.cy});
  const RECT area = WindowManager::kDefaultArea;
  POINT origin{area.left, area.top};
  if (owner) {
    RECT ownerRect{0, 0, 0, 0};
    if (GetWindowRect(owner, &ownerRect)) origin = POINT{ownerRect.left, ownerRect.top};
  }
  RECT place = units.ToPixels(RECT{dialog.x, dialog.y, dialog.x, dialog.y});
  place = RECT{origin.x + place.left, origin.y + place.top, origin.x + place.left + size.right,
               origin.y + place.top + size.bottom};
  if (dialog.style & DS_CENTER) {
    const LONG left = area.left + (area.right - area.left - size.right) / 2;
    const LONG top = area.top + (area.bottom - area.top - size.bottom) / 2;
    place = RECT{left, top, left + size.right, top + size.bottom};
  }
  return place;
}

std::u16string ItemText(const res::DialogItem& item) {
  const auto* text = std::get_if<std::u16string>(&item.title);
  return text ? *text : std::u16string();
}

// An ordinal text names an icon resource of the program (SS_ICON).
void SetItemIcon(HINSTANCE instance, HWND control, const res::DialogItem& item) {
  const WORD* ordinal = std::get_if<WORD>(&item.title);
  if (!ordinal) return;
  if (HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(*ordinal)))
    SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}

// Template ids are 32 bits (16 in the older form); -1 stays -1.
HMENU ControlId(DWORD id) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(static_cast<int>(id))); }

// A dialog's controls lie in template order from the front: the first is
// on top, so a frame made after the buttons inside it stays behind them.
void StackInTemplateOrder(HWND dialog) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  if (WindowPtr window = wm.tree().Find(dialog)) wm.tree().StackChildrenInCreationOrder(window);
}

bool MakeControls(HINSTANCE instance, HWND dialog, const res::DialogTemplate& parsed, const DialogBaseUnits& units) {
  for (const res::DialogItem& item : parsed.items) {
    const RECT place = units.ToPixels(RECT{item.x, item.y, item.x + item.cx, item.y + item.cy});
    const std::u16string text = ItemText(item);
    const DWORD style = (item.style | WS_CHILD) & ~static_cast<DWORD>(WS_POPUP);
    HWND control = CreateWindowExW(item.exStyle, item.className.c_str(), text.c_str(), style, place.left, place.top,
                                   place.right - place.left, place.bottom - place.top, dialog, ControlId(item.id),
                                   instance, nullptr);
    if (!control) return false;
    SetItemIcon(instance, control, item);
  }
  StackInTemplateOrder(dialog);
  return true;
}

// The control WM_INITDIALOG names: the first shown, enabled one that
// takes the focus by tabbing, else the first shown, enabled one.
HWND FirstFocusable(HWND dialog) {
  HWND first = nullptr;
  for (HWND control : ChildrenInCreationOrder(dialog)) {
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    if (!(style & WS_VISIBLE) || (style & WS_DISABLED)) continue;
    if (style & WS_TABSTOP) return control;
    if (!first) first = control;
  }
  return first;
}

// Cursor keys and Return on the handheld: Return is the dialog's OK.
bool IsDialogReturn(const MSG& msg, HWND dialog) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_RETURN) return false;
  return msg.hwnd == dialog || GetParent(msg.hwnd) == dialog;
}

// The nested message loop: everything of this thread goes on (the
// owner's timers too) until EndDialog. WM_QUIT ends the dialog and is
// put back for the program's own loop.
void RunModalLoop(HWND dialog, const std::shared_ptr<DialogState>& state) {
  auto& wm = WindowManager::Instance();
  auto over = [&] { return state->ended || !IsWindow(dialog); };
  MSG msg;
  while (!over()) {
    if (!wm.Retrieve(msg, nullptr, 0, 0, true, true, over)) continue;
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (IsDialogReturn(msg, dialog)) {
      SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

HWND MakeDialogWindow(HINSTANCE instance, HWND owner, const res::DialogTemplate& parsed,
                      std::shared_ptr<DialogState>& state) {
  const RECT place = DialogPlace(parsed, state->units, owner);
  // Shown only once WM_INITDIALOG has set it up.
  const DWORD style = (parsed.style | WS_POPUP) & ~static_cast<DWORD>(WS_VISIBLE | WS_CHILD);
  return CreateWindowExW(parsed.exStyle, kDialogClassName, parsed.title.c_str(), style, place.left, place.top,
                         place.right - place.left, place.bottom - place.top, owner, nullptr, instance, &state);
}

}  // namespace
}  // namespace ce

extern "C" {

INT_PTR WINAPI DialogBoxIndirectParamW(HINSTANCE hInstance, LPCDLGTEMPLATEW hDialogTemplate, HWND hWndParent,
                                       DLGPROC lpDialogFunc, LPARAM dwInitParam) {
  if (!hDialogTemplate) return ce::Refuse(ERROR_INVALID_PARAMETER, "no template");
  if (hWndParent && !IsWindow(hWndParent)) {
    ce::SetThreadError(ERROR_INVALID_WINDOW_HANDLE);
    return -1;
  }
  std::string why;
  auto parsed = ce::res::ParseDialog(ce::TemplateBytes(hInstance, hDialogTemplate), why);
  if (!parsed) return ce::Refuse(ERROR_INVALID_DATA, why);
  if (auto unknown = ce::UnknownClass(*parsed)) return ce::Refuse(ERROR_INVALID_DATA, *unknown);

  auto state = std::make_shared<ce::DialogState>();
  state->proc = lpDialogFunc;
  state->units = ce::BaseUnitsFor(parsed->hasFont ? parsed->pointSize : 0);
  HWND dialog = ce::MakeDialogWindow(hInstance, hWndParent, *parsed, state);
  if (!dialog) return -1;
  if (!ce::MakeControls(hInstance, dialog, *parsed, state->units)) {
    const DWORD error = GetLastError();
    DestroyWindow(dialog);
    ce::SetThreadError(error);
    return -1;
  }
  // The owner takes no input while its dialog runs (and is left disabled
  // if it was disabled already, as under a dialog of its own).
  const bool ownerWasEnabled = hWndParent && IsWindowEnabled(hWndParent);
  if (ownerWasEnabled) EnableWindow(hWndParent, FALSE);
  HWND focus = ce::FirstFocusable(dialog);
  if (SendMessageW(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), dwInitParam) && focus) SetFocus(focus);
  if (!state->ended && IsWindow(dialog)) {
    ShowWindow(dialog, SW_SHOW);
    ce::RunModalLoop(dialog, state);
  }
  if (ownerWasEnabled) EnableWindow(hWndParent, TRUE);
  DestroyWindow(dialog);
  if (hWndParent && IsWindow(hWndParent)) SetActiveWindow(hWndParent);
  ce::SetThreadError(ERROR_SUCCESS);
  return state->result;
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
  std::shared_ptr<ce::DialogState> state = ce::DialogOf(hDlg);
  if (!state) {
    ce::SetThreadError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (!state->ended) {
    state->ended = true;
    state->result = nResult;
  }
  // The dialog's loop may be waiting for something to happen.
  ce::WakeMessageLoops();
  return TRUE;
}

}  // extern "C"
