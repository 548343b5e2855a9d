// Programs keep talking to the tuner while the card is pulled and put back
// (so the driver is unloaded and loaded again) and searches end with card
// interrupts on the bus thread. Every request must complete or fail
// cleanly; nothing may crash, hang, leak a handle or race.
#include <atomic>
#include <chrono>
#include <thread>

#include "DriverFixture.h"
#include "platform/kernel/KernelObject.h"
#include "platform/kernel/ProgramLoader.h"

namespace {

class ConcurrencyTest : public DriverFixture {};

struct Tally {
  std::atomic<int> succeeded{0};
  std::atomic<int> deviceGone{0};     // the handle's device went: reopen
  std::atomic<int> transferFailed{0}; // the card went before the driver heard of it
  std::atomic<int> notOpened{0};
  std::atomic<int> unexpected{0};
  std::atomic<DWORD> unexpectedError{0};
  void Unexpected() {
    unexpectedError = GetLastError();
    unexpected++;
  }
};

constexpr DWORD kUntouched = 0xBADC0DE;

TunerRequest RequestFor(int thread, int i) {
  TunerRequest request;
  std::memset(&request, 0, sizeof request);
  switch ((thread + i) % 4) {
    case 0:
      request.command = TUNER_CMD_READ;
      break;
    case 1:  // a search up from 87.5 MHz, which ends with a card interrupt
      request.command = TUNER_CMD_WRITE;
      request.writeData[0] = 0xC0 | (6982 >> 8);
      request.writeData[1] = 6982 & 0xFF;
      request.writeData[2] = 0xC0;
      break;
    case 2:
      request.command = i % 2 ? TUNER_CMD_VOLUME_UP : TUNER_CMD_VOLUME_DOWN;
      break;
    default:
      request.command = TUNER_CMD_SET_SWITCHES;
      request.switchWord = static_cast<DWORD>(i & 3);
      break;
  }
  return request;
}

void Client(int thread, const std::atomic<bool>& stop, Tally& tally) {
  HANDLE device = INVALID_HANDLE_VALUE;
  for (int i = 0; !stop; ++i) {
    if (device == INVALID_HANDLE_VALUE) {
      device = DriverFixture::OpenTuner();
      if (device == INVALID_HANDLE_VALUE) {
        // Not there, or gone while being opened.
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_DEVICE_NOT_CONNECTED) tally.notOpened++;
        else tally.Unexpected();
        std::this_thread::yield();
        continue;
      }
    }
    TunerRequest request = RequestFor(thread, i);
    SetLastError(kUntouched);
    if (DriverFixture::Send(device, request)) {
      tally.succeeded++;
    } else if (GetLastError() == ERROR_DEVICE_NOT_CONNECTED) {
      tally.deviceGone++;
      CloseHandle(device);
      device = INVALID_HANDLE_VALUE;
    } else if (GetLastError() == kUntouched) {
      tally.transferFailed++;
    } else {
      tally.Unexpected();
    }
  }
  if (device != INVALID_HANDLE_VALUE) CloseHandle(device);
}

TEST_F(ConcurrencyTest, RequestsDuringPullsReloadsAndInterruptsCompleteOrFailCleanly) {
  auto card = std::make_shared<hw::RadioCard>(clock_, hw::Scene::Default());
  Insert(card);
  const std::size_t handlesBefore = ce::KernelHandles::Instance().Size();

  Tally tally;
  constexpr int kThreads = 4;
  std::atomic<bool> stop{false};
  std::vector<std::thread> clients;
  for (int t = 0; t < kThreads; ++t) clients.emplace_back(Client, t, std::cref(stop), std::ref(tally));
  for (int cycle = 0; cycle < 25; ++cycle) {
    clock_.SleepMs(60);  // searches end: interrupts reach the driver on the bus thread
    Remove();
    std::this_thread::yield();
    Insert(card);
    // Let the programs find the new device and use it, however busy the
    // machine is (a bound in real time, not a measure).
    const int before = tally.succeeded;
    for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
         tally.succeeded == before && std::chrono::steady_clock::now() < until;)
      std::this_thread::yield();
  }
  stop = true;
  for (auto& client : clients) client.join();

  EXPECT_EQ(tally.unexpected, 0) << "last unexpected error " << tally.unexpectedError;
  EXPECT_GT(tally.succeeded, 0) << tally.notOpened << " opens failed, " << tally.transferFailed
                                << " transfers failed, " << tally.deviceGone << " devices went";
  EXPECT_EQ(ce::KernelHandles::Instance().Size(), handlesBefore);  // every handle was closed

  // The last driver still works, and goes completely with the card.
  HANDLE device = OpenTuner();
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  TunerRequest read = Request(TUNER_CMD_READ);
  EXPECT_TRUE(Send(device, read));
  CloseHandle(device);
  Remove();
  EXPECT_TRUE(ce::ActiveDevices().empty());
  EXPECT_FALSE(ce::IsModuleMapped(ce::DriverFolder() / "Marvex.so"));
}

}  // namespace
