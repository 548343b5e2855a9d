// libFuzzer target: the tuner driver's control request from any caller.
// Every input is a run of up to 16 requests to "MVX1:" through
// DeviceIoControl, down the real path: the device manager, Marvex, the SD
// bus and the radio card model. Each request takes 32 bytes of the input:
//   0      how to call: bits 0-1 the control code (3: bytes 28..31 as it
//          stands, else IOCTL_TUNER_TRANSFER); bit 2 no input buffer; bit 3
//          no output buffer; bit 4 no returned-count; bit 5 let byte 3 x 10
//          ms pass first (a search runs on and may end); bit 6 the command
//          word as it stands (else one of the five commands)
//   1, 2   the input and output buffer lengths, 0..48 bytes
//   4..27  the TunerRequest block
// Buffers are exactly as long as the caller says, so a read or write past
// either is a sanitizer report. What must hold: a request is carried out
// exactly when it is well formed; a refused one fails with
// ERROR_INVALID_PARAMETER; the output buffer is never written; only a
// status read changes the block, and only its read data; the card does
// what the command says.
#include <dlfcn.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "FuzzSupport.h"
#include "driver/include/TunerRequest.h"
#include "tests/support/TunerSlot.h"

namespace {

constexpr std::size_t kStep = 32;
constexpr std::size_t kMaxRequests = 16;  // so that every input stays quick
constexpr DWORD kMaxLength = 48;
constexpr std::uint8_t kCanary = 0xA5;

// The radio card, put back to how it came out of the box before each
// input, so that an input does the same whatever ran before it.
class FreshRadioCard : public hw::RadioCard {
 public:
  using RadioCard::RadioCard;
  void PowerOn(InterruptLine line) override {
    line_ = line;
    RadioCard::PowerOn(std::move(line));
  }
  void Renew() {
    RadioCard::PowerOff();
    RadioCard::PowerOn(line_);
  }

 private:
  InterruptLine line_;
};

struct Rig {
  TunerSlot slot{"ondrel-fuzz-tuner"};
  std::shared_ptr<FreshRadioCard> card = std::make_shared<FreshRadioCard>(slot.clock, hw::Scene::Default());
  HANDLE device = INVALID_HANDLE_VALUE;
};
Rig* rig = nullptr;

struct Call {
  DWORD code = IOCTL_TUNER_TRANSFER;
  bool noIn = false, noOut = false, noCount = false;
  DWORD waitMs = 0;
  DWORD inLength = 0, outLength = 0;
  std::uint8_t block[TUNER_REQUEST_SIZE] = {};
};

Call Decode(const std::uint8_t* step) {
  Call call;
  const std::uint8_t how = step[0];
  if ((how & 3) == 3) std::memcpy(&call.code, step + 28, sizeof call.code);
  call.noIn = how & 4;
  call.noOut = how & 8;
  call.noCount = how & 16;
  call.waitMs = (how & 32) ? step[3] * 10u : 0;
  call.inLength = step[1] % (kMaxLength + 1);
  call.outLength = step[2] % (kMaxLength + 1);
  std::memcpy(call.block, step + 4, sizeof call.block);
  if (!(how & 64)) {
    DWORD command;
    std::memcpy(&command, call.block, sizeof command);
    command = TUNER_CMD_WRITE + command % 5;
    std::memcpy(call.block, &command, sizeof command);
  }
  return call;
}

DWORD CommandOf(const std::uint8_t* block) {
  DWORD command;
  std::memcpy(&command, block, sizeof command);
  return command;
}

bool WellFormed(const Call& call) {
  const DWORD command = CommandOf(call.block);
  return call.code == IOCTL_TUNER_TRANSFER && !call.noIn && call.inLength >= TUNER_REQUEST_SIZE && !call.noOut &&
         call.outLength > 0 && command >= TUNER_CMD_WRITE && command <= TUNER_CMD_SET_SWITCHES;
}

void CheckCard(const Call& call, const hw::RadioCard::View& before, const hw::RadioCard::View& after) {
  switch (CommandOf(call.block)) {
    case TUNER_CMD_VOLUME_UP:
      fuzz::Require(after.volume == std::min(before.volume + 1, hw::RadioCard::kVolumeSteps - 1),
                    "volume up moves the card one step up, stopping at the top");
      break;
    case TUNER_CMD_VOLUME_DOWN:
      fuzz::Require(after.volume == std::max(before.volume - 1, 0),
                    "volume down moves the card one step down, stopping at the bottom");
      break;
    case TUNER_CMD_SET_SWITCHES:
      fuzz::Require(after.switches == call.block[4], "the card's switches are the low byte of the switch word");
      break;
    default:
      fuzz::Require(after.volume == before.volume && after.switches == before.switches,
                    "tuner commands leave volume and switches alone");
  }
}

void Send(const Call& call) {
  if (call.waitMs) rig->slot.clock.SleepMs(call.waitMs);
  std::unique_ptr<std::uint8_t[]> in(new std::uint8_t[call.inLength]);
  std::memset(in.get(), kCanary, call.inLength);
  std::memcpy(in.get(), call.block, std::min<DWORD>(call.inLength, TUNER_REQUEST_SIZE));
  std::unique_ptr<std::uint8_t[]> out(new std::uint8_t[call.outLength]);
  std::memset(out.get(), kCanary, call.outLength);
  DWORD returned = 0xFFFFFFFF;
  const hw::RadioCard::View before = rig->card->Observe();

  SetLastError(ERROR_SUCCESS);
  const BOOL ok = DeviceIoControl(rig->device, call.code, call.noIn ? nullptr : in.get(), call.inLength,
                                  call.noOut ? nullptr : out.get(), call.outLength, call.noCount ? nullptr : &returned,
                                  nullptr);
  const DWORD error = GetLastError();

  for (DWORD i = 0; i < call.outLength; ++i) fuzz::Require(out[i] == kCanary, "the output buffer is never written");
  for (DWORD i = TUNER_REQUEST_SIZE; i < call.inLength; ++i)
    fuzz::Require(in[i] == kCanary, "nothing past the request block is written");
  if (!WellFormed(call)) {
    fuzz::Require(!ok && error == ERROR_INVALID_PARAMETER, "a malformed request fails with ERROR_INVALID_PARAMETER");
    fuzz::Require(std::memcmp(in.get(), call.block, std::min<DWORD>(call.inLength, TUNER_REQUEST_SIZE)) == 0,
                  "a malformed request leaves its block alone");
    return;
  }
  fuzz::Require(ok, "a well-formed request to the card in the slot is carried out");
  if (!call.noCount) fuzz::Require(returned == call.outLength, "the whole output length is reported as returned");
  const bool read = CommandOf(call.block) == TUNER_CMD_READ;
  const std::size_t unchanged = read ? offsetof(TunerRequest, readData) : TUNER_REQUEST_SIZE;
  fuzz::Require(std::memcmp(in.get(), call.block, unchanged) == 0, "only a status read changes the block");
  if (read) {
    const std::uint8_t* status = in.get() + offsetof(TunerRequest, readData);
    fuzz::Require(status[5] == 0 && status[6] == 0 && status[7] == 0, "a status read ends in three zero bytes");
  }
  CheckCard(call, before, rig->card->Observe());
}

// At exit the handheld goes as it came: card out, driver unloaded, device
// root removed. Registered once the rig is up and has carried a request,
// so it runs before the platform's own objects go.
void TakeDown() {
  CloseHandle(rig->device);
  delete rig;
  rig = nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  rig = new Rig;
  if (!rig->slot.Insert(rig->card)) fuzz::Require(false, "the radio card goes in");
  // The driver stays mapped for the whole run: the fuzzer counts coverage
  // inside it, and a driver unloaded at exit must not take its counters.
  fuzz::Require(dlopen((ce::DriverFolder() / "Marvex.so").c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE) != nullptr,
                "Marvex is loaded with the card");
  rig->device = CreateFileW(u"MVX1:", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  fuzz::Require(rig->device != INVALID_HANDLE_VALUE, "MVX1: opens");
  Call read;
  const DWORD command = TUNER_CMD_READ;
  std::memcpy(read.block, &command, sizeof command);
  read.inLength = read.outLength = TUNER_REQUEST_SIZE;
  Send(read);
  atexit(TakeDown);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  rig->card->Renew();
  const std::size_t requests = std::min(size / kStep, kMaxRequests);
  for (std::size_t i = 0; i < requests; ++i) Send(Decode(data + i * kStep));
  rig->slot.host.trace().Clear();
  return 0;
}
