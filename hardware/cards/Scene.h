// The radio environment the tuner card receives: a list of stations, each
// with its frequency, the level the card reports when tuned exactly to it
// (0..15) and whether it broadcasts in stereo.
//
// Scene files hold one station a line, '#' starts a comment:
//   FREQ_MHZ LEVEL stereo|mono [NAME...]      e.g. "95.0 15 stereo City FM"
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hw {

struct Station {
  std::int64_t hz = 0;
  int level = 0;
  bool stereo = false;
  std::string name;
};

class Scene {
 public:
  Scene() = default;
  explicit Scene(std::vector<Station> stations);

  // The built-in scene: stations across both FM bands, among them strong
  // and weak stereo stations, a weak mono one, a pair 200 kHz apart and
  // stations on both edges of the 87.5-108 MHz band.
  static Scene Default();

  // Parses scene text; on a malformed line returns nullopt and an error
  // "<source>:<line>: <what is wrong>".
  static std::optional<Scene> Parse(std::string_view text, std::string_view source, std::string& error);
  static std::optional<Scene> Load(const std::filesystem::path& file, std::string& error);

  const std::vector<Station>& stations() const { return stations_; }

 private:
  std::vector<Station> stations_;  // by frequency
};

}  // namespace hw
