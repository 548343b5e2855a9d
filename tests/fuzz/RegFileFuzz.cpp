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
#include "platform/kernel/RegFile.h"
#include "platform/kernel/RegistryNames.h"

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

// Every key and value the file sets, written out as an export writes them:
// each key with the levels of its path from the root, and the changes
// reading that text back must give, in order.
struct Export {
  std::vector<KeyContents> keys;
  std::vector<Edit> changes;

  void Add(const Edit& edit) {
    keys.push_back(KeyContents{edit.root, 0, "", {}});
    changes.push_back(Edit{Edit::Kind::CreateKey, edit.root, {}, {}});
    for (std::size_t level = 0; level < edit.path.size(); ++level) {
      keys.push_back(KeyContents{edit.root, level + 1, edit.path[level], {}});
      changes.push_back(Edit{Edit::Kind::CreateKey, edit.root, {edit.path.begin(), edit.path.begin() + level + 1}, {}});
    }
    if (edit.kind != Edit::Kind::SetValue) return;
    keys.back().values.push_back(edit.value);
    changes.push_back(edit);
  }
};

bool Same(const Edit& a, const Edit& b) {
  return a.kind == b.kind && a.root == b.root && a.path == b.path &&
         (a.kind != Edit::Kind::SetValue || a.value == b.value);
}

void CheckRoundTrip(const Export& written) {
  auto again = ce::reg::ParseRegFile(ce::reg::WriteRegFile(written.keys));
  fuzz::Require(std::holds_alternative<std::vector<Edit>>(again), "an export reads back");
  const auto& edits = std::get<std::vector<Edit>>(again);
  fuzz::Require(edits.size() == written.changes.size(), "an export reads back as one change per key and value");
  for (std::size_t i = 0; i < edits.size(); ++i)
    fuzz::Require(Same(edits[i], written.changes[i]), "keys and values read back with their paths, names, types and bytes");
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
  Export written;
  for (const Edit& edit : std::get<std::vector<Edit>>(parsed)) {
    CheckLimits(edit);
    if (edit.kind == Edit::Kind::CreateKey || edit.kind == Edit::Kind::SetValue) written.Add(edit);
  }
  CheckRoundTrip(written);
  return 0;
}
