#include "shell/NavBar.h"

#include <chrono>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>

#include "kernel/Kernel.h"
#include "user/Desktop.h"
#include "windows.h"

namespace ce {
namespace {

constexpr RECT kBar{0, 0, 240, kNavigationBarHeight};
constexpr COLORREF kBackground = RGB(16, 40, 96);
constexpr COLORREF kText = RGB(255, 255, 255);

class NavigationBar {
 public:
  NavigationBar() {
    // In virtual time the day starts at noon, so every run shows the
    // same; in real time the host's clock gives the time of day.
    if (!SystemClock().IsVirtual()) {
      std::time_t now = std::time(nullptr);
      std::tm local{};
      localtime_r(&now, &local);
      startMinute_ = local.tm_hour * 60 + local.tm_min;
      startMs_ = SystemClock().NowMs();
    }
    SetScreenCovers({kBar});
    hook_ = AddIdleHook([this] { Refresh(false); });
    Refresh(true);
  }
  ~NavigationBar() {
    RemoveIdleHook(hook_);
    SetScreenCovers({});
  }
  NavigationBar(const NavigationBar&) = delete;
  NavigationBar& operator=(const NavigationBar&) = delete;

 private:
  void Refresh(bool force) {
    std::u16string title;
    if (HWND front = GetForegroundWindow()) {
      WCHAR buffer[128];
      int length = GetWindowTextW(front, buffer, 128);
      title.assign(buffer, length > 0 ? length : 0);
    }
    const long minute = (startMinute_ + static_cast<long>((SystemClock().NowMs() - startMs_) / 60000)) % (24 * 60);
    if (!force && title == title_ && minute == minute_) return;
    title_ = title;
    minute_ = minute;
    Draw();
  }

  void Draw() {
    HDC dc = GetDC(nullptr);
    if (!dc) return;
    HBRUSH background = CreateSolidBrush(kBackground);
    FillRect(dc, &kBar, background);
    DeleteObject(background);
    SetTextColor(dc, kText);
    SetBkMode(dc, TRANSPARENT);
    char clock[48];
    std::snprintf(clock, sizeof clock, "%ld:%02ld", minute_ / 60, minute_ % 60);
    std::u16string time(clock, clock + std::char_traits<char>::length(clock));
    RECT timeRect{170, 0, 234, kNavigationBarHeight};
    DrawTextW(dc, time.c_str(), static_cast<int>(time.size()), &timeRect,
              DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    RECT titleRect{6, 0, 168, kNavigationBarHeight};
    DrawTextW(dc, title_.c_str(), static_cast<int>(title_.size()), &titleRect,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    ReleaseDC(nullptr, dc);
  }

  int hook_ = 0;
  long startMinute_ = 12 * 60;
  std::uint64_t startMs_ = 0;
  std::u16string title_;
  long minute_ = -1;
};

std::mutex g_mutex;
std::unique_ptr<NavigationBar> g_bar;

}  // namespace

void ShowNavigationBar() {
  std::lock_guard lock(g_mutex);
  if (!g_bar) g_bar = std::make_unique<NavigationBar>();
}

void HideNavigationBar() {
  std::lock_guard lock(g_mutex);
  g_bar.reset();
}

}  // namespace ce
