// The platform's edit control: how it wraps and reports its lines, keeps
// its text, takes typing at the caret, and draws itself.
#include <gtest/gtest.h>

#include <string>

#include "hardware/display/Panel.h"
#include "user/UserFixture.h"

namespace {

constexpr COLORREF kParentColour = RGB(200, 200, 200);
constexpr std::uint32_t kParentPixel = 0xC8C8C8;
constexpr std::uint32_t kWhite = 0xFFFFFF;

// Width in pixels of text in the system font, as GDI measures it.
int TextWidth(std::u16string_view text) {
  HDC dc = GetDC(nullptr);
  SIZE size{0, 0};
  GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
  ReleaseDC(nullptr, dc);
  return size.cx;
}

std::u16string TextOf(HWND window) {
  std::u16string text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, u'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

LRESULT LineIndex(HWND edit, int line) { return SendMessageW(edit, EM_LINEINDEX, static_cast<WPARAM>(line), 0); }
LRESULT LineCount(HWND edit) { return SendMessageW(edit, EM_GETLINECOUNT, 0, 0); }

class EditControlTest : public UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    handlers_[WM_PAINT] = [](HWND hwnd, UINT, WPARAM, LPARAM) -> LRESULT {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT client;
      GetClientRect(hwnd, &client);
      HBRUSH brush = CreateSolidBrush(kParentColour);
      FillRect(dc, &client, brush);
      DeleteObject(brush);
      EndPaint(hwnd, &ps);
      return 0;
    };
    parent_ = Make(0, 26, 240, 294, WS_VISIBLE | WS_CLIPCHILDREN);
  }
  // An edit control as the radio makes its text window: a child, multi-line,
  // no border; hidden unless style says otherwise.
  HWND MakeEdit(int x, int y, int w, int h, DWORD style = 0, const char16_t* text = u"") {
    HWND edit = CreateWindowExW(0, u"EDIT", text, WS_CHILD | ES_MULTILINE | style, x, y, w, h, parent_, nullptr,
                                nullptr, nullptr);
    EXPECT_NE(edit, nullptr);
    return edit;
  }

  std::uint32_t Screen(int x, int y) const { return panel().pixels()[y * hw::Panel::kWidth + x]; }
  static bool Dark(std::uint32_t pixel) { return (pixel & 0xFF) < 0x80; }
  // Pixels in a screen rectangle that are not the expected colour.
  int CountOther(const RECT& area, std::uint32_t expected) const {
    int count = 0;
    for (LONG y = area.top; y < area.bottom; ++y)
      for (LONG x = area.left; x < area.right; ++x) count += Screen(x, y) != expected;
    return count;
  }
  int CountDark(const RECT& area) const {
    int count = 0;
    for (LONG y = area.top; y < area.bottom; ++y)
      for (LONG x = area.left; x < area.right; ++x) count += Dark(Screen(x, y));
    return count;
  }
  void Type(std::initializer_list<hw::KeyCode> keys) {
    for (hw::KeyCode key : keys) {
      input().KeyDown(key);
      input().KeyUp(key);
    }
    Drain();
  }

  HWND parent_ = nullptr;
};

TEST_F(EditControlTest, WrapsWordsAtItsWidthAndReportsWhereEachLineStarts) {
  HWND edit = MakeEdit(43, 147, 191, 113);
  const std::u16string text =
      u"The morning programme brings news, weather and traffic for the whole region, then music until noon "
      u"with requests from listeners.";
  ASSERT_TRUE(SetWindowTextW(edit, text.c_str()));
  const LRESULT count = LineCount(edit);
  ASSERT_GE(count, 3);
  EXPECT_EQ(LineIndex(edit, 0), 0);
  EXPECT_EQ(LineIndex(edit, static_cast<int>(count)), -1) << "no line past the last";
  for (int line = 1; line < count; ++line) {
    const auto start = static_cast<std::size_t>(LineIndex(edit, line));
    const auto previous = static_cast<std::size_t>(LineIndex(edit, line - 1));
    ASSERT_GT(start, previous);
    // Each line ends after a space, holds what fits, and the next word
    // would not have fitted on it.
    EXPECT_EQ(text[start - 1], u' ');
    EXPECT_NE(text[start], u' ');
    std::u16string shown = text.substr(previous, start - previous);
    while (!shown.empty() && shown.back() == u' ') shown.pop_back();
    EXPECT_LE(TextWidth(shown), 191) << "line " << line - 1;
    const std::size_t nextWordEnd = std::min(text.find(u' ', start), text.size());
    EXPECT_GT(TextWidth(text.substr(previous, nextWordEnd - previous)), 191) << "line " << line - 1;
  }
  // The caret's line (-1) is the first after new text.
  EXPECT_EQ(LineIndex(edit, -1), 0);
}

TEST_F(EditControlTest, ALongWordBreaksInsideAndLineBreaksForceNewLines) {
  HWND edit = MakeEdit(0, 0, 60, 100);
  const std::u16string word(40, u'W');
  SetWindowTextW(edit, word.c_str());
  const LRESULT count = LineCount(edit);
  ASSERT_GT(count, 1);
  std::size_t start = 0;
  for (int line = 0; line < count; ++line) {
    const auto next = line + 1 < count ? static_cast<std::size_t>(LineIndex(edit, line + 1)) : word.size();
    ASSERT_GT(next, start) << "every line holds at least one character";
    EXPECT_LE(TextWidth(word.substr(start, next - start)), 60);
    if (line + 1 < count) {
      EXPECT_GT(TextWidth(word.substr(start, next - start + 1)), 60);
    }
    start = next;
  }

  SetWindowTextW(edit, u"one\r\ntwo\r\n");
  EXPECT_EQ(LineCount(edit), 3) << "a text ending in a line break has an empty last line";
  EXPECT_EQ(LineIndex(edit, 1), 5);
  EXPECT_EQ(LineIndex(edit, 2), 10);
  EXPECT_EQ(LineIndex(edit, 3), -1);
  EXPECT_EQ(SendMessageW(edit, EM_LINELENGTH, 5, 0), 3);

  SetWindowTextW(edit, u"");
  EXPECT_EQ(LineCount(edit), 1);
  EXPECT_EQ(LineIndex(edit, 0), 0);
  EXPECT_EQ(LineIndex(edit, 1), -1);
}

TEST_F(EditControlTest, KeepsItsTextAndHandsItBackCutToTheCallersBuffer) {
  HWND edit = MakeEdit(0, 0, 191, 113, 0, u"Receiving");
  EXPECT_EQ(TextOf(edit), u"Receiving") << "the creation text is the first contents";
  EXPECT_EQ(SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0), 9);

  ASSERT_TRUE(SetWindowTextW(edit, u"Radio Veltrane"));
  WCHAR small[6];
  EXPECT_EQ(GetWindowTextW(edit, small, 6), 5);
  EXPECT_EQ(std::u16string(small), u"Radio");
  EXPECT_EQ(SendMessageW(edit, WM_GETTEXT, 3, reinterpret_cast<LPARAM>(small)), 2);
  EXPECT_EQ(std::u16string(small), u"Ra");
  EXPECT_EQ(GetWindowTextW(edit, small, 0), 0);

  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"a\r\nb"));
  EXPECT_EQ(TextOf(edit), u"a\r\nb");
  EXPECT_EQ(LineCount(edit), 2) << "text set by message is laid out too";
  EXPECT_TRUE(SetWindowTextW(edit, nullptr));
  EXPECT_EQ(TextOf(edit), u"");

  // The font: the system font until another is set.
  EXPECT_EQ(SendMessageW(edit, WM_GETFONT, 0, 0), 0);
  LOGFONTW log{};
  log.lfHeight = -20;
  HFONT big = CreateFontIndirectW(&log);
  SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(big), TRUE);
  EXPECT_EQ(SendMessageW(edit, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(big));
  SetWindowTextW(edit, u"wrapping wrapping wrapping");
  EXPECT_GT(LineCount(edit), 1) << "the larger font wraps sooner";
  DestroyWindow(edit);
  DeleteObject(big);
}

TEST_F(EditControlTest, TypingGoesInAtTheCaretOfTheFocusedControl) {
  using hw::KeyCode;
  HWND edit = MakeEdit(0, 0, 191, 113, WS_VISIBLE);
  SetFocus(edit);
  Type({hw::Letter('A'), hw::Letter('C'), KeyCode::Left, hw::Letter('B')});
  EXPECT_EQ(TextOf(edit), u"abc");
  DWORD start = 9, end = 9;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 2u);
  EXPECT_EQ(end, 2u);

  Type({KeyCode::Right, KeyCode::Return, hw::Letter('D')});
  EXPECT_EQ(TextOf(edit), u"abc\r\nd");
  EXPECT_EQ(LineCount(edit), 2);
  EXPECT_EQ(LineIndex(edit, -1), 5) << "the caret is on the second line";
  Type({KeyCode::Left, KeyCode::Up, hw::Letter('E')});
  EXPECT_EQ(TextOf(edit), u"eabc\r\nd") << "up keeps the column: the start of the first line";

  // Backspace takes a line break as one.
  SendMessageW(edit, EM_SETSEL, 6, 6);
  SendMessageW(edit, WM_CHAR, '\b', 0);
  EXPECT_EQ(TextOf(edit), u"eabcd");

  // A selection is replaced by what is typed or given.
  SendMessageW(edit, EM_SETSEL, 1, 4);
  EXPECT_EQ(SendMessageW(edit, EM_GETSEL, 0, 0), MAKELONG(1, 4));
  SendMessageW(edit, WM_CHAR, 'x', 0);
  EXPECT_EQ(TextOf(edit), u"exd");
  SendMessageW(edit, EM_SETSEL, 0, -1);
  SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(u"new"));
  EXPECT_EQ(TextOf(edit), u"new");

  // Read-only: the user cannot type, the program can still replace.
  SendMessageW(edit, EM_SETREADONLY, TRUE, 0);
  Type({hw::Letter('Z')});
  SendMessageW(edit, WM_CHAR, '\b', 0);
  EXPECT_EQ(TextOf(edit), u"new");
  SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(u"!"));
  EXPECT_EQ(TextOf(edit), u"new!");

  // Keys go to the focused window only.
  SendMessageW(edit, EM_SETREADONLY, FALSE, 0);
  SetFocus(parent_);
  Type({hw::Letter('Q')});
  EXPECT_EQ(TextOf(edit), u"new!");
}

TEST_F(EditControlTest, DrawsItsTextInsideItselfAndACaretWhileFocused) {
  HWND edit = MakeEdit(43, 147, 191, 30, WS_VISIBLE);
  Drain();
  const RECT inside{43, 26 + 147, 43 + 191, 26 + 147 + 30};
  EXPECT_EQ(CountOther(inside, kWhite), 0) << "an empty control is all background";
  EXPECT_EQ(Screen(42, 173), kParentPixel);

  // Many lines: those that reach below the bottom edge are clipped there.
  SetWindowTextW(edit, u"Line one\r\nLine two\r\nLine three\r\nLine four\r\nLine five\r\nLine six");
  Drain();
  EXPECT_GT(CountDark(RECT{inside.left, inside.top, inside.right, inside.top + 12}), 10) << "first line drawn";
  EXPECT_GT(CountDark(RECT{inside.left, inside.top + 24, inside.right, inside.bottom}), 0) << "third line, clipped";
  EXPECT_EQ(CountOther(RECT{0, inside.bottom, 240, 320}, kParentPixel), 0) << "nothing below the control";
  EXPECT_EQ(CountOther(RECT{0, 26, inside.left, inside.bottom}, kParentPixel), 0) << "nothing left of it";
  EXPECT_EQ(CountOther(RECT{0, 26, 240, inside.top}, kParentPixel), 0) << "nothing above it";

  // The caret: a one-pixel line at the insertion point while focused.
  SetWindowTextW(edit, u"");
  SetFocus(edit);
  Drain();
  for (int y = inside.top; y < inside.top + 12; ++y) EXPECT_EQ(Screen(inside.left, y), 0u) << "caret row " << y;
  EXPECT_EQ(Screen(inside.left + 1, inside.top + 5), kWhite);
  SetFocus(parent_);
  Drain();
  EXPECT_EQ(CountOther(inside, kWhite), 0) << "no caret without the focus";
}

TEST_F(EditControlTest, AHiddenControlDrawsNothing) {
  HWND edit = MakeEdit(43, 147, 191, 113, 0, u"Hidden text that must not show");
  SetWindowTextW(edit, u"Still hidden");
  SetFocus(edit);
  Drain();
  EXPECT_EQ(CountOther(RECT{0, 26, 240, 320}, kParentPixel), 0);

  ShowWindow(edit, SW_SHOW);
  Drain();
  EXPECT_GT(CountDark(RECT{43, 173, 234, 185}), 10);
  ShowWindow(edit, SW_HIDE);
  Drain();
  EXPECT_EQ(CountOther(RECT{0, 26, 240, 320}, kParentPixel), 0) << "hiding gives the place back to the parent";
}

}  // namespace
