#include "platform/kernel/RegFile.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "platform/kernel/RegistryNames.h"
#include "platform/kernel/Utf.h"
#include "winbase.h"  // winreg.h uses its SECURITY_ATTRIBUTES
#include "winreg.h"

namespace ce::reg {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::size_t kHexLineWidth = 78;  // then the continuation backslash

// ---------------------------------------------------------------- writing

std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + '"';
}

// A REG_SZ whose bytes are exactly what importing "text" would store: a
// terminated UTF-16 string with no other NUL and no line break in it.
std::optional<std::string> CleanString(const Value& value) {
  const auto& data = value.data;
  if (value.type != REG_SZ || data.size() < 2 || data.size() % 2 != 0) return std::nullopt;
  std::u16string units(data.size() / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
  }
  if (units.back() != u'\0') return std::nullopt;
  units.pop_back();
  if (units.find_first_of(std::u16string_view(u"\0\r\n", 3)) != std::u16string::npos) return std::nullopt;
  return ToUtf8Strict(units);
}

void AppendHex(std::string& out, std::string line, std::span<const BYTE> data) {
  char piece[4];
  for (std::size_t i = 0; i < data.size(); ++i) {
    std::snprintf(piece, sizeof piece, i + 1 < data.size() ? "%02x," : "%02x", data[i]);
    std::string_view text(piece);
    if (i > 0 && line.size() + text.size() > kHexLineWidth) {
      out += line;
      out += '\\';
      out += kCrLf;
      line = "  ";
    }
    line += text;
  }
  out += line;
  out += kCrLf;
}

void AppendValue(std::string& out, const Value& value) {
  std::string line = value.name.empty() ? "@=" : Quote(value.name) + "=";
  if (auto text = CleanString(value)) {
    out += line + Quote(*text);
    out += kCrLf;
  } else if (value.type == REG_DWORD && value.data.size() == 4) {
    DWORD number = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) | (DWORD{value.data[3]} << 24);
    char digits[16];
    std::snprintf(digits, sizeof digits, "dword:%08x", number);
    out += line + digits;
    out += kCrLf;
  } else if (value.type == REG_BINARY) {
    AppendHex(out, line + "hex:", value.data);
  } else {
    char type[24];
    std::snprintf(type, sizeof type, "hex(%x):", value.type);
    AppendHex(out, line + type, value.data);
  }
}

// ---------------------------------------------------------------- reading

struct Failure {
  std::size_t line;
  std::string message;
};

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

// ASCII keywords ("dword:", root names) are accepted in any case.
bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  auto same = [](char a, char b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return lower(a) == lower(b);
  };
  return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(), same);
}

bool EqualsNoCase(std::string_view a, std::string_view b) { return a.size() == b.size() && StartsWithNoCase(a, b); }

std::optional<std::uint32_t> ParseHexNumber(std::string_view digits) {
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  std::uint32_t number = 0;
  for (char c : digits) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    number = number << 4 | static_cast<std::uint32_t>(digit);
  }
  return number;
}

// Splits the decoded text into lines without their line ends; every line
// is checked to be valid UTF-8.
std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    std::string_view line = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::size_t number = lines.size() + 1;
    if (line.find('\0') != std::string_view::npos) {
      throw Failure{number, "the line contains a NUL character (a UTF-16 file needs its byte order mark)"};
    }
    if (!ToUtf16Strict(line)) throw Failure{number, "the line is not valid UTF-8"};
    lines.emplace_back(line);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  if (!lines.empty() && lines.back().empty()) lines.pop_back();  // the final line end
  return lines;
}

std::vector<std::string> DecodeLines(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) return SplitLines(bytes.substr(3));
  if (bytes.starts_with("\xFE\xFF")) {
    throw Failure{1, "UTF-16 big-endian files are not supported; save the file as UTF-8 or UTF-16LE"};
  }
  if (!bytes.starts_with("\xFF\xFE")) return SplitLines(bytes);
  bytes.remove_prefix(2);
  if (bytes.size() % 2 != 0) throw Failure{1, "the UTF-16 file has an odd number of bytes"};
  std::u16string units(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  }
  // Convert line by line so that a bad character is reported on its line.
  std::string text;
  std::size_t start = 0, number = 1;
  while (start <= units.size()) {
    std::size_t end = units.find(u'\n', start);
    auto line = ToUtf8Strict(std::u16string_view(units).substr(start, end == std::u16string::npos ? end : end - start));
    if (!line) throw Failure{number, "the line is not valid UTF-16"};
    text += *line;
    if (end == std::u16string::npos) break;
    text += '\n';
    start = end + 1;
    ++number;
  }
  return SplitLines(text);
}

class Parser {
 public:
  explicit Parser(std::vector<std::string> lines) : lines_(std::move(lines)) {}

  std::vector<Edit> Parse() {
    if (lines_.empty() || Trim(lines_[0]) != kRegFileHeader) {
      throw Failure{1, "the first line must be '" + std::string(kRegFileHeader) + "'"};
    }
    for (index_ = 1; index_ < lines_.size(); ++index_) {
      std::string_view line = Trim(lines_[index_]);
      if (line.empty() || line.front() == ';') continue;
      if (line.front() == '[') {
        ParseSection(line);
      } else if (line.front() == '"' || line.front() == '@') {
        ParseValue(line);
      } else {
        Fail("expected a [key] line, a \"name\"= or @= value line, or a ';' comment");
      }
    }
    return std::move(edits_);
  }

 private:
  [[noreturn]] void Fail(std::string message) const { throw Failure{index_ + 1, std::move(message)}; }

  void ParseSection(std::string_view line) {
    if (line.back() != ']') Fail("a key line must end with ']'");
    std::string_view inner = line.substr(1, line.size() - 2);
    bool remove = !inner.empty() && inner.front() == '-';
    if (remove) inner.remove_prefix(1);
    std::size_t slash = inner.find('\\');
    std::string_view rootName = inner.substr(0, slash);
    Root root;
    if (EqualsNoCase(rootName, RootName(Root::LocalMachine))) {
      root = Root::LocalMachine;
    } else if (EqualsNoCase(rootName, RootName(Root::CurrentUser))) {
      root = Root::CurrentUser;
    } else {
      Fail("unknown root key '" + std::string(rootName) +
           "' (the handheld has HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER)");
    }
    std::string problem;
    auto path = SplitKeyPath(slash == std::string_view::npos ? std::string_view() : inner.substr(slash + 1), &problem);
    if (!path) Fail("bad key path: " + problem);
    if (remove && path->empty()) Fail("a root key cannot be deleted");
    section_ = Section{root, *path, remove};
    edits_.push_back(Edit{remove ? Edit::Kind::DeleteKey : Edit::Kind::CreateKey, root, std::move(*path), {}});
  }

  // A "quoted" string starting at text[pos]; pos ends after its closing quote.
  std::string ParseQuoted(std::string_view text, std::size_t& pos) const {
    std::string out;
    for (++pos; pos < text.size(); ++pos) {
      char c = text[pos];
      if (c == '"') {
        ++pos;
        return out;
      }
      if (c == '\\') {
        if (pos + 1 >= text.size() || (text[pos + 1] != '\\' && text[pos + 1] != '"')) {
          Fail("a backslash in a quoted string must be doubled (\\\\) or escape a quote (\\\")");
        }
        c = text[++pos];
      }
      out += c;
    }
    Fail("a quoted string is not closed");
  }

  void ParseValue(std::string_view line) {
    if (!section_) Fail("a value must follow a [key] line");
    if (section_->removed) Fail("values cannot follow a [-key] line, which deletes the key");
    std::size_t pos = 0;
    std::string name;
    if (line.front() == '@') {
      pos = 1;
    } else {
      name = ParseQuoted(line, pos);
      if (auto problem = ValueNameProblem(name)) Fail("bad value name: " + *problem);
    }
    std::string_view rest = Trim(line.substr(pos));
    if (rest.empty() || rest.front() != '=') Fail("expected '=' after the value name");
    rest = Trim(rest.substr(1));

    Edit edit{Edit::Kind::SetValue, section_->root, section_->path, Value{std::move(name), REG_NONE, {}}};
    if (rest == "-") {
      edit.kind = Edit::Kind::DeleteValue;
    } else if (!rest.empty() && rest.front() == '"') {
      std::size_t end = 0;
      std::string text = ParseQuoted(rest, end);
      if (!Trim(rest.substr(end)).empty()) Fail("unexpected text after the closing quote");
      std::u16string units = *ToUtf16Strict(text);
      units += u'\0';
      edit.value.type = REG_SZ;
      for (char16_t unit : units) {
        edit.value.data.push_back(static_cast<BYTE>(unit & 0xFF));
        edit.value.data.push_back(static_cast<BYTE>(unit >> 8));
      }
    } else if (StartsWithNoCase(rest, "dword:")) {
      auto number = ParseHexNumber(rest.substr(6));
      if (!number) Fail("dword: must be followed by 1 to 8 hex digits");
      edit.value.type = REG_DWORD;
      for (int shift = 0; shift < 32; shift += 8) edit.value.data.push_back(static_cast<BYTE>(*number >> shift));
    } else if (StartsWithNoCase(rest, "hex:")) {
      edit.value.type = REG_BINARY;
      edit.value.data = ParseHexList(rest.substr(4));
    } else if (StartsWithNoCase(rest, "hex(")) {
      std::size_t close = rest.find("):");
      auto type = close == std::string_view::npos ? std::nullopt : ParseHexNumber(rest.substr(4, close - 4));
      if (!type) Fail("hex( must be followed by a type of 1 to 8 hex digits and '):'");
      edit.value.type = *type;
      edit.value.data = ParseHexList(rest.substr(close + 2));
    } else {
      Fail("unknown value data '" + std::string(rest) + "' (expected \"text\", dword:, hex: or hex(type):)");
    }
    edits_.push_back(std::move(edit));
  }

  // Comma-separated bytes; a line ending in a backslash continues on the
  // next one.
  std::vector<BYTE> ParseHexList(std::string_view first) {
    std::size_t startLine = index_;
    std::string list(Trim(first));
    while (!list.empty() && list.back() == '\\') {
      list.pop_back();
      if (++index_ >= lines_.size()) {
        index_ = startLine;
        Fail("the file ends inside a hex value continued with '\\'");
      }
      list += Trim(lines_[index_]);
    }
    std::vector<BYTE> bytes;
    std::string_view rest = list;
    if (!rest.empty() && rest.back() == ',') rest.remove_suffix(1);  // as some editors leave it
    while (!rest.empty()) {
      std::size_t comma = rest.find(',');
      std::string_view token = Trim(rest.substr(0, comma));
      auto byte = token.size() <= 2 ? ParseHexNumber(token) : std::nullopt;
      if (!byte) {
        index_ = startLine;
        Fail("'" + std::string(token) + "' is not a hex byte (expected two hex digits between commas)");
      }
      bytes.push_back(static_cast<BYTE>(*byte));
      if (comma == std::string_view::npos) break;
      rest.remove_prefix(comma + 1);
      if (rest.empty()) {
        index_ = startLine;
        Fail("a hex list may not end with two commas");
      }
    }
    return bytes;
  }

  struct Section {
    Root root;
    std::vector<std::string> path;
    bool removed;
  };

  std::vector<std::string> lines_;
  std::size_t index_ = 0;
  std::optional<Section> section_;
  std::vector<Edit> edits_;
};

}  // namespace

std::string WriteRegFile(std::span<const KeyContents> keys) {
  std::string out(kRegFileHeader);
  out += kCrLf;
  out += kCrLf;
  // The path of the key last listed, and where each of its levels ends:
  // a key's path is its parent's with its own name added.
  std::string path;
  std::vector<std::size_t> levelEnds;
  for (const KeyContents& key : keys) {
    if (key.depth == 0) {
      path = RootName(key.root);
    } else {
      path.resize(key.depth <= levelEnds.size() ? levelEnds[key.depth - 1] : path.size());
      path += '\\';
      path += key.name;
    }
    levelEnds.resize(key.depth);
    levelEnds.push_back(path.size());
    out += '[';
    out += path;
    out += ']';
    out += kCrLf;
    for (const Value& value : key.values) AppendValue(out, value);
    out += kCrLf;
  }
  return out;
}

std::variant<std::vector<Edit>, RegFileError> ParseRegFile(std::string_view bytes) {
  try {
    return Parser(DecodeLines(bytes)).Parse();
  } catch (const Failure& failure) {
    return RegFileError{failure.line, failure.message};
  }
}

}  // namespace ce::reg
