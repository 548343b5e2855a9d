// The tuner layer on a handheld with the real path below it: device
// manager, Marvex, SD bus and a card in the slot, all on a virtual clock.
// Requests are checked where the card sees them, in the bus trace.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "CardControls.h"
#include "TunerChannel.h"
#include "TunerImage.h"
#include "TunerControl.h"
#include "Tuning.h"
#include "hardware/cards/RadioCard.h"
#include "hardware/cards/ScriptedCard.h"
#include "tests/support/TunerSlot.h"

using Bytes = std::vector<std::uint8_t>;

// The chip's status bytes S0..S4 for a receiver tuned to frequency.
inline Bytes Status(int frequency, int level, int ifCounter, bool stereo, bool highSide = false) {
  int pll = FrequencyToPll(static_cast<WORD>(frequency), highSide);
  return {static_cast<std::uint8_t>(pll >> 8), static_cast<std::uint8_t>(pll),
          static_cast<std::uint8_t>((stereo ? 0x80 : 0) | ifCounter), static_cast<std::uint8_t>(level << 4), 0};
}

// A scripted tuner card whose status reads answer from a queue, one reply
// per read; the last reply stays for the reads after it.
class StatusCard : public hw::ScriptedCard {
 public:
  StatusCard() : ScriptedCard(TunerSlot::TunerCardInfo()) {}

  void QueueReply(Bytes status) {
    std::lock_guard lock(queueMutex_);
    replies_.push_back(std::move(status));
  }

  hw::SdStatus ReadBlock(unsigned function, std::uint32_t address, std::span<std::uint8_t> data) override {
    if (address == hw::RadioCard::kRegTuner) {
      std::lock_guard lock(queueMutex_);
      if (!replies_.empty()) {
        SetReadData(address, replies_.front());
        replies_.pop_front();
      }
    }
    return ScriptedCard::ReadBlock(function, address, data);
  }

 private:
  std::mutex queueMutex_;
  std::deque<Bytes> replies_;
};

// One CMD53 request as the bus trace shows it.
struct BusRequest {
  std::uint64_t ms = 0;
  bool write = false;
  unsigned reg = 0;
  Bytes data;
  int status = 0;
};

class TunerFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    TunerChannel::Close();
    tunerState = TunerState{};
  }

  void TearDown() override {
    TunerChannel::Close();
    tunerState = TunerState{};
  }

  void Insert(std::shared_ptr<hw::SdCard> card) { ASSERT_TRUE(slot_.Insert(std::move(card))); }
  void Remove() { slot_.Remove(); }

  // A status card in the slot, the channel open, the trace empty.
  std::shared_ptr<StatusCard> OpenWithStatusCard() {
    auto card = std::make_shared<StatusCard>();
    Insert(card);
    EXPECT_TRUE(TunerChannel::Open());
    host_.trace().Clear();
    return card;
  }

  std::vector<BusRequest> Requests() {
    std::vector<BusRequest> out;
    for (const std::string& line : host_.trace().Lines()) {
      BusRequest r;
      unsigned long long ms = 0;
      char dir = 0;
      unsigned command = 0;
      int used = 0;
      if (std::sscanf(line.c_str(), "t=%llu CMD%u %c fn=%*u reg=0x%x%n", &ms, &command, &dir, &r.reg, &used) < 4 ||
          command != 53)
        continue;
      r.ms = ms;
      r.write = dir == 'W';
      const char* p = line.c_str() + used;
      unsigned byte = 0;
      int n = 0;
      while (std::sscanf(p, " %2x%n", &byte, &n) == 1) {
        r.data.push_back(static_cast<std::uint8_t>(byte));
        p += n;
      }
      std::sscanf(p, " status=%d", &r.status);
      out.push_back(r);
    }
    return out;
  }

  // Requests to one register, in order.
  std::vector<BusRequest> RequestsTo(unsigned reg) {
    std::vector<BusRequest> out;
    for (const BusRequest& r : Requests())
      if (r.reg == reg) out.push_back(r);
    return out;
  }

  // The W0..W4 of each image write.
  std::vector<Bytes> ImageWrites() {
    std::vector<Bytes> out;
    for (const BusRequest& r : RequestsTo(hw::RadioCard::kRegTuner))
      if (r.write) out.emplace_back(r.data.begin(), r.data.begin() + TUNER_IMAGE_SIZE);
    return out;
  }

  // "W" and "R" for each tuner-chip request, with its time since start.
  std::vector<std::string> ChipTimeline(std::uint64_t start) {
    std::vector<std::string> out;
    for (const BusRequest& r : RequestsTo(hw::RadioCard::kRegTuner))
      out.push_back((r.write ? "W@" : "R@") + std::to_string(r.ms - start));
    return out;
  }

  TunerSlot slot_{"ondrel-tuner"};
  hw::Clock& clock_ = slot_.clock;
  hw::SdHost& host_ = slot_.host;
};
