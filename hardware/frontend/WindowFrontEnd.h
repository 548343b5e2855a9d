// The window front end: the handheld's panel in a desktop window (SDL2),
// enlarged by a whole factor, in real time. The mouse is the pen; the
// arrow keys, Enter, Ctrl+A and Ctrl+Q are the device's keys; F5 pulls or
// inserts the card; closing the desktop window is the user closing the
// program. The window runs its own thread and presents the panel whenever
// its picture changes (black while the backlight is off).
#pragma once

#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <condition_variable>
#include <string>
#include <thread>
#include <vector>

#include "display/Panel.h"
#include "input/Input.h"

namespace hw {

struct FrontEndHooks {
  std::function<void()> onClose;       // the desktop window's close button
  std::function<void()> onCardToggle;  // F5
};

class WindowFrontEnd {
 public:
  // Opens the window. nullptr, with the reason in whyNot, where there is
  // no display to open it on. videoDriver picks SDL's driver (tests use
  // "offscreen"); by default the one that fits the desktop's display.
  static std::unique_ptr<WindowFrontEnd> Open(Panel& panel, InputDevice& input, int scale, FrontEndHooks hooks,
                                              std::string& whyNot, const char* videoDriver = nullptr);
  ~WindowFrontEnd();
  WindowFrontEnd(const WindowFrontEnd&) = delete;
  WindowFrontEnd& operator=(const WindowFrontEnd&) = delete;

  // Brings the desktop window to the front (another program asked for
  // the handheld's window). Safe from any thread.
  void Raise();
  // Presents now rather than at the next look at the panel (a change was
  // just drawn). Safe from any thread.
  void Refresh();

  // Frames presented so far, and the last one as the panel showed it.
  std::uint64_t FramesPresented() const { return frames_; }
  // Waits (real time, at most timeoutMs) until more than `seen` frames
  // were presented; returns the count.
  std::uint64_t WaitForFrames(std::uint64_t seen, int timeoutMs) const;
  std::vector<std::uint32_t> LastFrame() const;

 private:
  WindowFrontEnd(Panel& panel, InputDevice& input, int scale, FrontEndHooks hooks);
  void Run(const char* videoDriver, std::string& whyNot, std::promise<bool>* opened);
  void Present(void* renderer, void* texture);
  void Handle(const void* event);

  Panel& panel_;
  InputDevice& input_;
  const int scale_;
  FrontEndHooks hooks_;
  std::atomic<bool> stop_ = false;
  std::atomic<bool> raise_ = false;
  std::atomic<std::uint64_t> frames_ = 0;
  std::uint64_t shownFrame_ = ~std::uint64_t{0};
  bool penDown_ = false;
  mutable std::mutex frameMutex_;
  mutable std::condition_variable framePresented_;
  std::vector<std::uint32_t> lastFrame_;
  std::thread thread_;
};

}  // namespace hw
