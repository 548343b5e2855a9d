#include "platform/shell/NavBar.h"

#include <chrono>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>

#include "hardware/clock/Clock.h"
#include "platform/kernel/Devices.h"
#include "platform/shell/ShellDialog.h"
#include "platform/user/ControlDrawing.h"
#include "platform/user/Desktop.h"
#include "platform/user/WindowManager.h"
#include "windows.h"

namespace ce {
namespace {

constexpr RECT kBar{0, 0, 240, kNavigationBarHeight};
constexpr COLORREF kBackground = RGB(16, 40, 96);
constexpr COLORREF kText = RGB(255, 255, 255);
// "ok" at the right end, for a dialog that asked for it.
constexpr RECT kOkButton{206, 0, 240, kNavigationBarHeight};
constexpr COLORREF kOkPressed = RGB(64, 96, 176);

class NavigationBar {
 public:
  NavigationBar() {
    // In virtual time the day starts at noon, so every run shows the
    // same; in real time the host's clock gives the time of day.
    if (!Attached::Clock().IsVirtual()) {
      std::time_t now = std::time(nullptr);
      std::tm local{};
      localtime_r(&now, &local);
      startMinute_ = local.tm_hour * 60 + local.tm_min;
      startMs_ = Attached::Clock().NowMs();
    }
    SetScreenCovers({kBar});
    hook_ = AddIdleHook([this] { Refresh(false); });
    SetScreenCoverPenHandler([this](const hw::InputEvent& event) { OnPen(event); });
    Refresh(true);
  }
  ~NavigationBar() {
    SetScreenCoverPenHandler(nullptr);
    RemoveIdleHook(hook_);
    SetScreenCovers({});
  }
  NavigationBar(const NavigationBar&) = delete;
  NavigationBar& operator=(const NavigationBar&) = delete;

 private:
  void Refresh(bool force) {
    // Mostly nothing changed since the last idle moment: the front window's
    // revision and the minute say so without looking at the window.
    const std::uint64_t revision = WindowManager::Instance().FrontRevision();
    const long minute = (startMinute_ + static_cast<long>((Attached::Clock().NowMs() - startMs_) / 60000)) % (24 * 60);
    if (!force && revision == revision_ && minute == minute_) return;
    revision_ = revision;
    std::u16string title;
    HWND front = GetForegroundWindow();
    if (front) {
      WCHAR buffer[128];
      int length = GetWindowTextW(front, buffer, 128);
      title.assign(buffer, length > 0 ? length : 0);
    }
    const bool ok = HasDoneButton(front);
    if (!force && title == title_ && minute == minute_ && ok == ok_) return;
    title_ = title;
    minute_ = minute;
    ok_ = ok;
    if (!ok_) okPressed_ = false;
    Draw();
  }

  // A tap on "ok": pressed on the way down, IDOK to the dialog in front
  // when the pen lifts still on it.
  void OnPen(const hw::InputEvent& event) {
    const POINT at{event.x, event.y};
    const bool onOk = ok_ && PtInRect(&kOkButton, at);
    const bool wasPressed = okPressed_;
    if (event.kind == hw::InputEvent::Kind::PenDown) okPressed_ = onOk;
    if (event.kind == hw::InputEvent::Kind::PenUp) {
      okPressed_ = false;
      HWND front = GetForegroundWindow();
      if (wasPressed && onOk && HasDoneButton(front))
        PostMessageW(front, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    if (okPressed_ != wasPressed) Draw();
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
    const LONG right = ok_ ? kOkButton.left - 4 : 234;
    RECT timeRect{right - 64, 0, right, kNavigationBarHeight};
    DrawTextW(dc, time.c_str(), static_cast<int>(time.size()), &timeRect,
              DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    RECT titleRect{6, 0, right - 66, kNavigationBarHeight};
    DrawTextW(dc, title_.c_str(), static_cast<int>(title_.size()), &titleRect,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (ok_) DrawOk(dc);
    ReleaseDC(nullptr, dc);
  }

  void DrawOk(HDC dc) const {
    const RECT box{kOkButton.left + 2, kOkButton.top + 4, kOkButton.right - 3, kOkButton.bottom - 4};
    if (okPressed_) FillColour(dc, box, kOkPressed);
    FrameColour(dc, box, kText);
    RECT text = box;
    DrawTextW(dc, u"ok", 2, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }

  int hook_ = 0;
  long startMinute_ = 12 * 60;
  std::uint64_t startMs_ = 0;
  std::uint64_t revision_ = 0;
  std::u16string title_;
  long minute_ = -1;
  bool ok_ = false;
  bool okPressed_ = false;
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
