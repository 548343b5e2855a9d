#include "Dump.h"

#include <nlohmann/json.hpp>

#include "Handheld.h"

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

}  // namespace

std::string DumpState(Handheld& handheld) {
  nlohmann::ordered_json state;
  state["t"] = handheld.clock().NowMs();
  // The SD slot is empty until the tuner card is modelled.
  state["card"] = {{"present", false}};
  state["backlight"] = true;
  state["windows"] = nlohmann::json::array();
  std::string line;
  WriteSpaced(state, line);
  return line;
}

}  // namespace host
