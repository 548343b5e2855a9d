// The window manager of this process: one lock around the windows, the
// classes, the message queues of the threads that own windows, the timers
// and the input state. Window procedures are always called with the lock
// released, so they may call anything; a window destroyed meanwhile simply
// no longer resolves.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>

#include "hardware/input/Input.h"
#include "platform/user/Doorbell.h"
#include "platform/user/InputRouter.h"
#include "platform/user/TimerTable.h"
#include "platform/user/WindowTree.h"

namespace ce {

// The messages of one thread.
struct MessageQueue {
  std::deque<MSG> posted;
  std::deque<MSG> input;  // pen and key messages already routed here
  bool quit = false;
  int quitCode = 0;
  bool woken = false;  // under the lock; the bell is rung after it is set
  Doorbell bell;
  MSG last{};  // the last message retrieved (GetMessagePos, GetMessageTime)
};

class WindowManager {
 public:
  static WindowManager& Instance();

  // Top-level windows made with CW_USEDEFAULT fill the screen below the
  // navigation bar.
  static constexpr int kNavigationBarHeight = 26;
  static constexpr RECT kDefaultArea{0, kNavigationBarHeight, 240, 320};

  std::unique_lock<std::mutex> Lock() { return std::unique_lock(mutex_); }

  // --- Under the lock -------------------------------------------------
  WindowTree& tree() { return tree_; }
  TimerTable& timers() { return timers_; }
  InputRouter& router() { return router_; }
  MessageQueue& QueueOf(std::thread::id thread);
  // The calling thread's queue, found once per thread: queues are never
  // dropped, and there is one window manager.
  MessageQueue& OwnQueue();
  void Wake(std::thread::id thread);
  void WakeAllLocked();
  // A window of the calling thread, or nullptr with the last error set to
  // ERROR_INVALID_WINDOW_HANDLE.
  WindowPtr Checked(HWND handle);

  std::shared_ptr<const WindowClass> FindClass(std::u16string_view name) const;
  std::shared_ptr<const WindowClass> FindClassByAtom(ATOM atom) const;
  ATOM AddClass(WindowClass cls);  // 0 when the name is taken
  bool RemoveClass(std::u16string_view name, HINSTANCE instance);

  // --- Without the lock -----------------------------------------------
  LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // The heart of GetMessageW (wait) and PeekMessageW. Waiting advances
  // the virtual clock to the next thing due when nothing is queued.
  // stop, when given, ends a wait with false.
  bool Retrieve(MSG& msg, HWND filter, UINT first, UINT last, bool remove, bool wait,
                const std::function<bool()>& stop = {});
  // Makes a top-level window the foreground window, in front of the
  // others, with WM_ACTIVATE to the one that loses and the one that gains.
  void Activate(HWND topLevel);
  bool Destroy(HWND window);

  void WakeAll();  // takes the lock

  // A number that changes whenever what the navigation bar shows of the
  // front window may have: which window is in front, a window's text, its
  // "ok" button. The bar looks at it at every idle moment.
  std::uint64_t FrontRevision() const { return frontRevision_.load(std::memory_order_acquire); }
  void FrontMayHaveChanged() { frontRevision_.fetch_add(1, std::memory_order_acq_rel); }

  // Called whenever a message loop is about to wait (the navigation bar
  // redraws itself from here, a script takes its next step).
  int AddIdleHook(std::function<void()> hook);
  void RemoveIdleHook(int id);
  // Called when another program brings one of our windows to the front.
  void SetRaiseHandler(std::function<void()> handler);
  // Gets the pen events on the screen covers (the navigation bar).
  void SetCoverPenHandler(std::function<void(const hw::InputEvent&)> handler);

 private:
  WindowManager();
  ~WindowManager();
  void OnTimerDue(TimerKey key, std::uint64_t generation);
  bool TakeQueued(MessageQueue& queue, MSG& msg, HWND filter, UINT first, UINT last, bool remove);
  std::optional<MSG> PaintMessage(std::thread::id thread, HWND filter);
  // The attached pen and keys (Attached::Input()): none attached, none pending.
  static bool InputPending();
  bool RouteOneInput();
  void Idle();
  void WaitForWork(std::unique_lock<std::mutex>& lock, MessageQueue& queue);

  std::mutex mutex_;
  WindowTree tree_;
  TimerTable timers_;
  InputRouter router_;
  std::atomic<std::uint64_t> frontRevision_{0};
  std::unordered_map<std::thread::id, std::unique_ptr<MessageQueue>> queues_;
  std::map<std::u16string, std::shared_ptr<const WindowClass>> classes_;  // folded names
  ATOM nextAtom_ = 0xC000;
  // The hooks by id, shared with Idle and made afresh when a hook comes or
  // goes: an idle moment copies nothing, and a hook may add or remove
  // hooks while they are walked.
  using IdleHooks = std::map<int, std::function<void()>>;
  std::shared_ptr<const IdleHooks> idleHooks_ = std::make_shared<IdleHooks>();
  int nextIdleHook_ = 1;
  std::function<void()> raiseHandler_;
  std::function<void(const hw::InputEvent&)> coverPen_;
  int unloadListener_ = 0;
};

DWORD MessageTime();

// Sets a window's text without a message: what the default window
// procedure does with WM_SETTEXT (SetWindowTextW sends that message, so a
// control keeps its own contents in step). False for no such window.
bool StoreWindowText(HWND window, std::u16string_view text);

}  // namespace ce
