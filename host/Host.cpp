#include "Host.h"

#include "Handheld.h"
#include "Options.h"
#include "ScriptRunner.h"
#include "kernel/Registry.h"
#include "kernel/RunLog.h"

namespace host {
namespace {

int Fail(std::ostream& err, const std::string& message) {
  err << "ondrel: " << message << '\n';
  return 1;
}

int RegistryTransfer(const Options& options, const Handheld& handheld, std::ostream& out, std::ostream& err) {
  if (options.exportRegistry) {
    if (auto error = ce::ExportRegistryFile(*options.exportRegistry)) return Fail(err, *error);
    out << "ondrel: wrote the registry of " << handheld.root().string() << " to "
        << options.exportRegistry->string() << '\n';
    return 0;
  }
  if (auto error = ce::ImportRegistryFile(*options.importRegistry)) return Fail(err, *error);
  out << "ondrel: imported " << options.importRegistry->string() << " into the registry of "
      << handheld.root().string() << '\n';
  return 0;
}

void Report(const Handheld& handheld, std::ostream& out) {
  out << "ondrel: booted the handheld on device root " << handheld.root().string() << " ("
      << (handheld.virtualTime() ? "headless, virtual time" : "real time") << ")\n";
  if (handheld.provisioned().empty()) {
    out << "ondrel: the device root was already provisioned\n";
  } else {
    out << "ondrel: first use of this device root:\n";
    for (const auto& step : handheld.provisioned()) out << "ondrel:   " << step << '\n';
  }
}

}  // namespace

int RunHost(std::span<const std::string_view> args, std::ostream& out, std::ostream& err) {
  ParsedOptions parsed = ParseOptions(args);
  if (!parsed.error.empty()) return Fail(err, parsed.error);
  const Options& options = parsed.options;
  if (options.help) {
    out << UsageText();
    return 0;
  }

  Script script;
  if (options.script) {
    ParsedScript loaded = LoadScript(*options.script);
    if (!loaded.error.empty()) return Fail(err, loaded.error);
    script = std::move(loaded.script);
  }

  struct LogFileScope {
    ~LogFileScope() {
      if (active) ce::SetRunLogFile({});
    }
    bool active = false;
  } logFile;
  if (options.log) {
    if (auto error = ce::SetRunLogFile(*options.log)) return Fail(err, *error);
    logFile.active = true;
  }

  HandheldConfig config;
  config.root = options.root.value_or(DefaultDeviceRoot());
  // The screen is not built yet: the handheld always runs headless, on
  // the virtual clock.
  config.virtualTime = true;
  std::string bootError;
  std::unique_ptr<Handheld> handheld = Handheld::Boot(config, bootError);
  if (!handheld) return Fail(err, bootError);

  if (options.exportRegistry || options.importRegistry) return RegistryTransfer(options, *handheld, out, err);

  if (!options.script) Report(*handheld, out);
  if (std::string error = RunScript(script, *handheld, out); !error.empty())
    return Fail(err, options.script->string() + ": " + error);
  if (!options.script)
    out << "ondrel: the radio program is not installed on this handheld yet; nothing more to run\n";
  return 0;
}

}  // namespace host
