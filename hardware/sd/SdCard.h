// What sits in the SD slot: an SDIO card as the host controller sees it.
// The card answers the direct register commands (CMD52) one byte at a
// time and the extended commands (CMD53) in blocks of bytes at
// incrementing addresses; it tells the host who it is and raises its
// interrupt line when it wants attention.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

namespace hw {

// How a command ended, as the host controller sees it. The number is what
// the bus trace prints after "status=".
enum class SdStatus : int {
  Ok = 0,
  NoCard = 1,          // nobody answered: the slot is empty
  IllegalCommand = 2,  // the card does not know the command or mode
  BadFunction = 3,     // no such I/O function on the card
  OutOfRange = 4,      // no register window at that address or length
  CardError = 5,       // the card answered with its error flag
};

// The card's identity and the interface it comes up with, as the bus
// driver reads them after insertion.
struct SdCardInfo {
  std::uint16_t relativeAddress = 0x0001;
  std::uint32_t interfaceMode = 1;  // 0 one-bit bus, 1 four-bit bus
  std::uint32_t clockHz = 25'000'000;
  bool writeProtected = false;
  std::uint8_t functionNumber = 1;  // the I/O function the card offers
  std::uint8_t deviceCode = 0x0F;   // standard function interface code
  std::uint32_t cisPointer = 0x1000;
  std::uint32_t csaPointer = 0;
  std::uint8_t capability = 0x03;
  std::uint16_t manufacturer = 0;  // from the card's CIS: picks the client driver
  std::uint16_t cardId = 0;
};

class SdCard {
 public:
  using InterruptLine = std::function<void()>;

  virtual ~SdCard() = default;

  virtual SdCardInfo Info() const = 0;

  // The slot powers the card when it goes in (handing it the line that
  // raises the card interrupt) and cuts the power when it comes out.
  virtual void PowerOn(InterruptLine line) = 0;
  virtual void PowerOff() = 0;

  // CMD52: one register byte.
  virtual SdStatus ReadByte(unsigned function, std::uint32_t address, std::uint8_t& value) = 0;
  virtual SdStatus WriteByte(unsigned function, std::uint32_t address, std::uint8_t value) = 0;

  // CMD53 in byte mode with incrementing address.
  virtual SdStatus ReadBlock(unsigned function, std::uint32_t address, std::span<std::uint8_t> data) = 0;
  virtual SdStatus WriteBlock(unsigned function, std::uint32_t address, std::span<const std::uint8_t> data) = 0;
};

}  // namespace hw
