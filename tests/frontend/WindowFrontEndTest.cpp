// The window front end on SDL's offscreen driver: it presents the panel,
// turns mouse clicks into pen events at panel coordinates, and reports the
// desktop window's close button. It runs in real time on its own thread,
// so the test waits for it (with generous limits) instead of timing it.
#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <vector>

#include "hardware/frontend/WindowFrontEnd.h"

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
  frames = frontEnd->FramesPresented();
  panel.SetBacklight(false);  // dark: presented black
  ASSERT_GT(frontEnd->WaitForFrames(frames, 10000), frames);
  EXPECT_EQ(frontEnd->LastFrame().at(5 * hw::Panel::kWidth + 7), 0u);

  // A click in the enlarged window is a pen tap at panel coordinates.
  PushMouse(SDL_MOUSEBUTTONDOWN, 100 * kScale + 1, 200 * kScale + 1);
  PushMouse(SDL_MOUSEBUTTONUP, 100 * kScale, 200 * kScale);
  frontEnd->LookAtEvents();  // offscreen, nothing else wakes the thread
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
  frontEnd->LookAtEvents();
  EXPECT_EQ(closed.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
  frontEnd.reset();
}

void PushKey(Uint32 type, SDL_Keycode key, bool repeat) {
  SDL_Event event{};
  event.type = type;
  event.key.keysym.sym = key;
  event.key.repeat = repeat ? 1 : 0;
  ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

// Counts what reaches the device, so a test can wait (a bounded wait) for
// the front end's thread to have handled the events pushed to it.
class EventCounter {
 public:
  explicit EventCounter(hw::InputDevice& input) : input_(input) {
    input.SetListener([this] {
      std::lock_guard lock(mutex_);
      ++count_;
      arrived_.notify_all();
    });
  }
  ~EventCounter() { input_.SetListener({}); }
  std::vector<hw::InputEvent> Take(std::size_t count) {
    {
      std::unique_lock lock(mutex_);
      arrived_.wait_for(lock, std::chrono::seconds(10), [&] { return count_ >= count; });
    }
    std::vector<hw::InputEvent> events;
    while (auto event = input_.Take()) events.push_back(*event);
    return events;
  }

 private:
  hw::InputDevice& input_;
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::size_t count_ = 0;
};

// The window made larger by its user: the picture grows by whole factors
// in its middle and the pen follows it, so a click lands on the panel
// pixel drawn under it and a click beside the picture lands nowhere (a
// drag that leaves the picture holds at its edge). The desktop's own key
// repeats do not reach the keypad, which repeats by itself.
TEST(WindowFrontEndTest, AResizedWindowScalesThePictureAndThePenFollowsIt) {
  hw::Panel panel;
  hw::InputDevice input;
  EventCounter counter(input);
  std::string whyNot;
  auto frontEnd = hw::WindowFrontEnd::Open(panel, input, kScale, {}, whyNot, "offscreen");
  ASSERT_NE(frontEnd, nullptr) << whyNot;
  std::uint64_t frames = frontEnd->WaitForFrames(0, 10000);
  frontEnd->Resize(1000, 700);
  ASSERT_GT(frontEnd->WaitForFrames(frames, 10000), frames) << "a new size draws the picture again";
  const hw::PanelPicture picture = frontEnd->Picture();
  EXPECT_EQ(picture.scale, 2);
  EXPECT_EQ(picture.x, (1000 - 480) / 2);
  EXPECT_EQ(picture.y, (700 - 640) / 2);

  PushMouse(SDL_MOUSEBUTTONDOWN, picture.x / 2, 300);  // beside the picture
  PushMouse(SDL_MOUSEBUTTONUP, picture.x / 2, 300);
  PushMouse(SDL_MOUSEBUTTONDOWN, picture.x + 2 * 100 + 1, picture.y + 2 * 200 + 1);
  PushMouse(SDL_MOUSEBUTTONUP, picture.x + 2 * 100, picture.y + 2 * 200);
  PushMouse(SDL_MOUSEBUTTONDOWN, picture.x, picture.y + 2 * 319 + 1);
  SDL_Event motion{};
  motion.type = SDL_MOUSEMOTION;
  motion.motion.x = picture.x - 50;
  motion.motion.y = picture.y + 10;
  ASSERT_EQ(SDL_PushEvent(&motion), 1);
  PushMouse(SDL_MOUSEBUTTONUP, picture.x - 50, picture.y + 10);
  PushKey(SDL_KEYDOWN, SDLK_RIGHT, false);
  PushKey(SDL_KEYDOWN, SDLK_RIGHT, true);
  PushKey(SDL_KEYDOWN, SDLK_RIGHT, true);
  PushKey(SDL_KEYUP, SDLK_RIGHT, false);
  frontEnd->LookAtEvents();

  using Kind = hw::InputEvent::Kind;
  const std::vector<hw::InputEvent> events = counter.Take(7);
  ASSERT_EQ(events.size(), 7u);
  EXPECT_EQ(events[0].kind, Kind::PenDown);
  EXPECT_EQ(events[0].x, 100);
  EXPECT_EQ(events[0].y, 200);
  EXPECT_EQ(events[1].kind, Kind::PenUp);
  EXPECT_EQ(events[2].kind, Kind::PenDown);
  EXPECT_EQ(events[2].x, 0);
  EXPECT_EQ(events[2].y, 319);
  EXPECT_EQ(events[3].kind, Kind::PenMove);
  EXPECT_EQ(events[3].x, 0);
  EXPECT_EQ(events[3].y, 5);
  EXPECT_EQ(events[4].kind, Kind::PenUp);
  EXPECT_EQ(events[5].kind, Kind::KeyDown);
  EXPECT_EQ(events[6].kind, Kind::KeyUp);
  frontEnd.reset();
  EXPECT_FALSE(input.Pending());
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
