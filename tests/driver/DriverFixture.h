// The tuner driver's tests: a tuner slot (the handheld cut down to what
// Marvex needs) and requests sent to "MVX1:" as the radio program sends
// them.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "hardware/cards/ScriptedCard.h"
#include "driver/include/TunerRequest.h"
#include "tests/support/TunerSlot.h"
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
  // A scripted card that the radio card's driver is registered for.
  static std::shared_ptr<hw::ScriptedCard> ScriptedTunerCard() {
    return std::make_shared<hw::ScriptedCard>(TunerSlot::TunerCardInfo());
  }

  void Insert(std::shared_ptr<hw::SdCard> card) { ASSERT_TRUE(slot_.Insert(std::move(card))); }
  void Remove() { slot_.Remove(); }

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

  TunerSlot slot_{"ondrel-driver"};
  hw::Clock& clock_ = slot_.clock;
  hw::SdHost& host_ = slot_.host;
};
