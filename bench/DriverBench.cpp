// One control request through the whole stack: DeviceIoControl on "MVX1:",
// the device manager, Marvex, the SD bus driver, the host controller (with
// its trace) and the radio card model.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "cards/RadioCard.h"
#include "devmgr/DeviceManager.h"
#include "driver/TunerRequest.h"
#include "kernel/Kernel.h"
#include "kernel/Registry.h"
#include "sd/SdHost.h"
#include "sdbus/SdBus.h"
#include "windows.h"

namespace {

class TunerBench {
 public:
  TunerBench() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ondrel-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
    ce::SetSystemClock(&clock_);
    if (auto error = ce::MountRegistry(root_ / "registry.db")) throw std::runtime_error(*error);
    ce::RegisterSdClientDriver(hw::RadioCard::kManufacturer, hw::RadioCard::kCardId, 1, u"Marvex.dll", u"MVX");
    bus_ = std::make_unique<ce::SdBus>(host_);
    host_.Insert(std::make_shared<hw::RadioCard>(clock_, hw::Scene::Default()));
    bus_->WaitIdle();
    device_ = CreateFileW(u"MVX1:", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (device_ == INVALID_HANDLE_VALUE) throw std::runtime_error("MVX1: did not appear");
  }
  ~TunerBench() {
    CloseHandle(device_);
    host_.Remove();
    bus_->WaitIdle();
    bus_.reset();
    ce::UnmountRegistry();
    ce::SetSystemClock(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  HANDLE device() const { return device_; }

 private:
  std::filesystem::path root_;
  hw::Clock clock_{hw::Clock::Mode::Virtual};
  hw::SdHost host_{clock_};
  std::unique_ptr<ce::SdBus> bus_;
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
