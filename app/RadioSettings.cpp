#include "RadioSettings.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>

#include "BandPlan.h"

// REG_DWORD data is little-endian, as the handheld's processor is.
static_assert(std::endian::native == std::endian::little);

namespace {

constexpr LPCWSTR kSettingsKey = TEXT("Software\\Tessaro\\Veltrane");
constexpr DWORD kDwordLength = sizeof(DWORD);
constexpr DWORD kPresetsLength = sizeof(DWORD) * RadioSettings::kPresetCount;

constexpr BYTE kDefaultGroup = 1;
constexpr DWORD kDefaultAutoSearch = 0;
constexpr DWORD kDefaultVolume = 45;
constexpr DWORD kDefaultAudioOutputType = 2;  // stereo
constexpr BYTE kDefaultSearchLevel = 1;

// A stored REG_DWORD of one to four bytes, zero-extended. Nothing when the
// value is missing, longer than four bytes (ERROR_MORE_DATA), empty, or of
// another type: its bytes would not mean a number.
std::optional<DWORD> QueryDword(HKEY key, LPCWSTR name) {
  BYTE bytes[kDwordLength] = {};
  DWORD type = REG_NONE;
  DWORD length = sizeof bytes;
  if (RegQueryValueExW(key, name, nullptr, &type, bytes, &length) != ERROR_SUCCESS) return std::nullopt;
  if (type != REG_DWORD || length == 0) return std::nullopt;
  DWORD value = 0;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

void WriteDword(HKEY key, LPCWSTR name, DWORD value) {
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), kDwordLength);
}

// The one-byte settings are kept as REG_DWORD values only one byte long.
void WriteByte(HKEY key, LPCWSTR name, BYTE value) { RegSetValueExW(key, name, 0, REG_DWORD, &value, 1); }

void WritePresets(HKEY key, const DWORD* presets) {
  RegSetValueExW(key, TEXT("PresetChannel"), 0, REG_BINARY, reinterpret_cast<const BYTE*>(presets), kPresetsLength);
}

}  // namespace

RadioSettings::RadioSettings() {
  DWORD disposition = 0;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, 0, nullptr, &key, &disposition) !=
      ERROR_SUCCESS) {
    key = nullptr;
    MessageBoxW(nullptr, TEXT("Can't get settings from registry,use the default settings!!"), TEXT(""), MB_OK);
  }
}

RadioSettings::~RadioSettings() {
  if (key) RegCloseKey(key);
}

int RadioSettings::Load() {
  if (!key) return 0;
  LoadDword(TEXT("AudioOutputType"), AudioOutputType, kDefaultAudioOutputType);
  LoadByte(TEXT("SearchLevel"), SearchLevel, kDefaultSearchLevel);
  // Without a stored frequency the radio starts at the bottom of the band
  // in force.
  LoadDword(TEXT("CurrentFrequency"), CurrentFrequency, Band().lower);
  LoadDword(TEXT("CurrentVolume"), CurrentVolume, kDefaultVolume);
  LoadDword(TEXT("AutoSearch"), AutoSearch, kDefaultAutoSearch);
  LoadByte(TEXT("Group"), Group, kDefaultGroup);
  LoadPresets();
  LoadRadioSystem();
  return 1;
}

int RadioSettings::Save() {
  if (!key) return 0;
  WriteDword(key, TEXT("AudioOutputType"), AudioOutputType);
  WriteByte(key, TEXT("SearchLevel"), SearchLevel);
  WriteDword(key, TEXT("CurrentFrequency"), CurrentFrequency);
  WriteDword(key, TEXT("CurrentVolume"), CurrentVolume);
  WriteDword(key, TEXT("AutoSearch"), AutoSearch);
  WriteByte(key, TEXT("Group"), Group);
  WritePresets(key, PresetChannel);
  WriteDword(key, TEXT("StereoNoiseCancel"), StereoNoiseCancel);
  WriteDword(key, TEXT("RadioSystem"), static_cast<DWORD>(RadioSystem));
  return 1;
}

void RadioSettings::LoadDword(LPCWSTR name, DWORD& field, DWORD fallback) {
  if (auto stored = QueryDword(key, name)) {
    field = *stored;
    return;
  }
  field = fallback;
  WriteDword(key, name, field);
}

// Older copies may hold a one-byte setting as a full four-byte DWORD: its
// lowest-order byte is the setting.
void RadioSettings::LoadByte(LPCWSTR name, BYTE& field, BYTE fallback) {
  if (auto stored = QueryDword(key, name)) {
    field = static_cast<BYTE>(*stored & 0xFF);
    return;
  }
  field = fallback;
  WriteByte(key, name, field);
}

// A shorter block replaces only the presets (and bytes) it holds; a longer
// one, or one of another type, clears every preset.
void RadioSettings::LoadPresets() {
  BYTE bytes[kPresetsLength];
  DWORD type = REG_NONE;
  DWORD length = sizeof bytes;
  LONG rc = RegQueryValueExW(key, TEXT("PresetChannel"), nullptr, &type, bytes, &length);
  if (rc == ERROR_SUCCESS && type == REG_BINARY) {
    std::memcpy(PresetChannel, bytes, std::min<DWORD>(length, sizeof bytes));
    return;
  }
  std::memset(PresetChannel, 0, sizeof PresetChannel);
  WritePresets(key, PresetChannel);
}

// An unknown band number is taken as Europe for this run; the stored value
// stays until the next save replaces it.
void RadioSettings::LoadRadioSystem() {
  if (auto stored = QueryDword(key, TEXT("RadioSystem"))) {
    RadioSystem = static_cast<int>(*stored);
  } else {
    RadioSystem = RADIO_SYSTEM_EUROPE;
    WriteDword(key, TEXT("RadioSystem"), static_cast<DWORD>(RadioSystem));
  }
  if (!FindBandPlan(RadioSystem)) RadioSystem = RADIO_SYSTEM_EUROPE;
}
