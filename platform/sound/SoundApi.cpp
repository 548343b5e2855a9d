// PlaySoundW: wave files from the device's file system to the speaker.
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/kernel/DevicePath.h"
#include "hardware/clock/Clock.h"
#include "platform/kernel/Devices.h"
#include "platform/kernel/LastError.h"
#include "platform/kernel/RunLog.h"
#include "platform/kernel/Utf.h"
#include "mmsystem.h"
#include "hardware/sound/Speaker.h"
#include "platform/sound/Wave.h"

namespace ce {
namespace {

constexpr std::uintmax_t kMaxWaveBytes = 64u << 20;

// A bare name ("Default.wav") is one of the system's sounds in \Windows.
std::u16string DevicePathOf(std::u16string_view name) {
  if (name.find_first_of(u"\\/") == std::u16string_view::npos) return u"\\Windows\\" + std::u16string(name);
  return std::u16string(name);
}

}  // namespace
}  // namespace ce

extern "C" {

// Plays a wave file: synchronously by default (returns once it has played,
// on the clock), or SND_ASYNC (returns at once). A missing or malformed
// file plays nothing and returns FALSE; NULL stops the sound playing. A
// handheld without a speaker plays nothing either.
BOOL WINAPI PlaySoundW(LPCWSTR pszSound, HMODULE hmod, DWORD fdwSound) {
  (void)hmod;
  hw::Speaker* attached = ce::Attached::Speaker();
  if (!attached) {
    ce::SetThreadError(ERROR_DEVICE_NOT_CONNECTED);
    return FALSE;
  }
  hw::Speaker& speaker = *attached;
  if (!pszSound) {
    speaker.Stop(ce::Attached::Clock().NowUs());
    return TRUE;
  }
  if ((fdwSound & SND_RESOURCE) == SND_RESOURCE || (fdwSound & SND_MEMORY) || (fdwSound & SND_ALIAS)) {
    ce::SetThreadError(ERROR_NOT_SUPPORTED);  // only files are played here
    return FALSE;
  }
  std::u16string device = ce::DevicePathOf(pszSound);
  ce::HostPath host = ce::HostPathOf(device, false);
  if (!host) {
    ce::SetThreadError(host.error);
    return FALSE;
  }
  std::error_code ec;
  auto size = std::filesystem::file_size(host.path, ec);
  if (ec || size > ce::kMaxWaveBytes) {
    ce::SetThreadError(ec ? ERROR_FILE_NOT_FOUND : ERROR_BAD_FORMAT);
    return FALSE;
  }
  std::ifstream in(host.path, std::ios::binary);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string why;
  auto sound = ce::sound::ParseWave(bytes, why);
  if (!sound) {
    ce::LogLine("sound " + ce::ToUtf8(device) + " not played: " + why);
    ce::SetThreadError(ERROR_BAD_FORMAT);
    return FALSE;
  }
  auto shared = std::make_shared<const hw::Sound>(std::move(*sound));
  hw::Clock& clock = ce::Attached::Clock();
  speaker.Play(shared, clock.NowUs());
  if (!(fdwSound & SND_ASYNC)) clock.SleepUs(shared->durationUs());
  return TRUE;
}

}  // extern "C"
