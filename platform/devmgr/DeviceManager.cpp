#include "platform/devmgr/DeviceManager.h"

#include <cstdio>
#include <map>
#include <mutex>

#include "platform/devmgr/DeviceFile.h"
#include "platform/kernel/RegKey.h"
#include "platform/kernel/RunLog.h"
#include "platform/kernel/Utf.h"
#include "windows.h"

#ifndef ONDREL_DRIVER_DIR
#define ONDREL_DRIVER_DIR "drivers"
#endif

namespace ce {
namespace {

struct Loaded {
  std::shared_ptr<StreamDevice> device;
  std::u16string activeKey;
};

class DeviceManager {
 public:
  static DeviceManager& Instance();
  DeviceManager() : folder_(ONDREL_DRIVER_DIR) {
    SetDeviceOpener([this](std::u16string_view name, DWORD access, DWORD share) { return Open(name, access, share); });
  }

  const std::filesystem::path& Folder() const { return folder_; }

  bool Load(SD_DEVICE_HANDLE bus, const std::u16string& deviceKey);
  void Unload(SD_DEVICE_HANDLE bus);
  HANDLE Open(std::u16string_view name, DWORD access, DWORD share);
  std::vector<ActiveDevice> Devices() const;

 private:
  std::u16string FreeActiveKey() const;
  std::u16string FreeName(const std::u16string& prefix) const;
  std::optional<Module> LoadLibrary(const std::u16string& dll, std::string& error) const;

  mutable std::mutex mutex_;
  const std::filesystem::path folder_;
  std::map<SD_DEVICE_HANDLE, Loaded> loaded_;
};

DeviceManager& DeviceManager::Instance() {
  static DeviceManager manager;
  return manager;
}

void Log(const std::string& line) { LogLine("device manager: " + line); }

std::u16string FreeIndexed(const std::u16string& base, int first, int last, bool twoDigits,
                           const std::function<bool(const std::u16string&)>& taken) {
  for (int i = first; i <= last; ++i) {
    char digits[8];
    std::snprintf(digits, sizeof digits, twoDigits ? "%02d" : "%d", i);
    std::u16string candidate = base + ToUtf16(digits);
    if (!taken(candidate)) return candidate;
  }
  return {};
}

std::u16string DeviceManager::FreeActiveKey() const {
  return FreeIndexed(std::u16string(DEVLOAD_ACTIVE_KEY) + u"\\", 1, 99, true,
                     [](const std::u16string& key) { return static_cast<bool>(RegKey::Open(HKEY_LOCAL_MACHINE, key.c_str())); });
}

std::u16string DeviceManager::FreeName(const std::u16string& prefix) const {
  std::lock_guard lock(mutex_);
  std::u16string name = FreeIndexed(prefix, 1, 9, false, [this](const std::u16string& candidate) {
    for (const auto& [bus, entry] : loaded_)
      if (EqualNoCase(entry.device->name(), candidate + u":")) return true;
    return false;
  });
  return name.empty() ? name : name + u":";
}

std::optional<Module> DeviceManager::LoadLibrary(const std::u16string& dll, std::string& error) const {
  std::string file = ToUtf8(dll);
  if (file.size() > 4 && EqualNoCase(ToUtf16(file.substr(file.size() - 4)), u".dll")) file.resize(file.size() - 4);
  if (file.empty() || file.find('/') != std::string::npos || file.find('\\') != std::string::npos) {
    error = "\"" + ToUtf8(dll) + "\" is not a driver library name";
    return std::nullopt;
  }
  return Module::Load(Folder() / (file + ".so"), ModuleKind::Library, error);
}

template <class Fn>
bool Find(const Module& module, const std::string& prefix, const char* entry, Fn& fn, std::string& missing) {
  std::string error;
  fn = reinterpret_cast<Fn>(module.Symbol((prefix + entry).c_str(), error));
  if (!fn) missing += (missing.empty() ? "" : ", ") + prefix + entry;
  return fn != nullptr;
}

bool FindEntries(const Module& module, const std::string& prefix, DriverEntries& e, std::string& missing) {
  bool ok = Find(module, prefix, "_Init", e.init, missing);
  ok &= Find(module, prefix, "_Deinit", e.deinit, missing);
  ok &= Find(module, prefix, "_Open", e.open, missing);
  ok &= Find(module, prefix, "_Close", e.close, missing);
  ok &= Find(module, prefix, "_IOControl", e.ioControl, missing);
  std::string optional;
  Find(module, prefix, "_Read", e.read, optional);
  Find(module, prefix, "_Write", e.write, optional);
  Find(module, prefix, "_Seek", e.seek, optional);
  Find(module, prefix, "_PowerUp", e.powerUp, optional);
  Find(module, prefix, "_PowerDown", e.powerDown, optional);
  return ok;
}

bool DeviceManager::Load(SD_DEVICE_HANDLE bus, const std::u16string& deviceKey) {
  RegKey driverKey = RegKey::Open(HKEY_LOCAL_MACHINE, deviceKey.c_str());
  auto dll = driverKey ? driverKey.String(DEVLOAD_DLLNAME_VALNAME) : std::nullopt;
  auto prefix = driverKey ? driverKey.String(DEVLOAD_PREFIX_VALNAME) : std::nullopt;
  if (!dll || !prefix || prefix->empty()) {
    Log("no driver is registered for the card (HKEY_LOCAL_MACHINE\\" + ToUtf8(deviceKey) + "); it stays unused");
    return false;
  }
  std::u16string activeKey = FreeActiveKey();
  RegKey active = RegKey::Create(HKEY_LOCAL_MACHINE, activeKey.c_str());
  if (activeKey.empty() || !active) {
    Log("cannot create an active key for " + ToUtf8(*dll));
    return false;
  }
  active.SetString(DEVLOAD_DEVKEY_VALNAME, deviceKey);
  active.SetBinary(DEVLOAD_CLIENTINFO_VALNAME, &bus, sizeof bus);

  auto fail = [&](const std::string& why) {
    Log(ToUtf8(*dll) + ": " + why + "; the device does not appear");
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, activeKey.c_str());
    return false;
  };
  std::string error;
  std::optional<Module> module = LoadLibrary(*dll, error);
  if (!module) return fail(error);
  DriverEntries entries;
  std::string missing;
  if (!FindEntries(*module, ToUtf8(*prefix), entries, missing)) return fail("it does not export " + missing);
  std::u16string name = FreeName(*prefix);
  if (name.empty()) return fail("no free device name");
  DWORD_PTR context = entries.init(activeKey.c_str());
  if (!context) return fail(ToUtf8(*prefix) + "_Init failed");
  active.SetString(DEVLOAD_DEVNAME_VALNAME, name);
  auto device = std::make_shared<StreamDevice>(name, std::move(*module), entries, context);
  std::lock_guard lock(mutex_);
  loaded_[bus] = Loaded{std::move(device), activeKey};
  return true;
}

void DeviceManager::Unload(SD_DEVICE_HANDLE bus) {
  Loaded entry;
  {
    std::lock_guard lock(mutex_);
    auto it = loaded_.find(bus);
    if (it == loaded_.end()) return;
    entry = std::move(it->second);
    loaded_.erase(it);
  }
  if (std::string warning = entry.device->Retire(); !warning.empty()) Log("warning: " + warning);
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, entry.activeKey.c_str());
}

HANDLE DeviceManager::Open(std::u16string_view name, DWORD access, DWORD share) {
  std::shared_ptr<StreamDevice> device;
  {
    std::lock_guard lock(mutex_);
    for (const auto& [bus, entry] : loaded_)
      if (EqualNoCase(entry.device->name(), name)) device = entry.device;
  }
  if (!device) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  DWORD_PTR open = 0;
  if (!device->Use([&] { open = device->entries().open(device->context(), access, share); }))
    return INVALID_HANDLE_VALUE;
  if (!open) {
    if (GetLastError() == ERROR_SUCCESS) SetLastError(ERROR_GEN_FAILURE);
    return INVALID_HANDLE_VALUE;
  }
  return AddKernelHandle(std::make_shared<DeviceFile>(device, open));
}

std::vector<ActiveDevice> DeviceManager::Devices() const {
  std::lock_guard lock(mutex_);
  std::vector<ActiveDevice> devices;
  for (const auto& [bus, entry] : loaded_)
    devices.push_back({entry.device->name(), entry.activeKey, entry.device->module().Path()});
  return devices;
}

}  // namespace

void StartDeviceManager() { DeviceManager::Instance(); }
std::filesystem::path DriverFolder() { return DeviceManager::Instance().Folder(); }

std::u16string SdClientDriverKey(std::uint16_t manufacturer, std::uint16_t cardId, unsigned function) {
  char key[96];
  std::snprintf(key, sizeof key, "Drivers\\SDCARD\\ClientDrivers\\Custom\\MANF-%04X-CARDID-%04X-FUNC-%u",
                unsigned{manufacturer}, unsigned{cardId}, function);
  return ToUtf16(key);
}

std::string RegisterSdClientDriver(std::uint16_t manufacturer, std::uint16_t cardId, unsigned function,
                                   const std::u16string& dll, const std::u16string& prefix) {
  std::u16string path = SdClientDriverKey(manufacturer, cardId, function);
  RegKey key = RegKey::Create(HKEY_LOCAL_MACHINE, path.c_str());
  LONG status = key ? key.SetString(DEVLOAD_DLLNAME_VALNAME, dll) : ERROR_CANTOPEN;
  if (status == ERROR_SUCCESS) status = key.SetString(DEVLOAD_PREFIX_VALNAME, prefix);
  if (status == ERROR_SUCCESS) return {};
  return "cannot register " + ToUtf8(dll) + " under HKEY_LOCAL_MACHINE\\" + ToUtf8(path) + " (registry error " +
         std::to_string(status) + ")";
}

bool LoadSdClientDriver(SD_DEVICE_HANDLE device, std::uint16_t manufacturer, std::uint16_t cardId,
                        unsigned function) {
  return DeviceManager::Instance().Load(device, SdClientDriverKey(manufacturer, cardId, function));
}

void UnloadSdClientDriver(SD_DEVICE_HANDLE device) { DeviceManager::Instance().Unload(device); }

std::vector<ActiveDevice> ActiveDevices() { return DeviceManager::Instance().Devices(); }

}  // namespace ce
