#include "host/Host.h"

#include <algorithm>
#include <atomic>
#include <sstream>

#include "host/Handheld.h"
#include "host/Listeners.h"
#include "host/Options.h"
#include "host/ScriptRunner.h"
#include "host/Tour.h"
#include "platform/kernel/Registry.h"
#include "platform/kernel/RunLog.h"
#include "host/CardSlot.h"
#include "host/CloseRequest.h"
#include "host/Signals.h"
#include "hardware/frontend/WindowFrontEnd.h"
#include "platform/kernel/Kernel.h"
#include "platform/user/Desktop.h"
#include "platform/user/DeviceWindows.h"
#include "platform/user/MessageBox.h"
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

// The programs that have a window on the device root, each named once.
std::vector<std::string> ProgramsRunningOn(const std::filesystem::path& root) {
  const std::filesystem::path previous = ce::DeviceRoot();
  ce::SetDeviceRoot(root);
  std::vector<std::string> programs;
  for (const ce::RemoteWindow& window : ce::DeviceWindows::Instance().OthersWindows()) {
    if (!window.program.empty() && std::find(programs.begin(), programs.end(), window.program) == programs.end())
      programs.push_back(window.program);
  }
  ce::SetDeviceRoot(previous);
  return programs;
}

// Moving the registry to or from a file touches the registry only: no
// clock, no card, no device manager, no provisioning. An export reads a
// root a handheld has run on; a mistyped one is not made into a new
// device. An import may start a new root, and says so.
int RegistryTransfer(const Options& options, std::ostream& out, std::ostream& err) {
  std::error_code ec;
  const std::filesystem::path root = std::filesystem::absolute(options.root.value_or(DefaultDeviceRoot()));
  const std::filesystem::path database = RegistryFileOf(root);
  struct Mounted {
    ~Mounted() { ce::UnmountRegistry(); }
  } mounted;
  if (options.exportRegistry) {
    if (!std::filesystem::is_directory(root, ec))
      return Fail(err, "there is no device root " + root.string() + " (check --root)");
    if (!std::filesystem::exists(database, ec))
      return Fail(err, root.string() + " is not a device root: it holds no registry.db (check --root)");
    if (auto error = ce::MountRegistry(database, ce::RegistryAccess::ReadOnly)) return Fail(err, *error);
    if (auto error = ce::ExportRegistryFile(*options.exportRegistry)) return Fail(err, *error);
    out << "ondrel: wrote the registry of " << root.string() << " to " << options.exportRegistry->string() << '\n';
    return 0;
  }
  const bool fresh = !std::filesystem::exists(database, ec);
  const bool newFolder = !std::filesystem::exists(root, ec);
  std::filesystem::create_directories(root, ec);
  if (auto error = ce::MountRegistry(database)) return Fail(err, *error);
  if (auto error = ce::ImportRegistryFile(*options.importRegistry)) {
    // A refused import into a new root leaves no new root behind.
    ce::UnmountRegistry();
    if (newFolder) std::filesystem::remove_all(root, ec);
    else if (fresh)
      for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(database.string() + suffix, ec);
    return Fail(err, *error);
  }
  out << "ondrel: imported " << options.importRegistry->string() << " into the registry of "
      << (fresh ? "a new device root " : "") << root.string() << '\n';
  for (const std::string& program : ProgramsRunningOn(root))
    err << "ondrel: note: " << program << " is running on " << root.string()
        << "; settings it saves when it closes will replace imported values of the same names\n";
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

// What the host wires to the handheld's desktop window for a run, undone
// when the run ends: the window comes forward when another program asks,
// message boxes appear on the screen and wait for the user, and F5 pulls
// or inserts the card on the program's thread. Nothing headless.
class WindowWiring {
 public:
  WindowWiring(hw::WindowFrontEnd* window, Handheld& handheld, std::atomic<bool>& cardToggle) : window_(window) {
    if (!window_) return;
    ce::SetRaiseHandler([window] { window->Raise(); });
    ce::SetMessageBoxPresenter(ce::ShowMessageBoxOnScreen);
    cardHook_ = ce::AddIdleHook([&cardToggle, &handheld] {
      if (!cardToggle.exchange(false)) return;
      CardSlot& slot = handheld.cardSlot();
      std::string error = slot.Present() ? slot.Remove() : slot.Insert();
      if (!error.empty()) ce::LogLine("ondrel: " + error);
    });
  }
  ~WindowWiring() {
    if (!window_) return;
    ce::RemoveIdleHook(cardHook_);
    ce::SetRaiseHandler({});
    ce::SetMessageBoxPresenter({});
  }
  WindowWiring(const WindowWiring&) = delete;
  WindowWiring& operator=(const WindowWiring&) = delete;

 private:
  hw::WindowFrontEnd* window_;
  int cardHook_ = 0;
};

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

  if (options.exportRegistry || options.importRegistry) return RegistryTransfer(options, out, err);
  if (options.record) {
    if (std::string why = hw::Recorder::CheckPlace(*options.record); !why.empty()) return Fail(err, why);
  }

  // The handheld shows itself in a desktop window, in real time, unless
  // told to run headless or there is no display (or nothing to show: no
  // program and no script); headless runs on the virtual clock.
  const std::optional<std::filesystem::path> program = ProgramToRun(options);
  // The window's close button, Ctrl+C and SIGTERM close the radio as its
  // user would; the catcher comes before any thread starts.
  CloseRequest close;
  SignalCatcher signals([&close] { close.Request(); });
  std::atomic<bool> cardToggle = false;
  HandheldConfig config;
  config.root = options.root.value_or(DefaultDeviceRoot());
  if (!options.headless && (program || options.script)) {
    HandheldWindow window;
    window.scale = options.scale;
    window.hooks.onClose = [&close] { close.Request(); };
    window.hooks.onCardToggle = [&cardToggle] {
      cardToggle = true;
      ce::WakeMessageLoops();
    };
    config.window = window;
  }
  config.cardInserted = !options.noCard;
  config.scene = options.scene;
  config.busTrace = options.trace;
  config.seed = options.seed.value_or(hw::Receiver::kDefaultSeed);
  std::string bootError;
  std::unique_ptr<Handheld> handheld = Handheld::Boot(config, bootError);
  if (!handheld) return Fail(err, bootError);
  if (!handheld->windowRefusal().empty())
    out << "ondrel: no window: " << handheld->windowRefusal() << "; running headless instead\n";
  hw::WindowFrontEnd* const frontEnd = handheld->window();
  WindowWiring wiring(frontEnd, *handheld, cardToggle);

  // What the host has to say about the run is said once the run is under
  // way; a second start that ends at once says only that.
  std::ostringstream intro;
  if (!options.script) Report(*handheld, intro);
  RunSettings settings;
  settings.onStarted = [&intro, &out] { out << intro.str() << std::flush; };
  settings.program = program;
  // In a window without a script the person at the desktop decides when
  // the run ends.
  settings.closeAfterScript = !frontEnd || options.script.has_value();
  settings.userClosed = &close.requested();
  // Headless with the radio and nothing to do: the built-in tour shows
  // what the radio can do, in pictures and a recording beside the device
  // root.
  std::optional<std::filesystem::path> record = options.record;
  if (!frontEnd && !options.script && program) {
    std::filesystem::path root = handheld->root().lexically_normal();
    if (!root.has_filename()) root = root.parent_path();
    std::filesystem::path pictures = root.parent_path() / (root.filename().string() + "-tour");
    if (!record) record = pictures / "tour.wav";
    intro << "ondrel: a tour of the radio; its pictures go to " << pictures.string() << ", what it plays to "
          << record->string() << "\n";
    script = TourScript(pictures);
    settings.onStarted = [&intro, &out, pictures] {
      std::error_code ec;
      std::filesystem::create_directories(pictures, ec);
      out << intro.str() << std::flush;
    };
  }
  Listeners listeners(*handheld, record, frontEnd != nullptr, intro);
  // The recording's file is made once the run is under way (after the
  // tour has made its folder).
  settings.onStarted = [&listeners, started = std::move(settings.onStarted)] {
    started();
    listeners.StartRecording();
  };
  RunResult result = RunScript(script, *handheld, out, settings);
  std::optional<std::string> recordingLost = listeners.Finish();
  int status = 0;
  if (result.broughtForward)
    out << program->stem().string() << " is already running on " << handheld->root().string()
        << "; brought it to the front\n";
  if (!result.scriptError.empty())
    status = Fail(err, (options.script ? options.script->string() + ": " : std::string()) + result.scriptError);
  if (!result.programError.empty()) status = Fail(err, result.programError);
  // Output that was asked for and did not arrive is a failed run.
  if (auto lost = handheld->cardSlot().sdHost().trace().FileError()) status = Fail(err, *lost);
  if (auto lost = ce::RunLogFileError()) status = Fail(err, *lost);
  if (recordingLost) status = Fail(err, *recordingLost);
  if (status == 0 && !options.script && !program)
    out << "ondrel: the radio program is not installed on this handheld yet; nothing more to run\n";
  return status;
}

}  // namespace host
