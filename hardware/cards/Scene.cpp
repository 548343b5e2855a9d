#include "hardware/cards/Scene.h"
#include "hardware/cards/Programme.h"
#include "hardware/text/Words.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>

namespace hw {
namespace {

// Frequencies the FM tuner can reach at all, with room around both bands.
constexpr double kLowestMhz = 64.0;
constexpr double kHighestMhz = 110.0;

template <class T>
bool ParseNumber(std::string_view word, T& value) {
  const char* end = word.data() + word.size();
  auto [ptr, ec] = std::from_chars(word.data(), end, value);
  return ec == std::errc() && ptr == end;
}

// One station line; returns what is wrong with it, empty when it is good.
std::string ParseStation(std::string_view line, const std::filesystem::path& baseDir, Station& station) {
  auto words = hw::SplitWords(line);
  if (words.size() < 3)
    return "expected FREQ_MHZ LEVEL stereo|mono [audio=PATH] [NAME], got \"" + std::string(line) + "\"";
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
    if (std::string problem = CheckProgrammeFile(station.audio); !problem.empty()) return problem;
    nameFrom = 4;
  }
  for (std::size_t i = nameFrom; i < words.size(); ++i) {
    if (!station.name.empty()) station.name += ' ';
    station.name += words[i];
  }
  return {};
}

}  // namespace

Scene::Scene(std::vector<Station> stations) : stations_(std::move(stations)) {
  std::stable_sort(stations_.begin(), stations_.end(), [](const Station& a, const Station& b) { return a.hz < b.hz; });
}

std::optional<Scene> Scene::Parse(std::string_view text, std::string_view source, std::string& error,
                                  const std::filesystem::path& baseDir) {
  std::vector<Station> stations;
  std::size_t lineNumber = 0;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    ++lineNumber;
    if (auto hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
    if (hw::SplitWords(line).empty()) continue;
    Station station;
    if (std::string problem = ParseStation(line, baseDir, station); !problem.empty()) {
      error = std::string(source) + ":" + std::to_string(lineNumber) + ": " + problem;
      return std::nullopt;
    }
    stations.push_back(std::move(station));
  }
  return Scene(std::move(stations));
}

std::optional<Scene> Scene::Load(const std::filesystem::path& file, std::string& error) {
  std::error_code ec;
  if (std::filesystem::is_directory(file, ec)) {
    error = "cannot read the scene " + file.string() + ": it is a folder";
    return std::nullopt;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    error = "cannot read the scene " + file.string();
    return std::nullopt;
  }
  std::stringstream text;
  text << in.rdbuf();
  return Parse(text.str(), file.string(), error, file.parent_path());
}

Scene Scene::Default() {
  static constexpr std::string_view kText = R"(# The built-in radio environment.
# Japan band (76-90 MHz)
76.5   11 stereo Harbour Wave
79.2    9 mono   Hillside Relay
82.5   13 stereo Tokai Lights
85.1    6 stereo Night Owl
# 87.5-108 MHz
87.5    8 mono   Band Edge Low
88.6   12 stereo Coastline FM
89.4    7 stereo Far Stereo
# a strong station with weak neighbours 300 kHz either side
89.9    5 mono   Parish Talk
90.2   15 stereo Metro One
90.5    6 stereo Campus Air
91.3    9 stereo Valley Radio
92.8    7 mono   News Direct
# a pair 200 kHz apart
94.1   13 stereo Twin A
94.3   10 stereo Twin B
96.0    6 stereo Lakeside Stereo
# a station one channel beside a strong one
97.7   14 stereo Classic Hall
97.8   10 mono   Street Beat
99.5   11 mono   Sports Line
101.2   8 stereo Jazz Corner
103.4  12 stereo Hit Parade
# off the raster: heard on 104.9 and 105.0, and as a ghost on 105.4 with
# low-side injection, where a weak station sits 200 kHz below a strong one
104.95 15 stereo Capital Rock
105.4   5 mono   Village Radio
105.6  15 stereo Riverside FM
107.0   9 stereo Old Gold
108.0  10 stereo Band Edge High
)";
  std::string error;
  return *Parse(kText, "built-in scene", error);
}

}  // namespace hw
