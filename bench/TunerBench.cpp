// A whole-band scan through the tuner layer and the real path below it, on
// the virtual clock: the CPU time it takes against the device time it
// covers (the pauses of the protocol, which the virtual clock skips).
#include <benchmark/benchmark.h>

#include <stdexcept>

#include "BandScan.h"
#include "TunerState.h"
#include "tests/support/TunerSlot.h"

namespace {

// The radio card in the slot and the tuner layer on it.
class ScanBench {
 public:
  ScanBench() {
    slot_.InsertRadioCard();
    tunerState = TunerState{};
    if (!radio_.CheckPresent()) throw std::runtime_error("MVX1: did not answer");
  }
  ~ScanBench() {
    radio_.Close();
    tunerState = TunerState{};
  }
  RadioDevice& radio() { return radio_; }
  hw::Clock& clock() { return slot_.clock; }

 private:
  TunerSlot slot_{"ondrel-scan-bench"};
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
