#include "host/ScriptRunner.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <utility>

#include "host/CardSlot.h"
#include "host/Dump.h"
#include "host/Handheld.h"
#include "host/Screenshot.h"
#include "platform/kernel/ProgramLoader.h"
#include "platform/user/Desktop.h"
#include "platform/user/DeviceWindows.h"
#include "windows.h"

namespace host {
namespace {

// Carries out one command. Each subsystem's commands have their handler
// here; a handler that takes time says how long (delayMs, with what
// happens at its end in then), and one that gives the program input says
// so, so that the next command waits until the program has dealt with it.
class Runner {
 public:
  Runner(Handheld& handheld, std::ostream& out) : handheld_(handheld), out_(out) {}

  struct Step {
    std::uint64_t delayMs = 0;
    std::function<void()> then;
    bool input = false;
  };
  Step& step() { return step_; }

  std::string operator()(const WaitCmd& wait) {
    step_.delayMs = wait.ms;
    return {};
  }
  std::string operator()(const PenCmd& pen) {
    hw::InputDevice& input = handheld_.input();
    step_.input = true;
    switch (pen.kind) {
      case PenCmd::Kind::Down: input.PenDown(pen.x, pen.y); break;
      case PenCmd::Kind::Move: input.PenMove(pen.x, pen.y); break;
      case PenCmd::Kind::Up: input.PenUp(pen.x, pen.y); break;
      case PenCmd::Kind::Tap:
        input.PenDown(pen.x, pen.y);
        step_.delayMs = kTapMs;
        step_.then = [&input, x = pen.x, y = pen.y] { input.PenUp(x, y); };
        break;
    }
    return {};
  }
  std::string operator()(const HoldCmd& hold) {
    hw::InputDevice& input = handheld_.input();
    input.PenDown(hold.x, hold.y);
    step_.input = true;
    step_.delayMs = hold.ms;
    step_.then = [&input, x = hold.x, y = hold.y] { input.PenUp(x, y); };
    return {};
  }
  // A key, or Ctrl with a letter, pressed and released at once or held
  // for the given time (the keypad repeats a held key meanwhile).
  std::string operator()(const KeyCmd& key) {
    static const std::vector<std::pair<std::string_view, hw::KeyCode>> kKeys = {
        {"LEFT", hw::KeyCode::Left}, {"RIGHT", hw::KeyCode::Right}, {"UP", hw::KeyCode::Up},
        {"DOWN", hw::KeyCode::Down}, {"RETURN", hw::KeyCode::Return}};
    std::vector<hw::KeyCode> chord;
    if (key.name.starts_with("CTRL+") && key.name.size() == 6) {
      chord = {hw::KeyCode::Control, hw::Letter(key.name[5])};
    } else {
      for (const auto& [name, code] : kKeys)
        if (name == key.name) chord = {code};
    }
    if (chord.empty()) return "key: the handheld has no key '" + key.name + "'";
    hw::InputDevice& input = handheld_.input();
    for (hw::KeyCode code : chord) input.KeyDown(code);
    auto release = [&input, chord] {
      for (auto it = chord.rbegin(); it != chord.rend(); ++it) input.KeyUp(*it);
    };
    step_.input = true;
    if (!key.holdMs) {
      release();
      return {};
    }
    step_.delayMs = *key.holdMs;
    step_.then = release;
    return {};
  }
  std::string operator()(const DumpCmd&) {
    out_ << DumpState(handheld_) << '\n' << std::flush;
    return {};
  }
  std::string operator()(const CardCmd& card) {
    // Returns once the platform has loaded or unloaded the card's driver.
    return card.insert ? handheld_.cardSlot().Insert() : handheld_.cardSlot().Remove();
  }
  std::string operator()(const ShotCmd& shot) { return WriteScreenshot(handheld_.panel(), shot.file); }
  std::string operator()(const SayCmd& say) {
    out_ << say.text << '\n' << std::flush;
    return {};
  }

 private:
  static constexpr std::uint64_t kTapMs = 100;

  Handheld& handheld_;
  std::ostream& out_;
  Step step_;
};

// Plays a script on the clock, interleaved with the program: each command
// runs at its time; a command after input waits until the program's
// message loop has nothing left to do, so it sees the program's answer.
class ScriptPlayer {
 public:
  ScriptPlayer(const Script& script, Handheld& handheld, std::ostream& out, std::function<void()> onStarted,
               std::function<void()> onFinished)
      : script_(script),
        runner_(handheld, out),
        clock_(handheld.clock()),
        onStarted_(std::move(onStarted)),
        onFinished_(std::move(onFinished)) {
    hook_ = ce::AddIdleHook([this] { OnIdle(); });
  }
  ~ScriptPlayer() {
    ce::RemoveIdleHook(hook_);
    if (event_) clock_.Cancel(event_);
  }
  ScriptPlayer(const ScriptPlayer&) = delete;
  ScriptPlayer& operator=(const ScriptPlayer&) = delete;

  // The first command runs when the message loop first has nothing to do
  // (the program has made its window by then).
  void Start() {
    due_ = clock_.NowUs();
    ResumeAtIdle(0);
  }
  bool Finished() const { return finished_; }
  std::string Error() const {
    std::lock_guard lock(mutex_);
    return error_;
  }

 private:
  void ResumeAtIdle(std::size_t index) {
    {
      std::lock_guard lock(mutex_);
      resume_ = index;
    }
    ce::WakeMessageLoops();
  }

  void OnIdle() {
    std::optional<std::size_t> index;
    {
      std::lock_guard lock(mutex_);
      std::swap(index, resume_);
    }
    if (!index) return;
    if (auto started = std::exchange(onStarted_, {})) started();
    due_ = std::max(due_, clock_.NowUs());
    RunFrom(*index);
  }

  void RunFrom(std::size_t index) {
    for (; index < script_.lines.size(); ++index) {
      const ScriptLine& line = script_.lines[index];
      runner_.step() = {};
      if (std::string error = std::visit(runner_, line.command); !error.empty())
        return Finish("line " + std::to_string(line.line) + ": " + error);
      Runner::Step step = runner_.step();
      if (step.delayMs > 0 || step.then) {
        due_ += step.delayMs * 1000;
        event_ = clock_.ScheduleAt(due_, [this, index, step] {
          event_ = 0;
          if (step.then) step.then();
          if (step.input) ResumeAtIdle(index + 1);
          else RunFrom(index + 1);
        });
        return;
      }
      if (step.input) return ResumeAtIdle(index + 1);
    }
    Finish({});
  }

  void Finish(std::string error) {
    {
      std::lock_guard lock(mutex_);
      error_ = std::move(error);
    }
    finished_ = true;
    if (onFinished_) onFinished_();
    ce::WakeMessageLoops();
  }

  const Script& script_;
  Runner runner_;
  hw::Clock& clock_;
  std::function<void()> onStarted_;
  std::function<void()> onFinished_;
  int hook_ = 0;
  mutable std::mutex mutex_;
  std::optional<std::size_t> resume_;
  std::string error_;
  std::atomic<bool> finished_ = false;
  std::atomic<hw::Clock::EventId> event_ = 0;
  hw::Clock::Micros due_ = 0;
};

}  // namespace

RunResult RunScript(const Script& script, Handheld& handheld, std::ostream& out, const RunSettings& settings) {
  std::atomic<bool> programRunning = settings.program.has_value();
  // After the last command the program is closed as a person would.
  ScriptPlayer player(script, handheld, out, settings.onStarted, [&programRunning, &settings] {
    if (!programRunning || !settings.closeAfterScript) return;
    if (HWND main = ce::ProgramMainWindow()) PostMessageW(main, WM_CLOSE, 0, 0);
  });
  player.Start();
  RunResult result;
  if (settings.program) {
    ce::DeviceWindows& windows = ce::DeviceWindows::Instance();
    const std::size_t published = windows.PublishedCount(), raised = windows.RaisedCount();
    ce::ProgramRun run = ce::RunProgram(*settings.program);
    programRunning = false;
    ce::DestroyThreadWindows();  // what the program left behind goes with it
    result.programError = run.error;
    result.broughtForward =
        run.Succeeded() && windows.PublishedCount() == published && windows.RaisedCount() > raised;
    if (result.broughtForward) return result;
  }
  // The rest of the script (all of it without a program) on the desktop.
  ce::PumpMessagesUntil([&player, &settings] {
    if (settings.userClosed && *settings.userClosed) return true;
    return player.Finished() && (settings.closeAfterScript || settings.program.has_value());
  });
  result.scriptError = player.Error();
  return result;
}

}  // namespace host
