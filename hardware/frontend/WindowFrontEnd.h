// The window front end: the handheld's panel in a desktop window (SDL2),
// in real time. The mouse is the pen; the arrow keys, Enter, Ctrl+A and
// Ctrl+Q are the device's keys (the keypad repeats a held key itself, so
// the desktop's own key repeat is not passed on); F5 pulls or inserts the
// card; closing the desktop window is the user closing the program.
//
// The window opens at --scale times the panel and may be resized: the
// picture then grows or shrinks by whole factors, centred, and the pen
// follows it (see PanelPicture). The front end runs its own thread, which
// sleeps until the desktop has an event for it or the panel changes, and
// presents only pictures that differ from the one on screen (black while
// the backlight is off). An idle radio therefore costs the front end
// nothing, and a change is on screen as soon as it is drawn.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "hardware/display/Panel.h"
#include "hardware/frontend/PanelPicture.h"
#include "hardware/input/Input.h"

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
  // Gives the desktop window a new size, as its user may by dragging its
  // edge. Safe from any thread.
  void Resize(int width, int height);
  // Has the thread look at SDL's event queue, for events pushed to it from
  // another thread. The desktop's display drivers wake the thread by
  // themselves; the offscreen driver has no way to, so its thread sleeps
  // until it is told. Safe from any thread.
  void LookAtEvents() { Wake(); }

  // Pictures presented so far, and the last one as the panel showed it.
  std::uint64_t FramesPresented() const { return frames_; }
  // Waits (real time, at most timeoutMs) until more than `seen` pictures
  // were presented; returns the count.
  std::uint64_t WaitForFrames(std::uint64_t seen, int timeoutMs) const;
  std::vector<std::uint32_t> LastFrame() const;
  // Where the picture sits in the window now, in the output's pixels
  // (more than the window's on a high-density display).
  PanelPicture Picture() const;

 private:
  WindowFrontEnd(Panel& panel, InputDevice& input, int scale, FrontEndHooks hooks, bool sdlWaitBlocks);
  void Run(const char* videoDriver, std::string& whyNot, std::promise<bool>* opened);
  void Wake();
  void WaitForWork();
  void TakeRequests(void* window);
  void PresentIfChanged(void* renderer, void* texture);
  void FitPicture(void* window, void* renderer);
  void Handle(const void* event);
  void HandlePen(const void* event);

  Panel& panel_;
  InputDevice& input_;
  const int scale_;
  FrontEndHooks hooks_;
  // SDL's own event wait sleeps (and our wake-up event ends it) on the
  // desktop's display drivers; elsewhere (offscreen) it would look every
  // millisecond, so the thread sleeps on wake_ instead, with no timeout:
  // nothing but this program puts events there.
  const bool sdlWaitBlocks_;
  std::atomic<bool> stop_ = false;
  std::atomic<bool> raise_ = false;
  std::atomic<bool> wakePending_ = false;
  std::mutex wakeMutex_;
  std::condition_variable wake_;
  std::atomic<std::uint64_t> frames_ = 0;
  std::uint64_t shownFrame_ = ~std::uint64_t{0};
  bool redraw_ = true;  // the window lost its picture (exposed, resized)
  bool penDown_ = false;
  mutable std::mutex frameMutex_;  // guards what follows
  mutable std::condition_variable framePresented_;
  std::vector<std::uint32_t> lastFrame_;
  PanelPicture picture_;            // in output pixels
  double outputPerWindowX_ = 1.0;   // output pixels per window point (high-density displays)
  double outputPerWindowY_ = 1.0;
  int resizeWidth_ = 0, resizeHeight_ = 0;  // a size asked for, 0 when none
  std::thread thread_;
};

}  // namespace hw
