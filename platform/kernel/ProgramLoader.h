// The platform's program loader. A program is a module (shared object)
// that exports WinMain; running it means what it means on the handheld:
// load the module, which constructs its program-wide objects in their
// order; call WinMain with the program's instance; unload the module,
// which destroys them in reverse order. Every run starts from fresh
// program-wide objects, however often a program runs in one process, as
// long as its module really unloads (modules are built without GNU unique
// symbols for that; the loader checks and warns when one stays mapped).
//
// While a module is loaded, its instance handle (HINSTANCE, HMODULE)
// resolves to its file, for its resources. The handle is valid from before
// the first program-wide object is constructed until after the last one is
// destroyed, and is never given to another module afterwards.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "windef.h"

namespace ce {

enum class ModuleKind {
  Program,  // runs through WinMain; GetModuleHandleW(NULL) names it
  Library,  // a driver or other module whose entry points are called
};

// A module loaded into the process; unloaded when this object goes (or by
// Unload). Move-only.
class Module {
 public:
  // Loads the module with every symbol bound at once. On failure returns
  // nullopt and error says which file and why.
  static std::optional<Module> Load(const std::filesystem::path& path, ModuleKind kind, std::string& error);

  Module(Module&& other) noexcept;
  Module& operator=(Module&& other) noexcept;
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;
  ~Module();

  HINSTANCE Instance() const { return instance_; }
  const std::filesystem::path& Path() const { return path_; }
  bool Loaded() const { return handle_ != nullptr; }

  // The address of an exported symbol; nullptr with the loader's reason
  // in error (e.g. "undefined symbol: WinMain") when the module does not
  // export it.
  void* Symbol(const char* name, std::string& error) const;

  // Unloads now. Returns a warning when the module stayed mapped: its
  // program-wide objects were not destroyed and the next load would see
  // their old state.
  std::optional<std::string> Unload();

 private:
  Module(std::filesystem::path path, void* handle, HINSTANCE instance);

  std::filesystem::path path_;
  void* handle_ = nullptr;
  HINSTANCE instance_ = nullptr;
};

// Called after a module was unloaded, with the instance it had: what the
// module left registered (window classes whose procedures lived in it)
// goes with it, as when a program ends on the handheld. Listeners are
// added once, at start, by the platform's own parts, and removed (by the
// id returned) when the part that added one goes: a module may still be
// unloaded late at exit.
int AddModuleUnloadListener(std::function<void(HINSTANCE)> listener);
void RemoveModuleUnloadListener(int id);

// True while the module file is mapped into the process by anyone.
bool IsModuleMapped(const std::filesystem::path& path);

// How a program run went.
struct ProgramRun {
  std::optional<int> exitCode;        // what WinMain returned, when it returned
  std::string error;                  // why it could not run or did not end normally
  std::vector<std::string> warnings;  // it ran, but its state may not be fresh

  bool Succeeded() const { return exitCode.has_value() && error.empty(); }
};

// Runs a program module: WinMain(instance, NULL, commandLine, SW_SHOW).
// Errors and warnings also go to the run's log.
ProgramRun RunProgram(const std::filesystem::path& modulePath, std::u16string_view commandLine = {});

// The file of a loaded module; nullopt for a handle that names none (any
// more).
std::optional<std::filesystem::path> ModulePathOf(HINSTANCE instance);

// The instance of the program being run (the latest, when runs nest);
// nullptr when none is.
HINSTANCE RunningProgram();

}  // namespace ce
