// A fresh device root for each test, inside a scratch folder that also
// holds a folder "outside" with a sentinel file the device must never
// reach.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/kernel/FileObject.h"
#include "platform/kernel/Kernel.h"
#include "tests/support/ScratchFolder.h"
#include "windows.h"

namespace fs = std::filesystem;

class DeviceRootTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(root_);
    fs::create_directories(outside_);
    Put(outside_ / "sentinel.txt", "untouched");
    ce::SetDeviceRoot(root_);
  }

  void TearDown() override {
    ce::SetDeviceRoot({});
    ce::SetDeviceOpener(nullptr);
  }

  static void Put(const fs::path& path, const std::string& content) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
  }

  static std::string Get(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // The outside world is as it was: only the sentinel, unchanged.
  void ExpectOutsideUntouched() const {
    EXPECT_EQ(Get(outside_ / "sentinel.txt"), "untouched");
    EXPECT_EQ(std::distance(fs::directory_iterator(outside_), fs::directory_iterator()), 1);
  }

  static HANDLE Open(const std::u16string& name, DWORD access, DWORD disposition) {
    return CreateFileW(name.c_str(), access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  }

  // The last error of a call that must fail.
  static DWORD OpenError(const std::u16string& name, DWORD access, DWORD disposition) {
    SetLastError(0);
    HANDLE file = Open(name, access, disposition);
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
      return 0;
    }
    return GetLastError();
  }

  testsupport::ScratchFolder scratch_{"ondrel-root"};
  const fs::path root_ = scratch_.path() / "root";
  const fs::path outside_ = scratch_.path() / "outside";
};
