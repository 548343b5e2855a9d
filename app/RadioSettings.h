// The radio's settings: one record that lives in the registry between
// runs, under HKEY_CURRENT_USER\Software\Tessaro\Veltrane. The program
// keeps one instance for its whole life; the rest of the program reads and
// changes the fields directly between Load (at window creation) and Save
// (at window destruction).
#pragma once

#include "windows.h"

class RadioSettings {
 public:
  static constexpr int kPresetCount = 18;  // three groups of six

  // Opens (or creates) the settings key. When that fails the user is told
  // once that the defaults are used, and the record stays all zero.
  RadioSettings();
  virtual ~RadioSettings();
  RadioSettings(const RadioSettings&) = delete;
  RadioSettings& operator=(const RadioSettings&) = delete;

  // Reads the eight stored values into the fields as stored, whatever
  // their registry type; a missing one, or one longer than its field,
  // takes its default, which is written back at once. 0 without a key.
  int Load();
  // Writes all nine values. 0 without a key.
  int Save();

  // The stored stations, group 1's six first; frequencies in 100 kHz.
  DWORD PresetChannel[kPresetCount] = {};
  BYTE Group = 0;               // current preset group, 1..3
  DWORD AutoSearch = 0;         // 1 search mode, 0 step mode
  DWORD CurrentVolume = 0;      // volume slider position
  DWORD CurrentFrequency = 0;   // tuned frequency, 100 kHz units
  DWORD AudioOutputType = 0;    // 1 mono, anything else stereo
  BYTE SearchLevel = 0;         // seek stop level, 0..3

 private:
  HKEY key = nullptr;  // null when the settings key could not be opened

 public:
  DWORD StereoNoiseCancel = 0;  // written at every save, never read back
  int RadioSystem = 0;          // band plan 1 Europe, 2 Japan, 3 USA

 private:
  void LoadDword(LPCWSTR name, DWORD& field, DWORD fallback);
  void LoadByte(LPCWSTR name, BYTE& field, BYTE fallback);
  void LoadPresets();
  void LoadRadioSystem();
};
