#include "DialogTemplates.h"
#include "UserFixture.h"
#include "aygshell.h"
#include "commctrl.h"
#include "platform/kernel/HandleTable.h"
#include "platform/kernel/ProgramLoader.h"
#include "platform/kernel/RunLog.h"
#include "TestResources.h"
#include "platform/shell/NavBar.h"
#include "platform/user/Dialog.h"
#include "tests/support/TestShots.h"

namespace {

constexpr int kIdText = 10, kIdEurope = 11, kIdJapan = 12, kIdOff = 13, kIdUsa = 14, kIdLevel = 20;

// A dialog like the radio's settings: a band group whose radio group also
// holds a hidden button, closed by a frame that starts the next group.
std::vector<std::uint8_t> SettingsLikeTemplate() {
  DialogTemplateBuilder b(WS_POPUP | WS_CAPTION, 144, 160, u"Setting");
  b.Item(u"STATIC", u"Choose the band", kIdText, SS_LEFT | WS_VISIBLE, 7, 90, 120, 10);
  b.Item(u"BUTTON", u"Europe (87.5-108 MHz)", kIdEurope, BS_AUTORADIOBUTTON | WS_VISIBLE | WS_GROUP | WS_TABSTOP, 12,
         22, 124, 10);
  b.Item(u"BUTTON", u"Off", kIdOff, BS_AUTORADIOBUTTON | WS_DISABLED, 87, 115, 27, 10);
  b.Item(u"BUTTON", u"Japan (76-91 MHz)", kIdJapan, BS_AUTORADIOBUTTON | WS_VISIBLE, 12, 42, 119, 10);
  b.Item(u"BUTTON", u"USA (88-108 MHz)", kIdUsa, BS_AUTORADIOBUTTON | WS_VISIBLE, 12, 62, 121, 10);
  b.Item(u"BUTTON", u"Radio System", -1, BS_GROUPBOX | WS_VISIBLE | WS_GROUP, 7, 7, 130, 78);
  b.Item(u"msctls_trackbar32", u"Slider1", kIdLevel, TBS_AUTOTICKS | WS_VISIBLE | WS_TABSTOP, 13, 110, 110, 15);
  return b.Bytes();
}

class DialogTest : public UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    current_ = this;
    owner_ = Make(0, 26, 240, 294, WS_VISIBLE, nullptr, u"Radio");
    Drain();
  }
  void TearDown() override {
    current_ = nullptr;
    UserTest::TearDown();
  }

  INT_PTR Run(const std::vector<std::uint8_t>& bytes, HWND owner, LPARAM param = 0) {
    return DialogBoxIndirectParamW(nullptr, AsTemplate(bytes), owner, &DialogTest::Proc, param);
  }

  static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogTest* self = current_;
    self->dialogSeen_.push_back(Seen{dialog, message, wParam, lParam, self->clock_->NowMs()});
    if (auto it = self->dialogHandlers_.find(message); it != self->dialogHandlers_.end())
      return it->second(dialog, message, wParam, lParam);
    return FALSE;
  }

  std::vector<Seen> DialogSeenOf(UINT message) const {
    std::vector<Seen> out;
    for (const Seen& s : dialogSeen_)
      if (s.message == message) out.push_back(s);
    return out;
  }

  // Ends the dialog with a result once it has run for some time.
  void EndAfter(UINT ms, INT_PTR result) {
    dialogHandlers_[WM_INITDIALOG] = [ms](HWND d, UINT, WPARAM, LPARAM) {
      SetTimer(d, 77, ms, nullptr);
      return INT_PTR(TRUE);
    };
    dialogHandlers_[WM_TIMER] = [result](HWND d, UINT, WPARAM id, LPARAM) {
      if (id == 77) EndDialog(d, result);
      return INT_PTR(TRUE);
    };
  }

  HWND owner_ = nullptr;
  std::vector<Seen> dialogSeen_;
  std::map<UINT, std::function<INT_PTR(HWND, UINT, WPARAM, LPARAM)>> dialogHandlers_;
  static inline DialogTest* current_ = nullptr;
};

TEST_F(DialogTest, MakesTheControlsOfTheTemplateInOrderAndInitialisesTheDialog) {
  std::vector<HWND> made;
  std::vector<int> ids;
  HWND focus = nullptr;
  dialogHandlers_[WM_INITDIALOG] = [&](HWND d, UINT, WPARAM wParam, LPARAM) {
    for (int id : {kIdText, kIdEurope, kIdOff, kIdJapan, kIdUsa, -1, kIdLevel}) {
      made.push_back(GetDlgItem(d, id));
      ids.push_back(GetDlgCtrlID(made.back()));
    }
    focus = reinterpret_cast<HWND>(wParam);
    EndDialog(d, 5);
    return INT_PTR(TRUE);
  };
  EXPECT_EQ(Run(SettingsLikeTemplate(), owner_, 0x1234), 5);

  ASSERT_FALSE(dialogSeen_.empty());
  const auto init = DialogSeenOf(WM_INITDIALOG);
  ASSERT_EQ(init.size(), 1u);
  EXPECT_EQ(init[0].lParam, 0x1234);
  EXPECT_EQ(focus, made[1]) << "the first visible, enabled tab stop";
  EXPECT_EQ(ids, (std::vector<int>{kIdText, kIdEurope, kIdOff, kIdJapan, kIdUsa, -1, kIdLevel}));
  // Handles grow with creation: template order.
  for (std::size_t i = 1; i < made.size(); ++i)
    EXPECT_LT(reinterpret_cast<std::uintptr_t>(made[i - 1]), reinterpret_cast<std::uintptr_t>(made[i]));
  EXPECT_FALSE(IsWindow(init[0].hwnd)) << "destroyed when it ended";
  EXPECT_EQ(DialogSeenOf(WM_COMMAND).size(), 0u);
}

TEST_F(DialogTest, PlacesControlsInDialogUnitsOfTheSystemFont) {
  const ce::DialogBaseUnits units = ce::BaseUnitsFor(8);
  EXPECT_EQ(units.y, ce::BaseUnitsFor(0).y);
  EXPECT_GE(units.x, 5);
  EXPECT_LE(units.x, 8);
  EXPECT_GE(units.y, 12);
  EXPECT_LE(units.y, 14);

  RECT dialogRect{}, europe{}, mapped{12, 22, 12 + 124, 22 + 10};
  bool visibleOff = true, enabledOff = true, visibleEurope = false;
  dialogHandlers_[WM_INITDIALOG] = [&](HWND d, UINT, WPARAM, LPARAM) {
    GetWindowRect(d, &dialogRect);
    GetWindowRect(GetDlgItem(d, kIdEurope), &europe);
    MapDialogRect(d, &mapped);
    visibleOff = IsWindowVisible(GetDlgItem(d, kIdOff));
    enabledOff = IsWindowEnabled(GetDlgItem(d, kIdOff));
    visibleEurope = GetWindowLongW(GetDlgItem(d, kIdEurope), GWL_STYLE) & WS_VISIBLE;
    EndDialog(d, 1);
    return INT_PTR(TRUE);
  };
  Run(SettingsLikeTemplate(), owner_);
  EXPECT_EQ(mapped.left, (12 * units.x + 2) / 4);
  EXPECT_EQ(mapped.top, (22 * units.y + 4) / 8);
  EXPECT_EQ(mapped.right, (136 * units.x + 2) / 4);
  EXPECT_EQ(mapped.bottom, (32 * units.y + 4) / 8);
  EXPECT_EQ(europe.left - dialogRect.left, mapped.left);
  EXPECT_EQ(europe.top - dialogRect.top, mapped.top);
  EXPECT_EQ(europe.right - europe.left, mapped.right - mapped.left);
  EXPECT_EQ(dialogRect.right - dialogRect.left, (144 * units.x + 2) / 4);
  EXPECT_FALSE(visibleOff);
  EXPECT_FALSE(enabledOff);
  EXPECT_TRUE(visibleEurope);
  RECT r{};
  EXPECT_FALSE(MapDialogRect(owner_, &r)) << "not a dialog";
}

TEST_F(DialogTest, RunsModallyWhileTheOwnersTimersFireThenGivesTheOwnerBack) {
  SetTimer(owner_, 3, 100, nullptr);
  bool ownerEnabledInside = true;
  HWND dialog = nullptr;
  HWND frontInside = nullptr;
  EndAfter(1000, 42);
  auto end = dialogHandlers_[WM_TIMER];
  dialogHandlers_[WM_TIMER] = [&, end](HWND d, UINT m, WPARAM w, LPARAM l) {
    dialog = d;
    ownerEnabledInside = IsWindowEnabled(owner_);
    frontInside = GetForegroundWindow();
    return end(d, m, w, l);
  };
  seen_.clear();
  const std::uint64_t start = clock_->NowMs();
  EXPECT_EQ(Run(SettingsLikeTemplate(), owner_), 42);
  EXPECT_EQ(clock_->NowMs() - start, 1000u);
  EXPECT_GE(SeenOf(WM_TIMER).size(), 9u) << "the owner's timer kept firing inside the dialog's loop";
  EXPECT_FALSE(ownerEnabledInside);
  EXPECT_EQ(frontInside, dialog);
  EXPECT_TRUE(IsWindowEnabled(owner_));
  EXPECT_EQ(GetForegroundWindow(), owner_);
  EXPECT_FALSE(IsWindow(dialog));
  seen_.clear();
  Drain();
  EXPECT_FALSE(SeenOf(WM_PAINT).empty()) << "the owner repaints what the dialog covered";
}

TEST_F(DialogTest, CloseAsksToCancelAndOnlyEndDialogEnds) {
  dialogHandlers_[WM_INITDIALOG] = [](HWND d, UINT, WPARAM, LPARAM) {
    PostMessageW(d, WM_CLOSE, 0, 0);
    SetTimer(d, 77, 500, nullptr);
    return INT_PTR(TRUE);
  };
  dialogHandlers_[WM_TIMER] = [](HWND d, UINT, WPARAM, LPARAM) {
    EndDialog(d, IDOK);
    return INT_PTR(TRUE);
  };
  EXPECT_EQ(Run(SettingsLikeTemplate(), owner_), IDOK);
  const auto commands = DialogSeenOf(WM_COMMAND);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(LOWORD(commands[0].wParam), IDCANCEL);
  EXPECT_FALSE(EndDialog(owner_, 1)) << "not a dialog";
}

TEST_F(DialogTest, RefusesMalformedTemplatesWithoutMakingAnything) {
  const std::size_t windowsBefore = ce::ListWindows().size();
  // Claims a second item that is not there; what follows the template in
  // memory never ends a string, so the read stops at the template limit.
  std::vector<std::uint8_t> loose(70 * 1024, 0x41);
  const std::vector<std::uint8_t> shortOne = DialogTemplateBuilder(WS_POPUP, 100, 100, u"Bad")
                                                 .Item(u"STATIC", u"x", 1, WS_VISIBLE, 0, 0, 10, 10)
                                                 .OverstateCount(1)
                                                 .Bytes();
  std::copy(shortOne.begin(), shortOne.end(), loose.begin());
  EXPECT_EQ(DialogBoxIndirectParamW(nullptr, AsTemplate(loose), owner_, &DialogTest::Proc, 0), -1);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_DATA));
  EXPECT_NE(ce::RunLogLines().back().find("dialog template refused"), std::string::npos);

  const auto unknown =
      DialogTemplateBuilder(WS_POPUP, 100, 100, u"Bad").Item(u"NOSUCHCLASS", u"", 1, WS_VISIBLE, 0, 0, 9, 9).Bytes();
  EXPECT_EQ(Run(unknown, owner_), -1);
  EXPECT_NE(ce::RunLogLines().back().find("NOSUCHCLASS"), std::string::npos);
  EXPECT_EQ(DialogBoxIndirectParamW(nullptr, nullptr, owner_, &DialogTest::Proc, 0), -1);

  EXPECT_TRUE(dialogSeen_.empty());
  EXPECT_EQ(ce::ListWindows().size(), windowsBefore);
  EXPECT_TRUE(IsWindowEnabled(owner_));
}

TEST_F(DialogTest, RunsATemplateFromAModulesResourcesAndShowsItsIcon) {
  std::string error;
  auto module = ce::Module::Load(RESOURCE_MODULE_PATH, ce::ModuleKind::Library, error);
  ASSERT_TRUE(module.has_value()) << error;
  HINSTANCE instance = module->Instance();
  HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(IDD_SETTINGS), RT_DIALOG);
  ASSERT_NE(found, nullptr);
  auto* dialogTemplate = static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(instance, found)));
  bool europeHidden = false, volumeThere = false;
  dialogHandlers_[WM_INITDIALOG] = [&](HWND d, UINT, WPARAM, LPARAM) {
    europeHidden = !IsWindowVisible(GetDlgItem(d, IDC_BAND));
    volumeThere = GetDlgItem(d, IDC_VOLUME) != nullptr;
    EndDialog(d, 9);
    return INT_PTR(TRUE);
  };
  EXPECT_EQ(DialogBoxIndirectParamW(instance, dialogTemplate, owner_, &DialogTest::Proc, 0), 9);
  EXPECT_TRUE(europeHidden);
  EXPECT_TRUE(volumeThere);

  // The icon of a STATIC with SS_ICON is drawn from the module.
  const auto withIcon =
      DialogTemplateBuilder(WS_POPUP, 100, 60, u"Icon").IconItem(IDI_APP, -1, SS_ICON | WS_VISIBLE, 4, 4, 20, 20).Bytes();
  int inked = -1;
  dialogHandlers_[WM_INITDIALOG] = [&](HWND d, UINT, WPARAM, LPARAM) {
    SetTimer(d, 77, 10, nullptr);
    return INT_PTR(TRUE);
  };
  dialogHandlers_[WM_TIMER] = [&](HWND d, UINT, WPARAM, LPARAM) {
    RECT r{};
    GetWindowRect(d, &r);
    HDC screen = GetDC(nullptr);
    inked = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) inked += GetPixel(screen, r.left + 6 + x, r.top + 6 + y) != RGB(255, 255, 255);
    ReleaseDC(nullptr, screen);
    EndDialog(d, 1);
    return INT_PTR(TRUE);
  };
  EXPECT_EQ(DialogBoxIndirectParamW(instance, AsTemplate(withIcon), owner_, &DialogTest::Proc, 0), 1);
  EXPECT_GT(inked, 50) << "the icon's picture, not blank paper";
}

// A program opens its dialogs from its resources as often as the user
// asks, and never frees what it found or the icons it showed: each open
// must cost no handle that outlives the dialog, or a long run grows.
TEST_F(DialogTest, DialogsOpenedAgainAndAgainLeaveEveryHandleTableLevel) {
  std::string error;
  auto module = ce::Module::Load(RESOURCE_MODULE_PATH, ce::ModuleKind::Library, error);
  ASSERT_TRUE(module.has_value()) << error;
  HINSTANCE instance = module->Instance();
  const auto withIcon =
      DialogTemplateBuilder(WS_POPUP, 100, 60, u"Icon").IconItem(IDI_APP, -1, SS_ICON | WS_VISIBLE, 4, 4, 20, 20).Bytes();
  dialogHandlers_[WM_INITDIALOG] = [&](HWND d, UINT, WPARAM, LPARAM) {
    SetTimer(d, 77, 10, nullptr);
    return INT_PTR(TRUE);
  };
  dialogHandlers_[WM_TIMER] = [&](HWND d, UINT, WPARAM, LPARAM) {
    EndDialog(d, 1);
    return INT_PTR(TRUE);
  };
  auto openBoth = [&] {
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(IDD_SETTINGS), RT_DIALOG);
    ASSERT_NE(found, nullptr);
    auto* settings = static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(instance, found)));
    EXPECT_EQ(DialogBoxIndirectParamW(instance, settings, owner_, &DialogTest::Proc, 0), 1);
    EXPECT_EQ(DialogBoxIndirectParamW(instance, AsTemplate(withIcon), owner_, &DialogTest::Proc, 0), 1);
  };
  ASSERT_NO_FATAL_FAILURE(openBoth());
  const auto afterOne = ce::LiveHandleCounts();
  for (int i = 0; i < 20; ++i) ASSERT_NO_FATAL_FAILURE(openBoth()) << "round " << i + 2;
  EXPECT_EQ(ce::LiveHandleCounts(), afterOne);
  EXPECT_GT(afterOne.at("windows"), 0u);  // the census sees the owner window

  // The same resource found again, and its icon loaded again, is the same handle.
  EXPECT_EQ(FindResourceW(instance, MAKEINTRESOURCEW(IDD_SETTINGS), RT_DIALOG),
            FindResourceW(instance, MAKEINTRESOURCEW(IDD_SETTINGS), RT_DIALOG));
  EXPECT_EQ(LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP)), LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP)));
}

TEST_F(DialogTest, AFullScreenDialogGetsOkInTheNavigationBar) {
  ce::ShowNavigationBar();
  RECT place{};
  int okCommands = 0;
  dialogHandlers_[WM_INITDIALOG] = [&](HWND d, UINT, WPARAM, LPARAM) {
    SHINITDLGINFO info{SHIDIM_FLAGS, d, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN};
    EXPECT_TRUE(SHInitDialog(&info));
    GetWindowRect(d, &place);
    SendDlgItemMessageW(d, kIdLevel, TBM_SETRANGE, FALSE, MAKELONG(0, 3));
    SendDlgItemMessageW(d, kIdLevel, TBM_SETPOS, TRUE, 2);
    CheckRadioButton(d, kIdEurope, kIdUsa, kIdJapan);
    SetTimer(d, 77, 100, nullptr);
    return INT_PTR(TRUE);
  };
  dialogHandlers_[WM_TIMER] = [&](HWND d, UINT, WPARAM, LPARAM) {
    KillTimer(d, 77);
    testsupport::SaveShot(*ce::Attached::Panel(), "dialog_setting.png");
    // A tap at the bar's right end, where "ok" is.
    input().PenDown(224, 13);
    input().PenUp(224, 13);
    return INT_PTR(TRUE);
  };
  dialogHandlers_[WM_COMMAND] = [&](HWND d, UINT, WPARAM w, LPARAM) {
    if (LOWORD(w) != IDOK) return INT_PTR(FALSE);
    ++okCommands;
    EndDialog(d, IsDlgButtonChecked(d, kIdJapan) == BST_CHECKED ? 2 : 0);
    return INT_PTR(TRUE);
  };
  EXPECT_EQ(Run(SettingsLikeTemplate(), owner_), 2);
  ce::HideNavigationBar();
  EXPECT_EQ(place.left, 0);
  EXPECT_EQ(place.top, ce::kNavigationBarHeight);
  EXPECT_EQ(place.right, 240);
  EXPECT_EQ(place.bottom, 320);
  EXPECT_EQ(okCommands, 1);
}

// A second start of a program brings its window forward while the window
// has a dialog open: the dialog keeps the foreground, so its "ok" stays in
// the navigation bar and the keys still reach it.
TEST_F(DialogTest, BringingTheOwnerForwardKeepsItsDialogActive) {
  ce::ShowNavigationBar();
  HWND other = Make(0, 26, 240, 294, WS_VISIBLE, nullptr, u"Other");
  HWND frontAfterRaise = nullptr;
  HWND dialog = nullptr;
  dialogHandlers_[WM_INITDIALOG] = [&](HWND d, UINT, WPARAM, LPARAM) {
    dialog = d;
    SHINITDLGINFO info{SHIDIM_FLAGS, d, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN};
    SHInitDialog(&info);
    SetTimer(d, 77, 100, nullptr);
    SetTimer(d, 78, 2000, nullptr);  // gives up if ok never comes
    return INT_PTR(TRUE);
  };
  dialogHandlers_[WM_TIMER] = [&](HWND d, UINT, WPARAM id, LPARAM) {
    KillTimer(d, id);
    if (id == 78) EndDialog(d, 0);
    if (id != 77) return INT_PTR(TRUE);
    SetForegroundWindow(other);
    SetForegroundWindow(reinterpret_cast<HWND>(reinterpret_cast<ULONG_PTR>(owner_) | 1));
    frontAfterRaise = GetForegroundWindow();
    input().PenDown(224, 13);
    input().PenUp(224, 13);
    return INT_PTR(TRUE);
  };
  dialogHandlers_[WM_COMMAND] = [](HWND d, UINT, WPARAM w, LPARAM) {
    if (LOWORD(w) == IDOK) EndDialog(d, 9);
    return INT_PTR(TRUE);
  };
  EXPECT_EQ(Run(SettingsLikeTemplate(), owner_), 9) << "ok in the navigation bar ended the dialog";
  ce::HideNavigationBar();
  EXPECT_EQ(frontAfterRaise, dialog);
  EXPECT_EQ(GetForegroundWindow(), owner_);
}

TEST_F(DialogTest, ReturnIsTheDialogsOk) {
  dialogHandlers_[WM_INITDIALOG] = [](HWND d, UINT, WPARAM, LPARAM) {
    SetTimer(d, 77, 10, nullptr);
    return INT_PTR(TRUE);
  };
  dialogHandlers_[WM_TIMER] = [this](HWND d, UINT, WPARAM, LPARAM) {
    KillTimer(d, 77);
    input().KeyDown(hw::KeyCode::Return);
    input().KeyUp(hw::KeyCode::Return);
    return INT_PTR(TRUE);
  };
  dialogHandlers_[WM_COMMAND] = [](HWND d, UINT, WPARAM w, LPARAM) {
    if (LOWORD(w) == IDOK) EndDialog(d, 7);
    return INT_PTR(TRUE);
  };
  EXPECT_EQ(Run(SettingsLikeTemplate(), owner_), 7);
}

}  // namespace
