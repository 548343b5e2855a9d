#include "platform/user/WindowManager.h"

#include "platform/user/SystemClasses.h"

#include <algorithm>
#include <chrono>

#include "platform/gdi/Rects.h"
#include "platform/gdi/WindowArea.h"
#include "hardware/clock/Clock.h"
#include "platform/kernel/Devices.h"
#include "platform/kernel/ProgramLoader.h"
#include "platform/kernel/LastError.h"
#include "platform/kernel/Utf.h"
#include "platform/kernel/Registry.h"
#include "platform/user/DeviceWindows.h"

namespace ce {
namespace {

// How often an idle loop looks for another program's request when the
// window folder cannot be watched.
constexpr hw::Clock::Micros kUnwatchedLookUs = 100'000;

}  // namespace

DWORD MessageTime() { return static_cast<DWORD>(Attached::Clock().NowMs()); }

WindowManager& WindowManager::Instance() {
  static WindowManager manager;
  return manager;
}

WindowManager::~WindowManager() { RemoveModuleUnloadListener(unloadListener_); }

WindowManager::WindowManager()
    : timers_([this](TimerKey key, std::uint64_t generation) { OnTimerDue(key, generation); }) {
  // A program's window classes end with its module (their procedures
  // lived in it).
  unloadListener_ = AddModuleUnloadListener([this](HINSTANCE instance) {
    auto lock = Lock();
    std::erase_if(classes_, [instance](const auto& entry) { return entry.second->instance == instance; });
  });
  for (const SystemClass& system : SystemClasses()) {
    WindowClass cls;
    cls.name = system.name;
    cls.proc = system.proc;
    cls.windowExtraBytes = system.windowExtraBytes;
    cls.background = system.background;
    cls.style = system.style;
    AddClass(std::move(cls));
  }
  // GDI asks us where each window is on the screen and what of it shows.
  SetWindowAreaProvider([this](HWND handle) {
    WindowArea area;
    auto lock = Lock();
    if (!handle) {
      area.alive = true;
      area.client = WindowTree::kScreen;
      area.visible = {WindowTree::kScreen};
      return area;
    }
    WindowPtr window = tree_.Find(handle);
    if (!window) return area;
    area.alive = true;
    area.clientOrigin = POINT{window->rect.left, window->rect.top};
    area.client = window->ClientRect();
    area.visible = tree_.VisibleRects(*window);
    return area;
  });
}

MessageQueue& WindowManager::QueueOf(std::thread::id thread) {
  auto& queue = queues_[thread];
  if (!queue) queue = std::make_unique<MessageQueue>();
  return *queue;
}

MessageQueue& WindowManager::OwnQueue() {
  static thread_local MessageQueue* own = nullptr;
  if (!own) own = &QueueOf(std::this_thread::get_id());
  return *own;
}

void WindowManager::Wake(std::thread::id thread) {
  MessageQueue& queue = QueueOf(thread);
  queue.woken = true;
  queue.bell.Ring();
}

void WindowManager::WakeAll() {
  auto lock = Lock();
  WakeAllLocked();
}

void WindowManager::WakeAllLocked() {
  for (auto& [thread, queue] : queues_) {
    queue->woken = true;
    queue->bell.Ring();
  }
}

WindowPtr WindowManager::Checked(HWND handle) {
  WindowPtr window = tree_.Find(handle);
  if (!window) SetThreadError(ERROR_INVALID_WINDOW_HANDLE);
  return window;
}

std::shared_ptr<const WindowClass> WindowManager::FindClass(std::u16string_view name) const {
  auto it = classes_.find(FoldName(name));
  return it == classes_.end() ? nullptr : it->second;
}

std::shared_ptr<const WindowClass> WindowManager::FindClassByAtom(ATOM atom) const {
  for (const auto& [name, cls] : classes_)
    if (cls->atom == atom) return cls;
  return nullptr;
}

ATOM WindowManager::AddClass(WindowClass cls) {
  std::u16string key = FoldName(cls.name);
  if (classes_.contains(key)) return 0;
  cls.atom = nextAtom_++;
  ATOM atom = cls.atom;
  classes_.emplace(std::move(key), std::make_shared<const WindowClass>(std::move(cls)));
  return atom;
}

bool WindowManager::RemoveClass(std::u16string_view name, HINSTANCE instance) {
  auto it = classes_.find(FoldName(name));
  if (it == classes_.end() || (instance && it->second->instance != instance)) return false;
  classes_.erase(it);
  return true;
}

LRESULT WindowManager::Send(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC proc;
  {
    auto lock = Lock();
    WindowPtr window = Checked(handle);
    if (!window) return 0;
    proc = window->proc;
  }
  if (!proc) return 0;
  RegistryWriteGroup writes;  // what the window stores for this message lands whole
  return proc(handle, message, wParam, lParam);
}

bool WindowManager::Post(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  auto lock = Lock();
  std::thread::id thread = std::this_thread::get_id();
  if (handle) {
    WindowPtr window = Checked(handle);
    if (!window) return false;
    thread = window->thread;
  }
  MSG msg{handle, message, wParam, lParam, MessageTime(), router_.LastPen()};
  QueueOf(thread).posted.push_back(msg);
  Wake(thread);
  return true;
}

namespace {

bool Matches(const MSG& msg, HWND filter, UINT first, UINT last) {
  if (filter && msg.hwnd != filter) return false;
  if (first == 0 && last == 0) return true;
  return msg.message >= first && msg.message <= last;
}

}  // namespace

bool WindowManager::TakeQueued(MessageQueue& queue, MSG& msg, HWND filter, UINT first, UINT last, bool remove) {
  for (auto* list : {&queue.posted, &queue.input}) {
    for (auto it = list->begin(); it != list->end(); ++it) {
      if (!Matches(*it, filter, first, last)) continue;
      msg = *it;
      if (remove) list->erase(it);
      return true;
    }
  }
  return false;
}

std::optional<MSG> WindowManager::PaintMessage(std::thread::id thread, HWND filter) {
  const auto waitsForPaint = [&](const Window& w) {
    return w.thread == thread && w.HasUpdate() && w.Visible() && !w.destroying && (!filter || w.handle == filter);
  };
  // Mostly no window waits: one look through the table says so. A hidden
  // window keeps its update region until it is shown, so it counts for
  // nothing here, or the loop would walk the tree for it every time.
  if (!tree_.Any(waitsForPaint)) return std::nullopt;
  WindowPtr window = tree_.FirstWhere([&](const Window& w) { return waitsForPaint(w) && tree_.Shown(w); });
  if (!window) return std::nullopt;
  return MSG{window->handle, WM_PAINT, 0, 0, MessageTime(), router_.LastPen()};
}

namespace {

// Input that waits while the program is busy does not pile up, as on the
// platform: pen moves waiting one after another come as one move to where
// the pen is now, and a held key's repeats waiting right behind its
// key-down add to that key-down's repeat count. Pen-downs, pen-ups and
// releases always come one by one, in order.
bool FoldsInto(const hw::InputEvent& event, const hw::InputEvent& next) {
  using Kind = hw::InputEvent::Kind;
  if (event.kind == Kind::PenMove) return next.kind == Kind::PenMove;
  return event.kind == Kind::KeyDown && next.kind == Kind::KeyDown && next.autoRepeat && next.key == event.key;
}

void Fold(hw::InputEvent& event, const hw::InputEvent& next) {
  if (event.kind == hw::InputEvent::Kind::PenMove) {
    event.x = next.x;
    event.y = next.y;
    return;
  }
  event.repeats = static_cast<std::uint16_t>(std::min<unsigned>(0xFFFF, event.repeats + next.repeats));
}

}  // namespace

bool WindowManager::RouteOneInput() {
  hw::InputDevice* input = Attached::Input();
  std::optional<hw::InputEvent> event = input ? input->Take() : std::nullopt;
  if (!event) return false;
  while (auto next = input->TakeIf([&](const hw::InputEvent& e) { return FoldsInto(*event, e); })) Fold(*event, *next);
  RoutedInput routed;
  {
    auto lock = Lock();
    auto result = router_.Route(*event, tree_, MessageTime());
    if (!result) return true;
    routed = *result;
  }
  if (routed.cover) {
    std::function<void(const hw::InputEvent&)> handler;
    {
      auto lock = Lock();
      handler = coverPen_;
    }
    if (handler) handler(*event);
    return true;
  }
  if (routed.activate) Activate(routed.activate);
  auto lock = Lock();
  WindowPtr window = tree_.Find(routed.msg.hwnd);
  if (!window) return true;
  QueueOf(window->thread).input.push_back(routed.msg);
  Wake(window->thread);
  return true;
}

bool WindowManager::Retrieve(MSG& msg, HWND filter, UINT first, UINT last, bool remove, bool wait,
                             const std::function<bool()>& stop) {
  // A program that asks for its messages has made the windows it meant to,
  // and is done with what it stored so far.
  DeviceWindows::Instance().ReleaseClaim();
  CommitRegistryWrites();
  const std::thread::id thread = std::this_thread::get_id();
  std::unique_lock lock(mutex_);
  MessageQueue& queue = OwnQueue();
  for (;;) {
    queue.woken = false;
    bool found = TakeQueued(queue, msg, filter, first, last, remove);
    if (!found && InputPending()) {
      lock.unlock();
      RouteOneInput();
      lock.lock();
      continue;
    }
    if (!found && queue.quit) {
      msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0, MessageTime(), router_.LastPen()};
      if (remove) queue.quit = false;
      found = true;
    }
    if (!found) {
      timers_.ExpireDue(thread);
      if (auto paint = PaintMessage(thread, filter)) {
        msg = *paint;
        found = true;
      } else if (auto timer = timers_.TakeExpired(thread, filter, remove, MessageTime())) {
        msg = *timer;
        found = true;
      }
    }
    if (found) {
      if (remove) queue.last = msg;
      return true;
    }
    lock.unlock();
    Idle();
    if (!wait || (stop && stop())) return false;
    lock.lock();
    if (queue.woken) continue;
    WaitForWork(lock, queue);
  }
}

void WindowManager::WaitForWork(std::unique_lock<std::mutex>& lock, MessageQueue& queue) {
  hw::Clock& clock = Attached::Clock();
  if (clock.IsVirtual()) {
    // Nothing to do now: let the time jump to whatever is due next. With
    // nothing scheduled at all, only another thread can bring work.
    lock.unlock();
    if (std::optional<hw::Clock::Micros> next = clock.NextDueUs())
      clock.AdvanceTo(*next);
    else
      queue.bell.SleepFor(std::chrono::milliseconds(5));
    lock.lock();
    return;
  }
  // Real time: sleep until the next timer of ours is due, or until input,
  // a posted message or another program's request wakes us; nothing else
  // is worth a look.
  std::optional<TimerTable::Deadline> next = timers_.NextDeadline(std::this_thread::get_id());
  if (!DeviceWindows::Instance().RaiseRequestsWake()) {
    // Nothing tells us of another program's request: look every 100 ms.
    const hw::Clock::Micros look = clock.NowUs() + kUnwatchedLookUs;
    if (!next || next->due > look) next = TimerTable::Deadline{&clock, look};
  }
  // Anything that sets queue.woken from now on rings the bell.
  lock.unlock();
  if (next)
    queue.bell.SleepUntil(next->clock->RealTimeOf(next->due));  // timers by deadline run on a real clock
  else
    queue.bell.Sleep();
  lock.lock();
}

void WindowManager::Idle() {
  if (auto raise = DeviceWindows::Instance().TakeRaiseRequest()) {
    HWND handle = reinterpret_cast<HWND>(*raise);
    bool known;
    {
      auto lock = Lock();
      known = tree_.Find(handle) != nullptr;
    }
    if (known) {
      Activate(handle);
      std::function<void()> handler;
      {
        auto lock = Lock();
        handler = raiseHandler_;
      }
      if (handler) handler();
    }
  }
  std::shared_ptr<const IdleHooks> hooks;
  {
    auto lock = Lock();
    hooks = idleHooks_;
  }
  for (const auto& [id, hook] : *hooks) hook();
}

void WindowManager::OnTimerDue(TimerKey key, std::uint64_t generation) {
  Doorbell* bell = nullptr;
  {
    auto lock = Lock();
    auto thread = timers_.Expire(key, generation);
    if (!thread) return;
    MessageQueue& queue = QueueOf(*thread);
    queue.woken = true;
    bell = &queue.bell;
  }
  // Told after the lock is free, so the thread does not wake only to wait
  // for it. Queues live as long as the window manager.
  bell->Ring();
}

void WindowManager::Activate(HWND handle) {
  HWND old;
  HWND top;
  {
    auto lock = Lock();
    WindowPtr root = tree_.Root(tree_.Find(handle));
    if (!root || root->destroying) return;
    // Menu bars and open menus take the pen but leave the foreground
    // window where it is.
    if (root->exStyle & WS_EX_NOACTIVATE) return;
    top = root->handle;
    // Owned windows stay in front of their owner.
    std::vector<HWND> owned;
    for (HWND h : tree_.TopLevel())
      if (WindowPtr w = tree_.Find(h); w && w->owner == top) owned.push_back(h);
    std::vector<HWND> raised{top};
    for (auto it = owned.rbegin(); it != owned.rend(); ++it) raised.push_back(*it);
    for (HWND h : raised) {
      WindowPtr w = tree_.Find(h);
      if (!w) continue;
      // Only what was covered needs painting once in front.
      bool covered = false;
      for (HWND other : tree_.TopLevel()) {
        if (other == h) break;
        WindowPtr o = tree_.Find(other);
        covered = covered || (o && !o->destroying && o->Visible() && !IsEmpty(Intersect(o->rect, w->rect)));
      }
      if (!tree_.BringToFront(h) || !covered || !tree_.Shown(*w)) continue;
      for (const WindowPtr& part : tree_.Subtree(w)) AddUpdate(*part, part->rect, true);
      Wake(w->thread);
    }
    // An owner disabled under its own dialog or message box hands the
    // activation on to that window, the one in front that takes input.
    if (!root->Enabled()) {
      for (auto it = raised.rbegin(); it != raised.rend(); ++it) {
        WindowPtr w = tree_.Find(*it);
        if (w && *it != root->handle && !w->destroying && w->Visible() && w->Enabled() &&
            !(w->exStyle & WS_EX_NOACTIVATE)) {
          top = *it;
          break;
        }
      }
    }
    old = router_.foreground;
    if (old == top) return;
    router_.foreground = top;
    router_.focus = top;
    FrontMayHaveChanged();
  }
  if (old) Send(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(top));
  Send(top, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(old));
  SetThreadError(ERROR_SUCCESS);
}

bool WindowManager::Destroy(HWND handle) {
  std::vector<HWND> owned;
  HWND next = nullptr;
  bool wasForeground;
  {
    auto lock = Lock();
    WindowPtr window = Checked(handle);
    if (!window || window->destroying) return window != nullptr;
    for (HWND h : tree_.TopLevel())
      if (WindowPtr w = tree_.Find(h); w && w->owner == handle) owned.push_back(h);
    wasForeground = router_.foreground == handle;
  }
  for (HWND h : owned) Destroy(h);

  std::vector<WindowPtr> subtree;
  {
    auto lock = Lock();
    WindowPtr window = tree_.Find(handle);
    if (!window || window->destroying) return window != nullptr;
    subtree = tree_.Subtree(window);
    for (const WindowPtr& w : subtree) w->destroying = true;
    if (tree_.Shown(*window)) tree_.Uncover(window, window->rect);
    if (wasForeground) {
      for (HWND h : tree_.TopLevel()) {
        WindowPtr w = tree_.Find(h);
        if (w && h != handle && !w->destroying && w->Visible()) {
          next = h;
          break;
        }
      }
    }
  }
  if (wasForeground) {
    if (next) {
      Activate(next);
    } else {
      {
        auto lock = Lock();
        router_.foreground = nullptr;
        router_.focus = nullptr;
        FrontMayHaveChanged();
      }
      Send(handle, WM_ACTIVATE, WA_INACTIVE, 0);
    }
  }
  // WM_DESTROY goes to the window first, then to its children.
  for (auto it = subtree.rbegin(); it != subtree.rend(); ++it) Send((*it)->handle, WM_DESTROY, 0, 0);

  auto lock = Lock();
  for (const WindowPtr& w : subtree) {  // children first
    timers_.KillAllOf(w->handle);
    router_.Forget(w->handle);
    FrontMayHaveChanged();
    if (!w->IsChild()) DeviceWindows::Instance().Withdraw(w->handle);
    for (auto& [thread, queue] : queues_) std::erase_if(queue->input, [&](const MSG& m) { return m.hwnd == w->handle; });
    tree_.Remove(w->handle);
  }
  return true;
}

void WindowManager::SetCoverPenHandler(std::function<void(const hw::InputEvent&)> handler) {
  auto lock = Lock();
  coverPen_ = std::move(handler);
}

bool WindowManager::InputPending() {
  hw::InputDevice* input = Attached::Input();
  return input && input->Pending();
}

int WindowManager::AddIdleHook(std::function<void()> hook) {
  auto lock = Lock();
  int id = nextIdleHook_++;
  auto hooks = std::make_shared<IdleHooks>(*idleHooks_);
  hooks->emplace(id, std::move(hook));
  idleHooks_ = std::move(hooks);
  return id;
}

void WindowManager::RemoveIdleHook(int id) {
  auto lock = Lock();
  auto hooks = std::make_shared<IdleHooks>(*idleHooks_);
  hooks->erase(id);
  idleHooks_ = std::move(hooks);
}

void WindowManager::SetRaiseHandler(std::function<void()> handler) {
  auto lock = Lock();
  raiseHandler_ = std::move(handler);
}

}  // namespace ce
