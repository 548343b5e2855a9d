// One control request through the whole stack: DeviceIoControl on "MVX1:",
// the device manager, Marvex, the SD bus driver, the host controller (with
// its trace) and the radio card model.
#include <benchmark/benchmark.h>

#include <cstring>
#include <stdexcept>

#include "driver/include/TunerRequest.h"
#include "tests/support/TunerSlot.h"
#include "windows.h"

namespace {

// The radio card in the slot and "MVX1:" open on it.
class TunerBench {
 public:
  TunerBench() {
    slot_.InsertRadioCard();
    device_ = CreateFileW(u"MVX1:", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (device_ == INVALID_HANDLE_VALUE) throw std::runtime_error("MVX1: did not appear");
  }
  ~TunerBench() { CloseHandle(device_); }
  HANDLE device() const { return device_; }

 private:
  TunerSlot slot_{"ondrel-bench"};
  HANDLE device_ = INVALID_HANDLE_VALUE;
};

void BM_DeviceIoControlRoundTrip(benchmark::State& state) {
  TunerBench bench;
  TunerRequest request;
  std::memset(&request, 0, sizeof request);
  request.command = static_cast<DWORD>(state.range(0));
  BYTE reply[24];
  DWORD returned = 0;
  for (auto _ : state) {
    BOOL ok = DeviceIoControl(bench.device(), IOCTL_TUNER_TRANSFER, &request, sizeof request, reply, sizeof reply,
                              &returned, nullptr);
    benchmark::DoNotOptimize(ok);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DeviceIoControlRoundTrip)->Arg(TUNER_CMD_READ)->Arg(TUNER_CMD_SET_SWITCHES);

}  // namespace
