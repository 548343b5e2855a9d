// Text as the device and the host keep it: the device speaks UTF-16, the
// host's file names, databases and logs are UTF-8. These are the
// conversions between the two and the device's rule for comparing names
// without regard to case, shared by files, the registry and the host.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ce {

inline constexpr char32_t kReplacementChar = 0xFFFD;

// One code point read from the front of a text. An ill-formed sequence
// reads as U+FFFD with valid == false and consumes its maximal ill-formed
// part (at least one unit), so decoding always moves on.
struct DecodedChar {
  char32_t code;
  bool valid;
};
DecodedChar NextUtf8(std::string_view text, std::size_t& pos);
DecodedChar NextUtf16(std::u16string_view text, std::size_t& pos);

// Appends one code point (at most U+10FFFF, no lone surrogates).
void AppendUtf8(std::string& out, char32_t code);
void AppendUtf16(std::u16string& out, char32_t code);

// Lenient conversions: anything ill-formed becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);
std::u16string ToUtf16(std::string_view text);

// Strict conversions: nullopt when the text is not well-formed (a lone
// surrogate, a broken or overlong UTF-8 sequence).
std::optional<std::string> ToUtf8Strict(std::u16string_view text);
std::optional<std::u16string> ToUtf16Strict(std::string_view text);

// The device compares names (files, registry keys and values) without
// regard to case: ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic
// letters fold to lower case.
char16_t FoldCase(char16_t c);
// A whole name folded so, for keys of maps and comparisons of names.
std::u16string FoldName(std::u16string_view name);
// <0, 0 or >0 as a sorts before, equal to or after b once both are folded.
int CompareNoCase(std::u16string_view a, std::u16string_view b);
inline bool EqualNoCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

}  // namespace ce
