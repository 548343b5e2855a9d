// The handheld's SD host controller and its one slot. It decodes the SDIO
// commands the bus driver issues (CMD52 direct, CMD53 extended in byte
// mode with incrementing address) from their argument words, hands them
// to the card in the slot, builds the R5 response, and logs every request
// in the bus trace. Insertion, removal and the card interrupt are passed
// on to a listener (the bus driver) as they happen.
//
// Requests are carried out one at a time, as on one physical bus; a card
// is never pulled in the middle of a request.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>

#include "hardware/clock/Clock.h"
#include "hardware/sd/BusTrace.h"
#include "hardware/sd/SdCard.h"

namespace hw {

class SdHostListener {
 public:
  virtual ~SdHostListener() = default;
  virtual void OnCardInserted() = 0;
  virtual void OnCardRemoved() = 0;
  virtual void OnCardInterrupt() = 0;
};

// The R5 response of an SDIO command: the response flags and, for CMD52,
// the register byte.
struct SdResponse {
  SdStatus status = SdStatus::Ok;
  std::uint8_t flags = 0;
  std::uint8_t data = 0;
};

// R5 response flag bits.
inline constexpr std::uint8_t kR5IllegalCommand = 0x40;
inline constexpr std::uint8_t kR5StateCommand = 0x10;  // IO_CURRENT_STATE = CMD
inline constexpr std::uint8_t kR5Error = 0x08;
inline constexpr std::uint8_t kR5FunctionNumber = 0x02;
inline constexpr std::uint8_t kR5OutOfRange = 0x01;

// The bus interface the host runs the card with.
struct SdInterface {
  std::uint32_t mode = 0;  // 0 one-bit, 1 four-bit
  std::uint32_t clockHz = 0;
};

inline constexpr std::uint8_t kCmdIoRwDirect = 52;
inline constexpr std::uint8_t kCmdIoRwExtended = 53;

class SdHost {
 public:
  explicit SdHost(Clock& clock) : clock_(clock) {}
  SdHost(const SdHost&) = delete;
  SdHost& operator=(const SdHost&) = delete;

  BusTrace& trace() { return trace_; }

  void SetListener(SdHostListener* listener);

  // Puts a card in the slot (false when one is there already) or takes it
  // out (the card that was there, nullptr when the slot was empty).
  bool Insert(std::shared_ptr<SdCard> card);
  std::shared_ptr<SdCard> Remove();
  std::shared_ptr<SdCard> Card() const;

  // The card's identity; nullopt with an empty slot.
  std::optional<SdCardInfo> CardInfo() const;
  SdInterface Interface() const;
  void SetInterface(SdInterface interface);

  // Issues one command. For CMD53 data must hold the byte count of the
  // argument (a count of 0 means 512); a read fills it.
  SdResponse Execute(std::uint8_t command, std::uint32_t argument, std::span<std::uint8_t> data);

 private:
  SdResponse Direct(SdCard& card, std::uint32_t argument);
  // A transfer's bytes for the trace go in `shown`.
  SdResponse Extended(SdCard& card, std::uint32_t argument, std::span<std::uint8_t> data,
                      std::span<const std::uint8_t>& shown);
  void RaiseInterrupt();

  Clock& clock_;
  BusTrace trace_;
  mutable std::mutex busMutex_;  // one request at a time; held while the slot changes
  std::shared_ptr<SdCard> card_;
  SdInterface interface_;
  std::mutex listenerMutex_;
  SdHostListener* listener_ = nullptr;
};

// The fields of the SDIO argument words.
struct SdioArgument {
  bool write;
  unsigned function;
  std::uint32_t address;
  bool blockMode;      // CMD53
  bool incrementing;   // CMD53
  std::uint32_t count; // CMD53: bytes (0 means 512); CMD52: the data byte
  bool readAfterWrite; // CMD52
};
SdioArgument DecodeDirect(std::uint32_t argument);
SdioArgument DecodeExtended(std::uint32_t argument);

}  // namespace hw
