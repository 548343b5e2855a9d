// A whole-band scan through the tuner layer and the real path below it, on
// the virtual clock: the CPU time it takes against the device time it
// covers (the pauses of the protocol, which the virtual clock skips).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <stdexcept>

#include "BandScan.h"
#include "TunerChannel.h"
#include "cards/RadioCard.h"
#include "devmgr/DeviceManager.h"
#include "kernel/Kernel.h"
#include "kernel/Registry.h"
#include "sd/SdHost.h"
#include "sdbus/SdBus.h"

namespace {

class ScanBench {
 public:
  ScanBench() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ondrel-scan-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
    ce::SetSystemClock(&clock_);
    if (auto error = ce::MountRegistry(root_ / "registry.db")) throw std::runtime_error(*error);
    ce::RegisterSdClientDriver(hw::RadioCard::kManufacturer, hw::RadioCard::kCardId, 1, u"Marvex.dll", u"MVX");
    bus_ = std::make_unique<ce::SdBus>(host_);
    host_.Insert(std::make_shared<hw::RadioCard>(clock_, hw::Scene::Default()));
    bus_->WaitIdle();
    tunerState = TunerState{};
    if (!radio_.CheckPresent()) throw std::runtime_error("MVX1: did not answer");
  }
  ~ScanBench() {
    radio_.Close();
    tunerState = TunerState{};
    host_.Remove();
    bus_->WaitIdle();
    bus_.reset();
    ce::UnmountRegistry();
    ce::SetSystemClock(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  RadioDevice& radio() { return radio_; }
  hw::Clock& clock() { return clock_; }

 private:
  std::filesystem::path root_;
  hw::Clock clock_{hw::Clock::Mode::Virtual};
  hw::SdHost host_{clock_};
  std::unique_ptr<ce::SdBus> bus_;
  RadioDevice radio_;
};

void BM_WholeBandScan(benchmark::State& state) {
  ScanBench bench;
  double deviceSeconds = 0;
  std::size_t stations = 0;
  for (auto _ : state) {
    std::uint64_t start = bench.clock().NowMs();
    stations = scan::ScanBand(bench.radio(), static_cast<int>(state.range(0))).size();
    deviceSeconds += (bench.clock().NowMs() - start) / 1000.0;
  }
  state.counters["stations"] = static_cast<double>(stations);
  state.counters["device_s"] = benchmark::Counter(deviceSeconds, benchmark::Counter::kAvgIterations);
  // Seconds of device time covered per second of run time.
  state.counters["device_s_per_s"] = benchmark::Counter(deviceSeconds, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WholeBandScan)->Arg(BAND_EUROPE)->Arg(BAND_JAPAN)->Unit(benchmark::kMillisecond);

}  // namespace
