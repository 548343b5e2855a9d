#include "host/SceneFile.h"

#include <cmath>

#include "hardware/cards/Programme.h"
#include "host/LineReader.h"

namespace host {
namespace {

// Frequencies the FM tuner can reach at all, with room around both bands.
constexpr double kLowestMhz = 64.0;
constexpr double kHighestMhz = 110.0;

// One station line; returns what is wrong with it, empty when it is good.
std::string ParseStation(const TextLine& line, const std::filesystem::path& baseDir, bool checkProgrammes,
                         hw::Station& station) {
  const std::vector<std::string_view>& words = line.words;
  if (words.size() < 3)
    return "expected FREQ_MHZ LEVEL stereo|mono [audio=PATH] [NAME], got \"" + std::string(line.text) + "\"";
  double mhz = 0;
  if (!ParseNumber(words[0], mhz) || !std::isfinite(mhz))
    return "the frequency \"" + std::string(words[0]) + "\" is not a number of MHz";
  if (mhz < kLowestMhz || mhz > kHighestMhz) return "the frequency " + std::string(words[0]) + " MHz is out of range";
  int level = 0;
  if (!ParseNumber(words[1], level) || level < 0 || level > 15)
    return "the level \"" + std::string(words[1]) + "\" is not a whole number 0..15";
  if (words[2] != "stereo" && words[2] != "mono")
    return "expected stereo or mono, got \"" + std::string(words[2]) + "\"";
  station.hz = std::llround(mhz * 1000.0) * 1000;  // to the kHz
  station.level = level;
  station.stereo = words[2] == "stereo";
  station.name.clear();
  station.audio.clear();
  std::size_t nameFrom = 3;
  if (words.size() > 3 && words[3].starts_with("audio=")) {
    std::string_view path = words[3].substr(6);
    if (path.empty()) return "audio= needs the path of a sound file";
    station.audio = baseDir / std::filesystem::path(std::string(path));
    if (checkProgrammes) {
      if (std::string problem = hw::CheckProgrammeFile(station.audio); !problem.empty()) return problem;
    }
    nameFrom = 4;
  }
  for (std::size_t i = nameFrom; i < words.size(); ++i) {
    if (!station.name.empty()) station.name += ' ';
    station.name += words[i];
  }
  return {};
}

}  // namespace

std::optional<hw::Scene> ParseScene(std::string_view text, std::string_view source, std::string& error,
                                    const std::filesystem::path& baseDir, bool checkProgrammes) {
  std::vector<hw::Station> stations;
  LineReader reader(text);
  for (TextLine line; reader.Next(line);) {
    hw::Station station;
    if (std::string problem = ParseStation(line, baseDir, checkProgrammes, station); !problem.empty()) {
      error = std::string(source) + ":" + std::to_string(line.number) + ": " + problem;
      return std::nullopt;
    }
    stations.push_back(std::move(station));
  }
  return hw::Scene(std::move(stations));
}

std::optional<hw::Scene> LoadScene(const std::filesystem::path& file, std::string& error) {
  std::optional<std::string> text = ReadTextFile(file, "scene", error);
  if (!text) return std::nullopt;
  return ParseScene(*text, file.string(), error, file.parent_path());
}

}  // namespace host
