// The window front end on SDL's offscreen driver: it presents the panel,
// turns mouse clicks into pen events at panel coordinates, and reports the
// desktop window's close button. It runs in real time on its own thread,
// so the test waits for it (with generous limits) instead of timing it.
#include <SDL.h>
#include <gtest/gtest.h>

#include <future>

#include "frontend/WindowFrontEnd.h"

// SDL keeps allocations of its own, made by the display libraries it loads
// and unloads at run time, which the leak checker cannot attribute (their
// frames show as unknown modules). The address checks stay on; our front
// end holds everything in RAII objects.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

namespace {

constexpr int kScale = 2;

void PushMouse(Uint32 type, int x, int y) {
  SDL_Event event{};
  event.type = type;
  event.button.button = SDL_BUTTON_LEFT;
  event.button.x = x;
  event.button.y = y;
  ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

TEST(WindowFrontEndTest, PresentsThePanelTakesAPenClickAndReportsClosing) {
  hw::Panel panel;
  hw::InputDevice input;
  std::promise<void> closed;
  std::promise<void> twoEvents;
  int events = 0;
  input.SetListener([&] {
    if (++events == 2) twoEvents.set_value();
  });
  std::string whyNot;
  auto frontEnd = hw::WindowFrontEnd::Open(panel, input, kScale, {[&] { closed.set_value(); }, nullptr}, whyNot,
                                           "offscreen");
  ASSERT_NE(frontEnd, nullptr) << whyNot;

  // Draws: a change of the panel is presented as it is.
  std::uint64_t frames = frontEnd->WaitForFrames(0, 10000);
  ASSERT_GE(frames, 1u);
  {
    std::lock_guard lock(panel.mutex());
    panel.pixels()[5 * hw::Panel::kWidth + 7] = 0x123456;
  }
  panel.MarkChanged();
  ASSERT_GT(frontEnd->WaitForFrames(frames, 10000), frames);
  EXPECT_EQ(frontEnd->LastFrame().at(5 * hw::Panel::kWidth + 7), 0x123456u);
  panel.SetBacklight(false);  // dark: presented black
  frames = frontEnd->FramesPresented();
  ASSERT_GT(frontEnd->WaitForFrames(frames, 10000), frames);
  EXPECT_EQ(frontEnd->LastFrame().at(5 * hw::Panel::kWidth + 7), 0u);

  // A click in the enlarged window is a pen tap at panel coordinates.
  PushMouse(SDL_MOUSEBUTTONDOWN, 100 * kScale + 1, 200 * kScale + 1);
  PushMouse(SDL_MOUSEBUTTONUP, 100 * kScale, 200 * kScale);
  ASSERT_EQ(twoEvents.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
  auto down = input.Take();
  auto up = input.Take();
  ASSERT_TRUE(down && up);
  EXPECT_EQ(down->kind, hw::InputEvent::Kind::PenDown);
  EXPECT_EQ(down->x, 100);
  EXPECT_EQ(down->y, 200);
  EXPECT_EQ(up->kind, hw::InputEvent::Kind::PenUp);

  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  EXPECT_EQ(closed.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
  frontEnd.reset();
}

TEST(WindowFrontEndTest, WithoutADisplayItSaysWhy) {
  hw::Panel panel;
  hw::InputDevice input;
  std::string whyNot;
  auto frontEnd = hw::WindowFrontEnd::Open(panel, input, 1, {}, whyNot, "no-such-driver");
  EXPECT_EQ(frontEnd, nullptr);
  EXPECT_NE(whyNot.find("display"), std::string::npos) << whyNot;
}

}  // namespace
