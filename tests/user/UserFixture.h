// Windows on a virtual clock: each test gets fresh devices (a real-time
// clock where a fixture asks for one), and a window class whose procedure
// hands every message to the test; whatever the test leaves is destroyed.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/user/Desktop.h"
#include "tests/support/Devices.h"
#include "windows.h"

class UserTest : public ::testing::Test {
 public:
  struct Seen {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::uint64_t ms;
  };
  using Handler = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

 protected:
  static inline const char16_t* kClass = u"TestWindow";

  virtual hw::Clock::Mode ClockMode() const { return hw::Clock::Mode::Virtual; }

  void SetUp() override {
    devices_ = std::make_unique<TestDevices>(DeviceOptions{.clock = ClockMode()});
    clock_ = &devices_->clock;
    current_ = this;
    WNDCLASSW wc{};
    wc.lpfnWndProc = &UserTest::Proc;
    wc.lpszClassName = kClass;
    ASSERT_NE(RegisterClassW(&wc), 0);
  }

  void TearDown() override {
    ce::DestroyThreadWindows();
    UnregisterClassW(kClass, nullptr);
    devices_.reset();
    clock_ = nullptr;
    current_ = nullptr;
  }

  HWND Make(int x, int y, int w, int h, DWORD style = WS_VISIBLE, HWND parent = nullptr, const char16_t* title = u"") {
    return CreateWindowExW(0, kClass, title, style, x, y, w, h, parent, nullptr, nullptr, nullptr);
  }

  // Runs the message loop until the predicate holds (checked after each
  // dispatched message).
  void PumpUntil(const std::function<bool()>& done) {
    MSG msg;
    while (!done() && GetMessageW(&msg, nullptr, 0, 0)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  // Dispatches what is there now, without letting time pass.
  void Drain() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }

  // Taps a screen point with the pen and lets the messages run.
  void Tap(int x, int y) {
    input().PenDown(x, y);
    input().PenUp(x, y);
    Drain();
  }

  std::vector<Seen> SeenOf(UINT message) const {
    std::vector<Seen> out;
    for (const Seen& s : seen_)
      if (s.message == message) out.push_back(s);
    return out;
  }

  hw::InputDevice& input() const { return devices_->input; }
  hw::Panel& panel() const { return devices_->panel; }

  std::unique_ptr<TestDevices> devices_;
  hw::Clock* clock_ = nullptr;
  std::vector<Seen> seen_;
  std::map<UINT, Handler> handlers_;  // per message; otherwise DefWindowProcW

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    UserTest* self = current_;
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    self->seen_.push_back(Seen{hwnd, message, wParam, lParam, self->clock_->NowMs()});
    if (auto it = self->handlers_.find(message); it != self->handlers_.end())
      return it->second(hwnd, message, wParam, lParam);
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }

  static inline UserTest* current_ = nullptr;
};
