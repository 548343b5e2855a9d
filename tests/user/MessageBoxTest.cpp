#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/RunLog.h"
#include "user/MessageBox.h"
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

}  // namespace
