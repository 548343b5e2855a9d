#include "platform/user/Desktop.h"

#include "platform/user/DeviceWindows.h"
#include "platform/user/WindowManager.h"
#include "windows.h"

namespace ce {

std::vector<WindowInfo> ListWindows() {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  std::vector<WindowInfo> list;
  wm.tree().ForEach([&](const WindowPtr& w) {
    if (w->destroying) return;
    list.push_back(WindowInfo{w->handle, w->windowClass->name, w->title, w->text, wm.tree().Shown(*w), w->rect,
                              w->IsChild()});
  });
  return list;
}

HWND ProgramMainWindow() {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  HWND oldest = nullptr;
  for (HWND h : wm.tree().TopLevel()) {
    WindowPtr w = wm.tree().Find(h);
    if (w && !w->destroying && (!oldest || reinterpret_cast<std::uintptr_t>(h) < reinterpret_cast<std::uintptr_t>(oldest)))
      oldest = h;
  }
  return oldest;
}

void DestroyThreadWindows() {
  DeviceWindows::Instance().ReleaseClaim();
  auto& wm = WindowManager::Instance();
  const auto thread = std::this_thread::get_id();
  for (;;) {
    HWND victim = nullptr;
    {
      auto lock = wm.Lock();
      for (HWND h : wm.tree().TopLevel())
        if (WindowPtr w = wm.tree().Find(h); w && w->thread == thread && !w->destroying) victim = h;
    }
    if (!victim) break;
    wm.Destroy(victim);
  }
  auto lock = wm.Lock();
  wm.timers().KillAllOfThread(thread);
  MessageQueue& queue = wm.QueueOf(thread);
  queue.posted.clear();
  queue.input.clear();
  queue.quit = false;
}

void SetRaiseHandler(std::function<void()> handler) { WindowManager::Instance().SetRaiseHandler(std::move(handler)); }
int AddIdleHook(std::function<void()> hook) { return WindowManager::Instance().AddIdleHook(std::move(hook)); }
void RemoveIdleHook(int id) { WindowManager::Instance().RemoveIdleHook(id); }
void WakeMessageLoops() { WindowManager::Instance().WakeAll(); }

void SetScreenCovers(std::vector<RECT> covers) {
  auto& wm = WindowManager::Instance();
  auto lock = wm.Lock();
  wm.tree().SetScreenCovers(std::move(covers));
}

void SetScreenCoverPenHandler(std::function<void(const hw::InputEvent&)> handler) {
  WindowManager::Instance().SetCoverPenHandler(std::move(handler));
}

void PumpMessagesUntil(const std::function<bool()>& done) {
  auto& wm = WindowManager::Instance();
  MSG msg;
  while (!done()) {
    if (!wm.Retrieve(msg, nullptr, 0, 0, true, true, done)) continue;
    if (msg.message == WM_QUIT) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace ce
