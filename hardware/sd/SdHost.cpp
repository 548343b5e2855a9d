#include "hardware/sd/SdHost.h"

namespace hw {
namespace {

std::uint8_t FlagsOf(SdStatus status) {
  switch (status) {
    case SdStatus::Ok: return kR5StateCommand;
    case SdStatus::IllegalCommand: return kR5StateCommand | kR5IllegalCommand;
    case SdStatus::BadFunction: return kR5StateCommand | kR5FunctionNumber;
    case SdStatus::OutOfRange: return kR5StateCommand | kR5OutOfRange;
    case SdStatus::CardError: return kR5StateCommand | kR5Error;
    case SdStatus::NoCard: return 0;
  }
  return 0;
}

}  // namespace

SdioArgument DecodeDirect(std::uint32_t a) {
  return {(a >> 31) != 0, (a >> 28) & 7u, (a >> 9) & 0x1FFFFu, false, false, a & 0xFFu, ((a >> 27) & 1u) != 0};
}

SdioArgument DecodeExtended(std::uint32_t a) {
  return {(a >> 31) != 0, (a >> 28) & 7u, (a >> 9) & 0x1FFFFu, ((a >> 27) & 1u) != 0, ((a >> 26) & 1u) != 0,
          a & 0x1FFu, false};
}

void SdHost::SetListener(SdHostListener* listener) {
  std::lock_guard lock(listenerMutex_);
  listener_ = listener;
}

bool SdHost::Insert(std::shared_ptr<SdCard> card) {
  {
    std::lock_guard lock(busMutex_);
    if (card_ || !card) return false;
    card_ = card;
    SdCardInfo info = card_->Info();
    interface_ = {info.interfaceMode, info.clockHz};
    card_->PowerOn([this] { RaiseInterrupt(); });
  }
  std::lock_guard lock(listenerMutex_);
  if (listener_) listener_->OnCardInserted();
  return true;
}

std::shared_ptr<SdCard> SdHost::Remove() {
  std::shared_ptr<SdCard> card;
  {
    std::lock_guard lock(busMutex_);
    card = std::move(card_);
    card_.reset();
    if (card) card->PowerOff();
  }
  if (card) {
    std::lock_guard lock(listenerMutex_);
    if (listener_) listener_->OnCardRemoved();
  }
  return card;
}

std::shared_ptr<SdCard> SdHost::Card() const {
  std::lock_guard lock(busMutex_);
  return card_;
}

std::optional<SdCardInfo> SdHost::CardInfo() const {
  std::lock_guard lock(busMutex_);
  if (!card_) return std::nullopt;
  return card_->Info();
}

SdInterface SdHost::Interface() const {
  std::lock_guard lock(busMutex_);
  return interface_;
}

void SdHost::SetInterface(SdInterface interface) {
  std::lock_guard lock(busMutex_);
  interface_ = interface;
}

void SdHost::RaiseInterrupt() {
  std::lock_guard lock(listenerMutex_);
  if (listener_) listener_->OnCardInterrupt();
}

SdResponse SdHost::Execute(std::uint8_t command, std::uint32_t argument, std::span<std::uint8_t> data) {
  SdResponse response;
  {
    std::lock_guard lock(busMutex_);
    std::span<const std::uint8_t> shown;  // the bytes the trace shows
    if (!card_) {
      response.status = SdStatus::NoCard;
      // What a write offered is still worth seeing in the trace.
      SdioArgument arg = DecodeExtended(argument);
      std::uint32_t count = arg.count == 0 ? 512 : arg.count;
      if (command == kCmdIoRwExtended && arg.write && data.size() >= count) shown = data.first(count);
    } else if (command == kCmdIoRwDirect) {
      response = Direct(*card_, argument);
      shown = std::span<const std::uint8_t>(&response.data, 1);
    } else if (command == kCmdIoRwExtended) {
      response = Extended(*card_, argument, data, shown);
    } else {
      response.status = SdStatus::IllegalCommand;
    }
    response.flags = FlagsOf(response.status);
    // Traced under the bus lock, so the trace is in bus order.
    trace_.Record({clock_.NowMs(), command, argument, response.status, shown});
  }
  return response;
}

SdResponse SdHost::Direct(SdCard& card, std::uint32_t argument) {
  SdioArgument arg = DecodeDirect(argument);
  SdResponse response;
  std::uint8_t value = static_cast<std::uint8_t>(arg.count);
  if (arg.write) {
    response.status = card.WriteByte(arg.function, arg.address, value);
    if (response.status == SdStatus::Ok && arg.readAfterWrite)
      response.status = card.ReadByte(arg.function, arg.address, value);
  } else {
    response.status = card.ReadByte(arg.function, arg.address, value);
  }
  response.data = response.status == SdStatus::Ok ? value : 0;
  return response;
}

SdResponse SdHost::Extended(SdCard& card, std::uint32_t argument, std::span<std::uint8_t> data,
                            std::span<const std::uint8_t>& shown) {
  SdioArgument arg = DecodeExtended(argument);
  SdResponse response;
  const std::uint32_t count = arg.count == 0 ? 512 : arg.count;
  // The card's register windows take bytes only, at incrementing addresses.
  if (arg.blockMode || !arg.incrementing) {
    response.status = SdStatus::IllegalCommand;
    return response;
  }
  if (data.size() < count) {
    response.status = SdStatus::OutOfRange;
    return response;
  }
  auto block = data.first(count);
  if (arg.write) {
    shown = block;
    response.status = card.WriteBlock(arg.function, arg.address, block);
  } else {
    response.status = card.ReadBlock(arg.function, arg.address, block);
    if (response.status == SdStatus::Ok) shown = block;
  }
  return response;
}

}  // namespace hw
