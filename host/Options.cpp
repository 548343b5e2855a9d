#include "host/Options.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <vector>

#include "host/LineReader.h"

namespace host {
namespace {

using Setter = std::function<std::string(Options&, std::string_view value)>;

struct OptionRule {
  bool takesValue;
  Setter set;
};

Setter PathInto(std::optional<std::filesystem::path> Options::*field) {
  return [field](Options& o, std::string_view value) {
    o.*field = std::filesystem::path(std::string(value));
    return std::string();
  };
}

std::string SetScale(Options& o, std::string_view value) {
  int scale = 0;
  if (!ParseNumber(value, scale) || scale < 1 || scale > 8)
    return "--scale needs a whole number from 1 to 8, not '" + std::string(value) + "'";
  o.scale = scale;
  return {};
}

std::string SetSeed(Options& o, std::string_view value) {
  std::uint64_t seed = 0;
  if (!ParseNumber(value, seed))
    return "--seed needs a whole number from 0 to 18446744073709551615, not '" + std::string(value) + "'";
  o.seed = seed;
  return {};
}

const std::map<std::string_view, OptionRule>& Rules() {
  static const std::map<std::string_view, OptionRule> rules = {
      {"--root", {true, PathInto(&Options::root)}},
      {"--headless", {false, [](Options& o, std::string_view) { o.headless = true; return std::string(); }}},
      {"--script", {true, PathInto(&Options::script)}},
      {"--scene", {true, PathInto(&Options::scene)}},
      {"--no-card", {false, [](Options& o, std::string_view) { o.noCard = true; return std::string(); }}},
      {"--trace", {true, PathInto(&Options::trace)}},
      {"--record", {true, PathInto(&Options::record)}},
      {"--seed", {true, SetSeed}},
      {"--scale", {true, SetScale}},
      {"--log", {true, PathInto(&Options::log)}},
      {"--program", {true, PathInto(&Options::program)}},
      {"--export-registry", {true, PathInto(&Options::exportRegistry)}},
      {"--import-registry", {true, PathInto(&Options::importRegistry)}},
      {"--help", {false, [](Options& o, std::string_view) { o.help = true; return std::string(); }}},
      {"-h", {false, [](Options& o, std::string_view) { o.help = true; return std::string(); }}},
      {"--version", {false, [](Options& o, std::string_view) { o.version = true; return std::string(); }}},
  };
  return rules;
}

// Options that only say how the handheld runs; moving the registry to or
// from a file starts nothing, so with it they would be silently ignored.
constexpr std::string_view kRunOptions[] = {"--script", "--scene", "--no-card", "--trace", "--scale", "--program"};

std::string TransferConflict(const std::vector<std::string_view>& given, const Options& options) {
  if (!options.exportRegistry && !options.importRegistry) return {};
  std::string_view transfer = options.exportRegistry ? "--export-registry" : "--import-registry";
  for (std::string_view option : given) {
    if (std::find(std::begin(kRunOptions), std::end(kRunOptions), option) != std::end(kRunOptions))
      return std::string(option) + " cannot be used with " + std::string(transfer) +
             ", which only reads or writes the registry and runs nothing";
  }
  return {};
}

}  // namespace

ParsedOptions ParseOptions(std::span<const std::string_view> args) {
  ParsedOptions result;
  std::vector<std::string_view> given;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string_view arg = args[i];
    std::string_view name = arg;
    std::optional<std::string_view> inlineValue;
    if (auto eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
      name = arg.substr(0, eq);
      inlineValue = arg.substr(eq + 1);
    }
    auto option = Rules().find(name);
    if (option == Rules().end()) {
      result.error = "unknown option '" + std::string(arg) + "' (ondrel --help lists the options)";
      return result;
    }
    std::string_view value;
    if (option->second.takesValue) {
      if (inlineValue) {
        value = *inlineValue;
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        result.error = std::string(name) + " needs a value (ondrel --help lists the options)";
        return result;
      }
      if (value.empty()) {
        result.error = std::string(name) + " needs a value, not an empty one";
        return result;
      }
    } else if (inlineValue) {
      result.error = std::string(name) + " takes no value";
      return result;
    }
    if (option->second.takesValue && std::find(given.begin(), given.end(), option->first) != given.end()) {
      result.error = std::string(name) + " is given more than once";
      return result;
    }
    given.push_back(option->first);
    if (std::string error = option->second.set(result.options, value); !error.empty()) {
      result.error = error;
      return result;
    }
  }
  if (result.options.exportRegistry && result.options.importRegistry)
    result.error = "--export-registry and --import-registry cannot be used together";
  else
    result.error = TransferConflict(given, result.options);
  return result;
}

std::string UsageText() {
  return R"(Usage: ondrel [options]

Boots the handheld and runs the Ondrel radio on it.

Options:
  --root DIR              device root: the folder that is the handheld's file
                          system and holds its registry (default: )" +
         DefaultDeviceRoot().string() + R"()
  --headless              no window; the clock runs in virtual time
  --script FILE           run the script's commands, then close the program
                          as a user would and wait for it to end
  --scene FILE            the radio environment (default: the built-in scene)
  --no-card               start with the SD slot empty
  --trace FILE            write every SD bus request to FILE
  --record FILE.wav       write what the speaker plays to FILE.wav (48 kHz
                          16-bit stereo, from boot; headless in virtual time)
  --seed N                the radio environment's fading and noise (default
                          1): the same seed, scene and script play alike
  --scale N               window scale factor, 1 to 8 (default 2)
  --log FILE              also write the run's log (message boxes, ...) to FILE
  --program FILE          run this program module instead of Ondrel
  --export-registry FILE  write the device's registry to FILE as a .reg text
                          file and exit
  --import-registry FILE  read a .reg text file into the device's registry and
                          exit; nothing is imported when a line is malformed
  --help                  show this text
  --version               show the version

Script commands, one a line, '#' starts a comment (coordinates are on the
240 x 320 panel):
  wait MS                 let MS milliseconds of clock time pass
  down X Y | move X Y | up X Y
  tap X Y | hold X Y MS   pen events
  key NAME                press and release a key: LEFT RIGHT UP DOWN RETURN
                          CTRL+A CTRL+Q
  key NAME MS             hold the key MS milliseconds; the keypad repeats it
  card insert | card remove
  shot FILE.png           write the panel as it looks now
  dump                    print one JSON line of the handheld's state
  say TEXT                print TEXT
)";
}

std::string VersionText() { return "ondrel " ONDREL_VERSION "\n"; }

std::filesystem::path DefaultDeviceRoot() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data)
    return std::filesystem::path(data) / "ondrel" / "device";
  if (const char* home = std::getenv("HOME"); home && *home)
    return std::filesystem::path(home) / ".local" / "share" / "ondrel" / "device";
  return std::filesystem::current_path() / "ondrel-device";
}

}  // namespace host
