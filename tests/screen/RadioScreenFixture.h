// The radio's screen on the emulated handheld with the tuner card in its
// slot: a fresh device root booted in virtual time, Ondrel's resources as
// the running program's, and the program's own main window over a screen
// and a radio coordinator the test can look into. The pen goes in through
// the handheld's touch panel, so every tap passes the window manager and
// the main window's message handler. The fixture pumps the messages
// itself and notes the main window's timer ticks on the way. With
// ONDREL_TEST_SHOTS naming a folder, Shot() writes what the panel shows as
// a PNG there.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/CardSlot.h"
#include "host/Handheld.h"
#include "MainWindow.h"
#include "RadioCoordinator.h"
#include "Screen.h"
#include "hardware/display/Panel.h"
#include "hardware/input/Input.h"
#include "platform/kernel/ProgramLoader.h"
#include "hardware/sound/Speaker.h"
#include "tests/support/ScratchFolder.h"
#include "windows.h"

namespace screentest {

inline constexpr int kClientTop = 26;  // the main window's client area on the panel

// One image the driver wrote to the tuner chip, decoded.
struct TunerWrite {
  std::uint64_t ms = 0;
  int channel = 0;  // received frequency in 100 kHz
  bool search = false;
  bool audioMute = false;
};

class RadioScreenTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Boots the handheld on the fixture's root (kept between boots), with
  // the card receiving SceneText() when a test gives one.
  void Boot(bool cardInserted = true);
  virtual std::string SceneText() const { return ""; }
  // A fresh screen and coordinator, then the main window, then 150 ms so
  // that the tuner poll starts the radio.
  void OpenRadio();
  // Closes the window as a user would (the settings are saved), then
  // drops the screen.
  void CloseRadio();

  // Pumps the message loop while ms of device time pass. A quit message
  // is noted in quitPosted and the pumping goes on.
  void RunFor(std::uint64_t ms);

  // The main window's timer ticks, in order, and when the last pen-down
  // on it had been handled (its hold timer armed then).
  struct Tick {
    UINT id;
    std::uint64_t ms;
  };
  std::vector<std::uint64_t> TicksOf(UINT id) const;
  std::vector<Tick> timerTicks;
  std::uint64_t penDownHandledMs = 0;
  bool quitPosted = false;
  std::uint64_t Now() const { return handheld->clock().NowMs(); }

  // The pen, in client coordinates of the main window.
  void PenDown(int x, int y);
  void PenMove(int x, int y);
  void PenUp(int x, int y);
  void Tap(int x, int y);               // down, 100 ms, up, then 50 ms
  void TapOn(const Widget& widget);     // the middle of its rectangle
  void Hold(const Widget& widget, std::uint64_t ms);
  // Taps (screen coordinates) made one every `everyMs` by a windowless
  // timer, so that they reach a modal loop the test is about to enter.
  void TapsLater(std::vector<POINT> taps, UINT everyMs = 300);
  // A key of the keypad pressed and released.
  void Key(hw::KeyCode key);

  // A client pixel as the panel shows it (0xRRGGBB), and all of the skin
  // area's, row by row.
  std::uint32_t Client(int x, int y) const;
  std::vector<std::uint32_t> Frame() const;
  static std::uint32_t Pixel(HDC surface, int x, int y);
  // Whether every pixel of the rectangle shows the surface's same pixel.
  ::testing::AssertionResult Shows(const RECT& r, HDC surface) const;
  ::testing::AssertionResult Shows(const Widget& w, HDC surface) const { return Shows(w.Rect(), surface); }
  // Whether preset label n (1..6) shows the frequency, e.g. " 90.2".
  ::testing::AssertionResult LabelShows(int n, const std::string& text) const;
  ::testing::AssertionResult DigitsShow(const std::string& text) const;
  RECT DigitsRect() const;  // where the large digits are drawn

  // The images written to the chip since the mark.
  void MarkTrace() { traceMark = TraceLines().size(); }
  std::vector<TunerWrite> TunerWrites() const;
  std::vector<std::string> TraceLines() const;
  hw::RadioCard::View Card() const { return handheld->cardSlot().Observe(); }
  int CardChannel() const { return int(Card().chip.tunedHz / 100'000); }

  void Shot(const std::string& name) const;

  testsupport::ScratchFolder scratch{"ondrel-screen"};
  const std::filesystem::path& root = scratch.path();
  std::unique_ptr<host::Handheld> handheld;
  // The booted handheld's devices.
  hw::Panel& panel() const { return handheld->panel(); }
  hw::Speaker& speaker() const { return handheld->speaker(); }
  hw::InputDevice& input() const { return handheld->input(); }
  std::optional<ce::Module> module;
  std::unique_ptr<Screen> screen;
  std::unique_ptr<RadioCoordinator> coordinator;
  std::unique_ptr<MainWindow> mainWindow;
  HWND window = nullptr;
  std::size_t traceMark = 0;
};

}  // namespace screentest
