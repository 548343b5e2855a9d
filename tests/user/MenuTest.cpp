#include <optional>
#include <string>

#include "UserFixture.h"
#include "MenuTestSupport.h"
#include "TestResources.h"
#include "platform/user/Menu.h"
#include "platform/user/PopupMenu.h"

namespace {

std::u16string TextOf(HMENU menu, UINT item, UINT flags) {
  WCHAR buffer[64];
  int n = GetMenuStringW(menu, item, buffer, 64, flags);
  return std::u16string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
}

// The test module's menu 102: a bar with one pop-up "Menu" holding
// "&About...", a separator, the pop-up "Audio" (with "Mono", checked) and
// "E&xit".
class MenuTest : public UserTest {
 protected:
  static HINSTANCE Instance() { return menutest::ResourceModule(); }
  static HMENU LoadTestMenu() { return LoadMenuW(Instance(), MAKEINTRESOURCEW(IDM_MENU)); }
};

TEST_F(MenuTest, LoadedMenuIsABarWhosePopupsAreSubMenus) {
  HMENU bar = LoadTestMenu();
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(GetMenuItemCount(bar), 1);
  EXPECT_EQ(TextOf(bar, 0, MF_BYPOSITION), u"Menu");
  EXPECT_EQ(GetMenuItemID(bar, 0), 0xFFFFFFFFu) << "a pop-up has no command";
  HMENU popup = GetSubMenu(bar, 0);
  ASSERT_NE(popup, nullptr);
  ASSERT_EQ(GetMenuItemCount(popup), 4);
  EXPECT_EQ(GetMenuItemID(popup, 0), UINT(IDM_ABOUT));
  EXPECT_EQ(GetMenuItemID(popup, 1), 0u);  // the separator
  EXPECT_EQ(GetMenuItemID(popup, 3), UINT(IDM_EXIT));
  EXPECT_EQ(GetSubMenu(popup, 0), nullptr);
  EXPECT_EQ(TextOf(popup, IDM_EXIT, MF_BYCOMMAND), u"E&xit");
  HMENU audio = GetSubMenu(popup, 2);
  ASSERT_NE(audio, nullptr);
  // Items by command are found in the sub-menus too.
  EXPECT_EQ(TextOf(bar, IDM_MONO, MF_BYCOMMAND), u"Mono");
  EXPECT_EQ(CheckMenuItem(bar, IDM_MONO, MF_BYCOMMAND | MF_UNCHECKED), DWORD(MF_CHECKED));
  EXPECT_EQ(CheckMenuItem(bar, IDM_MONO, MF_BYCOMMAND | MF_CHECKED), DWORD(MF_UNCHECKED));
  EXPECT_EQ(EnableMenuItem(popup, IDM_EXIT, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
  EXPECT_EQ(EnableMenuItem(popup, IDM_EXIT, MF_BYCOMMAND | MF_ENABLED), MF_GRAYED);
  EXPECT_EQ(EnableMenuItem(popup, 4242, MF_BYCOMMAND), -1);

  // A missing or unnamed menu resource.
  EXPECT_EQ(LoadMenuW(Instance(), MAKEINTRESOURCEW(999)), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_EQ(LoadMenuW(Instance(), nullptr), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));

  // DestroyMenu takes the sub-menus along.
  EXPECT_TRUE(DestroyMenu(bar));
  EXPECT_EQ(GetMenuItemCount(popup), -1);
  EXPECT_EQ(GetMenuItemCount(audio), -1);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

TEST_F(MenuTest, ItemsAreInsertedRemovedAndDeletedWhereTheCallerSays) {
  HMENU bar = LoadTestMenu();
  HMENU popup = GetSubMenu(bar, 0);
  // What the radio does while RDS data come in: "RDS" first in the pop-up.
  ASSERT_TRUE(InsertMenuW(popup, 0, MF_BYPOSITION, 40006, u"RDS"));
  EXPECT_EQ(GetMenuItemCount(popup), 5);
  EXPECT_EQ(GetMenuItemID(popup, 0), 40006u);
  EXPECT_EQ(GetMenuItemID(popup, 1), UINT(IDM_ABOUT));
  // ...and when they stop: removed by command, through the bar menu.
  ASSERT_TRUE(RemoveMenu(bar, 40006, MF_BYCOMMAND));
  EXPECT_EQ(GetMenuItemID(popup, 0), UINT(IDM_ABOUT));
  EXPECT_FALSE(RemoveMenu(bar, 40006, MF_BYCOMMAND)) << "already gone";
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));

  // By command, an insertion goes in front of that command in its menu.
  ASSERT_TRUE(InsertMenuW(bar, IDM_MONO, MF_BYCOMMAND | MF_GRAYED, 77, u"Stereo"));
  HMENU audio = GetSubMenu(popup, 2);
  EXPECT_EQ(GetMenuItemID(audio, 0), 77u);
  EXPECT_EQ(GetMenuItemID(audio, 1), UINT(IDM_MONO));
  ASSERT_TRUE(AppendMenuW(popup, MF_SEPARATOR, 0, nullptr));
  ASSERT_TRUE(InsertMenuW(popup, 1000, MF_BYPOSITION, 78, u"Last"));  // past the end: appended
  EXPECT_EQ(GetMenuItemID(popup, GetMenuItemCount(popup) - 1), 78u);

  // RemoveMenu leaves a pop-up alive; DeleteMenu destroys it.
  ASSERT_TRUE(RemoveMenu(popup, 2, MF_BYPOSITION));
  EXPECT_EQ(GetMenuItemCount(audio), 2);
  ASSERT_TRUE(InsertMenuW(popup, 2, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(audio), u"Audio"));
  ASSERT_TRUE(DeleteMenu(popup, 2, MF_BYPOSITION));
  EXPECT_EQ(GetMenuItemCount(audio), -1);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_TRUE(DestroyMenu(bar));
}

TEST_F(MenuTest, BadHandlesAndBadItemsAreRefusedAndChangeNothing) {
  HMENU bar = CreateMenu();
  HMENU popup = CreatePopupMenu();
  ASSERT_TRUE(AppendMenuW(popup, MF_STRING, 1, u"One"));
  ASSERT_TRUE(AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), u"Menu"));

  EXPECT_FALSE(AppendMenuW(popup, MF_STRING, 2, nullptr)) << "a string item needs its text";
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(AppendMenuW(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(bar), u"Loop")) << "a menu inside itself";
  EXPECT_FALSE(AppendMenuW(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), u"Self"));
  EXPECT_FALSE(AppendMenuW(popup, MF_POPUP, 0x1234, u"Bogus"));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(AppendMenuW(popup, 0x0004, 3, u"Bitmap"));  // MF_BITMAP
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_SUPPORTED));
  EXPECT_FALSE(InsertMenuW(popup, 99, MF_BYCOMMAND, 4, u"Before nothing"));
  EXPECT_EQ(GetMenuItemCount(popup), 1);

  // A truncated string is still terminated; a null buffer asks the length.
  WCHAR small[3] = {u'x', u'x', u'x'};
  EXPECT_EQ(GetMenuStringW(popup, 1, small, 3, MF_BYCOMMAND), 2);
  EXPECT_EQ(std::u16string(small), u"On");
  EXPECT_EQ(GetMenuStringW(popup, 1, nullptr, 0, MF_BYCOMMAND), 3);

  // Destroyed and bogus handles fail everywhere, and never reach another menu.
  ASSERT_TRUE(DestroyMenu(bar));
  for (HMENU stale : {bar, popup, reinterpret_cast<HMENU>(0x77)}) {
    SetLastError(0);
    EXPECT_FALSE(DestroyMenu(stale));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    EXPECT_EQ(GetMenuItemCount(stale), -1);
    EXPECT_EQ(GetSubMenu(stale, 0), nullptr);
    EXPECT_EQ(GetMenuItemID(stale, 0), 0xFFFFFFFFu);
    EXPECT_FALSE(InsertMenuW(stale, 0, MF_BYPOSITION, 5, u"x"));
    EXPECT_FALSE(RemoveMenu(stale, 0, MF_BYPOSITION));
    EXPECT_FALSE(DeleteMenu(stale, 0, MF_BYPOSITION));
    EXPECT_EQ(CheckMenuItem(stale, 1, MF_CHECKED), 0xFFFFFFFFu);
    EXPECT_EQ(GetMenuStringW(stale, 1, small, 3, MF_BYCOMMAND), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  }
  HMENU fresh = CreatePopupMenu();
  EXPECT_NE(fresh, popup) << "handles are never given out twice";
  DestroyMenu(fresh);
}

TEST(MenuText, MnemonicMarksAreNotShown) {
  EXPECT_EQ(ce::ShownMenuText(u"&About..."), u"About...");
  EXPECT_EQ(ce::ShownMenuText(u"E&xit"), u"Exit");
  EXPECT_EQ(ce::ShownMenuText(u"Rock && Roll"), u"Rock & Roll");
  EXPECT_EQ(ce::ShownMenuText(u"Trailing&"), u"Trailing");
}

// The pop-up menu on its own, opened upwards from (10, 200).
class PopupMenuTest : public UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    target_ = Make(0, 26, 240, 268);
    menu_ = CreatePopupMenu();
    AppendMenuW(menu_, MF_STRING, 11, u"&Setting");
    AppendMenuW(menu_, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu_, MF_STRING | MF_GRAYED, 12, u"Greyed");
    AppendMenuW(menu_, MF_STRING, 13, u"Exit");
  }
  void TearDown() override {
    DestroyMenu(menu_);
    UserTest::TearDown();
  }

  HWND Open() {
    ce::PopupMenuRequest request;
    request.menu = menu_;
    request.anchor = POINT{10, 200};
    request.owner = target_;
    request.commandTarget = target_;
    request.closed = [this] { ++closed_; };
    HWND popup = ce::OpenPopupMenu(std::move(request));
    Drain();
    if (popup) GetWindowRect(popup, &rect_);
    return popup;
  }
  // Screen y of the middle of the i-th row (rows of 22, separators of 7).
  LONG RowY(int row) const {
    const int tops[] = {2, 24, 31, 53};
    return rect_.top + tops[row] + 11;
  }
  std::vector<WPARAM> Commands() const {
    std::vector<WPARAM> ids;
    for (const Seen& s : SeenOf(WM_COMMAND)) ids.push_back(s.wParam);
    return ids;
  }

  HWND target_ = nullptr;
  HMENU menu_ = nullptr;
  RECT rect_{};
  int closed_ = 0;
};

TEST_F(PopupMenuTest, LiftingThePenOnACommandChoosesItAfterTheMenuCloses) {
  HWND popup = Open();
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(rect_.bottom, 200);
  EXPECT_EQ(rect_.left, 10);
  EXPECT_EQ(GetForegroundWindow(), target_) << "the menu does not take the foreground";
  // Down on one item, slide to another, lift there.
  input().PenDown(40, RowY(0));
  input().PenMove(40, RowY(3));
  input().PenUp(40, RowY(3));
  Drain();
  EXPECT_FALSE(IsWindow(popup));
  EXPECT_EQ(closed_, 1);
  EXPECT_EQ(Commands(), std::vector<WPARAM>{13});
  EXPECT_TRUE(SeenOf(WM_LBUTTONDOWN).empty()) << "the menu had the pen";
}

TEST_F(PopupMenuTest, GreyedItemsAndSeparatorsAreNotChosenAndATapOutsideCloses) {
  HWND popup = Open();
  Tap(40, RowY(2));  // greyed
  Tap(40, RowY(1));  // separator
  EXPECT_TRUE(IsWindow(popup));
  EXPECT_TRUE(Commands().empty());
  Tap(200, 60);  // outside: closes, and the tap is used up
  EXPECT_FALSE(IsWindow(popup));
  EXPECT_EQ(closed_, 1);
  EXPECT_TRUE(Commands().empty());
  EXPECT_TRUE(SeenOf(WM_LBUTTONDOWN).empty());
}

TEST_F(PopupMenuTest, KeysMoveTheHighlightAndChoose) {
  HWND popup = Open();
  input().KeyDown(hw::KeyCode::Down);  // Setting
  input().KeyDown(hw::KeyCode::Down);  // past the separator and greyed item: Exit
  input().KeyDown(hw::KeyCode::Return);
  Drain();
  EXPECT_FALSE(IsWindow(popup));
  EXPECT_EQ(Commands(), std::vector<WPARAM>{13});
  EXPECT_EQ(GetFocus(), target_) << "the focus comes back";
}

TEST_F(PopupMenuTest, TheMenuClosesWithItsOwnerAndOpensOnlyRealMenus) {
  HWND popup = Open();
  ASSERT_NE(popup, nullptr);
  DestroyWindow(target_);
  EXPECT_FALSE(IsWindow(popup));
  EXPECT_EQ(closed_, 1);
  EXPECT_EQ(GetCapture(), nullptr);

  ce::PopupMenuRequest bogus;
  bogus.menu = reinterpret_cast<HMENU>(0x99);
  EXPECT_EQ(ce::OpenPopupMenu(bogus), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  HMENU empty = CreatePopupMenu();
  bogus.menu = empty;
  EXPECT_EQ(ce::OpenPopupMenu(bogus), nullptr);
  DestroyMenu(empty);
}

}  // namespace
