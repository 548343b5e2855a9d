#include "UserFixture.h"
#include "platform/gdi/WindowArea.h"

namespace {

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST_F(UserTest, DefaultTopLevelWindowFillsTheScreenBelowTheBarAndCreateRunsBeforeTheHandleIsReturned) {
  HWND seenInCreate = nullptr;
  CREATESTRUCTW create{};
  handlers_[WM_CREATE] = [&](HWND hwnd, UINT, WPARAM, LPARAM lParam) -> LRESULT {
    seenInCreate = hwnd;
    create = *reinterpret_cast<CREATESTRUCTW*>(lParam);
    EXPECT_TRUE(IsWindow(hwnd));  // usable already, though the caller has no handle yet
    return 0;
  };
  HWND hwnd = Make(CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, WS_VISIBLE, nullptr, u"Radio");
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(seenInCreate, hwnd);
  EXPECT_EQ(create.x, CW_USEDEFAULT);
  EXPECT_EQ(std::u16string(create.lpszName), u"Radio");
  RECT r;
  ASSERT_TRUE(GetWindowRect(hwnd, &r));
  EXPECT_TRUE(SameRect(r, RECT{0, 26, 240, 320}));
  ASSERT_TRUE(GetClientRect(hwnd, &r));
  EXPECT_TRUE(SameRect(r, RECT{0, 0, 240, 294}));
  EXPECT_EQ(GetForegroundWindow(), hwnd);  // a visible top-level window comes to the front

  handlers_[WM_CREATE] = [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return -1; };
  EXPECT_EQ(Make(0, 0, 10, 10), nullptr);  // WM_CREATE refused it
  EXPECT_EQ(CreateWindowExW(0, u"NoSuchClass", u"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
}

TEST_F(UserTest, DestroyingAParentDestroysItsChildrenAndTheirHandlesStopWorking) {
  HWND parent = Make(10, 40, 200, 200);
  HWND child = Make(5, 6, 50, 60, WS_CHILD | WS_VISIBLE, parent);
  HWND grandchild = Make(1, 1, 10, 10, WS_CHILD | WS_VISIBLE, child);
  ASSERT_TRUE(parent && child && grandchild);
  RECT r;
  ASSERT_TRUE(GetWindowRect(child, &r));
  EXPECT_TRUE(SameRect(r, RECT{15, 46, 65, 106}));  // given in the parent's client coordinates
  EXPECT_EQ(GetParent(child), parent);
  // Moving the parent carries the children along.
  ASSERT_TRUE(MoveWindow(parent, 20, 40, 200, 200, FALSE));
  ASSERT_TRUE(GetWindowRect(grandchild, &r));
  EXPECT_TRUE(SameRect(r, RECT{26, 47, 36, 57}));

  seen_.clear();
  ASSERT_TRUE(DestroyWindow(parent));
  std::vector<HWND> destroyed;
  for (const Seen& s : SeenOf(WM_DESTROY)) destroyed.push_back(s.hwnd);
  EXPECT_EQ(destroyed, (std::vector<HWND>{parent, child, grandchild}));
  for (HWND gone : {parent, child, grandchild}) {
    EXPECT_FALSE(IsWindow(gone));
    SetLastError(0);
    EXPECT_FALSE(GetWindowRect(gone, &r));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_FALSE(PostMessageW(gone, WM_USER, 0, 0));
    EXPECT_EQ(SendMessageW(gone, WM_USER, 0, 0), 0);
    EXPECT_EQ(SetTimer(gone, 1, 100, nullptr), 0u);
    EXPECT_FALSE(ShowWindow(gone, SW_SHOW));
  }
  EXPECT_FALSE(DestroyWindow(parent));
  EXPECT_FALSE(IsWindow(reinterpret_cast<HWND>(0x1234)));
}

TEST_F(UserTest, CloseGoesThroughDefWindowProcToDestroyAndTheQuitCodeEndsTheLoop) {
  handlers_[WM_DESTROY] = [](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
    PostQuitMessage(7);
    return 0;
  };
  HWND hwnd = Make(CW_USEDEFAULT, 0, CW_USEDEFAULT, 0);
  ASSERT_TRUE(PostMessageW(hwnd, WM_CLOSE, 0, 0));
  MSG msg;
  int dispatched = 0;
  while (GetMessageW(&msg, nullptr, 0, 0)) {
    DispatchMessageW(&msg);
    ++dispatched;
  }
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_GE(dispatched, 1);
}

TEST_F(UserTest, WindowTextAndFindWindowByClassAndTitle) {
  HWND hwnd = Make(0, 30, 100, 100, WS_VISIBLE, nullptr, u"Ondrel");
  WCHAR buffer[4];
  EXPECT_EQ(GetWindowTextW(hwnd, buffer, 4), 3);  // cut to the buffer, terminated
  EXPECT_EQ(std::u16string(buffer), u"Ond");
  EXPECT_EQ(GetWindowTextLengthW(hwnd), 6);
  EXPECT_EQ(FindWindowW(u"testwindow", u"Ondrel"), hwnd);  // class names without regard to case
  EXPECT_EQ(FindWindowW(kClass, nullptr), hwnd);
  EXPECT_EQ(FindWindowW(kClass, u"ondrel"), nullptr);
  ASSERT_TRUE(SetWindowTextW(hwnd, u"Tuned"));
  EXPECT_EQ(FindWindowW(nullptr, u"Tuned"), hwnd);
  auto list = ce::ListWindows();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].title, u"Ondrel");
  EXPECT_EQ(list[0].text, u"Tuned");
}

// A class is named by its string or by the atom RegisterClassW returned;
// each refusal sets the error code that says what was wrong.
TEST_F(UserTest, ClassesAreFoundByAtomAndRefusalsSayWhy) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"AtomWindow";
  wc.style = CS_DBLCLKS;
  const ATOM atom = RegisterClassW(&wc);
  ASSERT_NE(atom, 0);
  wc.lpszClassName = u"ATOMWINDOW";
  SetLastError(0);
  EXPECT_EQ(RegisterClassW(&wc), 0);  // the name is taken, without regard to case
  EXPECT_EQ(GetLastError(), DWORD(ERROR_CLASS_ALREADY_EXISTS));

  WNDCLASSW info{};
  ASSERT_TRUE(GetClassInfoW(nullptr, MAKEINTATOM(atom), &info));
  EXPECT_EQ(info.style, UINT(CS_DBLCLKS));
  HWND hwnd = CreateWindowExW(0, MAKEINTATOM(atom), u"By atom", WS_VISIBLE, 0, 30, 50, 50, nullptr, nullptr,
                              nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  HWND other = Make(0, 30, 50, 50, WS_VISIBLE, nullptr, u"By atom");
  EXPECT_EQ(FindWindowW(MAKEINTATOM(atom), u"By atom"), hwnd);  // not the window of the other class
  EXPECT_EQ(FindWindowW(u"atomwindow", nullptr), hwnd);
  EXPECT_EQ(FindWindowW(MAKEINTATOM(atom + 1), nullptr), nullptr);

  SetLastError(0);
  EXPECT_EQ(CreateWindowExW(0, MAKEINTATOM(atom + 1), u"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_CANNOT_FIND_WND_CLASS));
  SetLastError(0);
  EXPECT_EQ(GetDlgItem(other, 42), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_CONTROL_ID_NOT_FOUND));
  SetLastError(0);
  EXPECT_EQ(GetWindowLongPtrW(other, 3), 0);  // not a slot of the window's extra bytes
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_INDEX));
  SetLastError(0);
  EXPECT_EQ(SetWindowLongPtrW(other, 64, 1), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_INDEX));
  DestroyWindow(hwnd);
  EXPECT_TRUE(UnregisterClassW(u"AtomWindow", nullptr));
}

TEST_F(UserTest, RectangleHelpersFollowThePlatformsEdges) {
  RECT r{10, 20, 30, 40};
  EXPECT_TRUE(PtInRect(&r, POINT{10, 20}));
  EXPECT_FALSE(PtInRect(&r, POINT{30, 20}));  // right and bottom edges are outside
  EXPECT_FALSE(PtInRect(&r, POINT{10, 40}));
  RECT out;
  RECT apart{30, 20, 50, 40};
  EXPECT_FALSE(IntersectRect(&out, &r, &apart));  // touching is not overlapping
  EXPECT_TRUE(IsRectEmpty(&out));
  RECT over{25, 35, 50, 60};
  EXPECT_TRUE(IntersectRect(&out, &r, &over));
  EXPECT_TRUE(SameRect(out, RECT{25, 35, 30, 40}));
  RECT empty{5, 5, 5, 9};
  EXPECT_TRUE(UnionRect(&out, &r, &empty));  // an empty rectangle adds nothing
  EXPECT_TRUE(SameRect(out, r));
  EXPECT_TRUE(InflateRect(&out, 2, -1));
  EXPECT_TRUE(SameRect(out, RECT{8, 21, 32, 39}));
  EXPECT_FALSE(PtInRect(nullptr, POINT{0, 0}));
}

TEST_F(UserTest, WindowAreaShowsWhatOtherWindowsAndTheBarLeaveVisible) {
  ce::SetScreenCovers({RECT{0, 0, 240, 26}});
  HWND below = Make(0, 10, 240, 200);
  HWND above = Make(100, 50, 50, 50);
  ce::WindowArea area = ce::WindowAreaOf(below);
  ASSERT_TRUE(area.alive);
  EXPECT_EQ(area.clientOrigin.x, 0);
  EXPECT_EQ(area.clientOrigin.y, 10);
  long pixels = 0;
  for (const RECT& v : area.visible) {
    pixels += (v.right - v.left) * (v.bottom - v.top);
    EXPECT_GE(v.top, 26);  // never over the bar
    RECT cut, cover{100, 50, 150, 100};
    EXPECT_FALSE(IntersectRect(&cut, &v, &cover));  // nor under the window in front
  }
  EXPECT_EQ(pixels, 240L * (210 - 26) - 50L * 50);
  ShowWindow(above, SW_HIDE);
  area = ce::WindowAreaOf(below);
  pixels = 0;
  for (const RECT& v : area.visible) pixels += (v.right - v.left) * (v.bottom - v.top);
  EXPECT_EQ(pixels, 240L * (210 - 26));
  EXPECT_TRUE(ce::WindowAreaOf(above).visible.empty());  // hidden: draws nowhere
  DestroyWindow(below);
  EXPECT_FALSE(ce::WindowAreaOf(below).alive);
  ce::SetScreenCovers({});
}

}  // namespace
