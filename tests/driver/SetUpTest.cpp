// How Marvex binds to the card, seen from a bus driver of the test's own:
// the bus device handle in the active key points at a record whose first
// word fills the client table with functions that note every call and its
// arguments, and that fail the one call a test names.
#include <optional>
#include <sstream>

#include "DriverFixture.h"
#include "devload.h"
#include "driver/Marvex.h"
#include "platform/kernel/ProgramLoader.h"

namespace {

struct RecordingBus {
  std::vector<std::string> calls;
  std::optional<std::size_t> failing;  // the index of the call that fails
  SDCARD_CLIENT_REGISTRATION_INFO registration{};
  PVOID clientContext = nullptr;
  UCHAR capability = 0x03;

  SD_API_STATUS Note(const std::string& call) {
    calls.push_back(call);
    return failing == calls.size() - 1 ? SD_API_STATUS_UNSUCCESSFUL : SD_API_STATUS_SUCCESS;
  }
};
RecordingBus g_bus;

SD_API_STATUS Register(SD_DEVICE_HANDLE, PVOID context, PSDCARD_CLIENT_REGISTRATION_INFO info) {
  g_bus.registration = *info;
  g_bus.clientContext = context;
  return g_bus.Note("register");
}

SD_API_STATUS Query(SD_DEVICE_HANDLE, SD_INFO_TYPE type, PVOID buffer, ULONG size) {
  if (type == SD_INFO_REGISTER_RCA && size == sizeof(WORD)) *static_cast<WORD*>(buffer) = 0x0001;
  if (type == SD_INFO_CARD_INTERFACE && size == sizeof(SD_CARD_INTERFACE))
    *static_cast<SD_CARD_INTERFACE*>(buffer) = {SD_INTERFACE_SD_4BIT, 25'000'000, FALSE};
  if (type == SD_INFO_SDIO && size == sizeof(SDIO_CARD_INFO)) {
    SDIO_CARD_INFO sdio{};
    sdio.FunctionNumber = 1;
    sdio.DeviceCode = 0x0F;
    sdio.CISPointer = 0x1000;
    sdio.CardCapability = g_bus.capability;
    *static_cast<SDIO_CARD_INFO*>(buffer) = sdio;
  }
  return g_bus.Note("query " + std::to_string(type) + " of " + std::to_string(size));
}

SD_API_STATUS Feature(SD_DEVICE_HANDLE, SD_SET_FEATURE_TYPE feature, PVOID buffer, ULONG size) {
  std::ostringstream call;
  call << "feature " << feature << " of " << size << ":";
  if (feature == SD_SET_CARD_INTERFACE) {
    auto* bus = static_cast<SD_CARD_INTERFACE*>(buffer);
    call << " mode " << bus->InterfaceMode << " clock " << bus->ClockRate;
  } else if (feature == SD_IO_FUNCTION_ENABLE) {
    auto* enable = static_cast<SD_IO_FUNCTION_ENABLE_INFO*>(buffer);
    call << " retries " << enable->ReadyRetryCount << " every " << enable->ReadyInterval;
  } else if (feature == SD_IO_FUNCTION_SET_BLOCK_SIZE) {
    call << " block " << *static_cast<DWORD*>(buffer);
  }
  return g_bus.Note(call.str());
}

SD_API_STATUS Request(SD_DEVICE_HANDLE, UCHAR command, DWORD argument, SD_TRANSFER_CLASS transferClass,
                      SD_RESPONSE_TYPE response, PSD_COMMAND_RESPONSE, ULONG blocks, ULONG blockSize, PUCHAR data,
                      DWORD flags) {
  std::ostringstream call;
  call << "CMD" << int(command) << " arg " << std::hex << std::uppercase << argument << std::dec << " class "
       << transferClass << " response " << response << " " << blocks << "x" << blockSize << " flags " << flags << ":";
  for (ULONG i = 0; i < blocks * blockSize; ++i) call << " " << int(data[i]);
  return g_bus.Note(call.str());
}

SD_API_STATUS Direct(SD_DEVICE_HANDLE, SD_IO_TRANSFER_TYPE, UCHAR, DWORD, BOOL, PUCHAR, ULONG) {
  return g_bus.Note("CMD52");
}
SD_API_STATUS Connect(SD_DEVICE_HANDLE, PSD_INTERRUPT_CALLBACK) { return g_bus.Note("connect interrupt"); }
void Disconnect(SD_DEVICE_HANDLE) { g_bus.Note("disconnect interrupt"); }

SD_API_STATUS FillTable(PSDCARD_API_FUNCTIONS table) {
  *table = {sizeof *table, Register, Query, Feature, Request, Direct, Connect, Disconnect};
  return SD_API_STATUS_SUCCESS;
}

struct BusDeviceRecord {
  PSD_GET_CLIENT_FUNCTIONS fill = FillTable;
} g_device;

// Everything a card that is set up right sees, in order: the client
// registration, the card's address, its interface switched to one bit
// and read again, its I/O function checked, enabled and given its block
// size, the interrupt, and the load-time image in standby.
const std::vector<std::string> kSetUp = {
    "register",
    "query 3 of 2",
    "query 5 of 12",
    "feature 4 of 12: mode 0 clock 25000000",
    "query 5 of 12",
    "query 7 of 16",
    "feature 0 of 8: retries 3 every 500",
    "feature 2 of 4: block 512",
    "connect interrupt",
    "CMD53 arg 9400CC08 class 1 response 6 1x8 flags 0: 0 0 0 64 0 0 0 0",
};

class SetUpTest : public DriverFixture {
 protected:
  void SetUp() override {
    std::string error;
    module_ = ce::Module::Load(ce::DriverFolder() / "Marvex.so", ce::ModuleKind::Library, error);
    ASSERT_TRUE(module_) << error;
    init_ = reinterpret_cast<PFN_DEVICE_INIT>(module_->Symbol("MVX_Init", error));
    deinit_ = reinterpret_cast<PFN_DEVICE_DEINIT>(module_->Symbol("MVX_Deinit", error));
    ASSERT_TRUE(init_ && deinit_) << error;
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kActive, 0, nullptr, 0, 0, nullptr, &key, nullptr), ERROR_SUCCESS);
    const char16_t path[] = u"Drivers\\SDCARD\\ClientDrivers\\Custom\\MANF-5A17-CARDID-0F01-FUNC-1";
    RegSetValueExW(key, u"Key", 0, REG_SZ, reinterpret_cast<const BYTE*>(path), sizeof path);
    void* handle = &g_device;
    RegSetValueExW(key, u"ClientInfo", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&handle), sizeof handle);
    RegCloseKey(key);
    g_bus = RecordingBus{};
  }

  static constexpr const char16_t* kActive = u"Drivers\\Active\\77";
  std::optional<ce::Module> module_;
  PFN_DEVICE_INIT init_ = nullptr;
  PFN_DEVICE_DEINIT deinit_ = nullptr;
};

TEST_F(SetUpTest, TheDriverRegistersAsMarvexDeviceSetsCardAndFunctionUpAndHearsTheCardGo) {
  const DWORD_PTR device = init_(kActive);
  ASSERT_NE(device, 0u);
  EXPECT_EQ(g_bus.calls, kSetUp);

  const SDCARD_CLIENT_REGISTRATION_INFO& r = g_bus.registration;
  EXPECT_EQ(std::u16string(r.ClientName), u"MarvexDevice");
  for (std::size_t i = std::char_traits<char16_t>::length(u"MarvexDevice"); i < 32; ++i)
    EXPECT_EQ(r.ClientName[i], 0) << "name field at " << i;
  EXPECT_EQ(r.ClientFlags, 0u);
  EXPECT_EQ(r.Reserved, 0u);
  EXPECT_EQ(g_bus.clientContext, reinterpret_cast<PVOID>(device));

  // The slot-event callback notes a removal, and only a removal, in the
  // device's context.
  ASSERT_NE(r.pSlotEventCallBack, nullptr);
  auto* context = reinterpret_cast<DriverContext*>(device);
  r.pSlotEventCallBack(nullptr, context, SDCardEventNone, nullptr, 0);
  EXPECT_FALSE(context->cardRemoved);
  r.pSlotEventCallBack(nullptr, context, SDCardEjected, nullptr, 0);
  EXPECT_TRUE(context->cardRemoved);

  g_bus.calls.clear();
  EXPECT_TRUE(deinit_(device));
  EXPECT_EQ(g_bus.calls, std::vector<std::string>{"disconnect interrupt"});
}

// Each step of the set-up that fails ends it there and the device does
// not load; only the switch to the one-bit bus and the load-time image
// may fail without harm.
TEST_F(SetUpTest, AFailedStepOrACardWithoutCapabilitiesIsRefused) {
  for (std::size_t step = 0; step < kSetUp.size(); ++step) {
    g_bus = RecordingBus{};
    g_bus.failing = step;
    const DWORD_PTR device = init_(kActive);
    const bool harmless = step == 3 || step == 4 || step == kSetUp.size() - 1;
    if (harmless) {
      EXPECT_NE(device, 0u) << kSetUp[step];
      EXPECT_EQ(g_bus.calls, kSetUp) << kSetUp[step];
      if (device) deinit_(device);
      continue;
    }
    EXPECT_EQ(device, 0u) << kSetUp[step];
    EXPECT_EQ(g_bus.calls, std::vector<std::string>(kSetUp.begin(), kSetUp.begin() + long(step) + 1))
        << kSetUp[step];
  }

  g_bus = RecordingBus{};
  g_bus.capability = 0;
  EXPECT_EQ(init_(kActive), 0u);
  EXPECT_EQ(g_bus.calls, std::vector<std::string>(kSetUp.begin(), kSetUp.begin() + 6));
}

}  // namespace
