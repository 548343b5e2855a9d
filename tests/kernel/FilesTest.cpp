// File handles: creation dispositions, reading, writing, the file pointer,
// access modes, handle checks and device names.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "DeviceRootFixture.h"
#include "tests/support/Devices.h"

namespace {

using FilesTest = DeviceRootTest;

constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;

DWORD Error(DWORD code) { return code; }

TEST_F(FilesTest, CreationDispositions) {
  Put(root_ / "data.txt", "old content");
  EXPECT_EQ(OpenError(u"\\data.txt", GENERIC_WRITE, CREATE_NEW), Error(ERROR_FILE_EXISTS));
  EXPECT_EQ(Get(root_ / "data.txt"), "old content");

  SetLastError(1234);
  HANDLE file = Open(u"\\data.txt", GENERIC_READ, OPEN_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), Error(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(GetFileSize(file, nullptr), 11u);
  CloseHandle(file);

  file = Open(u"\\data.txt", GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), Error(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(GetFileSize(file, nullptr), 0u);
  CloseHandle(file);

  Put(root_ / "data.txt", "again");
  EXPECT_EQ(OpenError(u"\\data.txt", GENERIC_READ, TRUNCATE_EXISTING), Error(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(Get(root_ / "data.txt"), "again");
  file = Open(u"\\DATA.TXT", GENERIC_WRITE, TRUNCATE_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  EXPECT_EQ(Get(root_ / "data.txt"), "");
  EXPECT_EQ(OpenError(u"\\gone.txt", GENERIC_WRITE, TRUNCATE_EXISTING), Error(ERROR_FILE_NOT_FOUND));

  // New files: OPEN_ALWAYS and CREATE_ALWAYS report no error, CREATE_NEW
  // creates once.
  for (DWORD disposition : {CREATE_NEW, CREATE_ALWAYS, OPEN_ALWAYS}) {
    SetLastError(1234);
    file = Open(u"\\fresh.txt", GENERIC_WRITE, disposition);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), Error(ERROR_SUCCESS));
    CloseHandle(file);
    ASSERT_TRUE(DeleteFileW(u"\\FRESH.txt"));
  }
  EXPECT_EQ(OpenError(u"\\fresh.txt", GENERIC_READ, OPEN_EXISTING), Error(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(OpenError(u"\\data.txt", GENERIC_READ, 0), Error(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(OpenError(u"\\data.txt", GENERIC_READ, 6), Error(ERROR_INVALID_PARAMETER));
}

TEST_F(FilesTest, FoldersAreNotFiles) {
  fs::create_directories(root_ / "Windows");
  EXPECT_EQ(OpenError(u"\\windows", GENERIC_READ, OPEN_EXISTING), Error(ERROR_ACCESS_DENIED));
  EXPECT_EQ(OpenError(u"\\windows", GENERIC_WRITE, CREATE_ALWAYS), Error(ERROR_ACCESS_DENIED));
  EXPECT_EQ(OpenError(u"\\windows", GENERIC_WRITE, CREATE_NEW), Error(ERROR_FILE_EXISTS));
  EXPECT_EQ(OpenError(u"\\", GENERIC_READ, OPEN_EXISTING), Error(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(DeleteFileW(u"\\Windows"));
  EXPECT_EQ(GetLastError(), Error(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(fs::is_directory(root_ / "Windows"));
  EXPECT_FALSE(DeleteFileW(u"\\Windows\\missing.txt"));
  EXPECT_EQ(GetLastError(), Error(ERROR_FILE_NOT_FOUND));
}

TEST_F(FilesTest, ReadsReportWhatTheyGotAndEndOfFileIsNotAnError) {
  HANDLE file = Open(u"\\hello.txt", kReadWrite, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD count = 99;
  ASSERT_TRUE(WriteFile(file, "hello world", 11, &count, nullptr));
  EXPECT_EQ(count, 11u);
  ASSERT_TRUE(WriteFile(file, "!", 1, nullptr, nullptr));  // the count may be left out

  char buffer[32];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(SetFilePointer(file, 6, nullptr, FILE_BEGIN), 6u);
  ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &count, nullptr));
  EXPECT_EQ(count, 6u);
  EXPECT_EQ(std::string(buffer, 7), "world!#");
  count = 99;
  EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &count, nullptr));
  EXPECT_EQ(count, 0u);
  EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, nullptr, nullptr));
  EXPECT_TRUE(ReadFile(file, nullptr, 0, &count, nullptr));

  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  EXPECT_TRUE(ReadFile(file, buffer, 5, nullptr, nullptr));
  EXPECT_EQ(std::string(buffer, 5), "hello");
  EXPECT_FALSE(ReadFile(file, nullptr, 4, &count, nullptr));
  EXPECT_EQ(GetLastError(), Error(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(Get(root_ / "hello.txt"), "hello world!");
}

TEST_F(FilesTest, FilePointerMovesFromEachOriginAndNeverBeforeTheStart) {
  HANDLE file = Open(u"\\pointer.bin", kReadWrite, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(WriteFile(file, "0123456789", 10, nullptr, nullptr));
  EXPECT_EQ(SetFilePointer(file, -3, nullptr, FILE_END), 7u);
  EXPECT_EQ(SetFilePointer(file, -2, nullptr, FILE_CURRENT), 5u);
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_CURRENT), 5u);

  SetLastError(0);
  EXPECT_EQ(SetFilePointer(file, -6, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), Error(ERROR_NEGATIVE_SEEK));
  EXPECT_EQ(SetFilePointer(file, -11, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, 3), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), Error(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_CURRENT), 5u);  // failures moved nothing

  // Past the end is allowed; writing there fills the gap with zeros.
  EXPECT_EQ(SetFilePointer(file, 12, nullptr, FILE_BEGIN), 12u);
  ASSERT_TRUE(WriteFile(file, "X", 1, nullptr, nullptr));
  DWORD high = 77;
  EXPECT_EQ(GetFileSize(file, &high), 13u);
  EXPECT_EQ(high, 0u);
  EXPECT_EQ(Get(root_ / "pointer.bin"), std::string("0123456789\0\0X", 13));

  // Beyond 4 GiB through the high word (the file stays sparse).
  LONG moveHigh = 1;
  EXPECT_EQ(SetFilePointer(file, 0x10, &moveHigh, FILE_BEGIN), 0x10u);
  EXPECT_EQ(moveHigh, 1);
  ASSERT_TRUE(WriteFile(file, "Y", 1, nullptr, nullptr));
  EXPECT_EQ(GetFileSize(file, &high), 0x11u);
  EXPECT_EQ(high, 1u);
  // Without the high word, a position that does not fit is refused.
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), Error(ERROR_INVALID_PARAMETER));
  // A position whose low word is all ones succeeds with no error set.
  moveHigh = -1;  // with the high word, -0x12 is 0xFFFFFFFF'FFFFFFEE
  SetLastError(1234);
  EXPECT_EQ(SetFilePointer(file, -0x12, &moveHigh, FILE_END), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), Error(ERROR_SUCCESS));
  EXPECT_EQ(moveHigh, 0);
  moveHigh = -2;
  EXPECT_EQ(SetFilePointer(file, 0, &moveHigh, FILE_END), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), Error(ERROR_NEGATIVE_SEEK));
  EXPECT_EQ(moveHigh, -2);
  moveHigh = 0;
  EXPECT_EQ(SetFilePointer(file, 0, &moveHigh, FILE_CURRENT), 0xFFFFFFFFu);
  CloseHandle(file);
}

TEST_F(FilesTest, AccessModesAreEnforced) {
  Put(root_ / "mode.txt", "content");
  HANDLE writeOnly = Open(u"\\mode.txt", GENERIC_WRITE, OPEN_EXISTING);
  HANDLE readOnly = Open(u"\\mode.txt", GENERIC_READ, OPEN_EXISTING);
  HANDLE queryOnly = Open(u"\\mode.txt", 0, OPEN_EXISTING);
  ASSERT_NE(writeOnly, INVALID_HANDLE_VALUE);
  ASSERT_NE(readOnly, INVALID_HANDLE_VALUE);
  ASSERT_NE(queryOnly, INVALID_HANDLE_VALUE);

  char buffer[8] = {};
  DWORD count = 99;
  EXPECT_FALSE(ReadFile(writeOnly, buffer, sizeof buffer, &count, nullptr));
  EXPECT_EQ(GetLastError(), Error(ERROR_ACCESS_DENIED));
  EXPECT_EQ(count, 0u);
  count = 99;
  EXPECT_FALSE(WriteFile(readOnly, "zz", 2, &count, nullptr));
  EXPECT_EQ(GetLastError(), Error(ERROR_ACCESS_DENIED));
  EXPECT_EQ(count, 0u);
  EXPECT_FALSE(ReadFile(queryOnly, buffer, sizeof buffer, nullptr, nullptr));
  EXPECT_FALSE(WriteFile(queryOnly, "zz", 2, nullptr, nullptr));
  EXPECT_EQ(GetFileSize(queryOnly, nullptr), 7u);
  EXPECT_EQ(Get(root_ / "mode.txt"), "content");

  EXPECT_TRUE(WriteFile(writeOnly, "C", 1, nullptr, nullptr));
  EXPECT_TRUE(ReadFile(readOnly, buffer, sizeof buffer, &count, nullptr));
  EXPECT_EQ(std::string(buffer, count), "Content");
  for (HANDLE h : {writeOnly, readOnly, queryOnly}) CloseHandle(h);
}

TEST_F(FilesTest, ClosedHandlesAndOtherKindsOfHandleAreRefused) {
  HANDLE file = Open(u"\\closed.txt", kReadWrite, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(CloseHandle(file));
  TestDevices devices;  // the wait below runs on the clock
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  char buffer[4];
  LONG high = 0;
  for (HANDLE bad : {file, event, INVALID_HANDLE_VALUE, HANDLE{nullptr}}) {
    DWORD count = 99;
    SetLastError(0);
    EXPECT_FALSE(ReadFile(bad, buffer, sizeof buffer, &count, nullptr));
    EXPECT_EQ(GetLastError(), Error(ERROR_INVALID_HANDLE));
    EXPECT_EQ(count, 0u);
    SetLastError(0);
    EXPECT_FALSE(WriteFile(bad, "x", 1, &count, nullptr));
    EXPECT_EQ(GetLastError(), Error(ERROR_INVALID_HANDLE));
    EXPECT_EQ(SetFilePointer(bad, 0, &high, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), Error(ERROR_INVALID_HANDLE));
    EXPECT_EQ(GetFileSize(bad, nullptr), INVALID_FILE_SIZE);
    EXPECT_EQ(GetLastError(), Error(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(DeviceIoControl(bad, 0x1, nullptr, 0, nullptr, 0, &count, nullptr));
    EXPECT_EQ(GetLastError(), Error(ERROR_INVALID_HANDLE));
  }
  // An open file on the root is the right kind of handle, but only devices
  // take control requests.
  HANDLE plain = Open(u"\\plain.txt", kReadWrite, CREATE_NEW);
  ASSERT_NE(plain, INVALID_HANDLE_VALUE);
  DWORD returned = 0;
  EXPECT_FALSE(DeviceIoControl(plain, 0x1, nullptr, 0, nullptr, 0, &returned, nullptr));
  EXPECT_EQ(GetLastError(), Error(ERROR_INVALID_FUNCTION));
  CloseHandle(plain);
  EXPECT_FALSE(CloseHandle(file));
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);  // the event is still an event
  CloseHandle(event);
}

// Stands in for a driver's open instance.
class FakeDevice : public ce::FileObject {
 public:
  BOOL Read(void* buffer, DWORD bytes, DWORD* bytesRead) override {
    *bytesRead = std::min<DWORD>(bytes, 3);
    std::memcpy(buffer, "dev", *bytesRead);
    return TRUE;
  }
  BOOL Write(const void*, DWORD bytes, DWORD* bytesWritten) override {
    written += bytes;
    *bytesWritten = bytes;
    return TRUE;
  }
  DWORD Seek(LONG, PLONG, DWORD) override {
    SetLastError(ERROR_NOT_SUPPORTED);
    return INVALID_SET_FILE_POINTER;
  }
  DWORD Size(DWORD*) override { return 0; }
  DWORD written = 0;
};

TEST_F(FilesTest, DeviceNamesGoToTheDeviceOpener) {
  EXPECT_EQ(OpenError(u"MVX1:", kReadWrite, OPEN_EXISTING), Error(ERROR_FILE_NOT_FOUND));

  auto device = std::make_shared<FakeDevice>();
  std::vector<std::u16string> names;
  ce::SetDeviceOpener([&](std::u16string_view name, DWORD access, DWORD) -> HANDLE {
    names.emplace_back(name);
    EXPECT_EQ(access, kReadWrite);
    if (name != u"MVX1:") {
      SetLastError(ERROR_DEVICE_NOT_CONNECTED);
      return INVALID_HANDLE_VALUE;
    }
    return ce::AddKernelHandle(device);
  });
  HANDLE bare = Open(u"MVX1:", kReadWrite, OPEN_EXISTING);
  HANDLE rooted = Open(u"\\MVX1:", kReadWrite, OPEN_EXISTING);
  ASSERT_NE(bare, INVALID_HANDLE_VALUE);
  ASSERT_NE(rooted, INVALID_HANDLE_VALUE);
  EXPECT_EQ(OpenError(u"MVX2:", kReadWrite, OPEN_EXISTING), Error(ERROR_DEVICE_NOT_CONNECTED));
  EXPECT_EQ(names, (std::vector<std::u16string>{u"MVX1:", u"MVX1:", u"MVX2:"}));

  char buffer[8] = {};
  EXPECT_TRUE(ReadFile(bare, buffer, sizeof buffer, nullptr, nullptr));  // no count: the device still gets one
  EXPECT_EQ(std::string(buffer), "dev");
  DWORD count = 0;
  EXPECT_TRUE(WriteFile(rooted, "abcd", 4, &count, nullptr));
  EXPECT_EQ(count, 4u);
  EXPECT_EQ(device->written, 4u);
  EXPECT_EQ(SetFilePointer(bare, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), Error(ERROR_NOT_SUPPORTED));
  CloseHandle(bare);
  CloseHandle(rooted);

  // A device name is never looked for on the root.
  ce::SetDeviceOpener(nullptr);
  Put(root_ / "MVX1", "not a device");
  EXPECT_EQ(OpenError(u"MVX1:", GENERIC_READ, OPEN_EXISTING), Error(ERROR_FILE_NOT_FOUND));
}

}  // namespace
