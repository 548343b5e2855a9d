#include "platform/user/EditControl.h"

#include <algorithm>
#include <memory>

#include "platform/gdi/FontEngine.h"
#include "platform/user/ControlDrawing.h"
#include "platform/user/ControlState.h"
#include "platform/user/WindowManager.h"

namespace ce {
namespace {

constexpr COLORREF kTextColour = RGB(0, 0, 0);

std::u16string_view TextOf(LPARAM lParam) {
  auto text = reinterpret_cast<LPCWSTR>(lParam);
  return text ? std::u16string_view(text) : std::u16string_view();
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c < 0xDC00; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c < 0xE000; }

// The widths of the text's characters and the height of a line in the
// font, as the font engine draws them; a font handle that is gone
// measures as the system font.
struct Measured {
  std::vector<int> advances;
  int lineHeight = 0;
};
Measured Measure(HFONT font, std::u16string_view text) {
  LOGFONTW log{};
  if (font && GetObjectW(font, sizeof log, &log) != sizeof log) log = LOGFONTW{};
  std::string error;
  gdi::FontEngine& engine = gdi::FontEngine::Instance();
  gdi::SizedFont* sized = engine.Get(log, error);
  if (!sized) return Measured{std::vector<int>(text.size(), 0), 0};
  return Measured{engine.Advances(*sized, text), engine.Metrics(*sized).height};
}

}  // namespace

SystemClass EditClass() { return WhiteControlClass(u"EDIT", ControlStates<EditControl>::Procedure); }

EditControl::EditControl(HWND window) : window_(window) {
  // The text a window is created with is its first contents.
  std::u16string initial(static_cast<std::size_t>(std::max(GetWindowTextLengthW(window), 0)) + 1, u'\0');
  initial.resize(static_cast<std::size_t>(GetWindowTextW(window, initial.data(), static_cast<int>(initial.size()))));
  text_ = std::move(initial);
  Relayout();
}

LRESULT EditControl::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETTEXT:
      SetText(TextOf(lParam));
      return TRUE;
    case WM_SETFONT:
      SetFont(reinterpret_cast<HFONT>(wParam), LOWORD(lParam) != 0);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_SIZE:
      Relayout();
      Redraw();
      return 0;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      focused_ = message == WM_SETFOCUS;
      Redraw();
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(window_);
      PlaceCaret(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_CHAR:
      Type(wParam);
      return 0;
    case WM_KEYDOWN:
      MoveCaret(wParam);
      return 0;
    default:
      if (message >= EM_GETSEL && message <= EM_SETREADONLY) return HandleEditMessage(message, wParam, lParam);
      return DefWindowProcW(window_, message, wParam, lParam);
  }
}

LRESULT EditControl::HandleEditMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case EM_GETSEL:
      return Selection(wParam, lParam);
    case EM_SETSEL:
      Select(static_cast<int>(wParam), static_cast<int>(lParam));
      return 0;
    case EM_REPLACESEL:
      Replace(TextOf(lParam));
      return 0;
    case EM_SETREADONLY: {
      DWORD style = static_cast<DWORD>(GetWindowLongW(window_, GWL_STYLE));
      style = wParam ? style | ES_READONLY : style & ~static_cast<DWORD>(ES_READONLY);
      SetWindowLongW(window_, GWL_STYLE, static_cast<LONG>(style));
      return TRUE;
    }
    case EM_GETLINECOUNT:
      return static_cast<LRESULT>(lines_.Count());
    case EM_LINEINDEX:
      return LineIndex(wParam);
    case EM_LINELENGTH:
      return LineLength(wParam);
    case EM_LINEFROMCHAR:
      return static_cast<int>(wParam) == -1 ? static_cast<LRESULT>(lines_.LineOf(SelectionStart()))
                                            : static_cast<LRESULT>(lines_.LineOf(wParam));
    default:
      return DefWindowProcW(window_, message, wParam, lParam);
  }
}

void EditControl::SetText(std::u16string_view text) {
  anchor_ = caret_ = 0;
  text_ = text;
  StoreWindowText(window_, text_);
  Relayout();
  Redraw();
}

void EditControl::SetFont(HFONT font, bool redraw) {
  font_ = font;
  Relayout();
  if (redraw) Redraw();
}

void EditControl::Type(WPARAM character) {
  if (ReadOnly()) return;
  if (character == u'\b') {
    DeleteBack();
  } else if (character == u'\r') {
    if (Multiline()) Replace(u"\r\n");
  } else if (character >= 0x20 && character != 0x7F && character <= 0xFFFF) {
    const char16_t typed = static_cast<char16_t>(character);
    Replace(std::u16string_view(&typed, 1));
  }
}

void EditControl::DeleteBack() {
  if (anchor_ == caret_) anchor_ = StepLeft(caret_);
  Replace(u"");
}

void EditControl::Replace(std::u16string_view with) {
  const std::size_t start = SelectionStart();
  text_.replace(start, SelectionEnd() - start, with);
  anchor_ = caret_ = start + with.size();
  StoreWindowText(window_, text_);
  Relayout();
  Redraw();
}

void EditControl::MoveCaret(WPARAM key) {
  const std::size_t line = CaretLine();
  const bool selected = anchor_ != caret_;
  switch (key) {
    case VK_LEFT: caret_ = selected ? SelectionStart() : StepLeft(caret_); break;
    case VK_RIGHT: caret_ = selected ? SelectionEnd() : StepRight(caret_); break;
    case VK_UP:
      if (line > 0) caret_ = IndexAtX(line - 1, XOf(line, caret_));
      break;
    case VK_DOWN:
      if (line + 1 < lines_.Count()) caret_ = IndexAtX(line + 1, XOf(line, caret_));
      break;
    default: return;
  }
  anchor_ = caret_;
  Redraw();
}

void EditControl::PlaceCaret(int x, int y) {
  const int row = lineHeight_ > 0 ? std::max(y, 0) / lineHeight_ : 0;
  const std::size_t line = std::min(static_cast<std::size_t>(row), lines_.Count() - 1);
  anchor_ = caret_ = IndexAtX(line, x);
  Redraw();
}

// A start of -1 drops the selection and leaves the caret; an end of -1
// (or past the text) is the end of the text.
void EditControl::Select(int start, int end) {
  if (start == -1) {
    anchor_ = caret_;
  } else {
    auto limit = [this](int at) { return at < 0 ? text_.size() : std::min<std::size_t>(at, text_.size()); };
    anchor_ = limit(start);
    caret_ = limit(end);
  }
  Redraw();
}

LRESULT EditControl::Selection(WPARAM startOut, LPARAM endOut) const {
  const auto start = static_cast<DWORD>(SelectionStart()), end = static_cast<DWORD>(SelectionEnd());
  if (auto* out = reinterpret_cast<DWORD*>(startOut)) *out = start;
  if (auto* out = reinterpret_cast<DWORD*>(endOut)) *out = end;
  // Positions that do not fit in 16 bits cannot be packed.
  if (start > 0xFFFF || end > 0xFFFF) return -1;
  return static_cast<LRESULT>(MAKELONG(start, end));
}

// -1 is the caret's line; a line past the last gives -1.
LRESULT EditControl::LineIndex(WPARAM line) const {
  const int asked = static_cast<int>(line);
  const std::size_t index = asked == -1 ? CaretLine() : static_cast<std::size_t>(asked);
  if (asked < -1 || index >= lines_.Count()) return -1;
  return static_cast<LRESULT>(lines_[index].start);
}

// The length of the line holding a character; -1 is the caret's line.
LRESULT EditControl::LineLength(WPARAM index) const {
  const std::size_t line = static_cast<int>(index) == -1 ? CaretLine() : lines_.LineOf(index);
  return static_cast<LRESULT>(lines_[line].end - lines_[line].start);
}

void EditControl::Paint() {
  PaintScope paint(window_, kControlPaper);
  HDC dc = paint.dc();
  if (!dc) return;
  const RECT& client = paint.client();
  HGDIOBJ previous = font_ ? SelectObject(dc, font_) : nullptr;
  SetTextColor(dc, kTextColour);
  SetBkMode(dc, TRANSPARENT);
  for (std::size_t i = 0; i < lines_.Count(); ++i) {
    const int top = static_cast<int>(i) * lineHeight_;
    if (top >= client.bottom) break;
    const EditLine& line = lines_[i];
    // The widths the lines were wrapped with, so the drawing matches them.
    ExtTextOutW(dc, 0, top, ETO_CLIPPED, &client, text_.data() + line.start, static_cast<UINT>(line.end - line.start),
                advances_.data() + line.start);
  }
  if (focused_) {
    const std::size_t line = CaretLine();
    PatBlt(dc, XOf(line, caret_), static_cast<int>(line) * lineHeight_, 1, lineHeight_, BLACKNESS);
  }
  if (previous) SelectObject(dc, previous);
}

void EditControl::Relayout() {
  Measured measured = Measure(font_, text_);
  advances_ = std::move(measured.advances);
  lineHeight_ = measured.lineHeight;
  RECT client{0, 0, 0, 0};
  GetClientRect(window_, &client);
  lines_.Wrap(text_, advances_, client.right, Multiline());
  anchor_ = std::min(anchor_, text_.size());
  caret_ = std::min(caret_, text_.size());
}

void EditControl::Redraw() const { InvalidateRect(window_, nullptr, TRUE); }

bool EditControl::Multiline() const { return (GetWindowLongW(window_, GWL_STYLE) & ES_MULTILINE) != 0; }
bool EditControl::ReadOnly() const { return (GetWindowLongW(window_, GWL_STYLE) & ES_READONLY) != 0; }

int EditControl::XOf(std::size_t line, std::size_t index) const {
  const std::size_t start = lines_[line].start;
  const std::size_t end = std::clamp(index, start, lines_[line].end);
  int x = 0;
  for (std::size_t i = start; i < end; ++i) x += advances_[i];
  return x;
}

std::size_t EditControl::IndexAtX(std::size_t line, int x) const {
  const EditLine& span = lines_[line];
  std::size_t at = span.start;
  int left = 0;
  while (at < span.end && left + advances_[at] / 2 < x) left += advances_[at++];
  // The end of a wrapped line is where the next line starts: stay before
  // the hanging space so the caret remains on this line.
  const bool wrapped = line + 1 < lines_.Count() && lines_[line + 1].start == span.end;
  if (wrapped && at == span.end && at > span.start) at = StepLeft(at);
  return at;
}

std::size_t EditControl::StepLeft(std::size_t index) const {
  if (index == 0) return 0;
  if (index >= 2 && text_[index - 2] == u'\r' && text_[index - 1] == u'\n') return index - 2;
  if (index >= 2 && IsLowSurrogate(text_[index - 1]) && IsHighSurrogate(text_[index - 2])) return index - 2;
  return index - 1;
}

std::size_t EditControl::StepRight(std::size_t index) const {
  if (index >= text_.size()) return text_.size();
  if (index + 1 < text_.size() && text_[index] == u'\r' && text_[index + 1] == u'\n') return index + 2;
  if (index + 1 < text_.size() && IsHighSurrogate(text_[index]) && IsLowSurrogate(text_[index + 1])) return index + 2;
  return index + 1;
}

}  // namespace ce
