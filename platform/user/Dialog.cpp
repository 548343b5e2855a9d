#include "platform/user/Dialog.h"

#include <string>

#include "platform/gdi/FontEngine.h"
#include "platform/user/ControlState.h"
#include "platform/user/WindowManager.h"

namespace ce {
namespace {

constexpr char16_t kAlphabet[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr int kAlphabetLength = 52;

int MulDivRounded(int value, int numerator, int denominator) {
  const long long product = static_cast<long long>(value) * numerator;
  const long long half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

// What a dialog does by itself: closing it is asking to cancel (which
// the dialog procedure may answer); nothing else ends it.
LRESULT DefaultDialogHandling(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
      return 0;
    case WM_COMMAND:
    case WM_INITDIALOG:
      return 0;
    case WM_PAINT: {
      // Painting erases with the class's white; the controls do the rest.
      PAINTSTRUCT ps;
      if (BeginPaint(dialog, &ps)) EndPaint(dialog, &ps);
      return 0;
    }
    default:
      return DefWindowProcW(dialog, message, wParam, lParam);
  }
}

LRESULT CALLBACK DialogWindowProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    auto* state = create ? static_cast<std::shared_ptr<DialogState>*>(create->lpCreateParams) : nullptr;
    if (!state || !*state) return -1;  // only DialogBoxIndirectParamW makes dialogs
    ControlStates<DialogState>::Instance().Add(dialog, *state);
  }
  std::shared_ptr<DialogState> state = ControlStates<DialogState>::Instance().Find(dialog);
  LRESULT result = 0;
  if (state && state->proc && state->proc(dialog, message, wParam, lParam)) {
    result = TRUE;
  } else {
    result = DefaultDialogHandling(dialog, message, wParam, lParam);
  }
  if (message == WM_DESTROY) ControlStates<DialogState>::Instance().Remove(dialog);
  return result;
}

}  // namespace

RECT DialogBaseUnits::ToPixels(const RECT& units) const {
  return RECT{MulDivRounded(units.left, x, 4), MulDivRounded(units.top, y, 8), MulDivRounded(units.right, x, 4),
              MulDivRounded(units.bottom, y, 8)};
}

DialogBaseUnits BaseUnitsFor(WORD pointSize) {
  LOGFONTW log{};
  // Points at the handheld's 96 dots per inch, rounded to whole pixels.
  if (pointSize) log.lfHeight = -MulDivRounded(pointSize, 96, 72);
  std::string error;
  gdi::FontEngine& engine = gdi::FontEngine::Instance();
  gdi::SizedFont* font = engine.Get(log, error);
  if (!font) return DialogBaseUnits{6, 13};  // no font file: a plausible grid still
  int total = 0;
  for (int advance : engine.Advances(*font, std::u16string_view(kAlphabet, kAlphabetLength))) total += advance;
  return DialogBaseUnits{(total + kAlphabetLength / 2) / kAlphabetLength, engine.Metrics(*font).height};
}

std::shared_ptr<DialogState> DialogOf(HWND window) { return ControlStates<DialogState>::Instance().Find(window); }

SystemClass DialogClass() { return WhiteControlClass(kDialogClassName, DialogWindowProc); }

}  // namespace ce
