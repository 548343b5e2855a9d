#include "hardware/cards/Scene.h"

#include <algorithm>

namespace hw {
namespace {

struct BuiltInStation {
  std::int64_t hz;
  int level;
  bool stereo;
  const char* name;
};

// The built-in radio environment.
constexpr BuiltInStation kBuiltIn[] = {
  // Japan band (76-90 MHz)
  {76'500'000, 11, true, "Harbour Wave"},
  {79'200'000, 9, false, "Hillside Relay"},
  {82'500'000, 13, true, "Tokai Lights"},
  {85'100'000, 6, true, "Night Owl"},
  // 87.5-108 MHz
  {87'500'000, 8, false, "Band Edge Low"},
  {88'600'000, 12, true, "Coastline FM"},
  {89'400'000, 7, true, "Far Stereo"},
  // a strong station with weak neighbours 300 kHz either side
  {89'900'000, 5, false, "Parish Talk"},
  {90'200'000, 15, true, "Metro One"},
  {90'500'000, 6, true, "Campus Air"},
  {91'300'000, 9, true, "Valley Radio"},
  {92'800'000, 7, false, "News Direct"},
  // a pair 200 kHz apart
  {94'100'000, 13, true, "Twin A"},
  {94'300'000, 10, true, "Twin B"},
  {96'000'000, 6, true, "Lakeside Stereo"},
  // a station one channel beside a strong one
  {97'700'000, 14, true, "Classic Hall"},
  {97'800'000, 10, false, "Street Beat"},
  {99'500'000, 11, false, "Sports Line"},
  {101'200'000, 8, true, "Jazz Corner"},
  {103'400'000, 12, true, "Hit Parade"},
  // off the raster: heard on 104.9 and 105.0, and as a ghost on 105.4 with
  // low-side injection, where a weak station sits 200 kHz below a strong one
  {104'950'000, 15, true, "Capital Rock"},
  {105'400'000, 5, false, "Village Radio"},
  {105'600'000, 15, true, "Riverside FM"},
  {107'000'000, 9, true, "Old Gold"},
  {108'000'000, 10, true, "Band Edge High"},
};

}  // namespace

Scene::Scene(std::vector<Station> stations) : stations_(std::move(stations)) {
  std::stable_sort(stations_.begin(), stations_.end(), [](const Station& a, const Station& b) { return a.hz < b.hz; });
}

Scene Scene::Default() {
  std::vector<Station> stations;
  for (const BuiltInStation& s : kBuiltIn) stations.push_back({s.hz, s.level, s.stereo, s.name, {}});
  return Scene(std::move(stations));
}

}  // namespace hw
