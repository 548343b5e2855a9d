#include "RadioSettings.h"

#include <bit>
#include <cstring>

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

// Reads a stored value into a field's own bytes as the registry hands
// them over, whatever its type: a value shorter than the field replaces
// only the bytes it holds, an empty one none. Only a missing value and
// one longer than the field (ERROR_MORE_DATA) fail; the length given is
// the field's, so no value can write past it.
bool QueryInto(HKEY key, LPCWSTR name, void* field, DWORD length) {
  DWORD size = length;
  return RegQueryValueExW(key, name, nullptr, nullptr, static_cast<BYTE*>(field), &size) == ERROR_SUCCESS;
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
  LoadDword(TEXT("CurrentFrequency"), CurrentFrequency, BandLimits::Instance().lower);
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
  if (QueryInto(key, name, &field, kDwordLength)) return;
  field = fallback;
  WriteDword(key, name, field);
}

// A one-byte setting is stored as a REG_DWORD one byte long, but up to
// four bytes are taken (older copies hold a full DWORD): the first byte
// received, the lowest-order one of a DWORD, is the setting.
void RadioSettings::LoadByte(LPCWSTR name, BYTE& field, BYTE fallback) {
  BYTE received[kDwordLength] = {field};
  if (QueryInto(key, name, received, kDwordLength)) {
    field = received[0];
    return;
  }
  field = fallback;
  WriteByte(key, name, field);
}

void RadioSettings::LoadPresets() {
  if (QueryInto(key, TEXT("PresetChannel"), PresetChannel, kPresetsLength)) return;
  std::memset(PresetChannel, 0, sizeof PresetChannel);
  WritePresets(key, PresetChannel);
}

// An unknown band number is taken as Europe for this run; the stored value
// stays until the next save replaces it.
void RadioSettings::LoadRadioSystem() {
  if (!QueryInto(key, TEXT("RadioSystem"), &RadioSystem, sizeof RadioSystem)) {
    RadioSystem = RADIO_SYSTEM_EUROPE;
    WriteDword(key, TEXT("RadioSystem"), static_cast<DWORD>(RadioSystem));
  }
  if (!FindBandPlan(RadioSystem)) RadioSystem = RADIO_SYSTEM_EUROPE;
}
