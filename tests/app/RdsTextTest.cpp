// The RDS text window on a test main window with a real edit control:
// the "Receiving" animation, showing and scrolling the text, the tick
// period's speed rule, hiding, and a long flow of text. Time is virtual.
#include <gtest/gtest.h>

#include <deque>
#include <string>

#include "RdsText.h"
#include "hardware/display/Panel.h"
#include "user/UserFixture.h"

namespace {

constexpr std::uint32_t kParentPixel = 0xC8C8C8;
constexpr RECT kTextArea{43, 26 + 147, 43 + 191, 26 + 147 + 113};  // on the screen

// The RDS text window with a device that has received text: each fetch
// leaves the next queued piece in the device (nothing once the queue is
// empty), after the device's own fetch has run.
class FedRdsText : public RdsText {
 public:
  using RdsText::RdsText;
  std::deque<std::u16string> pieces;
  bool steady = false;  // keep delivering the last piece

 protected:
  void FetchText() override {
    RdsText::FetchText();
    if (pieces.empty()) return;
    const std::u16string piece = pieces.front();
    if (!steady || pieces.size() > 1) pieces.pop_front();
    piece.copy(radio.rdsText, RDS_TEXT_CHARS - 1);
    radio.rdsText[std::min<std::size_t>(piece.size(), RDS_TEXT_CHARS - 1)] = 0;
  }
};

// Text of words, as programme text comes: "w0001 w0002 ...", length n.
std::u16string Words(std::size_t n, char16_t mark = u'w') {
  std::u16string text;
  for (int i = 1; text.size() < n; ++i) {
    std::u16string number = u"0000";
    for (int v = i, at = 3; at >= 0; --at, v /= 10) number[at] = static_cast<char16_t>(u'0' + v % 10);
    text += mark + number + u" ";
  }
  return text.substr(0, n);
}

class RdsTextTest : public UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    handlers_[WM_TIMER] = [this](HWND hwnd, UINT, WPARAM id, LPARAM) -> LRESULT {
      if (id == TIMER_RDS_TEXT) {
        rds_.UpdateRdsText(hwnd);
        tickPeriods_.push_back(rds_.period);
      }
      return 0;
    };
    handlers_[WM_PAINT] = [](HWND hwnd, UINT, WPARAM, LPARAM) -> LRESULT {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      HBRUSH brush = CreateSolidBrush(RGB(200, 200, 200));
      FillRect(dc, &ps.rcPaint, brush);
      DeleteObject(brush);
      EndPaint(hwnd, &ps);
      return 0;
    };
    main_ = Make(0, 26, 240, 294, WS_VISIBLE | WS_CLIPCHILDREN);
    edit_ = CreateWindowExW(0, u"EDIT", u"", WS_CHILD | ES_MULTILINE, 43, 147, 191, 113, main_, nullptr, nullptr,
                            nullptr);
    ASSERT_NE(edit_, nullptr);
    rds_.Attach(main_, edit_);
  }
  std::vector<Seen> Ticks() const {
    std::vector<Seen> ticks;
    for (const Seen& s : SeenOf(WM_TIMER))
      if (s.wParam == TIMER_RDS_TEXT) ticks.push_back(s);
    return ticks;
  }
  // Lets time run to the next TIMER_RDS_TEXT tick and handles it.
  void Tick(int count = 1) {
    for (int i = 0; i < count; ++i) {
      const std::size_t before = Ticks().size();
      PumpUntil([&] { return Ticks().size() > before; });
    }
    Drain();
  }
  // Lets ms of time pass, handling whatever comes meanwhile.
  void WaitMs(UINT ms) {
    constexpr UINT_PTR kWaitTimer = 99;
    SetTimer(main_, kWaitTimer, ms, nullptr);
    PumpUntil([&] {
      for (const Seen& s : SeenOf(WM_TIMER))
        if (s.wParam == kWaitTimer) return true;
      return false;
    });
    KillTimer(main_, kWaitTimer);
  }
  std::u16string Shown() const {
    std::u16string text(static_cast<std::size_t>(GetWindowTextLengthW(edit_)) + 1, u'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(edit_, text.data(), static_cast<int>(text.size()))));
    return text;
  }
  std::u16string Buffer() const { return std::u16string(rds_.buffer); }
  int DarkPixelsInTextArea() const {
    int dark = 0;
    for (LONG y = kTextArea.top; y < kTextArea.bottom; ++y)
      for (LONG x = kTextArea.left; x < kTextArea.right; ++x)
        dark += (panel().pixels()[y * hw::Panel::kWidth + x] & 0xFF) < 0x80;
    return dark;
  }

  RadioDevice radio_;
  FedRdsText rds_{radio_};
  HWND main_ = nullptr;
  HWND edit_ = nullptr;
  std::vector<int> tickPeriods_;
};

TEST_F(RdsTextTest, ShowingStartsTheTimerAndAnimatesReceivingWhileNothingArrives) {
  radio_.rdsCount = 900;
  rds_.ShowRdsText();
  EXPECT_EQ(radio_.rdsCount, 0u) << "RDS data reset";
  radio_.rdsText[0] = u'x';  // stale: the device's fetch replaces it
  EXPECT_TRUE(IsWindowVisible(edit_));
  EXPECT_EQ(Shown(), u"");

  const char16_t* expected[] = {u"Receiving",     u"Receiving.", u"Receiving..", u"Receiving...",
                                u"Receiving....", u"Receiving.....", u"Receiving"};
  for (const char16_t* line : expected) {
    Tick();
    EXPECT_EQ(Shown(), line);
  }
  const auto ticks = Ticks();
  ASSERT_EQ(ticks.size(), 7u);
  EXPECT_EQ(ticks[0].ms, 800u);
  for (std::size_t i = 1; i < ticks.size(); ++i) EXPECT_EQ(ticks[i].ms - ticks[i - 1].ms, 800u);
  EXPECT_EQ(Buffer(), u"") << "the device's own fetch brings nothing";

  Drain();
  EXPECT_GT(DarkPixelsInTextArea(), 10) << "the line is on the screen";

  // Hidden and shown again: the dots go on where they stopped.
  rds_.HideRdsText();
  rds_.ShowRdsText();
  Tick();
  EXPECT_EQ(Shown(), u"Receiving.");
}

TEST_F(RdsTextTest, ThreeHundredCharactersStillAnimateAndThreeHundredAndOneAreShown) {
  rds_.pieces = {Words(100), Words(100, u'v'), Words(100, u'u')};
  rds_.ShowRdsText();
  Tick(3);
  EXPECT_EQ(Buffer().size(), 300u);
  Tick(2);
  EXPECT_EQ(Shown(), u"Receiving....") << "exactly 300 characters do not show";
  EXPECT_EQ(Buffer().size(), 300u);

  rds_.pieces = {u"!"};
  Tick();
  EXPECT_EQ(Buffer().size(), 301u);
  EXPECT_EQ(Shown(), u"Receiving.....");
  Tick();
  // The window held the one-line animation, so nothing is dropped: all
  // 301 characters show.
  EXPECT_EQ(Shown(), Words(100) + Words(100, u'v') + Words(100, u'u') + u"!");
  EXPECT_TRUE(rds_.textShown);
  EXPECT_EQ(rds_.period, RDS_PERIOD_SHOWN) << "301 characters is short: back to 800 ms";
  Drain();
  EXPECT_GT(DarkPixelsInTextArea(), 500) << "several lines of text on the screen";
}

TEST_F(RdsTextTest, ShownTextScrollsUpOneDisplayedLinePerTick) {
  rds_.pieces = {Words(127), Words(127, u'v'), Words(127, u'u')};
  rds_.ShowRdsText();
  Tick(4);  // 381 characters gathered, shown at the fourth tick
  ASSERT_TRUE(rds_.textShown);
  std::u16string before = Shown();
  ASSERT_EQ(before.size(), 381u);
  for (int tick = 0; tick < 4; ++tick) {
    const LRESULT secondLine = SendMessageW(edit_, EM_LINEINDEX, 1, 0);
    ASSERT_GT(secondLine, 0);
    Tick();
    const std::u16string after = Shown();
    if (before.size() <= RDS_SHOW_LENGTH) {
      EXPECT_EQ(after, before) << "300 characters or fewer: left as it is";
    } else {
      EXPECT_EQ(after, before.substr(static_cast<std::size_t>(secondLine))) << "tick " << tick;
    }
    before = after;
  }
  EXPECT_LT(before.size(), 381u);
}

TEST_F(RdsTextTest, ThePeriodShrinksWhileTheTextGrowsAndReturnsTo800) {
  rds_.pieces = {Words(127)};
  rds_.steady = true;  // 127 characters a tick, more than one line scrolls away
  rds_.ShowRdsText();
  Tick(4);
  EXPECT_EQ(tickPeriods_.back(), 800) << "first trim: 381 characters, short";
  Tick(6);
  // From here each tick leaves more text than the last: 10 ms faster each.
  for (std::size_t i = 4; i < tickPeriods_.size(); ++i) EXPECT_EQ(tickPeriods_[i], tickPeriods_[i - 1] - 10);
  const auto ticks = Ticks();
  for (std::size_t i = 4; i < ticks.size(); ++i)
    EXPECT_EQ(ticks[i].ms - ticks[i - 1].ms, static_cast<std::uint64_t>(tickPeriods_[i - 1])) << "tick " << i;

  // The flow stops: the text shrinks a line a tick; the period stays
  // until fewer than 400 characters are left, then it is 800 again.
  // What the last tick appended still grows the text once more.
  rds_.pieces.clear();
  Tick();
  EXPECT_EQ(tickPeriods_.back(), tickPeriods_[tickPeriods_.size() - 2] - 10);
  const int fastest = tickPeriods_.back();
  while (Buffer().size() >= RDS_SLOW_LENGTH) {
    Tick();
    if (Buffer().size() >= RDS_SLOW_LENGTH) {
      EXPECT_EQ(tickPeriods_.back(), fastest);
    }
  }
  EXPECT_EQ(tickPeriods_.back(), 800);
  const std::uint64_t last = Ticks().back().ms;
  Tick();
  EXPECT_EQ(Ticks().back().ms - last, 800u);
}

TEST_F(RdsTextTest, AFirstTrimThatIsAlreadyLongTakesTenOffTheStartingPeriod) {
  rds_.pieces = {Words(100), Words(100, u'v'), Words(100, u'u'), Words(127, u't')};
  rds_.ShowRdsText();
  Tick(5);  // 427 characters at the fifth tick, nothing dropped
  EXPECT_EQ(Buffer().size(), 427u);
  EXPECT_EQ(rds_.period, 990);
  const std::uint64_t fifth = Ticks().back().ms;
  Tick();
  EXPECT_EQ(Ticks().back().ms - fifth, 990u);
}

TEST_F(RdsTextTest, HidingClearsTheWindowAndStopsTheTimer) {
  rds_.pieces = {Words(127), Words(127, u'v'), Words(127, u'u')};
  rds_.ShowRdsText();
  Tick(5);
  ASSERT_TRUE(rds_.textShown);
  rds_.HideRdsText();
  EXPECT_FALSE(IsWindowVisible(edit_));
  EXPECT_EQ(Shown(), u"");
  EXPECT_EQ(Buffer(), u"");
  EXPECT_FALSE(rds_.textShown);
  const std::size_t ticks = Ticks().size();
  WaitMs(5000);
  EXPECT_EQ(Ticks().size(), ticks) << "no more ticks while hidden";
  Drain();
  for (LONG y = kTextArea.top; y < kTextArea.bottom; ++y)
    for (LONG x = kTextArea.left; x < kTextArea.right; ++x)
      ASSERT_EQ(panel().pixels()[y * hw::Panel::kWidth + x], kParentPixel) << x << "," << y;
}

TEST_F(RdsTextTest, ALongFlowOfTextNeverOverrunsTheBuffer) {
  rds_.pieces = {std::u16string(127, u'x')};  // no spaces: long words break inside
  rds_.steady = true;
  rds_.ShowRdsText();
  std::size_t longest = 0;
  for (int tick = 0; tick < 120; ++tick) {
    Tick();
    ASSERT_EQ(rds_.buffer[RDS_BUFFER_CHARS - 1], 0);
    longest = std::max(longest, Buffer().size());
  }
  EXPECT_EQ(longest, static_cast<std::size_t>(RDS_BUFFER_CHARS - 1)) << "full, and cut to fit";
  EXPECT_EQ(tickPeriods_.back(), tickPeriods_[tickPeriods_.size() - 2]) << "a full buffer grows no more";
  // The user typed into the window: its second line now starts far past
  // the buffer's end. The trim stops at what the buffer holds.
  rds_.pieces.clear();
  SendMessageW(edit_, EM_SETSEL, 0, 0);
  SendMessageW(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>((std::u16string(3000, u' ') + u"\r\n").c_str()));
  ASSERT_GT(SendMessageW(edit_, EM_LINEINDEX, 1, 0), RDS_BUFFER_CHARS);
  Tick();
  EXPECT_EQ(Buffer(), u"");
  EXPECT_EQ(Shown(), u"");
  EXPECT_EQ(rds_.period, 800);
}

TEST_F(RdsTextTest, WithoutAWindowTheTimerStillRuns) {
  rds_.Attach(main_, nullptr);
  rds_.pieces = {Words(127)};
  rds_.steady = true;
  rds_.ShowRdsText();
  Tick(6);
  EXPECT_EQ(Ticks().size(), 6u);
  EXPECT_FALSE(IsWindowVisible(edit_));
  EXPECT_EQ(Shown(), u"");
  rds_.HideRdsText();
  const std::size_t ticks = Ticks().size();
  WaitMs(5000);
  EXPECT_EQ(Ticks().size(), ticks);
}

}  // namespace
