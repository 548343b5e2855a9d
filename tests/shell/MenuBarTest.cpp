#include <optional>

#include "aygshell.h"
#include "platform/shell/MenuBar.h"
#include "tests/support/TestShots.h"
#include "user/MenuTestSupport.h"
#include "user/TestResources.h"
#include "user/UserFixture.h"

namespace {

using menutest::CountInk;
using menutest::CountPixels;

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kPressedBlue = 0x102860;

std::optional<RECT> WindowOfClass(std::u16string_view name) {
  for (const ce::WindowInfo& w : ce::ListWindows())
    if (w.className == name) return w.rect;
  return std::nullopt;
}

// A program window like the radio's, with the bar its creation makes from
// the test module's menu 102 (one pop-up "Menu": About, separator, Audio,
// Exit).
class MenuBarTest : public UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    HDC dc = GetDC(nullptr);
    RECT all{0, 0, 240, 320};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ReleaseDC(nullptr, dc);
    window_ = Make(CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT);
  }

  SHMENUBARINFO Info(DWORD flags) const {
    SHMENUBARINFO info{};
    info.cbSize = 36;  // as the handheld's programs fill it in
    info.hwndParent = window_;
    info.dwFlags = flags;
    info.nToolBarId = IDM_MENU;
    info.hInstRes = menutest::ResourceModule();
    return info;
  }

  HWND CreateBar() {
    SHMENUBARINFO info = Info(SHCMBF_HMENU);
    EXPECT_TRUE(SHCreateMenuBar(&info));
    // The program then gives the bar its rows.
    RECT r;
    GetWindowRect(window_, &r);
    MoveWindow(window_, r.left, r.top, r.right - r.left, r.bottom - r.top - ce::kMenuBarHeight, FALSE);
    Drain();
    return info.hwndMB;
  }

  std::vector<WPARAM> Commands() const {
    std::vector<WPARAM> ids;
    for (const Seen& s : SeenOf(WM_COMMAND))
      if (s.hwnd == window_) ids.push_back(s.wParam);
    return ids;
  }

  HWND window_ = nullptr;
};

TEST_F(MenuBarTest, BarLiesAlongTheBottomAndHandsOutItsMenu) {
  HWND bar = CreateBar();
  ASSERT_NE(bar, nullptr);
  RECT r;
  GetWindowRect(bar, &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 294);
  EXPECT_EQ(r.right, 240);
  EXPECT_EQ(r.bottom, 320);
  GetWindowRect(window_, &r);
  EXPECT_EQ(r.bottom, 294);
  EXPECT_EQ(GetForegroundWindow(), window_) << "the bar never takes the foreground";
  EXPECT_EQ(WindowFromPoint(POINT{100, 300}), bar);

  auto menu = reinterpret_cast<HMENU>(SendMessageW(bar, SHCMBM_GETMENU, 0, 0));
  ASSERT_NE(menu, nullptr);
  HMENU popup = GetSubMenu(menu, 0);
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(GetMenuItemID(popup, 0), UINT(IDM_ABOUT));

  // The bar goes with DestroyWindow, and takes its menu along.
  EXPECT_TRUE(DestroyWindow(bar));
  EXPECT_EQ(GetMenuItemCount(popup), -1);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

TEST_F(MenuBarTest, TappingMenuOpensItsPopupAboveTheBarAndAnItemReachesTheParent) {
  HWND bar = CreateBar();
  // The "Menu" button at the left of the bar, drawn in black.
  EXPECT_GT(CountInk(RECT{0, 296, 56, 320}), 20);
  Tap(20, 307);
  std::optional<RECT> open = WindowOfClass(u"PopupMenu");
  ASSERT_TRUE(open);
  EXPECT_EQ(open->bottom, 294);
  EXPECT_EQ(open->left, 0);
  EXPECT_GT(open->top, 26);
  // White, framed in black, with its items' text; the button shows pressed.
  EXPECT_GT(CountPixels(*open, kWhite), (open->right - open->left) * (open->bottom - open->top) / 2);
  EXPECT_EQ(CountPixels(RECT{open->left, open->top, open->right, open->top + 1}, kBlack), open->right - open->left);
  EXPECT_GT(CountInk(RECT{open->left + 4, open->top + 2, open->right - 4, open->top + 24}), 20)
      << "the first item's text";
  EXPECT_GT(CountPixels(RECT{0, 295, 56, 320}, kPressedBlue), 200);
  testsupport::SaveShot(*ce::Attached::Panel(), "menu_popup.png");

  // "Exit" is the last row, just above the bar.
  Tap(30, 294 - 14);
  EXPECT_FALSE(WindowOfClass(u"PopupMenu"));
  EXPECT_EQ(Commands(), std::vector<WPARAM>{IDM_EXIT});
  EXPECT_EQ(SeenOf(WM_COMMAND).back().lParam, 0);
  EXPECT_EQ(CountPixels(RECT{0, 295, 56, 320}, kPressedBlue), 0) << "the button is up again";
  EXPECT_TRUE(IsWindow(bar));
}

TEST_F(MenuBarTest, ATapOutsideClosesThePopupAndAnInsertedItemComesFirstNextTime) {
  HWND bar = CreateBar();
  Tap(20, 307);
  ASSERT_TRUE(WindowOfClass(u"PopupMenu"));
  Tap(200, 100);
  EXPECT_FALSE(WindowOfClass(u"PopupMenu"));
  EXPECT_TRUE(Commands().empty());
  EXPECT_TRUE(SeenOf(WM_LBUTTONDOWN).empty()) << "the closing tap is used up";

  auto menu = reinterpret_cast<HMENU>(SendMessageW(bar, SHCMBM_GETMENU, 0, 0));
  ASSERT_TRUE(InsertMenuW(GetSubMenu(menu, 0), 0, MF_BYPOSITION, 40006, u"RDS"));
  Tap(20, 307);
  std::optional<RECT> open = WindowOfClass(u"PopupMenu");
  ASSERT_TRUE(open);
  testsupport::SaveShot(*ce::Attached::Panel(), "menu_popup_rds.png");
  Tap(30, open->top + 13);
  EXPECT_EQ(Commands(), std::vector<WPARAM>{40006});

  // Removed again, the first item is "About" once more.
  ASSERT_TRUE(RemoveMenu(menu, 40006, MF_BYCOMMAND));
  Tap(20, 307);
  open = WindowOfClass(u"PopupMenu");
  ASSERT_TRUE(open);
  Tap(30, open->top + 13);
  EXPECT_EQ(Commands(), (std::vector<WPARAM>{40006, IDM_ABOUT}));
}

TEST_F(MenuBarTest, EmptyBarShowsNothingAndGoesWithItsParent) {
  SHMENUBARINFO info = Info(SHCMBF_EMPTYBAR);
  info.nToolBarId = 0;
  ASSERT_TRUE(SHCreateMenuBar(&info));
  HWND bar = info.hwndMB;
  ASSERT_NE(bar, nullptr);
  Drain();
  EXPECT_EQ(SendMessageW(bar, SHCMBM_GETMENU, 0, 0), 0);
  EXPECT_EQ(CountInk(RECT{0, 296, 240, 320}), 0);
  Tap(20, 307);
  EXPECT_FALSE(WindowOfClass(u"PopupMenu"));
  EXPECT_TRUE(Commands().empty());
  DestroyWindow(window_);
  EXPECT_FALSE(IsWindow(bar));
}

TEST_F(MenuBarTest, BadRecordsAreRefusedWithoutABar) {
  EXPECT_FALSE(SHCreateMenuBar(nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  SHMENUBARINFO info = Info(SHCMBF_HMENU);
  info.cbSize = 40;
  EXPECT_FALSE(SHCreateMenuBar(&info));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  info.cbSize = sizeof(SHMENUBARINFO);  // this build's own size is fine too
  EXPECT_TRUE(SHCreateMenuBar(&info));
  EXPECT_TRUE(DestroyWindow(info.hwndMB));

  info = Info(SHCMBF_HMENU);
  info.nToolBarId = 999;
  EXPECT_FALSE(SHCreateMenuBar(&info));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_EQ(info.hwndMB, nullptr);
  info = Info(0);  // a toolbar resource
  EXPECT_FALSE(SHCreateMenuBar(&info));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_SUPPORTED));
  info = Info(SHCMBF_HMENU);
  info.hwndParent = reinterpret_cast<HWND>(0x4444);
  EXPECT_FALSE(SHCreateMenuBar(&info));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_FALSE(WindowOfClass(u"MenuBar"));

  SHACTIVATEINFO activation{};
  EXPECT_TRUE(SHHandleWMSettingChange(window_, 0, 0, &activation));
  EXPECT_TRUE(SHHandleWMSettingChange(window_, 0, 0, nullptr));
}

}  // namespace
