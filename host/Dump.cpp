#include "host/Dump.h"

#include <nlohmann/json.hpp>

#include <cmath>

#include "host/CardSlot.h"
#include "host/Handheld.h"
#include "platform/kernel/Utf.h"
#include "platform/shell/Power.h"
#include "platform/user/Desktop.h"

namespace host {
namespace {

// One line with a space after every ':' and ',', the way people and most
// tools print JSON on one line ({"t": 1000, "card": {...}}).
void WriteSpaced(const nlohmann::ordered_json& value, std::string& out) {
  if (value.is_object()) {
    out += '{';
    bool first = true;
    for (const auto& [key, item] : value.items()) {
      if (!first) out += ", ";
      first = false;
      out += nlohmann::json(key).dump();
      out += ": ";
      WriteSpaced(item, out);
    }
    out += '}';
  } else if (value.is_array()) {
    out += '[';
    bool first = true;
    for (const auto& item : value) {
      if (!first) out += ", ";
      first = false;
      WriteSpaced(item, out);
    }
    out += ']';
  } else {
    out += value.dump();
  }
}

// The tuner card as its model sees it.
nlohmann::ordered_json CardState(const CardSlot& slot) {
  if (!slot.Present()) return {{"present", false}};
  hw::RadioCard::View card = slot.Observe();
  const hw::TunerChip::State& chip = card.chip;
  return {{"present", true},
          {"khz", chip.tunedHz / 1000.0},
          {"pll", chip.pll},
          {"high_side", chip.highSide},
          {"mute", chip.mute},
          {"mono", chip.mono},
          {"searching", chip.searching},
          {"standby", chip.standby},
          {"japan", chip.japan},
          {"level", chip.level},
          {"stereo", chip.stereo},
          {"station", chip.heard ? nlohmann::ordered_json(chip.heard->name) : nlohmann::ordered_json()},
          {"volume_step", card.volume},
          {"switches", card.switches},
          {"audio", card.audio}};
}

// The windows on the screen, front first, each followed by its children;
// coordinates on the screen.
nlohmann::ordered_json WindowList() {
  nlohmann::ordered_json list = nlohmann::json::array();
  for (const ce::WindowInfo& window : ce::ListWindows()) {
    list.push_back({{"class", ce::ToUtf8(window.className)},
                    {"title", ce::ToUtf8(window.title)},
                    {"visible", window.visible},
                    {"x", window.rect.left},
                    {"y", window.rect.top},
                    {"w", window.rect.right - window.rect.left},
                    {"h", window.rect.bottom - window.rect.top},
                    {"text", ce::ToUtf8(window.text)}});
  }
  return list;
}

}  // namespace

std::string DumpState(Handheld& handheld) {
  nlohmann::ordered_json state;
  state["t"] = handheld.clock().NowMs();
  state["card"] = CardState(handheld.cardSlot());
  state["backlight"] = handheld.panel().backlight();
  // What the speaker played over the last 100 ms.
  state["speaker"] = {{"level_dbfs", std::round(handheld.speaker().LevelDbfs(handheld.clock().NowUs()) * 10) / 10}};
  state["windows"] = WindowList();
  // How the program keeps the handheld awake: resets of the idle timer.
  ce::IdleTimerState idle = ce::IdleTimer();
  state["idle_resets"] = idle.resets;
  state["last_idle_reset"] = idle.lastResetMs ? nlohmann::ordered_json(*idle.lastResetMs) : nlohmann::ordered_json();
  std::string line;
  WriteSpaced(state, line);
  return line;
}

}  // namespace host
