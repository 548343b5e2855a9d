// The registry's contents as plain data: what the store hands out and
// what a .reg file describes. Names are UTF-8 as first written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "windef.h"

namespace ce::reg {

using KeyId = std::int64_t;

// The two roots the handheld has; their ids are fixed in the database.
enum class Root : KeyId { LocalMachine = 1, CurrentUser = 2 };

inline constexpr const char* RootName(Root root) {
  return root == Root::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

struct Value {
  std::string name;  // empty: the key's default value
  DWORD type = 0;
  std::vector<BYTE> data;
  bool operator==(const Value&) const = default;
};

// One key with its values, as an export lists it. An export lists every
// key right after its parent's subtree began, depth first, so a key names
// only itself: its path is the path of the last key listed one level up.
// What an export holds grows with the keys, never with their depth.
struct KeyContents {
  Root root = Root::LocalMachine;
  std::size_t depth = 0;       // levels below the root; 0 for the root itself
  std::string name;            // empty for the root itself
  std::vector<Value> values;   // in the registry's order (folded names)
};

// One change a .reg file asks for.
struct Edit {
  enum class Kind { CreateKey, DeleteKey, SetValue, DeleteValue };
  Kind kind = Kind::CreateKey;
  Root root = Root::LocalMachine;
  std::vector<std::string> path;
  Value value;  // SetValue: all of it; DeleteValue: the name
};

}  // namespace ce::reg
