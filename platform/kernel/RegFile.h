// The registry as a text file a person can read and edit: the ".reg"
// format ("Windows Registry Editor Version 5.00"). Export writes UTF-8
// with CRLF line ends in a fixed order, so exporting, importing and
// exporting again gives the same bytes; every value keeps its type, bytes
// and length. Values that are not plain strings or 4-byte DWORDs are
// written as hex(type): lists.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/kernel/RegistryData.h"

namespace ce::reg {

inline constexpr std::string_view kRegFileHeader = "Windows Registry Editor Version 5.00";

std::string WriteRegFile(std::span<const KeyContents> keys);

struct RegFileError {
  std::size_t line = 0;  // 1-based
  std::string message;
};

// Parses and checks a whole file: UTF-8 with or without a byte order
// mark, or UTF-16LE with one; CRLF or LF line ends. The result is the
// list of changes, in file order, or the first problem found.
std::variant<std::vector<Edit>, RegFileError> ParseRegFile(std::string_view bytes);

}  // namespace ce::reg
