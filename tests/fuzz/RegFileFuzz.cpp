// libFuzzer target: every input is a .reg file as --import-registry reads
// it. A file is refused with the line at fault, or it becomes a list of
// changes that keep the registry's limits. Every key and value a file
// sets must come back unchanged when written out as an export writes it
// and read in again: what the registry took from a file it can give back.
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "FuzzSupport.h"
#include "kernel/RegFile.h"
#include "kernel/RegistryNames.h"

namespace {

using ce::reg::Edit;
using ce::reg::KeyContents;

std::size_t LineCount(std::string_view text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
}

void CheckLimits(const Edit& edit) {
  fuzz::Require(edit.path.size() <= ce::reg::kMaxKeyDepth, "no key lies deeper than keys may nest");
  for (const std::string& name : edit.path) fuzz::Require(!ce::reg::KeyNameProblem(name), "every key name is sound");
  if (edit.kind == Edit::Kind::SetValue || edit.kind == Edit::Kind::DeleteValue)
    fuzz::Require(!ce::reg::ValueNameProblem(edit.value.name), "every value name is sound");
}

// The key of an edit, with its value when it sets one, as an export lists
// it: the root, then each level of the path.
std::vector<KeyContents> AsExport(const Edit& edit) {
  std::vector<KeyContents> keys{KeyContents{edit.root, 0, "", {}}};
  for (std::size_t level = 0; level < edit.path.size(); ++level)
    keys.push_back(KeyContents{edit.root, level + 1, edit.path[level], {}});
  if (edit.kind == Edit::Kind::SetValue) keys.back().values.push_back(edit.value);
  return keys;
}

void CheckRoundTrip(const Edit& edit) {
  const std::string text = ce::reg::WriteRegFile(AsExport(edit));
  auto again = ce::reg::ParseRegFile(text);
  fuzz::Require(std::holds_alternative<std::vector<Edit>>(again), "an export reads back");
  const auto& edits = std::get<std::vector<Edit>>(again);
  const std::size_t keys = edit.path.size() + 1;
  const std::size_t expected = keys + (edit.kind == Edit::Kind::SetValue ? 1 : 0);
  fuzz::Require(edits.size() == expected, "an export reads back as one change per key and value");
  const Edit& key = edits[keys - 1];
  fuzz::Require(key.kind == Edit::Kind::CreateKey && key.root == edit.root && key.path == edit.path,
                "a key reads back with its root and path");
  if (edit.kind != Edit::Kind::SetValue) return;
  const Edit& value = edits.back();
  fuzz::Require(value.kind == Edit::Kind::SetValue && value.path == edit.path, "a value reads back in its key");
  fuzz::Require(value.value == edit.value, "a value reads back with its name, type and bytes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  auto parsed = ce::reg::ParseRegFile(bytes);
  if (const auto* error = std::get_if<ce::reg::RegFileError>(&parsed)) {
    fuzz::Require(error->line >= 1 && !error->message.empty(), "a refusal names a line and says why");
    fuzz::Require(error->line <= LineCount(bytes), "the line named is in the file");
    return 0;
  }
  for (const Edit& edit : std::get<std::vector<Edit>>(parsed)) {
    CheckLimits(edit);
    if (edit.kind == Edit::Kind::CreateKey || edit.kind == Edit::Kind::SetValue) CheckRoundTrip(edit);
  }
  return 0;
}
