#include "RadioScreenFixture.h"

#include <stdlib.h>

#include <cstdio>
#include <sstream>

#include "BandLimits.h"
#include "OndrelIds.h"
#include "Screenshot.h"
#include "WindowTimers.h"
#include "cards/TunerChip.h"
#include "input/Input.h"
#include "kernel/Kernel.h"
#include "skin/SkinPictures.h"
#include "sound/Sound.h"
#include "user/Desktop.h"

namespace screentest {

namespace {

constexpr const char16_t* kClass = u"RadioScreenTestWindow";
RadioWindow* g_window = nullptr;  // the one the class procedure hands to
bool g_deadline = false;

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!g_window) return DefWindowProcW(window, message, wParam, lParam);
  return g_window->Handle(window, message, wParam, lParam);
}

void CALLBACK Deadline(HWND, UINT, UINT_PTR, DWORD) { g_deadline = true; }

}  // namespace

// ---- the stand-in main window --------------------------------------------

LRESULT RadioWindow::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: Create(window); return 0;
    case WM_DESTROY: Destroy(window); return 0;
    case WM_PAINT: Paint(window); return 0;
    case WM_TIMER: Timer(window, wParam); return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      lastPen = {LONG(LOWORD(lParam)), LONG(HIWORD(lParam))};
      Pen(window, message);
      return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
  }
}

// The start-up order of the real window: skin, device, band, settings
// twice around the layout, tuner controls, timers, the RDS text window.
void RadioWindow::Create(HWND window) {
  WCHAR installDir[kInstallDirChars] = {};
  ReadInstallDir(kInstallDirChars, installDir);
  screen_.skin.LoadSkin(window, installDir);
  screen_.radio.Open();
  screen_.radio.SetMute(0);
  Band() = {875, 1080};
  coordinator_.ApplySettings();
  screen_.LayoutScreen(window);
  coordinator_.ApplySettings();
  coordinator_.UpdateTunerControls();
  coordinator_.StartPollTimers(window);
  SetTimer(window, TIMER_KEEP_AWAKE, 10000, nullptr);
  SetTimer(window, TIMER_RDS_PRESENCE, 1000, nullptr);
  textWindow = CreateWindowExW(0, u"EDIT", u"", WS_CHILD | ES_MULTILINE, 43, 147, 191, 113, window, nullptr,
                               nullptr, nullptr);
  screen_.rdsText.Attach(window, textWindow);
}

void RadioWindow::Destroy(HWND window) {
  screen_.radio.StopRds();
  screen_.skin.FreeSkin();
  screen_.radio.SetMute(1);
  screen_.radio.SetPower(0);
  screen_.radio.Close();
  coordinator_.SaveSettings();
  KillTimer(window, TIMER_TUNER_POLL);
  KillTimer(window, TIMER_STEREO);
  destroyed = true;
}

void RadioWindow::Paint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  BitBlt(dc, 0, 0, 240, 268, screen_.skin.Background(), 0, 0, SRCCOPY);
  EndPaint(window, &ps);
  screen_.PaintScreen();
}

void RadioWindow::Timer(HWND window, WPARAM id) {
  timerTicks.push_back({UINT(id), clock_.NowMs()});
  switch (id) {
    case TIMER_HOLD:
      screen_.ScreenHold(lastPen.x, lastPen.y);
      KillTimer(window, TIMER_HOLD);
      SetTimer(window, TIMER_REPEAT, 100, nullptr);
      break;
    case TIMER_REPEAT: screen_.ScreenRepeat(lastPen.x, lastPen.y); break;
    case TIMER_TUNER_POLL: coordinator_.PollTuner(); break;
    case TIMER_KEEP_AWAKE: coordinator_.KeepAwake(window); break;
    case TIMER_SEEK: coordinator_.ContinueSeek(); break;
    case TIMER_STEREO: coordinator_.UpdateStereoIndicator(); break;
    case TIMER_RDS_TEXT: screen_.rdsText.UpdateRdsText(window); break;
    case TIMER_RDS_PRESENCE: coordinator_.UpdateRdsPresence(); break;
    default: break;
  }
}

std::vector<std::uint64_t> RadioWindow::TicksOf(UINT id) const {
  std::vector<std::uint64_t> times;
  for (const Tick& tick : timerTicks)
    if (tick.id == id) times.push_back(tick.ms);
  return times;
}

// A tap during a seek only stops it; otherwise the pen goes to the screen.
void RadioWindow::Pen(HWND window, UINT message) {
  const int x = lastPen.x, y = lastPen.y;
  if (message == WM_MOUSEMOVE) {
    screen_.ScreenPenMove(x, y);
    return;
  }
  const bool seeking = screen_.radio.seekContinue != 0;
  if (message == WM_LBUTTONDOWN) {
    if (seeking) {
      coordinator_.StopSeek(window);
      return;
    }
    screen_.ScreenPenDown(x, y);
    SetTimer(window, TIMER_HOLD, 1000, nullptr);
    holdArmedMs = clock_.NowMs();
    return;
  }
  if (seeking) return;
  screen_.ScreenPenUp(x, y);
  KillTimer(window, TIMER_HOLD);
  KillTimer(window, TIMER_REPEAT);
}

// ---- the fixture -----------------------------------------------------------

void RadioScreenTest::SetUp() {
  std::string pattern = (std::filesystem::temp_directory_path() / "ondrel-screen-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  root = std::filesystem::canonical(pattern);
  Boot();
}

void RadioScreenTest::Boot(bool cardInserted) {
  host::HandheldConfig config;
  config.root = root / "device";
  config.virtualTime = true;
  config.cardInserted = cardInserted;
  std::string error;
  handheld = host::Handheld::Boot(config, error);
  ASSERT_TRUE(handheld) << error;
  ce::SetSystemPanel(&panel);
  ce::SetSystemSpeaker(&speaker);
  module = ce::Module::Load(ONDREL_RESOURCES_MODULE, ce::ModuleKind::Program, error);
  ASSERT_TRUE(module) << error;
  WNDCLASSW wc{};
  wc.lpfnWndProc = &Procedure;
  wc.lpszClassName = kClass;
  wc.hbrBackground = HBRUSH(GetStockObject(WHITE_BRUSH));
  ASSERT_NE(RegisterClassW(&wc), 0);
}

void RadioScreenTest::TearDown() {
  if (ce::SystemInput().PenTouching()) {  // a test that stopped mid-tap
    ce::SystemInput().PenUp(0, 0);
    RunFor(1);
  }
  if (window && IsWindow(window)) CloseRadio();
  screen.reset();
  coordinator.reset();
  ce::DestroyThreadWindows();
  UnregisterClassW(kClass, nullptr);
  g_window = nullptr;
  while (ce::SystemInput().Take()) {
  }
  module.reset();
  ce::SetSystemSpeaker(nullptr);
  ce::SetSystemPanel(nullptr);
  handheld.reset();
  std::error_code ec;
  std::filesystem::remove_all(root, ec);
}

void RadioScreenTest::OpenRadio() {
  screen = std::make_unique<Screen>();
  coordinator = std::make_unique<RadioCoordinator>(*screen);
  radioWindow = std::make_unique<RadioWindow>(*screen, *coordinator, handheld->clock());
  g_window = radioWindow.get();
  window = CreateWindowExW(0, kClass, u"Ondrel", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  RunFor(150);
}

void RadioScreenTest::CloseRadio() {
  if (window && IsWindow(window)) DestroyWindow(window);
  window = nullptr;
  RunFor(10);
  coordinator.reset();
  screen.reset();
}

void RadioScreenTest::RunFor(std::uint64_t ms) {
  g_deadline = false;
  UINT_PTR timer = SetTimer(nullptr, 0, UINT(ms), &Deadline);
  ASSERT_NE(timer, 0u);
  MSG msg;
  while (!g_deadline && GetMessageW(&msg, nullptr, 0, 0)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  KillTimer(nullptr, timer);
}

void RadioScreenTest::PenDown(int x, int y) {
  ce::SystemInput().PenDown(x, y + kClientTop);
  RunFor(1);
}
void RadioScreenTest::PenMove(int x, int y) {
  ce::SystemInput().PenMove(x, y + kClientTop);
  RunFor(1);
}
void RadioScreenTest::PenUp(int x, int y) {
  ce::SystemInput().PenUp(x, y + kClientTop);
  RunFor(1);
}

void RadioScreenTest::Tap(int x, int y) {
  PenDown(x, y);
  RunFor(100);
  PenUp(x, y);
  RunFor(50);
}

void RadioScreenTest::TapOn(const Widget& widget) {
  const RECT& r = widget.Rect();
  Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

void RadioScreenTest::Hold(const Widget& widget, std::uint64_t ms) {
  const RECT& r = widget.Rect();
  const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
  PenDown(x, y);
  RunFor(ms);
  PenUp(x, y);
  RunFor(50);
}

std::uint32_t RadioScreenTest::Client(int x, int y) const {
  return panel.pixels()[(y + kClientTop) * hw::Panel::kWidth + x] & 0xFFFFFF;
}

std::uint32_t RadioScreenTest::Pixel(HDC surface, int x, int y) { return skintest::PixelOf(surface, x, y); }

::testing::AssertionResult RadioScreenTest::Shows(const RECT& r, HDC surface) const {
  return skintest::RegionShows([this](int x, int y) { return Client(x, y); }, r.left, r.top, r.right - r.left,
                               r.bottom - r.top, [&](int dx, int dy) { return Pixel(surface, r.left + dx, r.top + dy); });
}

::testing::AssertionResult RadioScreenTest::LabelShows(int n, const std::string& text) const {
  static constexpr POINT kAt[6] = {{31, 50}, {31, 76}, {31, 102}, {150, 50}, {150, 76}, {150, 102}};
  const POINT at = kAt[n - 1];
  skintest::DigitPictures small(IDB_DIGITS_SMALL, IDB_POINT_SMALL, IDB_DIGITS_SMALL_MASK, IDB_POINT_SMALL_MASK, 5);
  HDC background = screen->skin.Background();
  return skintest::RegionShows([this](int x, int y) { return Client(x, y); }, at.x, at.y, small.TextWidth(),
                               small.Height(), [&](int dx, int dy) {
                                 return small.Expected(text, dx, dy, Pixel(background, at.x + dx, at.y + dy));
                               });
}

::testing::AssertionResult RadioScreenTest::DigitsShow(const std::string& text) const {
  skintest::DigitPictures large(IDB_DIGITS_LARGE, IDB_POINT_LARGE, IDB_DIGITS_LARGE_MASK, IDB_POINT_LARGE_MASK, 16);
  HDC u = screen->skin.U();
  return skintest::RegionShows([this](int x, int y) { return Client(x, y); }, 64, 73, large.TextWidth(),
                               large.Height(),
                               [&](int dx, int dy) { return large.Expected(text, dx, dy, Pixel(u, 64 + dx, 73 + dy)); });
}

std::vector<std::string> RadioScreenTest::TraceLines() const {
  return handheld->cardSlot().sdHost().trace().Lines();
}

// Images go to the tuner data register: W0 mute, search, PLL high bits;
// W1 PLL low bits; W2 high-side injection in bit 4; W3 audio mute in bit 3.
std::vector<TunerWrite> RadioScreenTest::TunerWrites() const {
  std::vector<TunerWrite> writes;
  const std::vector<std::string> lines = TraceLines();
  for (std::size_t i = traceMark; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    const auto head = line.find(" CMD53 W fn=1 reg=0x66 ");
    if (head == std::string::npos) continue;
    std::istringstream in(line.substr(head + 23));
    unsigned b[5];
    bool ok = true;
    for (unsigned& byte : b) ok = ok && (in >> std::hex >> byte);
    if (!ok) continue;
    TunerWrite write;
    write.ms = std::stoull(line.substr(2));
    const auto pll = std::uint16_t(((b[0] & 0x3F) << 8) | b[1]);
    const std::int64_t hz = hw::TunerChip::TunedHzOf(pll, (b[2] & 0x10) != 0);
    write.channel = int((hz + 50'000) / 100'000);
    write.search = (b[0] & 0x40) != 0;
    write.audioMute = (b[3] & 0x08) != 0;
    writes.push_back(write);
  }
  return writes;
}

void RadioScreenTest::Shot(const std::string& name) const {
  const char* folder = ::getenv("ONDREL_TEST_SHOTS");
  if (!folder || !*folder) return;
  std::filesystem::create_directories(folder);
  EXPECT_EQ(host::WriteScreenshot(panel, std::filesystem::path(folder) / name), "");
}

}  // namespace screentest
