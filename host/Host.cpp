#include "Host.h"

#include <atomic>

#include "Handheld.h"
#include "Options.h"
#include "ScriptRunner.h"
#include "Tour.h"
#include "kernel/Registry.h"
#include "kernel/RunLog.h"
#include "CardSlot.h"
#include "CloseRequest.h"
#include "Signals.h"
#include "frontend/AudioOut.h"
#include "frontend/WindowFrontEnd.h"
#include "kernel/Kernel.h"
#include "sound/Sound.h"
#include "user/Desktop.h"
#include "user/MessageBox.h"
#include "windows.h"

namespace host {
namespace {

// The radio program: the module named on the command line, or Ondrel
// where the build puts it beside the ondrel executable.
std::optional<std::filesystem::path> ProgramToRun(const Options& options) {
  if (options.program) return options.program;
  std::error_code ec;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec || self.filename() != "ondrel") return std::nullopt;
  for (const auto& candidate : {self.parent_path() / "Ondrel.so", self.parent_path().parent_path() / "app" / "Ondrel.so"})
    if (std::filesystem::is_regular_file(candidate, ec)) return candidate;
  return std::nullopt;
}

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
  if (options.help || options.version) {
    out << (options.help ? UsageText() : VersionText());
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

  // The handheld shows itself in a desktop window, in real time, unless
  // told to run headless or there is no display (or nothing to show: no
  // program and no script); headless runs on the virtual clock.
  const std::optional<std::filesystem::path> program = ProgramToRun(options);
  const bool transfer = options.exportRegistry || options.importRegistry;
  // The window's close button, Ctrl+C and SIGTERM close the radio as its
  // user would; the catcher comes before any thread starts.
  CloseRequest close;
  SignalCatcher signals([&close] { close.Request(); });
  std::atomic<bool> cardToggle = false;
  std::unique_ptr<hw::WindowFrontEnd> frontEnd;
  if (!options.headless && !transfer && (program || options.script)) {
    std::string whyNot;
    hw::FrontEndHooks hooks;
    hooks.onClose = [&close] { close.Request(); };
    hooks.onCardToggle = [&cardToggle] {
      cardToggle = true;
      ce::WakeMessageLoops();
    };
    frontEnd = hw::WindowFrontEnd::Open(ce::SystemPanel(), ce::SystemInput(), options.scale, hooks, whyNot);
    if (!frontEnd) out << "ondrel: no window: " << whyNot << "; running headless instead\n";
  }

  HandheldConfig config;
  config.root = options.root.value_or(DefaultDeviceRoot());
  config.virtualTime = !frontEnd;
  config.cardInserted = !options.noCard;
  config.scene = options.scene;
  config.busTrace = options.trace;
  std::string bootError;
  std::unique_ptr<Handheld> handheld = Handheld::Boot(config, bootError);
  if (!handheld) return Fail(err, bootError);

  if (options.exportRegistry || options.importRegistry) return RegistryTransfer(options, *handheld, out, err);

  if (!options.script) Report(*handheld, out);
  RunSettings settings;
  settings.program = program;
  // In a window without a script the person at the desktop decides when
  // the run ends.
  settings.closeAfterScript = !frontEnd || options.script.has_value();
  settings.userClosed = &close.requested();
  int cardHook = 0;
  std::unique_ptr<hw::AudioOut> audio;
  if (frontEnd) {
    std::string whyNot;
    audio = hw::AudioOut::Open(whyNot);
    if (audio)
      ce::SystemSpeaker().SetListener([a = audio.get()](const std::shared_ptr<const hw::Sound>& s) { a->Play(s); });
    else
      out << "ondrel: no sound (" << whyNot << "); the radio plays silently; for sound, set SDL_AUDIODRIVER "
             "to the sound system that runs here: pipewire, pulseaudio or alsa\n";
    ce::SetRaiseHandler([fe = frontEnd.get()] { fe->Raise(); });
    // Message boxes appear on the screen and wait for the user.
    ce::SetMessageBoxPresenter(ce::ShowMessageBoxOnScreen);
    // F5 pulls or inserts the card, on the program's thread.
    cardHook = ce::AddIdleHook([&cardToggle, &handheld] {
      if (!cardToggle.exchange(false)) return;
      CardSlot& slot = handheld->cardSlot();
      std::string error = slot.Present() ? slot.Remove() : slot.Insert();
      if (!error.empty()) ce::LogLine("ondrel: " + error);
    });
  }
  // Headless with the radio and nothing to do: the built-in tour shows
  // what the radio can do, in pictures beside the device root.
  if (!frontEnd && !options.script && program) {
    std::filesystem::path root = handheld->root().lexically_normal();
    if (!root.has_filename()) root = root.parent_path();
    std::filesystem::path pictures = root.parent_path() / (root.filename().string() + "-tour");
    std::error_code ec;
    std::filesystem::create_directories(pictures, ec);
    out << "ondrel: a tour of the radio; its pictures go to " << pictures.string() << "\n";
    script = TourScript(pictures);
  }
  std::string error = RunScript(script, *handheld, out, settings);
  if (frontEnd) {
    ce::RemoveIdleHook(cardHook);
    ce::SetRaiseHandler({});
    ce::SetMessageBoxPresenter({});
    ce::SystemSpeaker().SetListener({});
    audio.reset();
    frontEnd.reset();
  }
  if (!error.empty()) return Fail(err, options.script ? options.script->string() + ": " + error : error);
  if (!options.script && !program)
    out << "ondrel: the radio program is not installed on this handheld yet; nothing more to run\n";
  return 0;
}

}  // namespace host
