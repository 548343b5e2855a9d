#include "DriverFixture.h"

#include "hardware/cards/TunerChip.h"
#include "devload.h"
#include "platform/kernel/HandleTable.h"
#include "platform/kernel/ProgramLoader.h"

namespace {

using hw::SdStatus;

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) { return {values.begin(), values.end()}; }

class DriverTest : public DriverFixture {};

TEST_F(DriverTest, RadioCardLoadsTheDriverWhichSetsTheCardUpAndPutsItInStandby) {
  Insert(std::make_shared<hw::RadioCard>(clock_, hw::Scene::Default()));
  auto devices = ce::ActiveDevices();
  ASSERT_EQ(devices.size(), 1u);
  EXPECT_EQ(devices[0].name, u"MVX1:");

  // The active key names the device key and holds the pointer-sized bus handle.
  HKEY active;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, devices[0].activeKey.c_str(), 0, KEY_ALL_ACCESS, &active), ERROR_SUCCESS);
  char16_t key[256] = {};
  DWORD size = sizeof key;
  EXPECT_EQ(RegQueryValueExW(active, u"Key", nullptr, nullptr, reinterpret_cast<BYTE*>(key), &size), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(key), ce::SdClientDriverKey(hw::RadioCard::kManufacturer, hw::RadioCard::kCardId, 1));
  void* clientInfo = nullptr;
  size = sizeof clientInfo;
  EXPECT_EQ(RegQueryValueExW(active, u"ClientInfo", nullptr, nullptr, reinterpret_cast<BYTE*>(&clientInfo), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(size, sizeof(void*));
  RegCloseKey(active);

  EXPECT_EQ(host_.trace().Lines(),
            std::vector<std::string>{"t=0 CMD53 W fn=1 reg=0x66 00 00 00 40 00 00 00 00 status=0 arg=0x9400CC08"});
  EXPECT_EQ(host_.Interface().mode, 0u);  // the card came up four-bit and runs one-bit
  auto card = std::dynamic_pointer_cast<hw::RadioCard>(host_.Card());
  EXPECT_TRUE(card->Observe().chip.standby);
}

TEST_F(DriverTest, EachCommandIsOneBlockTransferToItsRegister) {
  auto card = ScriptedTunerCard();
  card->SetReadData(0x66, Bytes({0x1B, 0x6E, 0xB8, 0xA0, 0x00, 0x11, 0x22, 0x33}));
  Insert(card);
  card->ClearTransfers();
  host_.trace().Clear();
  HANDLE device = OpenTuner();
  ASSERT_NE(device, INVALID_HANDLE_VALUE);

  TunerRequest read = Request(TUNER_CMD_READ);
  read.switchWord = 0xAABBCCDD;
  std::memset(read.writeData, 0x5C, sizeof read.writeData);
  BYTE reply[24];
  std::memset(reply, 0xEE, sizeof reply);
  DWORD returned = 0;
  ASSERT_TRUE(DeviceIoControl(device, IOCTL_TUNER_TRANSFER, &read, sizeof read, reply, sizeof reply, &returned, nullptr));
  EXPECT_EQ(returned, 24u);
  EXPECT_EQ(std::vector<std::uint8_t>(read.readData, read.readData + 8),
            Bytes({0x1B, 0x6E, 0xB8, 0xA0, 0x00, 0x11, 0x22, 0x33}));
  EXPECT_EQ(read.command, DWORD{TUNER_CMD_READ});  // bytes 0..15 as they were sent
  EXPECT_EQ(read.switchWord, 0xAABBCCDDu);
  EXPECT_EQ(read.writeData[7], 0x5C);
  for (BYTE b : reply) EXPECT_EQ(b, 0xEE);  // the reply block is never written

  TunerRequest write = Request(TUNER_CMD_WRITE);
  std::memcpy(write.writeData, "\x1b\x6e\x40\x00\x00", 5);
  TunerRequest switches = Request(TUNER_CMD_SET_SWITCHES);
  switches.switchWord = 2;
  TunerRequest up = Request(TUNER_CMD_VOLUME_UP);
  TunerRequest down = Request(TUNER_CMD_VOLUME_DOWN);
  for (TunerRequest* r : {&write, &switches, &up, &down}) EXPECT_TRUE(Send(device, *r));

  auto t = card->Transfers();
  ASSERT_EQ(t.size(), 5u);
  EXPECT_EQ(t[1].data, Bytes({0x1B, 0x6E, 0x40, 0, 0, 0, 0, 0}));
  EXPECT_EQ(t[2].address, 0x77u);
  EXPECT_EQ(t[2].data, Bytes({2, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(t[3].address, 0x88u);
  EXPECT_EQ(t[3].data, Bytes({1, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(t[4].data, Bytes({0, 0, 0, 0, 0, 0, 0, 0}));
  for (const auto& transfer : t) EXPECT_EQ(transfer.function, 1u);
  auto lines = host_.trace().Lines();
  EXPECT_NE(lines[0].find("CMD53 R fn=1 reg=0x66 1b 6e b8 a0 00 11 22 33 status=0 arg=0x1400CC08"), std::string::npos);
  EXPECT_NE(lines[1].find("arg=0x9400CC08"), std::string::npos);
  EXPECT_NE(lines[2].find("arg=0x9400EE08"), std::string::npos);
  EXPECT_NE(lines[3].find("arg=0x94011008"), std::string::npos);
  CloseHandle(device);
}

TEST_F(DriverTest, MalformedRequestsFailWithInvalidParameterAndReachNoCard) {
  auto card = ScriptedTunerCard();
  Insert(card);
  card->ClearTransfers();
  HANDLE device = OpenTuner();
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  TunerRequest request = Request(TUNER_CMD_READ);
  BYTE reply[24] = {};
  DWORD returned = 7;

  // Each refusal must set the error itself, not find it left over.
  SetLastError(0);
  auto expectRefused = [&](BOOL result, const char* what) {
    EXPECT_FALSE(result) << what;
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER}) << what;
    SetLastError(0);
  };
  expectRefused(DeviceIoControl(device, IOCTL_TUNER_TRANSFER, &request, 24, nullptr, 24, &returned, nullptr), "no reply");
  expectRefused(DeviceIoControl(device, IOCTL_TUNER_TRANSFER, &request, 24, reply, 0, &returned, nullptr), "empty reply");
  expectRefused(DeviceIoControl(device, 0x80000197, &request, 24, reply, 24, &returned, nullptr), "other code");
  expectRefused(DeviceIoControl(device, IOCTL_TUNER_TRANSFER, nullptr, 24, reply, 24, &returned, nullptr), "no request");
  expectRefused(DeviceIoControl(device, IOCTL_TUNER_TRANSFER, &request, 23, reply, 24, &returned, nullptr), "short");
  for (DWORD command : {0u, 10u, 16u, 0xFFFFFFFFu}) {
    TunerRequest odd = Request(command);
    expectRefused(Send(device, odd), "unknown command");
  }
  EXPECT_EQ(returned, 7u);
  for (BYTE b : request.readData) EXPECT_EQ(b, 0);
  EXPECT_TRUE(card->Transfers().empty());

  // A transfer the card fails fails the request and leaves the last error alone.
  card->QueueStatus(SdStatus::CardError);
  SetLastError(1234);
  EXPECT_FALSE(Send(device, request));
  EXPECT_EQ(GetLastError(), 1234u);
  CloseHandle(device);
}

TEST_F(DriverTest, CardsTheDriverCannotRunNeverBecomeADevice) {
  struct Case {
    const char* what;
    void (*change)(hw::SdCardInfo&);
  };
  const Case cases[] = {
      {"function 2", [](hw::SdCardInfo& i) { i.functionNumber = 2; }},
      {"interface mode 2", [](hw::SdCardInfo& i) { i.interfaceMode = 2; }},
      {"no clock", [](hw::SdCardInfo& i) { i.clockHz = 0; }},
      {"no device code", [](hw::SdCardInfo& i) { i.deviceCode = 0; }},
      {"no CIS", [](hw::SdCardInfo& i) { i.cisPointer = 0; }},
  };
  for (const Case& c : cases) {
    auto card = ScriptedTunerCard();
    hw::SdCardInfo info = card->Info();
    c.change(info);
    card->SetInfo(info);
    Insert(card);
    EXPECT_TRUE(ce::ActiveDevices().empty()) << c.what;
    EXPECT_EQ(OpenTuner(), INVALID_HANDLE_VALUE) << c.what;
    EXPECT_TRUE(card->Transfers().empty()) << c.what;  // not even the load-time image
    HKEY active;
    EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Drivers\\Active\\01", 0, KEY_ALL_ACCESS, &active), ERROR_SUCCESS);
    EXPECT_FALSE(ce::IsModuleMapped(ce::DriverFolder() / "Marvex.so")) << c.what;
    Remove();
  }
  // A four-bit card is fine: it is switched to the one-bit bus.
  auto card = ScriptedTunerCard();
  Insert(card);
  EXPECT_EQ(ce::ActiveDevices().size(), 1u);
  EXPECT_EQ(host_.Interface().mode, 0u);
}

TEST_F(DriverTest, InitWithoutClientInfoFails) {
  std::string error;
  auto module = ce::Module::Load(ce::DriverFolder() / "Marvex.so", ce::ModuleKind::Library, error);
  ASSERT_TRUE(module) << error;
  auto init = reinterpret_cast<PFN_DEVICE_INIT>(module->Symbol("MVX_Init", error));
  ASSERT_TRUE(init) << error;
  HKEY key;
  DWORD disposition;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Drivers\\Active\\42", 0, nullptr, 0, 0, nullptr, &key, &disposition),
            ERROR_SUCCESS);
  const char16_t path[] = u"Drivers\\SDCARD\\ClientDrivers\\Custom\\MANF-5A17-CARDID-0F01-FUNC-1";
  RegSetValueExW(key, u"Key", 0, REG_SZ, reinterpret_cast<const BYTE*>(path), sizeof path);
  EXPECT_EQ(init(u"Drivers\\Active\\42"), 0u);
  EXPECT_EQ(init(u"Drivers\\Active\\NoSuchKey"), 0u);
  // A ClientInfo too short for a handle is no handle either.
  DWORD shortInfo = 0x1234;
  RegSetValueExW(key, u"ClientInfo", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&shortInfo), sizeof shortInfo);
  EXPECT_EQ(init(u"Drivers\\Active\\42"), 0u);
  RegCloseKey(key);
}

TEST_F(DriverTest, PulledCardFailsOpenHandlesUntilClosedAndComesBackOnReinsertion) {
  auto card = ScriptedTunerCard();
  Insert(card);
  HANDLE before = OpenTuner();
  ASSERT_NE(before, INVALID_HANDLE_VALUE);
  DWORD read = 5;
  BYTE buffer[4];
  EXPECT_TRUE(ReadFile(before, buffer, sizeof buffer, &read, nullptr));  // the driver reads nothing
  EXPECT_EQ(read, 0u);
  EXPECT_EQ(SetFilePointer(before, 10, nullptr, FILE_BEGIN), 0u);

  card->RaiseInterrupt();  // handled on the bus thread: the driver acknowledges it
  slot_.bus().WaitIdle();
  EXPECT_EQ(TraceWith("CMD52 R fn=1 reg=0x0 ").size(), 1u);

  Remove();
  EXPECT_TRUE(ce::ActiveDevices().empty());
  EXPECT_FALSE(ce::IsModuleMapped(ce::DriverFolder() / "Marvex.so"));
  HKEY active;
  EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Drivers\\Active\\01", 0, KEY_ALL_ACCESS, &active), ERROR_SUCCESS);
  TunerRequest request = Request(TUNER_CMD_READ);
  EXPECT_FALSE(Send(before, request));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_DEVICE_NOT_CONNECTED});
  EXPECT_FALSE(ReadFile(before, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_DEVICE_NOT_CONNECTED});
  EXPECT_EQ(OpenTuner(), INVALID_HANDLE_VALUE);

  Insert(card);
  HANDLE after = OpenTuner();
  ASSERT_NE(after, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(Send(after, request));
  EXPECT_FALSE(Send(before, request));  // an old handle stays with the old device
  EXPECT_TRUE(CloseHandle(before));
  EXPECT_TRUE(CloseHandle(after));
  EXPECT_FALSE(CloseHandle(after));
}

// A card pulled and put back all day, opened and used each time: nothing
// of a card that has gone stays behind in the bus, the device manager or
// the kernel.
TEST_F(DriverTest, ACardPulledAndPutBackAgainAndAgainLeavesNothingBehind) {
  auto cycle = [&] {
    ASSERT_TRUE(slot_.InsertRadioCard());
    HANDLE device = OpenTuner();
    ASSERT_NE(device, INVALID_HANDLE_VALUE);
    TunerRequest request = Request(TUNER_CMD_READ);
    EXPECT_TRUE(Send(device, request));
    Remove();
    EXPECT_FALSE(Send(device, request));
    EXPECT_TRUE(CloseHandle(device));
  };
  ASSERT_NO_FATAL_FAILURE(cycle());
  const auto afterOne = ce::LiveHandleCounts();
  for (int i = 0; i < 10; ++i) ASSERT_NO_FATAL_FAILURE(cycle()) << "cycle " << i + 2;
  EXPECT_EQ(ce::LiveHandleCounts(), afterOne);
  EXPECT_EQ(afterOne.count("SD bus devices"), 1u);
}

TEST_F(DriverTest, SearchUpFromBandStartFindsTheFirstStationAboveTheStopLevel) {
  const hw::Scene scene = hw::Scene::Default();
  Insert(std::make_shared<hw::RadioCard>(clock_, scene));
  std::int64_t expected = 0;
  for (const auto& s : scene.stations())
    if (s.hz > 87'500'000 && s.level >= 7) {
      expected = s.hz;
      break;
    }
  HANDLE device = OpenTuner();
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  // Muted search up from 87.5 MHz, stop level 7, low-side injection.
  const std::uint16_t start = hw::TunerChip::PllOf(87'500'000, false);
  TunerRequest search = Request(TUNER_CMD_WRITE);
  search.writeData[0] = static_cast<BYTE>(0x80 | 0x40 | (start >> 8));
  search.writeData[1] = static_cast<BYTE>(start);
  search.writeData[2] = 0x80 | 0x40;
  ASSERT_TRUE(Send(device, search));
  Sleep(150);
  TunerRequest status = Request(TUNER_CMD_READ);
  ASSERT_TRUE(Send(device, status));
  const std::uint16_t pll = static_cast<std::uint16_t>(((status.readData[0] & 0x3F) << 8) | status.readData[1]);
  EXPECT_EQ(pll, hw::TunerChip::PllOf(expected, false));
  EXPECT_GE(status.readData[3] >> 4, 7);
  EXPECT_EQ(TraceWith("CMD52 R fn=1 reg=0x0 01").size(), 1u);  // the search-end interrupt, acknowledged
  CloseHandle(device);
}

}  // namespace
