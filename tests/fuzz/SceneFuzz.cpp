// libFuzzer target: every input is a scene file for `ondrel --scene`. A
// scene is refused naming the line at fault, or it is a list of stations
// by frequency that the tuner card can receive: on the FM dial, with a
// level the card can report.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "host/SceneFile.h"

namespace {

constexpr const char* kSource = "fuzz.scene";

void CheckStations(const hw::Scene& scene) {
  std::int64_t previous = 0;
  for (const hw::Station& station : scene.stations()) {
    fuzz::Require(station.hz >= 64'000'000 && station.hz <= 110'000'000, "a station is on the FM dial");
    fuzz::Require(station.hz % 1000 == 0, "a station's frequency is a whole kHz");
    fuzz::Require(station.level >= 0 && station.level <= 15, "a station's level is one the card reports");
    fuzz::Require(station.hz >= previous, "stations come by frequency");
    previous = station.hz;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string error;
  auto scene = host::ParseScene(text, kSource, error, {}, false);
  if (!scene) {
    fuzz::Require(error.starts_with(std::string(kSource) + ":"), "a refusal names the scene and the line");
    return 0;
  }
  fuzz::Require(error.empty(), "a scene that loads leaves no error");
  CheckStations(*scene);
  return 0;
}
