// How device paths reach the host: case, separators, missing parts, names
// the device does not allow, and every way out of the root.
#include <algorithm>
#include <vector>

#include "DeviceRootFixture.h"
#include "platform/kernel/DevicePath.h"

namespace {

using DevicePathTest = DeviceRootTest;

std::string ReadAll(HANDLE file) {
  char buffer[256];
  DWORD read = 0;
  EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &read, nullptr));
  return std::string(buffer, read);
}

TEST_F(DevicePathTest, FindsExistingNamesWithoutRegardToCase) {
  Put(root_ / "Windows" / "Skins" / "BK_U.bmp", "skin");
  Put(root_ / "Über" / "Straße.txt", "latin-1");
  for (const std::u16string name : {u"\\Windows\\Skins\\BK_U.bmp", u"\\WINDOWS\\skins\\bk_u.BMP",
                                    u"/windows/Skins/bk_u.bmp", u"windows\\skins\\BK_U.bmp",
                                    u"\\Windows\\.\\Skins\\..\\SKINS\\\\bk_u.bmp"}) {
    SCOPED_TRACE(std::string(name.begin(), name.end()));
    HANDLE file = Open(name, GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadAll(file), "skin");
    CloseHandle(file);
  }
  HANDLE file = Open(u"\\über\\STRASSE.TXT", GENERIC_READ, OPEN_EXISTING);
  EXPECT_EQ(file, INVALID_HANDLE_VALUE);  // no folding of ß into SS, only one-to-one letters
  file = Open(u"\\üBER\\straße.TXT", GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(ReadAll(file), "latin-1");
  CloseHandle(file);

  EXPECT_EQ(ce::HostPathOf(u"\\windows\\SKINS\\bk_u.bmp", false).path, root_ / "Windows" / "Skins" / "BK_U.bmp");
  EXPECT_EQ(ce::HostPathOf(u"\\", false).path, root_);
  EXPECT_EQ(GetFileAttributesW(u"\\"), FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetFileAttributesW(u"\\WINDOWS\\skins"), FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetFileAttributesW(u"\\windows\\skins\\bk_u.bmp"), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(DevicePathTest, AnExactSpellingWinsAndAmbiguityIsSettledTheSameWayEveryTime) {
  Put(root_ / "b.txt", "lower");
  Put(root_ / "B.TXT", "upper");
  Put(root_ / "B.txt", "mixed");
  EXPECT_EQ(ce::HostPathOf(u"\\b.txt", false).path, root_ / "b.txt");
  EXPECT_EQ(ce::HostPathOf(u"\\B.txt", false).path, root_ / "B.txt");
  EXPECT_EQ(ce::HostPathOf(u"\\b.TXT", false).path, root_ / "B.TXT");  // the smallest host name
}

TEST_F(DevicePathTest, CreatingUsesTheSpellingOfWhatIsAlreadyThere) {
  fs::create_directories(root_ / "Program Files");
  HANDLE file = Open(u"\\PROGRAM FILES\\New.TXT", GENERIC_WRITE, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  EXPECT_TRUE(fs::exists(root_ / "Program Files" / "New.TXT"));

  SetLastError(0);
  file = Open(u"\\program files\\new.txt", GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  CloseHandle(file);

  EXPECT_TRUE(CreateDirectoryW(u"\\program files\\Veltrane", nullptr));
  EXPECT_FALSE(CreateDirectoryW(u"\\PROGRAM FILES\\VELTRANE", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_FALSE(CreateDirectoryW(u"\\", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));

  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(root_)) {
    names.push_back(fs::relative(entry.path(), root_).string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Program Files", "Program Files/New.TXT", "Program Files/Veltrane"}));
}

TEST_F(DevicePathTest, MissingFilesMissingFoldersAndBadNamesAreToldApart) {
  Put(root_ / "Windows" / "file.txt", "x");
  EXPECT_EQ(OpenError(u"\\Windows\\nothing.txt", GENERIC_READ, OPEN_EXISTING), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(OpenError(u"\\NoFolder\\file.txt", GENERIC_READ, OPEN_EXISTING), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(OpenError(u"\\NoFolder\\file.txt", GENERIC_WRITE, CREATE_ALWAYS), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(OpenError(u"\\Windows\\file.txt\\x", GENERIC_READ, OPEN_EXISTING), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(OpenError(u"", GENERIC_READ, OPEN_EXISTING), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(OpenError(u"\\Windows\\a?b", GENERIC_WRITE, CREATE_ALWAYS), static_cast<DWORD>(ERROR_INVALID_NAME));
  EXPECT_EQ(OpenError(u"\\Windows\\tab\there", GENERIC_WRITE, CREATE_ALWAYS), static_cast<DWORD>(ERROR_INVALID_NAME));
  EXPECT_EQ(OpenError(u"\\Windows\\a:b", GENERIC_WRITE, CREATE_ALWAYS), static_cast<DWORD>(ERROR_INVALID_NAME));
  const std::u16string loneSurrogate = {u'\\', 0xD800, u'x'};
  EXPECT_EQ(OpenError(loneSurrogate, GENERIC_WRITE, CREATE_ALWAYS), static_cast<DWORD>(ERROR_INVALID_NAME));
  EXPECT_EQ(OpenError(u"\\" + std::u16string(256, u'n'), GENERIC_WRITE, CREATE_ALWAYS),
            static_cast<DWORD>(ERROR_INVALID_NAME));
  // A NUL inside a name would cut the host's name short.
  EXPECT_EQ(ce::HostPathOf(std::u16string_view(u"\\Windows\\file.txt\0.bak", 22), true).error,
            static_cast<DWORD>(ERROR_INVALID_NAME));

  SetLastError(0);
  EXPECT_EQ(CreateFileW(nullptr, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(GetFileAttributesW(u"\\Windows\\nothing.txt"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(CreateDirectoryW(u"\\NoFolder\\Sub", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

  // Nothing was created by any of the failures.
  EXPECT_EQ(std::distance(fs::recursive_directory_iterator(root_), fs::recursive_directory_iterator()), 2);

  ce::SetDeviceRoot(scratch_.path() / "no-such-root");
  EXPECT_EQ(OpenError(u"\\Windows\\file.txt", GENERIC_READ, OPEN_EXISTING), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(DevicePathTest, DotDotNeverLeavesTheRoot) {
  for (const std::u16string name : {u"\\..\\..\\outside\\sentinel.txt", u"..\\outside\\sentinel.txt",
                                    u"\\Windows\\..\\..\\..\\outside\\sentinel.txt", u"/../outside/sentinel.txt"}) {
    SCOPED_TRACE(std::string(name.begin(), name.end()));
    EXPECT_EQ(OpenError(name, GENERIC_READ, OPEN_EXISTING), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(OpenError(name, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(DeleteFileW(name.c_str()));
  }
  EXPECT_EQ(OpenError(u"\\..\\..\\etc\\passwd", GENERIC_READ, OPEN_EXISTING), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  // ".." at the root is the root: this creates the file inside it.
  HANDLE file = Open(u"..\\..\\sentinel.txt", GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  EXPECT_TRUE(fs::exists(root_ / "sentinel.txt"));
  ExpectOutsideUntouched();
}

TEST_F(DevicePathTest, LinksThatLeadOutOfTheRootAreRefused) {
  Put(root_ / "Windows" / "inside.txt", "inside");
  fs::create_directory_symlink(outside_, root_ / "absolute");
  fs::create_directory_symlink("../outside", root_ / "relative");
  fs::create_symlink(outside_ / "sentinel.txt", root_ / "filelink");
  fs::create_symlink(outside_ / "created.txt", root_ / "dangling");
  fs::create_directory_symlink("Windows", root_ / "alias");
  // Inside by name, outside once the inner link is followed.
  fs::create_directory_symlink("alias/../../outside", root_ / "detour");

  for (const std::u16string name :
       {u"\\absolute\\sentinel.txt", u"\\relative\\sentinel.txt", u"\\filelink", u"\\ABSOLUTE\\new.txt",
        u"\\Dangling", u"\\detour\\sentinel.txt", u"\\detour\\new.txt"}) {
    SCOPED_TRACE(std::string(name.begin(), name.end()));
    EXPECT_EQ(OpenError(name, GENERIC_READ, OPEN_EXISTING), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(OpenError(name, GENERIC_WRITE, CREATE_ALWAYS), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(OpenError(name, GENERIC_WRITE, OPEN_ALWAYS), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(DeleteFileW(name.c_str()));
    EXPECT_EQ(GetFileAttributesW(name.c_str()), INVALID_FILE_ATTRIBUTES);
  }
  EXPECT_FALSE(CreateDirectoryW(u"\\absolute\\Sub", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  ExpectOutsideUntouched();
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(root_ / "filelink")));

  // A link that stays inside the root is an ordinary way in.
  HANDLE file = Open(u"\\ALIAS\\inside.txt", GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(ReadAll(file), "inside");
  CloseHandle(file);
}

}  // namespace
