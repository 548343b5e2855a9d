// Shared pieces of the registry tests: a private device root per test,
// with the registry mounted on it, and small helpers around the calls.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/kernel/Registry.h"
#include "tests/support/ScratchFolder.h"
#include "windows.h"
#include "winreg.h"

namespace regtest {

namespace fs = std::filesystem;

inline std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const fs::path& file, std::string_view bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<BYTE> Bytes(std::initializer_list<int> values) {
  std::vector<BYTE> out;
  for (int v : values) out.push_back(static_cast<BYTE>(v));
  return out;
}

// The UTF-16 bytes of a string with its terminator, as REG_SZ stores it.
inline std::vector<BYTE> SzBytes(std::u16string_view text) {
  std::vector<BYTE> out;
  for (char16_t c : text) {
    out.push_back(static_cast<BYTE>(c & 0xFF));
    out.push_back(static_cast<BYTE>(c >> 8));
  }
  out.push_back(0);
  out.push_back(0);
  return out;
}

// A key path for the nesting and name length limits: levels from..to
// joined by backslashes, each name 255 UTF-16 units long (its level's
// letter, then 'n's, then a character outside the BMP).
inline std::u16string DeepPath(int from, int to) {
  std::u16string path;
  for (int level = from; level <= to; ++level) {
    if (!path.empty()) path += u'\\';
    path += std::u16string(1, static_cast<char16_t>(u'a' + level)) + std::u16string(252, u'n') + u"\U0001F4FB";
  }
  return path;
}

inline LONG Set(HKEY key, LPCWSTR name, DWORD type, const std::vector<BYTE>& data) {
  return RegSetValueExW(key, name, 0, type, data.empty() ? nullptr : data.data(), static_cast<DWORD>(data.size()));
}

struct Read {
  LONG rc = ERROR_SUCCESS;
  DWORD type = 0;
  std::vector<BYTE> data;
};

// Queries a value the way careful callers do: size first, then the data.
inline Read Get(HKEY key, LPCWSTR name) {
  Read read;
  DWORD size = 0;
  read.rc = RegQueryValueExW(key, name, nullptr, &read.type, nullptr, &size);
  if (read.rc != ERROR_SUCCESS) return read;
  read.data.resize(size);
  read.rc = RegQueryValueExW(key, name, nullptr, &read.type, read.data.data(), &size);
  read.data.resize(size);
  return read;
}

// A test with its own device root and the registry mounted on it.
class MountedRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = dir_.path() / "registry.db";
    auto error = ce::MountRegistry(db_);
    ASSERT_FALSE(error) << *error;
  }
  void TearDown() override { ce::UnmountRegistry(); }

  HKEY Create(HKEY root, LPCWSTR path) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExW(root, path, 0, nullptr, 0, 0, nullptr, &key, nullptr), ERROR_SUCCESS);
    return key;
  }

  testsupport::ScratchFolder dir_;
  fs::path db_;
};

}  // namespace regtest
