#include "host/Script.h"

#include <algorithm>

#include "host/LineReader.h"

namespace host {
namespace {

constexpr int kPanelWidth = 240;
constexpr int kPanelHeight = 320;
constexpr std::uint32_t kLongestWaitMs = 24u * 60 * 60 * 1000;

// Parses one line; returns an error text without the line prefix.
class LineParser {
 public:
  explicit LineParser(std::vector<std::string_view> words) : words_(std::move(words)) {}

  std::string Parse(std::optional<ScriptCommand>& out) {
    std::string_view name = words_[0];
    if (name == "wait") return Wait(out);
    if (name == "down") return Pen(PenCmd::Kind::Down, out);
    if (name == "move") return Pen(PenCmd::Kind::Move, out);
    if (name == "up") return Pen(PenCmd::Kind::Up, out);
    if (name == "tap") return Pen(PenCmd::Kind::Tap, out);
    if (name == "hold") return Hold(out);
    if (name == "key") return Key(out);
    if (name == "card") return Card(out);
    if (name == "shot") return Shot(out);
    if (name == "dump") {
      if (auto e = Count(0); !e.empty()) return e;
      out = DumpCmd{};
      return {};
    }
    if (name == "say") return Say(out);
    return "unknown command '" + std::string(name) +
           "' (known: wait, down, move, up, tap, hold, key, card, shot, dump, say)";
  }

 private:
  std::string Count(std::size_t args, std::string_view usage = "") {
    if (words_.size() - 1 == args) return {};
    std::string text = std::string(words_[0]) + " takes " + std::to_string(args) +
                       (args == 1 ? " argument" : " arguments") + ", not " + std::to_string(words_.size() - 1);
    if (!usage.empty()) text += " (" + std::string(usage) + ")";
    return text;
  }

  std::string Number(std::size_t index, std::string_view what, std::int64_t low, std::int64_t high,
                     std::int64_t& value) {
    std::string_view word = words_[index];
    if (!ParseNumber(word, value))
      return std::string(words_[0]) + ": '" + std::string(word) + "' is not a whole number (" + std::string(what) + ")";
    if (value < low || value > high)
      return std::string(words_[0]) + ": " + std::string(what) + " " + std::string(word) + " is outside " +
             std::to_string(low) + ".." + std::to_string(high);
    return {};
  }

  std::string Point(std::size_t index, int& x, int& y) {
    std::int64_t vx = 0, vy = 0;
    if (auto e = Number(index, "x", 0, kPanelWidth - 1, vx); !e.empty()) return e;
    if (auto e = Number(index + 1, "y", 0, kPanelHeight - 1, vy); !e.empty()) return e;
    x = static_cast<int>(vx);
    y = static_cast<int>(vy);
    return {};
  }

  std::string Wait(std::optional<ScriptCommand>& out) {
    if (auto e = Count(1, "wait MS"); !e.empty()) return e;
    std::int64_t ms = 0;
    if (auto e = Number(1, "milliseconds", 0, kLongestWaitMs, ms); !e.empty()) return e;
    out = WaitCmd{static_cast<std::uint32_t>(ms)};
    return {};
  }

  std::string Pen(PenCmd::Kind kind, std::optional<ScriptCommand>& out) {
    if (auto e = Count(2, std::string(words_[0]) + " X Y"); !e.empty()) return e;
    PenCmd pen{kind, 0, 0};
    if (auto e = Point(1, pen.x, pen.y); !e.empty()) return e;
    out = pen;
    return {};
  }

  std::string Hold(std::optional<ScriptCommand>& out) {
    if (auto e = Count(3, "hold X Y MS"); !e.empty()) return e;
    HoldCmd hold{0, 0, 0};
    if (auto e = Point(1, hold.x, hold.y); !e.empty()) return e;
    std::int64_t ms = 0;
    if (auto e = Number(3, "milliseconds", 0, kLongestWaitMs, ms); !e.empty()) return e;
    hold.ms = static_cast<std::uint32_t>(ms);
    out = hold;
    return {};
  }

  std::string Key(std::optional<ScriptCommand>& out) {
    if (words_.size() != 2 && words_.size() != 3)
      return "key takes 1 or 2 arguments, not " + std::to_string(words_.size() - 1) + " (key NAME [MS])";
    std::string name(words_[1]);
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::toupper(c); });
    const auto& names = ScriptKeyNames();
    if (std::find(names.begin(), names.end(), name) == names.end())
      return "key: unknown key '" + std::string(words_[1]) + "' (known: LEFT RIGHT UP DOWN RETURN CTRL+A CTRL+Q)";
    KeyCmd key{name, std::nullopt};
    if (words_.size() == 3) {
      std::int64_t ms = 0;
      if (auto e = Number(2, "milliseconds", 0, kLongestWaitMs, ms); !e.empty()) return e;
      key.holdMs = static_cast<std::uint32_t>(ms);
    }
    out = key;
    return {};
  }

  std::string Card(std::optional<ScriptCommand>& out) {
    if (auto e = Count(1, "card insert | card remove"); !e.empty()) return e;
    if (words_[1] == "insert") out = CardCmd{true};
    else if (words_[1] == "remove") out = CardCmd{false};
    else return "card: '" + std::string(words_[1]) + "' is neither insert nor remove";
    return {};
  }

  std::string Shot(std::optional<ScriptCommand>& out) {
    if (auto e = Count(1, "shot FILE.png"); !e.empty()) return e;
    std::string_view file = words_[1];
    if (!file.ends_with(".png")) return "shot: the picture file must end in .png, not '" + std::string(file) + "'";
    out = ShotCmd{std::filesystem::path(std::string(file))};
    return {};
  }

  // The rest of the line, printed as it stands (words one space apart).
  std::string Say(std::optional<ScriptCommand>& out) {
    if (words_.size() < 2) return "say takes the text to print";
    std::string text;
    for (std::size_t i = 1; i < words_.size(); ++i) text += (i > 1 ? " " : "") + std::string(words_[i]);
    out = SayCmd{std::move(text)};
    return {};
  }

  std::vector<std::string_view> words_;
};

}  // namespace

const std::vector<std::string_view>& ScriptKeyNames() {
  static const std::vector<std::string_view> names = {"LEFT", "RIGHT", "UP", "DOWN", "RETURN", "CTRL+A", "CTRL+Q"};
  return names;
}

ParsedScript ParseScript(std::string_view text) {
  ParsedScript result;
  LineReader reader(text);
  for (TextLine line; reader.Next(line);) {
    std::optional<ScriptCommand> command;
    if (std::string error = LineParser(std::move(line.words)).Parse(command); !error.empty()) {
      result.error = "line " + std::to_string(line.number) + ": " + error;
      result.script.lines.clear();
      return result;
    }
    result.script.lines.push_back({line.number, std::move(*command)});
  }
  return result;
}

ParsedScript LoadScript(const std::filesystem::path& file) {
  std::string error;
  std::optional<std::string> text = ReadTextFile(file, "script", error);
  if (!text) return {{}, error};
  ParsedScript parsed = ParseScript(*text);
  if (!parsed.error.empty()) parsed.error = file.string() + ": " + parsed.error;
  return parsed;
}

}  // namespace host
