// What listening costs, as CPU time over audio time: the card's sound and
// the speaker's mix in real time (the share of one core they take), and
// whole headless runs of the radio with and without a recording.
#include <benchmark/benchmark.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/Host.h"
#include "hardware/cards/RadioCard.h"
#include "hardware/sound/Speaker.h"

namespace {

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The card tuned where it hears most at once: a weak stereo station
// fading in its hiss beside a strong one, with an image.
void BM_CardSoundAndMix(benchmark::State& state) {
  hw::Clock clock(hw::Clock::Mode::Virtual);
  auto card = std::make_shared<hw::RadioCard>(clock, hw::Scene::Default());
  card->PowerOn({});
  std::array<std::uint8_t, 8> on{0x02};
  card->WriteBlock(1, hw::RadioCard::kRegSwitches, on);
  const std::uint16_t pll = hw::TunerChip::PllOf(state.range(0) * 100'000, false);
  std::array<std::uint8_t, 8> image{std::uint8_t(pll >> 8), std::uint8_t(pll), 0x40, 0, 0};
  card->WriteBlock(1, hw::RadioCard::kRegTuner, image);
  hw::Speaker speaker;
  speaker.SetStream(card->audio());
  // The front end's rounds: 5 ms at a time.
  std::vector<std::int16_t> out(240 * 2);
  std::int64_t frame = 0;
  const double cpu = CpuSeconds();
  for (auto _ : state) {
    speaker.Mix(frame, out);
    frame += 240;
    benchmark::DoNotOptimize(out.data());
  }
  const double audio = double(frame) / hw::Speaker::kRate;
  state.counters["core_share_pct"] = 100.0 * (CpuSeconds() - cpu) / audio;
}
BENCHMARK(BM_CardSoundAndMix)->Arg(1054)->Arg(902)->Arg(965)->Unit(benchmark::kMicrosecond);

// Ten minutes of the radio playing a station, headless; arg 1 records it.
void BM_HeadlessTenMinutes(benchmark::State& state) {
  const auto dir = std::filesystem::temp_directory_path() / "ondrel-sound-bench";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "s.txt") << "wait 600000\n";
  std::vector<std::string> args = {"--headless", "--root", (dir / "root").string(), "--program", ONDREL_MODULE_PATH,
                                   "--script", (dir / "s.txt").string()};
  if (state.range(0)) args.insert(args.end(), {"--record", (dir / "ten.wav").string()});
  std::vector<std::string_view> views(args.begin(), args.end());
  double cpu = 0;
  for (auto _ : state) {
    std::ostringstream out, err;
    const double before = CpuSeconds();
    if (host::RunHost(views, out, err) != 0) state.SkipWithError(err.str().c_str());
    cpu += CpuSeconds() - before;
  }
  state.counters["cpu_s"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
  state.counters["times_real_time"] = benchmark::Counter(600.0 * double(state.iterations()) / cpu);
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_HeadlessTenMinutes)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
