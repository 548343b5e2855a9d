// The radio environment the tuner card receives: a list of stations, each
// with its frequency, the level the card reports when tuned exactly to it
// on a clean channel (0..15), whether it broadcasts in stereo, and what
// it broadcasts. The host reads scene files into one.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace hw {

struct Station {
  std::int64_t hz = 0;
  int level = 0;
  bool stereo = false;
  std::string name;
  std::filesystem::path audio;  // the programme's file; empty for the built-in one
};

class Scene {
 public:
  Scene() = default;
  explicit Scene(std::vector<Station> stations);

  // The built-in scene: a band across both FM bands with strong stations
  // and weak neighbours, a station one channel beside a strong one, a
  // pair 200 kHz apart, a strong station off the 100 kHz raster whose
  // image falls on a weak station's channel, weak stereo stations near
  // the stereo threshold, and stations on both edges of 87.5-108 MHz.
  static Scene Default();

  const std::vector<Station>& stations() const { return stations_; }

 private:
  std::vector<Station> stations_;  // by frequency
};

}  // namespace hw
