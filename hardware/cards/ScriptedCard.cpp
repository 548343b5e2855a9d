#include "hardware/cards/ScriptedCard.h"

#include <algorithm>

namespace hw {

void ScriptedCard::SetInfo(const SdCardInfo& info) {
  std::lock_guard lock(mutex_);
  info_ = info;
}

void ScriptedCard::SetReadData(std::uint32_t address, std::vector<std::uint8_t> data) {
  std::lock_guard lock(mutex_);
  readData_[address] = std::move(data);
}

void ScriptedCard::QueueStatus(SdStatus status) {
  std::lock_guard lock(mutex_);
  statuses_.push_back(status);
}

void ScriptedCard::RaiseInterrupt() {
  InterruptLine line;
  {
    std::lock_guard lock(mutex_);
    if (!powered_) return;
    line = line_;
  }
  if (line) line();
}

std::vector<ScriptedCard::Transfer> ScriptedCard::Transfers() const {
  std::lock_guard lock(mutex_);
  return transfers_;
}

void ScriptedCard::ClearTransfers() {
  std::lock_guard lock(mutex_);
  transfers_.clear();
}

bool ScriptedCard::Powered() const {
  std::lock_guard lock(mutex_);
  return powered_;
}

SdCardInfo ScriptedCard::Info() const {
  std::lock_guard lock(mutex_);
  return info_;
}

void ScriptedCard::PowerOn(InterruptLine line) {
  std::lock_guard lock(mutex_);
  powered_ = true;
  line_ = std::move(line);
}

void ScriptedCard::PowerOff() {
  std::lock_guard lock(mutex_);
  powered_ = false;
  line_ = nullptr;
}

SdStatus ScriptedCard::Record(Transfer transfer) {
  std::lock_guard lock(mutex_);
  transfers_.push_back(std::move(transfer));
  if (statuses_.empty()) return SdStatus::Ok;
  SdStatus status = statuses_.front();
  statuses_.pop_front();
  return status;
}

void ScriptedCard::FillRead(std::uint32_t address, std::span<std::uint8_t> data) const {
  std::lock_guard lock(mutex_);
  std::fill(data.begin(), data.end(), 0);
  auto it = readData_.find(address);
  if (it != readData_.end()) std::copy_n(it->second.begin(), std::min(it->second.size(), data.size()), data.begin());
}

SdStatus ScriptedCard::ReadByte(unsigned function, std::uint32_t address, std::uint8_t& value) {
  FillRead(address, std::span<std::uint8_t>(&value, 1));
  return Record({false, true, function, address, {value}});
}

SdStatus ScriptedCard::WriteByte(unsigned function, std::uint32_t address, std::uint8_t value) {
  return Record({true, true, function, address, {value}});
}

SdStatus ScriptedCard::ReadBlock(unsigned function, std::uint32_t address, std::span<std::uint8_t> data) {
  FillRead(address, data);
  return Record({false, false, function, address, {data.begin(), data.end()}});
}

SdStatus ScriptedCard::WriteBlock(unsigned function, std::uint32_t address, std::span<const std::uint8_t> data) {
  return Record({true, false, function, address, {data.begin(), data.end()}});
}

}  // namespace hw
