// Names in the registry: the folded form that makes "Volume" and "VOLUME"
// one name, and the rules a key or value name must follow. Names are kept
// as UTF-8 (kernel/Utf.h converts); the API speaks UTF-16.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ce::reg {

// Longest names, in UTF-16 code units, and how deep keys nest: a key lies
// at most 16 levels below its root, as on the handheld. With both limits a
// key's full path stays under 4.2 K characters, so an export, which names
// every key by its full path, is bounded by the number of keys.
inline constexpr std::size_t kMaxKeyNameLength = 255;
inline constexpr std::size_t kMaxValueNameLength = 16383;
inline constexpr std::size_t kMaxKeyDepth = 16;

// A valid UTF-8 name folded by the device's rule (ce::FoldCase); equal
// folded names are one name, and the registry's order is their byte order.
std::string FoldName(std::string_view utf8Name);

// What is wrong with a key name (one path component) or a value name, or
// nullopt when it is acceptable. Names are valid UTF-8 here.
std::optional<std::string> KeyNameProblem(std::string_view utf8Name);
std::optional<std::string> ValueNameProblem(std::string_view utf8Name);

// Splits a backslash-separated key path into its names. An empty path is
// the key itself; one trailing backslash is tolerated. The path leads from
// a key baseDepth levels below its root, and may not lead past the deepest
// level. On a bad component or a path too deep the result is nullopt and
// *problem says why.
std::optional<std::vector<std::string>> SplitKeyPath(std::string_view utf8Path, std::string* problem = nullptr,
                                                     std::size_t baseDepth = 0);

}  // namespace ce::reg
