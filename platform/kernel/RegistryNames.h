// Names in the registry: the folded form that makes "Volume" and "VOLUME"
// one name, and the rules a key or value name must follow. Names are kept
// as UTF-8 (kernel/Utf.h converts); the API speaks UTF-16.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ce::reg {

// Longest names, in UTF-16 code units.
inline constexpr std::size_t kMaxKeyNameLength = 255;
inline constexpr std::size_t kMaxValueNameLength = 16383;

// A valid UTF-8 name folded by the device's rule (ce::FoldCase); equal
// folded names are one name, and the registry's order is their byte order.
std::string FoldName(std::string_view utf8Name);

// What is wrong with a key name (one path component) or a value name, or
// nullopt when it is acceptable. Names are valid UTF-8 here.
std::optional<std::string> KeyNameProblem(std::string_view utf8Name);
std::optional<std::string> ValueNameProblem(std::string_view utf8Name);

// Splits a backslash-separated key path into its names. An empty path is
// the key itself; one trailing backslash is tolerated. On a bad component
// the result is nullopt and *problem says why.
std::optional<std::vector<std::string>> SplitKeyPath(std::string_view utf8Path, std::string* problem = nullptr);

}  // namespace ce::reg
