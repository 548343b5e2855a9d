#include "host/Provisioning.h"

#include <fstream>
#include <iterator>
#include <string_view>

#include "hardware/cards/RadioCard.h"
#include "platform/devmgr/DeviceManager.h"
#include "platform/kernel/RegKey.h"
#include "platform/kernel/Utf.h"
#include "windows.h"

namespace host {
namespace {

std::string RegistryError(std::string_view what, LONG status) {
  return std::string(what) + " failed with registry error " + std::to_string(status);
}

std::string CreateFolders() {
  for (const char16_t* folder : {u"\\Windows", u"\\Program Files", u"\\Program Files\\Veltrane",
                                 u"\\Program Files\\Veltrane\\Windows", u"\\My Documents", u"\\Temp"}) {
    if (!CreateDirectoryW(folder, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
      return "cannot create the folder " + ce::ToUtf8(folder) + " (error " + std::to_string(GetLastError()) + ")";
  }
  return {};
}

std::string WriteInstallDir() {
  ce::RegKey key = ce::RegKey::Create(HKEY_LOCAL_MACHINE, kInstallDirKey);
  if (!key) return RegistryError("opening HKEY_LOCAL_MACHINE\\SOFTWARE\\Apps\\Veltrane", key.status());
  LONG status = key.SetString(u"InstallDir", kInstallDir);
  return status == ERROR_SUCCESS ? std::string() : RegistryError("writing InstallDir", status);
}

// Copies a file the build made onto the device, through the device's own
// file system.
std::string InstallFile(const std::filesystem::path& from, const char16_t* devicePath) {
  std::ifstream in(from, std::ios::binary);
  if (!in) return "cannot read " + from.string() + " (the build draws it: build the target ondrel_artwork_files)";
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  HANDLE file = CreateFileW(devicePath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return "cannot create " + ce::ToUtf8(devicePath) + " (error " + std::to_string(GetLastError()) + ")";
  DWORD written = 0;
  BOOL ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
  CloseHandle(file);
  if (!ok || written != bytes.size()) return "cannot write " + ce::ToUtf8(devicePath);
  return {};
}

std::string InstallArtwork(const std::filesystem::path& dir) {
  struct Item {
    const char* name;
    const char16_t* devicePath;
  };
  const Item items[] = {
      {"BK_U.bmp", u"\\Program Files\\Veltrane\\Windows\\BK_U.bmp"},
      {"BK_P.bmp", u"\\Program Files\\Veltrane\\Windows\\BK_P.bmp"},
      {"BK_E.bmp", u"\\Program Files\\Veltrane\\Windows\\BK_E.bmp"},
      {"Default.wav", u"\\Windows\\Default.wav"},
  };
  for (const Item& item : items) {
    if (std::string error = InstallFile(dir / item.name, item.devicePath); !error.empty()) return error;
  }
  return {};
}


}  // namespace

std::filesystem::path DefaultArtworkDir() { return ONDREL_ARTWORK_DIR; }

Provisioner::Provisioner(std::filesystem::path artworkDir) {
  AddStep({"folders", "created the folders \\Windows, \\Program Files\\Veltrane, \\My Documents, \\Temp",
           CreateFolders});
  AddStep({"install-dir", "set HKEY_LOCAL_MACHINE\\SOFTWARE\\Apps\\Veltrane InstallDir to \\Program Files\\Veltrane",
           WriteInstallDir});
  AddStep({"skin-and-sound",
           "installed the skins \\Program Files\\Veltrane\\Windows\\BK_U.bmp, BK_P.bmp, BK_E.bmp and the sound "
           "\\Windows\\Default.wav",
           [artworkDir] { return InstallArtwork(artworkDir); }});
  AddStep({"sd-client-marvex",
           "registered Marvex.dll (prefix MVX) as the SD client driver of the FM tuner card",
           [] {
             return ce::RegisterSdClientDriver(hw::RadioCard::kManufacturer, hw::RadioCard::kCardId, 1,
                                               u"Marvex.dll", u"MVX");
           }});
}

void Provisioner::AddStep(ProvisioningStep step) { steps_.push_back(std::move(step)); }

ProvisioningResult Provisioner::Run() const {
  ProvisioningResult result;
  ce::RegKey done = ce::RegKey::Create(HKEY_LOCAL_MACHINE, kProvisioningKey);
  if (!done) {
    result.error = RegistryError("opening the provisioning record", done.status());
    return result;
  }
  for (const auto& step : steps_) {
    std::u16string valueName = ce::ToUtf16(step.name);
    if (done.HasValue(valueName.c_str())) continue;
    if (std::string error = step.run(); !error.empty()) {
      result.error = "provisioning step '" + step.name + "': " + error;
      return result;
    }
    done.SetDword(valueName.c_str(), 1);
    result.performed.push_back(step.description);
  }
  return result;
}

}  // namespace host
