#include "Provisioning.h"

#include <string_view>

#include "cards/RadioCard.h"
#include "devmgr/DeviceManager.h"
#include "kernel/Utf.h"
#include "windows.h"

namespace host {
namespace {

class RegKey {
 public:
  RegKey(HKEY root, const char16_t* path) {
    DWORD disposition = 0;
    status_ = RegCreateKeyExW(root, path, 0, nullptr, 0, 0, nullptr, &key_, &disposition);
  }
  ~RegKey() {
    if (status_ == ERROR_SUCCESS) RegCloseKey(key_);
  }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  LONG status() const { return status_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
  LONG status_;
};

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
  RegKey key(HKEY_LOCAL_MACHINE, kInstallDirKey);
  if (key.status() != ERROR_SUCCESS) return RegistryError("opening HKEY_LOCAL_MACHINE\\SOFTWARE\\Apps\\Veltrane", key.status());
  std::u16string_view dir = kInstallDir;
  DWORD bytes = static_cast<DWORD>((dir.size() + 1) * sizeof(char16_t));
  LONG status = RegSetValueExW(key.get(), u"InstallDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(dir.data()), bytes);
  return status == ERROR_SUCCESS ? std::string() : RegistryError("writing InstallDir", status);
}

bool StepDone(HKEY doneKey, const std::string& name) {
  std::u16string valueName = ce::ToUtf16(name);
  DWORD size = 0;
  return RegQueryValueExW(doneKey, valueName.c_str(), nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS;
}

}  // namespace

Provisioner::Provisioner() {
  AddStep({"folders", "created the folders \\Windows, \\Program Files\\Veltrane, \\My Documents, \\Temp",
           CreateFolders});
  AddStep({"install-dir", "set HKEY_LOCAL_MACHINE\\SOFTWARE\\Apps\\Veltrane InstallDir to \\Program Files\\Veltrane",
           WriteInstallDir});
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
  RegKey done(HKEY_LOCAL_MACHINE, kProvisioningKey);
  if (done.status() != ERROR_SUCCESS) {
    result.error = RegistryError("opening the provisioning record", done.status());
    return result;
  }
  for (const auto& step : steps_) {
    if (StepDone(done.get(), step.name)) continue;
    if (std::string error = step.run(); !error.empty()) {
      result.error = "provisioning step '" + step.name + "': " + error;
      return result;
    }
    DWORD one = 1;
    std::u16string valueName = ce::ToUtf16(step.name);
    RegSetValueExW(done.get(), valueName.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
    result.performed.push_back(step.description);
  }
  return result;
}

}  // namespace host
