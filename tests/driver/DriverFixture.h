// A handheld with just what the tuner driver needs: a virtual clock, a
// device root with its registry, the SD host with a card slot, the SD bus
// driver and the device manager, and Marvex registered for the radio card.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cards/RadioCard.h"
#include "cards/ScriptedCard.h"
#include "devmgr/DeviceManager.h"
#include "driver/TunerRequest.h"
#include "kernel/Kernel.h"
#include "kernel/Registry.h"
#include "sd/SdHost.h"
#include "sdbus/SdBus.h"
#include "windows.h"

class DriverFixture : public ::testing::Test {
 public:
  static HANDLE OpenTuner() {
    return CreateFileW(u"MVX1:", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
  }

  // Sends one request as the radio program does; returns DeviceIoControl's result.
  static BOOL Send(HANDLE device, TunerRequest& request, DWORD* returned = nullptr) {
    BYTE reply[24] = {};
    DWORD count = 0;
    BOOL ok = DeviceIoControl(device, IOCTL_TUNER_TRANSFER, &request, sizeof request, reply, sizeof reply, &count,
                              nullptr);
    if (returned) *returned = count;
    return ok;
  }

 protected:
  void SetUp() override {
    root_ = std::filesystem::path(::testing::TempDir()) /
            ("driver-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
    ce::SetSystemClock(&clock_);
    ce::SetDeviceRoot(root_);
    ASSERT_FALSE(ce::MountRegistry(root_ / "registry.db"));
    ASSERT_EQ(ce::RegisterSdClientDriver(hw::RadioCard::kManufacturer, hw::RadioCard::kCardId, 1, u"Marvex.dll",
                                         u"MVX"),
              "");
    bus_ = std::make_unique<ce::SdBus>(host_);
  }

  void TearDown() override {
    Remove();
    bus_.reset();
    ce::UnmountRegistry();
    ce::SetDeviceRoot({});
    ce::SetSystemClock(nullptr);
    std::filesystem::remove_all(root_);
  }

  // A scripted card that the radio card's driver is registered for.
  static std::shared_ptr<hw::ScriptedCard> ScriptedTunerCard() {
    hw::SdCardInfo info;
    info.manufacturer = hw::RadioCard::kManufacturer;
    info.cardId = hw::RadioCard::kCardId;
    return std::make_shared<hw::ScriptedCard>(info);
  }

  void Insert(std::shared_ptr<hw::SdCard> card) {
    ASSERT_TRUE(host_.Insert(std::move(card)));
    bus_->WaitIdle();
  }
  void Remove() {
    host_.Remove();
    if (bus_) bus_->WaitIdle();
  }

  static TunerRequest Request(DWORD command) {
    TunerRequest request;
    std::memset(&request, 0, sizeof request);
    request.command = command;
    return request;
  }

  std::vector<std::string> TraceWith(const std::string& part) {
    std::vector<std::string> lines;
    for (auto& line : host_.trace().Lines())
      if (line.find(part) != std::string::npos) lines.push_back(line);
    return lines;
  }

  std::filesystem::path root_;
  hw::Clock clock_{hw::Clock::Mode::Virtual};
  hw::SdHost host_{clock_};
  std::unique_ptr<ce::SdBus> bus_;
};
