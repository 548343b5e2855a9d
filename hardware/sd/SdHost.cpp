#include "hardware/sd/SdHost.h"

#include <charconv>

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

// The trace is written for every request, so it is put together by hand
// rather than formatted: a poll of the card every 100 ms must cost little.
void AppendHex(std::string& out, std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  for (std::uint8_t b : bytes) {
    const char text[3] = {' ', kDigits[b >> 4], kDigits[b & 15]};
    out.append(text, 3);
  }
}

template <class Number>
void AppendNumber(std::string& out, Number value, int base = 10) {
  char text[24];
  auto [end, ec] = std::to_chars(text, text + sizeof text, value, base);
  out.append(text, end);
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
    std::string& bytes = traceBytes_;
    bytes.clear();
    if (!card_) {
      response.status = SdStatus::NoCard;
      // What a write offered is still worth seeing in the trace.
      SdioArgument arg = DecodeExtended(argument);
      std::uint32_t count = arg.count == 0 ? 512 : arg.count;
      if (command == kCmdIoRwExtended && arg.write && data.size() >= count) AppendHex(bytes, data.first(count));
    } else if (command == kCmdIoRwDirect) {
      response = Direct(*card_, argument, bytes);
    } else if (command == kCmdIoRwExtended) {
      response = Extended(*card_, argument, data, bytes);
    } else {
      response.status = SdStatus::IllegalCommand;
    }
    response.flags = FlagsOf(response.status);
    // Traced under the bus lock, so the trace is in bus order.
    Trace(command, argument, bytes, response.status);
  }
  return response;
}

SdResponse SdHost::Direct(SdCard& card, std::uint32_t argument, std::string& bytes) {
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
  AppendHex(bytes, std::span<const std::uint8_t>(&response.data, 1));
  return response;
}

SdResponse SdHost::Extended(SdCard& card, std::uint32_t argument, std::span<std::uint8_t> data, std::string& bytes) {
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
    AppendHex(bytes, block);
    response.status = card.WriteBlock(arg.function, arg.address, block);
  } else {
    response.status = card.ReadBlock(arg.function, arg.address, block);
    if (response.status == SdStatus::Ok) AppendHex(bytes, block);
  }
  return response;
}

void SdHost::Trace(std::uint8_t command, std::uint32_t argument, const std::string& bytes, SdStatus status) {
  SdioArgument arg = command == kCmdIoRwExtended ? DecodeExtended(argument) : DecodeDirect(argument);
  std::string& line = traceLine_;
  line.clear();
  line += "t=";
  AppendNumber(line, clock_.NowMs());
  line += " CMD";
  AppendNumber(line, unsigned{command});
  line += arg.write ? " W fn=" : " R fn=";
  AppendNumber(line, arg.function);
  line += " reg=0x";
  AppendNumber(line, arg.address, 16);
  line += bytes;
  line += " status=";
  AppendNumber(line, static_cast<int>(status));
  // The argument in eight upper-case hex digits.
  static constexpr char kUpper[] = "0123456789ABCDEF";
  char hex[8];
  for (int i = 0; i < 8; ++i) hex[i] = kUpper[(argument >> (28 - 4 * i)) & 15];
  line += " arg=0x";
  line.append(hex, 8);
  trace_.Record(line);
}

}  // namespace hw
