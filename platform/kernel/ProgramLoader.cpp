// Modules are loaded with dlopen (RTLD_NOW | RTLD_LOCAL): every symbol is
// bound before the program starts, and one module's symbols never satisfy
// another's. The module table gives each load its own instance handle.
#include "platform/kernel/ProgramLoader.h"

#include <dlfcn.h>

#include <exception>
#include <map>
#include <mutex>
#include <system_error>
#include <utility>

#include "platform/kernel/LastError.h"
#include "platform/kernel/RunLog.h"
#include "platform/kernel/Utf.h"
#include "winbase.h"
#include "winuser.h"

namespace ce {
namespace {

using WinMainProc = int (*)(HINSTANCE, HINSTANCE, LPWSTR, int);

// The loaded modules by instance handle. Values look like the platform's
// module base addresses (64 KB apart) and are never given out twice, so a
// handle kept past its module's unload resolves to nothing.
class ModuleTable {
 public:
  static ModuleTable& Instance();
  HINSTANCE Add(std::filesystem::path path, ModuleKind kind) {
    std::lock_guard lock(mutex_);
    std::uintptr_t value = next_;
    next_ += kStep;
    modules_.emplace(value, Entry{std::move(path), kind});
    return reinterpret_cast<HINSTANCE>(value);
  }

  void Remove(HINSTANCE instance) {
    std::lock_guard lock(mutex_);
    modules_.erase(reinterpret_cast<std::uintptr_t>(instance));
  }

  std::optional<std::filesystem::path> PathOf(HINSTANCE instance) const {
    std::lock_guard lock(mutex_);
    auto it = modules_.find(reinterpret_cast<std::uintptr_t>(instance));
    if (it == modules_.end()) return std::nullopt;
    return it->second.path;
  }

  // The latest program still loaded.
  HINSTANCE Running() const {
    std::lock_guard lock(mutex_);
    for (auto it = modules_.rbegin(); it != modules_.rend(); ++it) {
      if (it->second.kind == ModuleKind::Program) return reinterpret_cast<HINSTANCE>(it->first);
    }
    return nullptr;
  }

  // A module by its file name, compared as the device compares names; a
  // name without an extension matches the file name without its own.
  HINSTANCE Find(std::u16string_view name) const {
    bool withExtension = name.find(u'.') != std::u16string_view::npos;
    std::lock_guard lock(mutex_);
    for (const auto& [value, entry] : modules_) {
      const auto& file = withExtension ? entry.path.filename() : entry.path.stem();
      if (EqualNoCase(ToUtf16(file.string()), name)) return reinterpret_cast<HINSTANCE>(value);
    }
    return nullptr;
  }

 private:
  struct Entry {
    std::filesystem::path path;
    ModuleKind kind;
  };
  static constexpr std::uintptr_t kStep = 0x10000;

  mutable std::mutex mutex_;
  std::uintptr_t next_ = 0x00010000;
  std::map<std::uintptr_t, Entry> modules_;
};

// Never destroyed: a module may still be held by an object that goes at
// exit after every other static (a device manager with a driver loaded),
// and its unload must still find the table.
ModuleTable& ModuleTable::Instance() {
  static ModuleTable& table = *new ModuleTable;
  return table;
}

// dlerror's text without the file name it often starts with (the caller's
// message names the file already).
std::string LoaderReason(const std::filesystem::path& path) {
  const char* text = dlerror();
  std::string reason = text ? text : "unknown reason";
  std::string prefix = path.string() + ": ";
  if (reason.starts_with(prefix)) reason.erase(0, prefix.size());
  return reason;
}

const char* KindName(ModuleKind kind) { return kind == ModuleKind::Program ? "program module" : "module"; }

}  // namespace

Module::Module(std::filesystem::path path, void* handle, HINSTANCE instance)
    : path_(std::move(path)), handle_(handle), instance_(instance) {}

Module::Module(Module&& other) noexcept
    : path_(std::move(other.path_)),
      handle_(std::exchange(other.handle_, nullptr)),
      instance_(std::exchange(other.instance_, nullptr)) {}

Module& Module::operator=(Module&& other) noexcept {
  if (this != &other) {
    if (auto warning = Unload()) LogLine("warning: " + *warning);
    path_ = std::move(other.path_);
    handle_ = std::exchange(other.handle_, nullptr);
    instance_ = std::exchange(other.instance_, nullptr);
  }
  return *this;
}

Module::~Module() {
  if (auto warning = Unload()) LogLine("warning: " + *warning);
}

std::optional<Module> Module::Load(const std::filesystem::path& path, ModuleKind kind, std::string& error) {
  std::error_code ec;
  std::filesystem::path file = std::filesystem::absolute(path, ec);
  if (ec) file = path;
  auto prefix = std::string("cannot load ") + KindName(kind) + " " + file.string() + ": ";
  auto status = std::filesystem::status(file, ec);
  if (!std::filesystem::exists(status)) {
    error = prefix + "no such file";
    return std::nullopt;
  }
  if (!std::filesystem::is_regular_file(status)) {
    error = prefix + "not a file";
    return std::nullopt;
  }
  // The handle exists before the module's constructors run, so that they
  // may already ask for their instance.
  HINSTANCE instance = ModuleTable::Instance().Add(file, kind);
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    ModuleTable::Instance().Remove(instance);
    error = prefix + LoaderReason(file);
    return std::nullopt;
  }
  return Module(std::move(file), handle, instance);
}

void* Module::Symbol(const char* name, std::string& error) const {
  if (!handle_) {
    error = "not loaded";
    return nullptr;
  }
  dlerror();
  void* symbol = dlsym(handle_, name);
  if (!symbol) error = LoaderReason(path_);
  return symbol;
}

namespace {
// Never destroyed, like the module table: an unload late at exit still
// walks it.
std::map<int, std::function<void(HINSTANCE)>>& UnloadListeners() {
  static auto& listeners = *new std::map<int, std::function<void(HINSTANCE)>>;
  return listeners;
}
}  // namespace

std::optional<std::string> Module::Unload() {
  if (!handle_) return std::nullopt;
  std::optional<std::string> warning;
  if (dlclose(std::exchange(handle_, nullptr)) != 0) {
    warning = "unloading " + path_.string() + " failed: " + LoaderReason(path_);
  } else if (IsModuleMapped(path_)) {
    warning = path_.string() +
              " stayed loaded after unloading: its program-wide objects were not destroyed and its next run "
              "would see their old state (a module must be built with -fno-gnu-unique, and the host must "
              "link libstdc++)";
  }
  // Only now: the destructors that just ran may still have asked for it.
  HINSTANCE gone = std::exchange(instance_, nullptr);
  ModuleTable::Instance().Remove(gone);
  for (const auto& [id, listener] : UnloadListeners()) listener(gone);
  return warning;
}

int AddModuleUnloadListener(std::function<void(HINSTANCE)> listener) {
  static int next = 0;
  UnloadListeners().emplace(++next, std::move(listener));
  return next;
}

void RemoveModuleUnloadListener(int id) { UnloadListeners().erase(id); }

bool IsModuleMapped(const std::filesystem::path& path) {
  // A name without a slash would make dlopen search the library path.
  std::error_code ec;
  std::filesystem::path file = std::filesystem::absolute(path, ec);
  void* handle = dlopen((ec ? path : file).c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
  if (!handle) return false;
  dlclose(handle);  // drops the reference this look took
  return true;
}

ProgramRun RunProgram(const std::filesystem::path& modulePath, std::u16string_view commandLine) {
  ProgramRun run;
  auto finish = [&run]() -> ProgramRun {
    if (!run.error.empty()) LogLine(run.error);
    for (const auto& warning : run.warnings) LogLine("warning: " + warning);
    return std::move(run);
  };

  if (IsModuleMapped(modulePath)) {
    run.warnings.push_back(modulePath.string() +
                           " was already loaded before this run: its program-wide objects are not fresh");
  }
  auto module = Module::Load(modulePath, ModuleKind::Program, run.error);
  if (!module) return finish();

  std::string error;
  auto winMain = reinterpret_cast<WinMainProc>(module->Symbol("WinMain", error));
  if (!winMain) {
    run.error = "cannot run program module " + module->Path().string() + ": no entry point WinMain (" + error + ")";
  } else {
    // The program gets its own writable copy of the command line.
    std::u16string line(commandLine);
    try {
      run.exitCode = winMain(module->Instance(), nullptr, line.data(), SW_SHOW);
    } catch (const std::exception& e) {
      run.error = "program " + module->Path().string() + " ended with an exception: " + e.what();
    } catch (...) {
      run.error = "program " + module->Path().string() + " ended with an exception of unknown type";
    }
  }
  std::string name = module->Path().string();
  if (auto warning = module->Unload()) run.warnings.push_back(*warning);
  if (run.exitCode) LogLine("program " + name + " ended with exit code " + std::to_string(*run.exitCode));
  return finish();
}

std::optional<std::filesystem::path> ModulePathOf(HINSTANCE instance) { return ModuleTable::Instance().PathOf(instance); }

HINSTANCE RunningProgram() { return ModuleTable::Instance().Running(); }

}  // namespace ce

extern "C" HMODULE WINAPI GetModuleHandleW(LPCWSTR lpModuleName) {
  HMODULE module = lpModuleName ? ce::ModuleTable::Instance().Find(lpModuleName) : ce::RunningProgram();
  if (!module) ce::SetThreadError(ERROR_MOD_NOT_FOUND);
  return module;
}
