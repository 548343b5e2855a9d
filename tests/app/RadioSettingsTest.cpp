// The settings record against a real registry on a fresh device root: what
// the first start writes, what a save stores, and how stored values that
// are missing, shorter or longer than their fields, of another type, or
// out of range are read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BandPlan.h"
#include "RadioSettings.h"
#include "kernel/DeviceRootFixture.h"
#include "platform/kernel/Registry.h"
#include "kernel/RegistryTestSupport.h"
#include "platform/user/MessageBox.h"

namespace {

using regtest::Bytes;
using regtest::Set;

constexpr LPCWSTR kKeyPath = u"Software\\Tessaro\\Veltrane";

std::vector<BYTE> Dword(DWORD value) {
  return Bytes({static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                static_cast<int>((value >> 16) & 0xFF), static_cast<int>(value >> 24)});
}

std::vector<BYTE> PresetBytes(const std::vector<DWORD>& presets) {
  std::vector<BYTE> out;
  for (DWORD preset : presets) {
    auto bytes = Dword(preset);
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  return out;
}

std::vector<DWORD> Presets(const RadioSettings& settings) {
  return {std::begin(settings.PresetChannel), std::end(settings.PresetChannel)};
}

std::vector<DWORD> Ascending(DWORD first) {
  std::vector<DWORD> presets;
  for (DWORD i = 0; i < RadioSettings::kPresetCount; ++i) presets.push_back(first + i);
  return presets;
}

class RadioSettingsTest : public DeviceRootTest {
 protected:
  void SetUp() override {
    DeviceRootTest::SetUp();
    ASSERT_FALSE(ce::MountRegistry(root_ / "registry.db"));
    // Japan's band, so that the frequency default cannot pass by
    // coincidence with Europe's.
    SetBandLimits(*FindBandPlan(RADIO_SYSTEM_JAPAN));
  }

  void TearDown() override {
    if (key_) RegCloseKey(key_);
    BandLimits::Instance() = BandLimits{};
    ce::SetMessageBoxPresenter({});
    ce::UnmountRegistry();
    DeviceRootTest::TearDown();
  }

  // The settings key as any other program sees it (created when absent).
  HKEY Key() {
    if (!key_) {
      EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, 0, 0, nullptr, &key_, nullptr),
                ERROR_SUCCESS);
    }
    return key_;
  }

  void Store(LPCWSTR name, DWORD type, const std::vector<BYTE>& data) {
    ASSERT_EQ(Set(Key(), name, type, data), ERROR_SUCCESS);
  }

  void ExpectStored(LPCWSTR name, DWORD type, const std::vector<BYTE>& data) {
    auto read = regtest::Get(Key(), name);
    std::string which(name, name + std::char_traits<char16_t>::length(name));
    EXPECT_EQ(read.rc, ERROR_SUCCESS) << which;
    EXPECT_EQ(read.type, type) << which;
    EXPECT_EQ(read.data, data) << which;
  }

  std::vector<std::u16string> StoredNames() {
    std::vector<std::u16string> names;
    WCHAR name[64];
    DWORD length = 64;
    for (DWORD i = 0; RegEnumValueW(Key(), i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, length = 64) {
      names.emplace_back(name);
    }
    return names;
  }

  HKEY key_ = nullptr;
};

TEST_F(RadioSettingsTest, FirstLoadTakesEveryDefaultAndWritesEightValuesBack) {
  RadioSettings settings;
  // The key exists from construction on; nothing is read before the load.
  HKEY opened = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, 0, &opened), ERROR_SUCCESS);
  RegCloseKey(opened);
  EXPECT_TRUE(StoredNames().empty());
  EXPECT_EQ(settings.CurrentVolume, 0u);

  ASSERT_EQ(settings.Load(), 1);
  EXPECT_EQ(settings.AudioOutputType, 2u);
  EXPECT_EQ(settings.SearchLevel, 1);
  EXPECT_EQ(settings.CurrentFrequency, 760u);
  EXPECT_EQ(settings.CurrentVolume, 45u);
  EXPECT_EQ(settings.AutoSearch, 0u);
  EXPECT_EQ(settings.Group, 1);
  EXPECT_EQ(Presets(settings), std::vector<DWORD>(RadioSettings::kPresetCount, 0));
  EXPECT_EQ(settings.RadioSystem, RADIO_SYSTEM_EUROPE);
  EXPECT_EQ(settings.StereoNoiseCancel, 0u);

  ExpectStored(u"AudioOutputType", REG_DWORD, Dword(2));
  ExpectStored(u"SearchLevel", REG_DWORD, Bytes({1}));
  ExpectStored(u"CurrentFrequency", REG_DWORD, Dword(760));
  ExpectStored(u"CurrentVolume", REG_DWORD, Dword(45));
  ExpectStored(u"AutoSearch", REG_DWORD, Dword(0));
  ExpectStored(u"Group", REG_DWORD, Bytes({1}));
  ExpectStored(u"PresetChannel", REG_BINARY, std::vector<BYTE>(72, 0));
  ExpectStored(u"RadioSystem", REG_DWORD, Dword(1));
  // Noise cancelling is never read, so only a save creates it.
  EXPECT_EQ(StoredNames().size(), 8u);
  EXPECT_EQ(regtest::Get(Key(), u"StereoNoiseCancel").rc, ERROR_FILE_NOT_FOUND);

  // The second load of a start reads what the first wrote, whatever band
  // is in force by then.
  SetBandLimits(*FindBandPlan(RADIO_SYSTEM_USA));
  ASSERT_EQ(settings.Load(), 1);
  EXPECT_EQ(settings.CurrentFrequency, 760u);
}

TEST_F(RadioSettingsTest, SaveWritesNineValuesThatTheNextRunLoads) {
  Store(u"StereoNoiseCancel", REG_DWORD, Dword(1));
  {
    RadioSettings first;
    ASSERT_EQ(first.Load(), 1);
    EXPECT_EQ(first.StereoNoiseCancel, 0u);
    auto presets = Ascending(1000);
    std::copy(presets.begin(), presets.end(), first.PresetChannel);
    first.Group = 3;
    first.AutoSearch = 1;
    first.CurrentVolume = 33;
    first.CurrentFrequency = 1012;
    first.AudioOutputType = 1;
    first.SearchLevel = 2;
    first.RadioSystem = RADIO_SYSTEM_USA;
    ASSERT_EQ(first.Save(), 1);
  }
  ExpectStored(u"AudioOutputType", REG_DWORD, Dword(1));
  ExpectStored(u"SearchLevel", REG_DWORD, Bytes({2}));
  ExpectStored(u"CurrentFrequency", REG_DWORD, Dword(1012));
  ExpectStored(u"CurrentVolume", REG_DWORD, Dword(33));
  ExpectStored(u"AutoSearch", REG_DWORD, Dword(1));
  ExpectStored(u"Group", REG_DWORD, Bytes({3}));
  ExpectStored(u"PresetChannel", REG_BINARY, PresetBytes(Ascending(1000)));
  ExpectStored(u"StereoNoiseCancel", REG_DWORD, Dword(0));
  ExpectStored(u"RadioSystem", REG_DWORD, Dword(3));
  EXPECT_EQ(StoredNames().size(), 9u);

  RadioSettings next;
  ASSERT_EQ(next.Load(), 1);
  EXPECT_EQ(Presets(next), Ascending(1000));
  EXPECT_EQ(next.Group, 3);
  EXPECT_EQ(next.AutoSearch, 1u);
  EXPECT_EQ(next.CurrentVolume, 33u);
  EXPECT_EQ(next.CurrentFrequency, 1012u);
  EXPECT_EQ(next.AudioOutputType, 1u);
  EXPECT_EQ(next.SearchLevel, 2);
  EXPECT_EQ(next.RadioSystem, RADIO_SYSTEM_USA);
}

TEST_F(RadioSettingsTest, PresetBlockShorterOrLongerThanTheArray) {
  RadioSettings settings;
  const DWORD high = 0x50000;  // so that a half replaced shows
  Store(u"PresetChannel", REG_BINARY, PresetBytes(Ascending(high + 900)));
  ASSERT_EQ(settings.Load(), 1);
  ASSERT_EQ(Presets(settings), Ascending(high + 900));

  // Shorter: only the leading bytes it holds are replaced, here one whole
  // preset and the low half of the next.
  std::vector<BYTE> shorter = PresetBytes({1001, 1002});
  shorter.resize(6);
  Store(u"PresetChannel", REG_BINARY, shorter);
  ASSERT_EQ(settings.Load(), 1);
  auto expected = Ascending(high + 900);
  expected[0] = 1001;
  expected[1] = high + 1002;
  EXPECT_EQ(Presets(settings), expected);
  ExpectStored(u"PresetChannel", REG_BINARY, shorter);

  // Longer: unreadable, so every preset is cleared and 72 zero bytes
  // replace it.
  auto tooLong = PresetBytes(Ascending(950));
  tooLong.push_back(0x55);
  Store(u"PresetChannel", REG_BINARY, tooLong);
  ASSERT_EQ(settings.Load(), 1);
  EXPECT_EQ(Presets(settings), std::vector<DWORD>(RadioSettings::kPresetCount, 0));
  ExpectStored(u"PresetChannel", REG_BINARY, std::vector<BYTE>(72, 0));
}

TEST_F(RadioSettingsTest, OneByteSettingsTakeTheFirstByteOfUpToFour) {
  Store(u"Group", REG_DWORD, Bytes({2, 0x7F, 0x7F, 0x7F}));
  Store(u"SearchLevel", REG_DWORD, Bytes({3, 0x01, 0, 0}));
  Store(u"AutoSearch", REG_DWORD, Dword(1));
  RadioSettings settings;
  ASSERT_EQ(settings.Load(), 1);
  EXPECT_EQ(settings.Group, 2);
  EXPECT_EQ(settings.SearchLevel, 3);
  // The neighbours are untouched by the wider values.
  EXPECT_EQ(settings.AutoSearch, 1u);
  EXPECT_EQ(settings.AudioOutputType, 2u);
  // A readable value is left as it was stored.
  ExpectStored(u"Group", REG_DWORD, Bytes({2, 0x7F, 0x7F, 0x7F}));

  // Five bytes are more than the four taken: the default, written back as
  // one byte.
  Store(u"Group", REG_DWORD, Bytes({2, 0, 0, 0, 0}));
  ASSERT_EQ(settings.Load(), 1);
  EXPECT_EQ(settings.Group, 1);
  ExpectStored(u"Group", REG_DWORD, Bytes({1}));
}

TEST_F(RadioSettingsTest, ValuesAreReadAsStoredWhateverTheirTypeAndAnEmptyOneChangesNothing) {
  // The type is not looked at: four bytes of binary are a volume.
  Store(u"CurrentVolume", REG_BINARY, Dword(30));
  Store(u"CurrentFrequency", REG_DWORD, Dword(0x12340000 + 1000));
  RadioSettings settings;
  ASSERT_EQ(settings.Load(), 1);
  EXPECT_EQ(settings.CurrentVolume, 30u);
  ExpectStored(u"CurrentVolume", REG_BINARY, Dword(30));

  // Two bytes replace the low half of what the field held.
  Store(u"CurrentFrequency", REG_DWORD, Bytes({0x6B, 0x03}));
  ASSERT_EQ(settings.Load(), 1);
  EXPECT_EQ(settings.CurrentFrequency, 0x12340000u + 875);

  // An empty value is read successfully: the field keeps what it held and
  // nothing is written back.
  Store(u"CurrentFrequency", REG_DWORD, {});
  Store(u"SearchLevel", REG_BINARY, {});
  ASSERT_EQ(settings.Load(), 1);
  EXPECT_EQ(settings.CurrentFrequency, 0x12340000u + 875);
  EXPECT_EQ(settings.SearchLevel, 1);
  ExpectStored(u"CurrentFrequency", REG_DWORD, {});
  ExpectStored(u"SearchLevel", REG_BINARY, {});

  // An empty "Group" at a first start leaves the record's zero, which the
  // save stores as its one byte.
  Store(u"Group", REG_DWORD, {});
  RadioSettings first;
  ASSERT_EQ(first.Load(), 1);
  EXPECT_EQ(first.Group, 0);
  ExpectStored(u"Group", REG_DWORD, {});
  ASSERT_EQ(first.Save(), 1);
  ExpectStored(u"Group", REG_DWORD, Bytes({0}));
}

TEST_F(RadioSettingsTest, OnlyTheBandNumberIsBroughtIntoRange) {
  Store(u"CurrentVolume", REG_DWORD, Dword(200));
  Store(u"AudioOutputType", REG_DWORD, Dword(7));
  Store(u"Group", REG_DWORD, Bytes({9}));
  Store(u"CurrentFrequency", REG_DWORD, Dword(5000));
  for (DWORD stored : {0u, 4u, 0xFFFFFFFFu}) {
    Store(u"RadioSystem", REG_DWORD, Dword(stored));
    RadioSettings settings;
    ASSERT_EQ(settings.Load(), 1);
    EXPECT_EQ(settings.RadioSystem, RADIO_SYSTEM_EUROPE) << stored;
    // The registry keeps the stored number until the next save.
    ExpectStored(u"RadioSystem", REG_DWORD, Dword(stored));
    EXPECT_EQ(settings.CurrentVolume, 200u);
    EXPECT_EQ(settings.AudioOutputType, 7u);
    EXPECT_EQ(settings.Group, 9);
    EXPECT_EQ(settings.CurrentFrequency, 5000u);
    ASSERT_EQ(settings.Save(), 1);
    ExpectStored(u"RadioSystem", REG_DWORD, Dword(1));
  }

  Store(u"RadioSystem", REG_DWORD, Dword(RADIO_SYSTEM_JAPAN));
  RadioSettings japan;
  ASSERT_EQ(japan.Load(), 1);
  EXPECT_EQ(japan.RadioSystem, RADIO_SYSTEM_JAPAN);
}

TEST_F(RadioSettingsTest, WithoutARegistryTheUserIsToldAndEverythingStaysZero) {
  struct Box {
    HWND owner;
    std::u16string text, caption;
    UINT type;
  };
  std::vector<Box> boxes;
  ce::SetMessageBoxPresenter([&boxes](HWND owner, std::u16string_view text, std::u16string_view caption, UINT type) {
    boxes.push_back({owner, std::u16string(text), std::u16string(caption), type});
    return IDOK;
  });
  ce::UnmountRegistry();

  RadioSettings settings;
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].owner, nullptr);
  EXPECT_EQ(boxes[0].text, u"Can't get settings from registry,use the default settings!!");
  EXPECT_EQ(boxes[0].caption, u"");
  EXPECT_EQ(boxes[0].type, MB_OK);

  EXPECT_EQ(settings.Load(), 0);
  EXPECT_EQ(settings.Save(), 0);
  EXPECT_EQ(Presets(settings), std::vector<DWORD>(RadioSettings::kPresetCount, 0));
  EXPECT_EQ(settings.Group, 0);
  EXPECT_EQ(settings.AutoSearch, 0u);
  EXPECT_EQ(settings.CurrentVolume, 0u);
  EXPECT_EQ(settings.CurrentFrequency, 0u);
  EXPECT_EQ(settings.AudioOutputType, 0u);
  EXPECT_EQ(settings.SearchLevel, 0);
  EXPECT_EQ(settings.StereoNoiseCancel, 0u);
  EXPECT_EQ(settings.RadioSystem, 0);

  // The key is never opened later, even once the registry is there.
  ASSERT_FALSE(ce::MountRegistry(root_ / "registry.db"));
  EXPECT_EQ(settings.Load(), 0);
  EXPECT_EQ(settings.Save(), 0);
  HKEY opened = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, 0, &opened), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(boxes.size(), 1u);
}

}  // namespace
