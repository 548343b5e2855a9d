#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MenuTestSupport.h"
#include "UserFixture.h"
#include "platform/kernel/RunLog.h"
#include "platform/user/MessageBox.h"
#include "windows.h"

namespace {

class MessageBoxTest : public ::testing::Test {
 protected:
  void SetUp() override { ce::ClearRunLog(); }
  void TearDown() override { ce::SetMessageBoxPresenter({}); }

  // Shows a box headless and returns the answer and what went to stderr.
  static std::pair<int, std::string> Show(LPCWSTR text, LPCWSTR caption, UINT type = MB_OK) {
    ::testing::internal::CaptureStderr();
    int answer = MessageBoxW(nullptr, text, caption, type);
    return {answer, ::testing::internal::GetCapturedStderr()};
  }
};

TEST_F(MessageBoxTest, HeadlessBoxGoesToStandardErrorAndTheLogAndIsAnsweredWithTheDefaultButton) {
  auto [answer, err] = Show(u"It's not a bitmap", u"Error", MB_OK | MB_ICONERROR);
  EXPECT_EQ(answer, IDOK);
  EXPECT_EQ(err, "Error: It's not a bitmap\n");
  EXPECT_EQ(ce::RunLogLines(), (std::vector<std::string>{"Error: It's not a bitmap"}));

  EXPECT_EQ(Show(u"?", u"Q", MB_OKCANCEL).first, IDOK);
  EXPECT_EQ(Show(u"?", u"Q", MB_YESNO | MB_ICONQUESTION).first, IDYES);
  EXPECT_EQ(Show(u"?", u"Q", MB_YESNO | 0x100).first, IDNO);     // second button is the default
  EXPECT_EQ(Show(u"?", u"Q", MB_OKCANCEL | 0x200).first, IDOK);  // no third button: the first
}

TEST_F(MessageBoxTest, BoxIsOneUtf8LineWhateverTheTextAndCaption) {
  // Two lines of text with a non-ASCII dash.
  EXPECT_EQ(Show(u"87,5 MHz \u2013\r\nzu niedrig", u"Tuner").second, "Tuner: 87,5 MHz \xE2\x80\x93 zu niedrig\n");
  EXPECT_EQ(ce::RunLogLines().back(), "Tuner: 87,5 MHz \xE2\x80\x93 zu niedrig");
  EXPECT_EQ(Show(u"Card removed", nullptr).second, "Error: Card removed\n");  // the default caption
  EXPECT_EQ(Show(u"Card removed", u"").second, "Card removed\n");            // no caption, no colon
  EXPECT_EQ(Show(nullptr, u"Ondrel").second, "Ondrel: \n");
  auto [answer, err] = Show(nullptr, nullptr);
  EXPECT_EQ(answer, IDOK);
  EXPECT_EQ(err, "Error: \n");
}

TEST_F(MessageBoxTest, PresenterShowsTheBoxInsteadOfStandardError) {
  struct Call {
    HWND owner;
    std::u16string text, caption;
    UINT type;
  };
  std::vector<Call> calls;
  ce::SetMessageBoxPresenter([&calls](HWND owner, std::u16string_view text, std::u16string_view caption, UINT type) {
    calls.push_back({owner, std::u16string(text), std::u16string(caption), type});
    return IDCANCEL;
  });
  HWND owner = reinterpret_cast<HWND>(std::uintptr_t{0x40});
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxW(owner, u"Search again?", nullptr, MB_OKCANCEL), IDCANCEL);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].owner, owner);
  EXPECT_EQ(calls[0].text, u"Search again?");
  EXPECT_EQ(calls[0].caption, u"Error");
  EXPECT_EQ(calls[0].type, MB_OKCANCEL);
  // The run's log has it all the same.
  EXPECT_EQ(ce::RunLogLines(), (std::vector<std::string>{"Error: Search again?"}));

  // Without a presenter, back to headless.
  ce::SetMessageBoxPresenter({});
  EXPECT_EQ(Show(u"Done", u"Scan").second, "Scan: Done\n");
  EXPECT_EQ(calls.size(), 1u);
}

// With the window front end the box is drawn on the screen and waits for
// the user; the test plays the user from the loop's idle moments.
class OnScreenMessageBoxTest : public UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    ce::ClearRunLog();
    ce::SetMessageBoxPresenter(ce::ShowMessageBoxOnScreen);
  }
  void TearDown() override {
    ce::SetMessageBoxPresenter({});
    if (hook_) ce::RemoveIdleHook(hook_);
    UserTest::TearDown();
  }

  // Once the box is up: remembers where it is and what it shows, then
  // lets act() answer it.
  void WhenTheBoxIsUp(std::function<void(const RECT&)> act) {
    hook_ = ce::AddIdleHook([this, act] {
      if (answered_) return;
      for (const ce::WindowInfo& w : ce::ListWindows()) {
        if (w.className != u"MessageBox" || !w.visible) continue;
        answered_ = true;
        box_ = w.rect;
        inkInCaption_ = menutest::CountOnPanel(RECT{box_.left + 2, box_.top + 2, box_.right - 2, box_.top + 22},
                                               [](std::uint32_t p) { return (p & 0xC0C0C0) == 0xC0C0C0; });
        inkInBody_ = menutest::CountInk(RECT{box_.left + 2, box_.top + 24, box_.right - 2, box_.bottom - 2});
        act(box_);
        return;
      }
    });
  }

  int hook_ = 0;
  bool answered_ = false;
  RECT box_{};
  int inkInCaption_ = 0, inkInBody_ = 0;
};

TEST_F(OnScreenMessageBoxTest, BoxIsDrawnCentredAndATapOnOkAnswersIt) {
  HWND owner = Make(0, 26, 240, 294);
  WhenTheBoxIsUp([this](const RECT& box) {
    // The OK button: centred, in the bottom row of the box.
    const LONG x = (box.left + box.right) / 2, y = box.bottom - 20;
    input().PenDown(x, y);
    input().PenUp(x, y);
  });
  ::testing::internal::CaptureStderr();
  const int answer = MessageBoxW(owner, u"Cannot open \\Windows\\BK_U.bmp, the file is not a bitmap", u"Error", MB_OK);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(answer, IDOK);
  ASSERT_TRUE(answered_);
  EXPECT_EQ(box_.left + box_.right, 240) << "centred across";
  EXPECT_NEAR(box_.top + box_.bottom, 320, 1) << "and down";
  EXPECT_GT(inkInCaption_, 20) << "the caption in white (or near it, where smoothed) on the caption bar";
  EXPECT_GT(inkInBody_, 100) << "the text and the button";
  EXPECT_EQ(ce::RunLogLines().back(), "Error: Cannot open \\Windows\\BK_U.bmp, the file is not a bitmap");
  EXPECT_TRUE(IsWindowEnabled(owner)) << "the owner takes input again";
  EXPECT_TRUE(SeenOf(WM_LBUTTONDOWN).empty()) << "the box had the pen";
}

TEST_F(OnScreenMessageBoxTest, ReturnChoosesTheDefaultButtonAndTapsBesideTheButtonsDoNothing) {
  WhenTheBoxIsUp([this](const RECT& box) {
    input().PenDown(box.left + 5, box.top + 40);
    input().PenUp(box.left + 5, box.top + 40);
    input().PenDown(100, 300);
    input().PenUp(100, 300);
    input().KeyDown(hw::KeyCode::Return);
  });
  EXPECT_EQ(MessageBoxW(nullptr, u"Search again?", u"Scan", MB_YESNO | 0x100), IDNO);
  EXPECT_FALSE(SeenOf(WM_LBUTTONDOWN).size());
  for (const ce::WindowInfo& w : ce::ListWindows()) EXPECT_NE(w.className, u"MessageBox");
}

}  // namespace
