#include "UserFixture.h"
#include "commctrl.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

class ControlsTest : public UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    parent_ = Make(0, 26, 240, 294, WS_VISIBLE, nullptr, u"Controls");
  }

  HWND Control(const char16_t* cls, const char16_t* text, int id, DWORD style, int x, int y, int w, int h) {
    return CreateWindowExW(0, cls, text, style | WS_CHILD, x, y, w, h, parent_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  }

  static COLORREF ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return colour;
  }

  std::vector<int> Clicked() const {
    std::vector<int> ids;
    for (const Seen& s : SeenOf(WM_COMMAND))
      if (HIWORD(s.wParam) == BN_CLICKED) ids.push_back(LOWORD(s.wParam));
    return ids;
  }

  HWND parent_ = nullptr;
};

// The group begun by A runs to the frame that starts the next group; it
// holds the hidden B.
TEST_F(ControlsTest, AutomaticRadioButtonsCheckOneOfTheirGroupHiddenMembersIncluded) {
  HWND a = Control(u"BUTTON", u"A", 1, BS_AUTORADIOBUTTON | WS_VISIBLE | WS_GROUP, 10, 10, 100, 16);
  HWND b = Control(u"BUTTON", u"B", 2, BS_AUTORADIOBUTTON, 10, 30, 100, 16);
  HWND c = Control(u"BUTTON", u"C", 3, BS_AUTORADIOBUTTON | WS_VISIBLE, 10, 50, 100, 16);
  Control(u"BUTTON", u"Frame", 4, BS_GROUPBOX | WS_VISIBLE | WS_GROUP, 5, 100, 200, 60);
  HWND d = Control(u"BUTTON", u"D", 5, BS_AUTORADIOBUTTON | WS_VISIBLE, 10, 120, 100, 16);
  HWND off = Control(u"BUTTON", u"Off", 6, BS_AUTORADIOBUTTON | WS_VISIBLE | WS_DISABLED, 10, 140, 100, 16);
  ASSERT_TRUE(a && b && c && d && off);

  SendMessageW(b, BM_SETCHECK, BST_CHECKED, 0);
  SendMessageW(d, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(IsDlgButtonChecked(parent_, 2), UINT(BST_CHECKED));
  SendMessageW(c, BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessageW(c, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(b, BM_GETCHECK, 0, 0), BST_UNCHECKED) << "the hidden member is in the group";
  EXPECT_EQ(SendMessageW(d, BM_GETCHECK, 0, 0), BST_CHECKED) << "another group";
  EXPECT_EQ(Clicked(), std::vector<int>{3});

  Drain();
  Tap(20, 26 + 15);  // on A
  EXPECT_EQ(IsDlgButtonChecked(parent_, 1), UINT(BST_CHECKED));
  EXPECT_EQ(IsDlgButtonChecked(parent_, 3), UINT(BST_UNCHECKED));
  EXPECT_EQ(Clicked(), (std::vector<int>{3, 1}));

  Tap(20, 26 + 145);  // on the disabled one: nothing
  EXPECT_EQ(IsDlgButtonChecked(parent_, 6), UINT(BST_UNCHECKED));
  EXPECT_EQ(Clicked().size(), 2u);

  // A pen that slides off before it lifts does not click.
  input().PenDown(20, 26 + 55);
  input().PenMove(200, 26 + 250);
  input().PenUp(200, 26 + 250);
  Drain();
  EXPECT_EQ(IsDlgButtonChecked(parent_, 3), UINT(BST_UNCHECKED));

  EXPECT_TRUE(CheckRadioButton(parent_, 1, 3, 2));
  EXPECT_EQ(IsDlgButtonChecked(parent_, 1), UINT(BST_UNCHECKED));
  EXPECT_EQ(IsDlgButtonChecked(parent_, 2), UINT(BST_CHECKED));
  EXPECT_EQ(IsDlgButtonChecked(parent_, 5), UINT(BST_CHECKED));
}

TEST_F(ControlsTest, CheckBoxesToggleAndPushButtonsOnlyClick) {
  HWND box = Control(u"BUTTON", u"Mono", 7, BS_AUTOCHECKBOX | WS_VISIBLE, 10, 10, 100, 16);
  HWND push = Control(u"BUTTON", u"Go", 8, BS_PUSHBUTTON | WS_VISIBLE, 10, 40, 60, 20);
  SendMessageW(box, BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
  SendMessageW(box, BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  SendMessageW(push, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(SendMessageW(push, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  Drain();
  Tap(30, 26 + 50);
  EXPECT_EQ(Clicked(), (std::vector<int>{7, 7, 8}));
  EXPECT_EQ(GetDlgCtrlID(push), 8);
  EXPECT_EQ(GetDlgCtrlID(parent_), 0);
}

TEST_F(ControlsTest, TheTrackbarKeepsItsPositionInItsRangeAndFollowsThePen) {
  HWND bar = Control(TRACKBAR_CLASSW, u"Slider1", 9, TBS_AUTOTICKS | WS_VISIBLE, 10, 10, 120, 24);
  SendMessageW(bar, TBM_SETRANGE, FALSE, MAKELONG(0, 3));
  SendMessageW(bar, TBM_SETPOS, TRUE, 7);
  EXPECT_EQ(SendMessageW(bar, TBM_GETPOS, 0, 0), 3);
  SendMessageW(bar, TBM_SETPOS, TRUE, -2);
  EXPECT_EQ(SendMessageW(bar, TBM_GETPOS, 0, 0), 0);
  SendMessageW(bar, TBM_SETRANGEMIN, FALSE, 1);
  EXPECT_EQ(SendMessageW(bar, TBM_GETPOS, 0, 0), 1) << "pulled along by the range";
  SendMessageW(bar, TBM_SETRANGEMAX, TRUE, 10);
  EXPECT_EQ(SendMessageW(bar, TBM_GETRANGEMIN, 0, 0), 1);
  EXPECT_EQ(SendMessageW(bar, TBM_GETRANGEMAX, 0, 0), 10);
  SendMessageW(bar, TBM_SETRANGE, FALSE, MAKELONG(0, 3));
  SendMessageW(bar, TBM_SETPOS, TRUE, 0);
  Drain();

  seen_.clear();
  input().PenDown(10 + 4, 26 + 12);
  input().PenMove(10 + 200, 26 + 12);  // past the end: the last position
  input().PenUp(10 + 200, 26 + 12);
  Drain();
  EXPECT_EQ(SendMessageW(bar, TBM_GETPOS, 0, 0), 3);
  const auto scrolls = SeenOf(WM_HSCROLL);
  ASSERT_EQ(scrolls.size(), 2u);
  EXPECT_EQ(LOWORD(scrolls[0].wParam), TB_THUMBTRACK);
  EXPECT_EQ(HIWORD(scrolls[0].wParam), 3);
  EXPECT_EQ(reinterpret_cast<HWND>(scrolls[0].lParam), bar);
  EXPECT_EQ(LOWORD(scrolls[1].wParam), TB_ENDTRACK);

  EnableWindow(bar, FALSE);
  seen_.clear();
  Tap(10 + 4, 26 + 12);
  EXPECT_EQ(SendMessageW(bar, TBM_GETPOS, 0, 0), 3) << "disabled: no pen";
  EXPECT_TRUE(SeenOf(WM_HSCROLL).empty());
}

TEST_F(ControlsTest, RadioMarksAndGroupFramesAreDrawnOnTheScreen) {
  // The frame first: later children lie in front of it.
  Control(u"BUTTON", u"Radio System", -1, BS_GROUPBOX | WS_VISIBLE | WS_GROUP, 5, 5, 200, 60);
  HWND on = Control(u"BUTTON", u"Europe", 1, BS_AUTORADIOBUTTON | WS_VISIBLE | WS_GROUP, 10, 20, 120, 16);
  HWND off = Control(u"BUTTON", u"Japan", 2, BS_AUTORADIOBUTTON | WS_VISIBLE, 10, 40, 120, 16);
  HWND grey = Control(u"BUTTON", u"Search Level", -1, BS_GROUPBOX | WS_VISIBLE | WS_DISABLED, 5, 80, 200, 40);
  SendMessageW(on, BM_SETCHECK, BST_CHECKED, 0);
  Drain();
  RECT r{};
  GetWindowRect(on, &r);
  // The mark is a 13-pixel circle at the left, centred in the height.
  const int cx = r.left + 6, cy = r.top + 8;
  EXPECT_EQ(ScreenPixel(cx, cy), kBlack) << "the checked dot";
  EXPECT_EQ(ScreenPixel(cx, r.top + 1), kBlack) << "the circle's top";
  GetWindowRect(off, &r);
  EXPECT_EQ(ScreenPixel(r.left + 6, r.top + 8), kWhite) << "no dot";
  EXPECT_EQ(ScreenPixel(r.left + 6, r.top + 1), kBlack) << "the circle's top";

  // The frame: left edge and bottom edge in ink, the inside paper.
  const int left = 5, top = 26 + 5;
  EXPECT_EQ(ScreenPixel(left, top + 30), kBlack);
  EXPECT_EQ(ScreenPixel(left + 100, top + 59), kBlack);
  EXPECT_EQ(ScreenPixel(left + 199, top + 59), kBlack);
  EXPECT_EQ(ScreenPixel(left + 150, top + 30), kWhite);
  GetWindowRect(grey, &r);
  EXPECT_EQ(ScreenPixel(r.left, r.top + 30), RGB(160, 160, 160)) << "disabled: grey";
}

TEST_F(ControlsTest, StaticsShowTheirTextWrappedAndFollowSetWindowText) {
  HWND text = Control(u"STATIC", u"Radio System :", -1, SS_LEFT | WS_VISIBLE, 10, 10, 60, 40);
  Drain();
  RECT r{};
  GetWindowRect(text, &r);
  auto inkedRows = [&] {
    int rows = 0;
    for (int y = r.top; y < r.bottom; ++y) {
      bool inked = false;
      for (int x = r.left; x < r.right; ++x) inked = inked || ScreenPixel(x, y) != kWhite;
      rows += inked;
    }
    return rows;
  };
  const int twoLines = inkedRows();
  EXPECT_GT(twoLines, 12) << "wrapped onto a second line";
  SetWindowTextW(text, u"FM");
  Drain();
  EXPECT_EQ(GetWindowTextLengthW(text), 2);
  EXPECT_GT(inkedRows(), 0);
  EXPECT_LT(inkedRows(), twoLines);
}

}  // namespace
