// A card for tests: what it tells the bus about itself, what it returns
// for reads and how its transfers end are set by the test, and it records
// every transfer it sees. It raises its interrupt when the test says so.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <vector>

#include "hardware/sd/SdCard.h"

namespace hw {

class ScriptedCard : public SdCard {
 public:
  struct Transfer {
    bool write = false;
    bool direct = false;  // CMD52 (one byte) rather than CMD53
    unsigned function = 0;
    std::uint32_t address = 0;
    std::vector<std::uint8_t> data;
  };

  explicit ScriptedCard(SdCardInfo info = {}) : info_(info) {}

  void SetInfo(const SdCardInfo& info);
  // What reads of an address return (zeros when nothing was set).
  void SetReadData(std::uint32_t address, std::vector<std::uint8_t> data);
  // How the next transfers end, one status each, in order; Ok after that.
  void QueueStatus(SdStatus status);
  // Raises the card interrupt now, as a powered card would.
  void RaiseInterrupt();

  std::vector<Transfer> Transfers() const;
  void ClearTransfers();
  bool Powered() const;

  SdCardInfo Info() const override;
  void PowerOn(InterruptLine line) override;
  void PowerOff() override;
  SdStatus ReadByte(unsigned function, std::uint32_t address, std::uint8_t& value) override;
  SdStatus WriteByte(unsigned function, std::uint32_t address, std::uint8_t value) override;
  SdStatus ReadBlock(unsigned function, std::uint32_t address, std::span<std::uint8_t> data) override;
  SdStatus WriteBlock(unsigned function, std::uint32_t address, std::span<const std::uint8_t> data) override;

 private:
  SdStatus Record(Transfer transfer);
  void FillRead(std::uint32_t address, std::span<std::uint8_t> data) const;

  mutable std::mutex mutex_;
  SdCardInfo info_;
  std::map<std::uint32_t, std::vector<std::uint8_t>> readData_;
  std::deque<SdStatus> statuses_;
  std::vector<Transfer> transfers_;
  InterruptLine line_;
  bool powered_ = false;
};

}  // namespace hw
