// The handheld as the host boots it. It owns every emulated device: the
// clock, the 240 x 320 panel with its backlight, the pen and keys, the
// speaker (the mixer the card's sound and the platform's sounds play on),
// and the SD slot: its host controller, the tuner card and the bus trace.
// When asked it also shows itself in a desktop window, which draws the
// panel and feeds the pen and keys, and then runs in real time; headless
// it runs on the virtual clock.
//
// Booting wires the devices to each other (the keypad repeats on the
// clock, the card's sound goes into the speaker) and hands them all to
// the platform in one ce::AttachDevices call, before anything of the
// platform runs; then it mounts the device root's registry, provisions
// the root on first use, puts the card in the slot and shows the
// navigation bar. Going, the handheld undoes that in reverse: the card
// comes out (its driver unloaded while the registry is there), the
// registry is unmounted, ce::DetachDevices takes the devices back, and
// only then do they go.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hardware/cards/Receiver.h"
#include "hardware/clock/Clock.h"
#include "hardware/display/Panel.h"
#include "hardware/frontend/WindowFrontEnd.h"
#include "hardware/input/Input.h"
#include "hardware/sound/Speaker.h"

namespace host {

// The desktop window the handheld shows itself in.
struct HandheldWindow {
  int scale = 2;
  hw::FrontEndHooks hooks;
};

struct HandheldConfig {
  std::filesystem::path root;
  // In a desktop window, in real time, when given and a window opens;
  // otherwise headless, on the virtual clock.
  std::optional<HandheldWindow> window;
  bool cardInserted = true;                        // the tuner card is in the slot at boot
  std::optional<std::filesystem::path> scene;      // the card's radio environment; built-in when absent
  std::optional<std::filesystem::path> busTrace;   // where the SD bus trace goes
  std::uint64_t seed = hw::Receiver::kDefaultSeed;  // the radio environment's fading and noise
};

class CardSlot;

class Handheld {
 public:
  // Boots the handheld; on failure returns nullptr and a message for the
  // user in error.
  static std::unique_ptr<Handheld> Boot(const HandheldConfig& config, std::string& error);
  ~Handheld();
  Handheld(const Handheld&) = delete;
  Handheld& operator=(const Handheld&) = delete;

  hw::Clock& clock() { return *clock_; }
  bool virtualTime() const { return clock_->IsVirtual(); }
  hw::Panel& panel() { return panel_; }
  hw::InputDevice& input() { return input_; }
  hw::Speaker& speaker() { return speaker_; }
  CardSlot& cardSlot() { return *cardSlot_; }
  // The desktop window, nullptr when headless; why a window asked for did
  // not open (empty when it did, or none was asked for).
  hw::WindowFrontEnd* window() { return window_.get(); }
  const std::string& windowRefusal() const { return windowRefusal_; }

  const std::filesystem::path& root() const { return root_; }
  // What provisioning did during this boot (empty when the root was ready).
  const std::vector<std::string>& provisioned() const { return provisioned_; }

 private:
  Handheld() = default;
  void OpenWindow(const HandheldWindow& window);
  void AttachDevices();
  std::string StartSystem();

  // They go in the reverse of this order: the window first, the clock
  // last (the card and the keypad's repeats run on it).
  std::unique_ptr<hw::Clock> clock_;  // real or virtual as the window decides
  hw::Panel panel_;
  hw::InputDevice input_;
  hw::Speaker speaker_;
  std::unique_ptr<CardSlot> cardSlot_;
  std::unique_ptr<hw::WindowFrontEnd> window_;
  std::string windowRefusal_;
  std::filesystem::path root_;
  bool attached_ = false;
  bool registryMounted_ = false;
  bool navigationBar_ = false;
  std::vector<std::string> provisioned_;
};

std::filesystem::path RegistryFileOf(const std::filesystem::path& root);

}  // namespace host
