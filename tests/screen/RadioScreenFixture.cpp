#include "RadioScreenFixture.h"


#include <cstdio>
#include <fstream>
#include <sstream>

#include "OndrelIds.h"
#include "tests/support/TestShots.h"
#include "hardware/cards/TunerChip.h"
#include "platform/kernel/Devices.h"
#include "skin/SkinPictures.h"
#include "platform/user/Desktop.h"

namespace screentest {

namespace {

bool g_deadline = false;

void CALLBACK Deadline(HWND, UINT, UINT_PTR, DWORD) { g_deadline = true; }

std::vector<POINT> g_taps;

void CALLBACK NextTap(HWND, UINT, UINT_PTR timer, DWORD) {
  if (g_taps.empty()) {
    KillTimer(nullptr, timer);
    return;
  }
  const POINT at = g_taps.front();
  g_taps.erase(g_taps.begin());
  hw::InputDevice& input = *ce::Attached::Input();
  input.PenDown(at.x, at.y);
  input.PenUp(at.x, at.y);
}

}  // namespace

// ---- the fixture -----------------------------------------------------------

void RadioScreenTest::SetUp() {
  Boot();
}

// The band the screen tests tune on: strong stations only, which the
// card's fading never takes below the level a seek accepts at once, and
// level-15 stations whose neighbouring channels stop a search that the
// program then rejects.
constexpr char kScreenScene[] = R"(76.5 11 stereo
79.2 9 mono
82.5 13 stereo
87.5 9 mono
88.6 12 stereo
90.2 15 stereo
91.3 9 stereo
94.1 15 stereo
94.3 10 stereo
97.7 14 stereo
99.5 11 mono
103.4 12 stereo
105.9 9 stereo
108.0 10 stereo
)";

void RadioScreenTest::Boot(bool cardInserted) {
  module.reset();
  handheld.reset();  // one handheld at a time
  host::HandheldConfig config;
  config.root = root / "device";
  config.cardInserted = cardInserted;
  const std::string scene = SceneText();
  config.scene = root / "screen.scene";
  std::ofstream(*config.scene) << (scene.empty() ? std::string(kScreenScene) : scene);
  std::string error;
  handheld = host::Handheld::Boot(config, error);
  ASSERT_TRUE(handheld) << error;
  module = ce::Module::Load(ONDREL_RESOURCES_MODULE, ce::ModuleKind::Program, error);
  ASSERT_TRUE(module) << error;
}

void RadioScreenTest::TearDown() {
  if (handheld && input().PenTouching()) {  // a test that stopped mid-tap
    input().PenUp(0, 0);
    RunFor(1);
  }
  if (window && IsWindow(window)) CloseRadio();
  mainWindow.reset();
  coordinator.reset();
  screen.reset();
  ce::DestroyThreadWindows();
  module.reset();
  handheld.reset();
}

void RadioScreenTest::OpenRadio() {
  screen = std::make_unique<Screen>();
  coordinator = std::make_unique<RadioCoordinator>(*screen);
  mainWindow = std::make_unique<MainWindow>(*screen, *coordinator);
  ASSERT_EQ(mainWindow->CreateMainWindow(GetModuleHandleW(nullptr), SW_SHOW), 1);
  window = mainWindow->Window();
  quitPosted = false;
  RunFor(150);
}

void RadioScreenTest::CloseRadio() {
  if (window && IsWindow(window)) SendMessageW(window, WM_CLOSE, 0, 0);
  window = nullptr;
  RunFor(10);
  mainWindow.reset();
  coordinator.reset();
  screen.reset();
}

void RadioScreenTest::RunFor(std::uint64_t ms) {
  g_deadline = false;
  UINT_PTR timer = SetTimer(nullptr, 0, UINT(ms), &Deadline);
  ASSERT_NE(timer, 0u);
  MSG msg;
  while (!g_deadline) {
    if (!GetMessageW(&msg, nullptr, 0, 0)) {
      quitPosted = true;
      continue;
    }
    const bool toMain = window && msg.hwnd == window;
    if (toMain && msg.message == WM_TIMER) timerTicks.push_back({UINT(msg.wParam), Now()});
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    if (toMain && msg.message == WM_LBUTTONDOWN) penDownHandledMs = Now();
  }
  KillTimer(nullptr, timer);
}

std::vector<std::uint64_t> RadioScreenTest::TicksOf(UINT id) const {
  std::vector<std::uint64_t> times;
  for (const Tick& tick : timerTicks)
    if (tick.id == id) times.push_back(tick.ms);
  return times;
}

void RadioScreenTest::PenDown(int x, int y) {
  input().PenDown(x, y + kClientTop);
  RunFor(1);
}
void RadioScreenTest::PenMove(int x, int y) {
  input().PenMove(x, y + kClientTop);
  RunFor(1);
}
void RadioScreenTest::PenUp(int x, int y) {
  input().PenUp(x, y + kClientTop);
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

void RadioScreenTest::TapsLater(std::vector<POINT> taps, UINT everyMs) {
  g_taps = std::move(taps);
  ASSERT_NE(SetTimer(nullptr, 0, everyMs, &NextTap), 0u);
}

void RadioScreenTest::Key(hw::KeyCode key) {
  input().KeyDown(key);
  input().KeyUp(key);
  RunFor(1);
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
  return panel().pixels()[(y + kClientTop) * hw::Panel::kWidth + x] & 0xFFFFFF;
}

std::vector<std::uint32_t> RadioScreenTest::Frame() const {
  std::vector<std::uint32_t> frame;
  for (int y = 0; y < MainWindow::kSkinHeight; ++y)
    for (int x = 0; x < MainWindow::kSkinWidth; ++x) frame.push_back(Client(x, y));
  return frame;
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

namespace {
skintest::DigitPictures LargeDigits() {
  return skintest::DigitPictures(IDB_DIGITS_LARGE, IDB_POINT_LARGE, IDB_DIGITS_LARGE_MASK, IDB_POINT_LARGE_MASK, 16);
}
}  // namespace

RECT RadioScreenTest::DigitsRect() const {
  const skintest::DigitPictures large = LargeDigits();
  return RECT{64, 73, 64 + large.TextWidth(), 73 + large.Height()};
}

::testing::AssertionResult RadioScreenTest::DigitsShow(const std::string& text) const {
  const skintest::DigitPictures large = LargeDigits();
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

void RadioScreenTest::Shot(const std::string& name) const { testsupport::SaveShot(panel(), name); }

}  // namespace screentest
