// The registry calls behave as the platform's: the settings store depends
// on their exact sizes, types and error codes.
#include <cstring>
#include <thread>

#include "RegistryTestSupport.h"

namespace {

using regtest::Bytes;
using regtest::DeepPath;
using regtest::Get;
using regtest::Set;
using regtest::SzBytes;

class RegistryTest : public regtest::MountedRegistry {};

TEST_F(RegistryTest, CreateOpenAndDispositions) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(
      RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Veltrane\\Ondrel", 0, nullptr, 0, 0, nullptr, &key, &disposition),
      ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  ASSERT_EQ(Set(key, u"Band", REG_DWORD, Bytes({1, 0, 0, 0})), ERROR_SUCCESS);

  // The intermediate keys exist; the same path in another case is the same key.
  HKEY again = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"software\\VELTRANE\\ondrel\\", 0, nullptr, 0, 0, nullptr, &again,
                            &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  EXPECT_NE(again, key);
  EXPECT_EQ(Get(again, u"band").data, Bytes({1, 0, 0, 0}));
  HKEY middle = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Veltrane", 0, 0, &middle), ERROR_SUCCESS);

  // Null and empty subkeys open the key itself anew.
  HKEY same = nullptr, same2 = nullptr;
  ASSERT_EQ(RegOpenKeyExW(key, nullptr, 0, 0, &same), ERROR_SUCCESS);
  ASSERT_EQ(RegOpenKeyExW(key, u"", 0, 0, &same2), ERROR_SUCCESS);
  EXPECT_NE(same, key);
  EXPECT_EQ(Get(same, u"Band").rc, ERROR_SUCCESS);
  EXPECT_EQ(Get(same2, u"Band").rc, ERROR_SUCCESS);
  ASSERT_EQ(RegCreateKeyExW(key, nullptr, 0, nullptr, 0, 0, nullptr, &same, &disposition), ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);

  // A missing key is not created by opening it; the result is cleared.
  HKEY missing = reinterpret_cast<HKEY>(0x1234);
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Nobody", 0, 0, &missing), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(missing, nullptr);
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Nobody", 0, 0, &missing), ERROR_FILE_NOT_FOUND);

  // The two roots are separate trees.
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"SOFTWARE\\Veltrane", 0, 0, &missing), ERROR_FILE_NOT_FOUND);

  // Malformed paths and a missing result pointer.
  EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"\\Leading", 0, nullptr, 0, 0, nullptr, &missing, nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"A\\\\B", 0, nullptr, 0, 0, nullptr, &missing, nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Line\nBreak", 0, nullptr, 0, 0, nullptr, &missing, nullptr),
            ERROR_INVALID_PARAMETER);
  std::u16string tooLong(256, u'k');
  EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, tooLong.c_str(), 0, nullptr, 0, 0, nullptr, &missing, nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"A", 0, 0, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"\\Leading", 0, 0, &missing), ERROR_INVALID_PARAMETER);

  for (HKEY open : {key, again, middle, same, same2}) EXPECT_EQ(RegCloseKey(open), ERROR_SUCCESS);
}

TEST_F(RegistryTest, ValuesKeepTheirExactBytesLengthAndType) {
  HKEY key = Create(HKEY_CURRENT_USER, u"Settings");
  // A DWORD written with length 1 stays 1 byte long.
  ASSERT_EQ(Set(key, u"Short", REG_DWORD, Bytes({7})), ERROR_SUCCESS);
  auto shortDword = Get(key, u"Short");
  EXPECT_EQ(shortDword.type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(shortDword.data, Bytes({7}));

  // A string without its terminator, an empty value, an unknown type.
  ASSERT_EQ(Set(key, u"Bare", REG_SZ, Bytes({'h', 0, 'i', 0})), ERROR_SUCCESS);
  EXPECT_EQ(Get(key, u"Bare").data, Bytes({'h', 0, 'i', 0}));
  ASSERT_EQ(RegSetValueExW(key, u"Empty", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
  auto empty = Get(key, u"Empty");
  EXPECT_EQ(empty.rc, ERROR_SUCCESS);
  EXPECT_EQ(empty.type, static_cast<DWORD>(REG_BINARY));
  EXPECT_TRUE(empty.data.empty());
  ASSERT_EQ(Set(key, u"Odd", 0xDEADBEEF, Bytes({1, 2, 3})), ERROR_SUCCESS);
  EXPECT_EQ(Get(key, u"Odd").type, 0xDEADBEEFu);

  // Overwriting replaces type and length together.
  ASSERT_EQ(Set(key, u"Short", REG_SZ, SzBytes(u"seven")), ERROR_SUCCESS);
  EXPECT_EQ(Get(key, u"Short").type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(Get(key, u"Short").data, SzBytes(u"seven"));

  // Null data with a length is refused and changes nothing.
  EXPECT_EQ(RegSetValueExW(key, u"Short", 0, REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Get(key, u"Short").data, SzBytes(u"seven"));

  // Null and empty names are the default value.
  ASSERT_EQ(Set(key, nullptr, REG_SZ, SzBytes(u"default")), ERROR_SUCCESS);
  EXPECT_EQ(Get(key, u"").data, SzBytes(u"default"));
  ASSERT_EQ(Set(key, u"", REG_DWORD, Bytes({1, 0, 0, 0})), ERROR_SUCCESS);
  EXPECT_EQ(Get(key, nullptr).type, static_cast<DWORD>(REG_DWORD));

  // Deleting a value; deleting it again.
  EXPECT_EQ(RegDeleteValueW(key, u"BARE"), ERROR_SUCCESS);
  EXPECT_EQ(Get(key, u"Bare").rc, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValueW(key, u"Bare"), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

TEST_F(RegistryTest, QueryReportsSizesAndNeverWritesAShortBuffer) {
  HKEY key = Create(HKEY_CURRENT_USER, u"Settings");
  std::vector<BYTE> eight = Bytes({1, 2, 3, 4, 5, 6, 7, 8});
  ASSERT_EQ(Set(key, u"Preset", REG_BINARY, eight), ERROR_SUCCESS);

  DWORD type = 0, size = 0;
  EXPECT_EQ(RegQueryValueExW(key, u"Preset", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(RegQueryValueExW(key, u"Preset", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);

  // A buffer one byte short: ERROR_MORE_DATA, the size needed, no bytes.
  BYTE buffer[16];
  std::memset(buffer, 0xCC, sizeof buffer);
  size = 7;
  type = 0;
  EXPECT_EQ(RegQueryValueExW(key, u"Preset", nullptr, &type, buffer, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  for (BYTE b : buffer) ASSERT_EQ(b, 0xCC);

  // A DWORD-sized buffer for a longer value: the caller's idea of the type
  // does not matter, only the sizes do.
  DWORD number = 0xCCCCCCCC;
  size = sizeof number;
  EXPECT_EQ(RegQueryValueExW(key, u"Preset", nullptr, nullptr, reinterpret_cast<BYTE*>(&number), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(number, 0xCCCCCCCCu);

  // A larger buffer gets the data and the true size.
  size = sizeof buffer;
  EXPECT_EQ(RegQueryValueExW(key, u"Preset", nullptr, nullptr, buffer, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(std::vector<BYTE>(buffer, buffer + 8), eight);
  EXPECT_EQ(buffer[8], 0xCC);

  // A 1-byte DWORD read into a DWORD: one byte written, size 1.
  ASSERT_EQ(Set(key, u"Step", REG_DWORD, Bytes({9})), ERROR_SUCCESS);
  number = 0xCCCCCCCC;
  size = sizeof number;
  EXPECT_EQ(RegQueryValueExW(key, u"Step", nullptr, &type, reinterpret_cast<BYTE*>(&number), &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 1u);
  EXPECT_EQ(number, 0xCCCCCC09u);

  // Argument errors and a missing value.
  size = sizeof buffer;
  EXPECT_EQ(RegQueryValueExW(key, u"Preset", nullptr, nullptr, buffer, nullptr), ERROR_INVALID_PARAMETER);
  DWORD reserved = 0;
  EXPECT_EQ(RegQueryValueExW(key, u"Preset", &reserved, nullptr, nullptr, &size), ERROR_INVALID_PARAMETER);
  size = 123;
  EXPECT_EQ(RegQueryValueExW(key, u"Missing", nullptr, &type, buffer, &size), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

TEST_F(RegistryTest, NamesAreCaseInsensitiveAndKeepTheirFirstSpelling) {
  HKEY key = Create(HKEY_LOCAL_MACHINE, u"Fréquences\\Ärger");
  HKEY upper = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"FRÉQUENCES\\ärger", 0, 0, &upper), ERROR_SUCCESS);

  ASSERT_EQ(Set(key, u"Volume", REG_DWORD, Bytes({1, 0, 0, 0})), ERROR_SUCCESS);
  ASSERT_EQ(Set(upper, u"VOLUME", REG_DWORD, Bytes({2, 0, 0, 0})), ERROR_SUCCESS);
  ASSERT_EQ(Set(key, u"Громкость", REG_BINARY, Bytes({3})), ERROR_SUCCESS);
  EXPECT_EQ(Get(key, u"volume").data, Bytes({2, 0, 0, 0}));
  EXPECT_EQ(Get(key, u"ГРОМКОСТЬ").data, Bytes({3}));
  EXPECT_EQ(Get(key, u"Straße").rc, ERROR_FILE_NOT_FOUND);

  // One value, still spelled as first written.
  WCHAR name[32];
  DWORD count = 32;
  EXPECT_EQ(RegEnumValueW(key, 0, name, &count, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(name), u"Volume");
  count = 32;
  EXPECT_EQ(RegEnumValueW(key, 2, name, &count, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
  count = 32;
  EXPECT_EQ(RegEnumKeyExW(HKEY_LOCAL_MACHINE, 0, name, &count, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(name), u"Fréquences");
  RegCloseKey(key);
  RegCloseKey(upper);
}

TEST_F(RegistryTest, DeleteKeyTakesTheSubtreeAndOldHandlesSeeItGone) {
  HKEY leaf = Create(HKEY_LOCAL_MACHINE, u"Drivers\\SDCARD\\ClientDrivers\\Class");
  HKEY middle = Create(HKEY_LOCAL_MACHINE, u"Drivers\\SDCARD");
  ASSERT_EQ(Set(leaf, u"Dll", REG_SZ, SzBytes(u"Marvex.dll")), ERROR_SUCCESS);
  ASSERT_EQ(Set(middle, u"Order", REG_DWORD, Bytes({1, 0, 0, 0})), ERROR_SUCCESS);
  HKEY sibling = Create(HKEY_LOCAL_MACHINE, u"Drivers\\Other");

  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"DRIVERS\\sdcard"), ERROR_SUCCESS);
  HKEY probe = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Drivers\\SDCARD", 0, 0, &probe), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Drivers\\Other", 0, 0, &probe), ERROR_SUCCESS);
  RegCloseKey(probe);

  // Every use of a handle to a deleted key says so, also after a key of
  // the same name is created again.
  HKEY recreated = Create(HKEY_LOCAL_MACHINE, u"Drivers\\SDCARD\\ClientDrivers\\Class");
  EXPECT_EQ(Get(recreated, u"Dll").rc, ERROR_FILE_NOT_FOUND);
  for (HKEY stale : {leaf, middle}) {
    EXPECT_EQ(Get(stale, u"Dll").rc, ERROR_KEY_DELETED);
    EXPECT_EQ(Set(stale, u"Dll", REG_SZ, SzBytes(u"x")), ERROR_KEY_DELETED);
    EXPECT_EQ(RegDeleteValueW(stale, u"Dll"), ERROR_KEY_DELETED);
    EXPECT_EQ(RegOpenKeyExW(stale, nullptr, 0, 0, &probe), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCreateKeyExW(stale, u"Sub", 0, nullptr, 0, 0, nullptr, &probe, nullptr), ERROR_KEY_DELETED);
    WCHAR name[8];
    DWORD count = 8;
    EXPECT_EQ(RegEnumKeyExW(stale, 0, name, &count, nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(stale), ERROR_SUCCESS);
  }

  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"Drivers\\Nothing"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u""), ERROR_INVALID_PARAMETER);
  RegCloseKey(sibling);
  RegCloseKey(recreated);
}

// Keys nest at most 16 levels below their root, however the path is split
// between a handle and the subkey, and a refused path makes nothing.
TEST_F(RegistryTest, KeysNestAtMostSixteenLevelsBelowTheirRoot) {
  const std::u16string sixteen = DeepPath(1, 16);  // every name 255 UTF-16 units long
  HKEY deepest = Create(HKEY_LOCAL_MACHINE, sixteen.c_str());
  ASSERT_NE(deepest, nullptr);
  HKEY middle = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, DeepPath(1, 10).c_str(), 0, 0, &middle), ERROR_SUCCESS);
  HKEY again = nullptr;  // the key opened anew through its own handle is just as deep
  ASSERT_EQ(RegOpenKeyExW(deepest, nullptr, 0, 0, &again), ERROR_SUCCESS);
  HKEY rest = nullptr;
  ASSERT_EQ(RegOpenKeyExW(middle, DeepPath(11, 16).c_str(), 0, 0, &rest), ERROR_SUCCESS);
  RegCloseKey(rest);

  HKEY probe = reinterpret_cast<HKEY>(0x1234);
  const std::u16string tooDeep = sixteen + u"\\x";
  std::u16string farTooDeep = u"k";
  for (int i = 0; i < 200000; ++i) farTooDeep += u"\\k";
  for (auto [base, path] : {std::pair<HKEY, std::u16string>{HKEY_LOCAL_MACHINE, tooDeep},
                            {HKEY_CURRENT_USER, tooDeep},
                            {deepest, u"x"},
                            {again, u"x"},
                            {middle, DeepPath(11, 17)},
                            {HKEY_LOCAL_MACHINE, farTooDeep}}) {
    EXPECT_EQ(RegCreateKeyExW(base, path.c_str(), 0, nullptr, 0, 0, nullptr, &probe, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(probe, nullptr);
    EXPECT_EQ(RegOpenKeyExW(base, path.c_str(), 0, 0, &probe), ERROR_INVALID_PARAMETER);
  }
  WCHAR name[300];
  DWORD count = 300;
  EXPECT_EQ(RegEnumKeyExW(deepest, 0, name, &count, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, DeepPath(1, 1).c_str(), 0, 0, &probe), ERROR_FILE_NOT_FOUND);
  for (HKEY open : {deepest, middle, again}) RegCloseKey(open);
}

TEST_F(RegistryTest, HandlesAreChecked) {
  HKEY key = Create(HKEY_CURRENT_USER, u"Settings");
  ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(Get(key, u"x").rc, ERROR_INVALID_HANDLE);
  EXPECT_EQ(Set(key, u"x", REG_DWORD, Bytes({1})), ERROR_INVALID_HANDLE);

  // Only two roots; closing any predefined root is harmless.
  HKEY probe = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, u"x", 0, 0, &probe), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCreateKeyExW(HKEY_USERS, u"x", 0, nullptr, 0, 0, nullptr, &probe, nullptr), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
  EXPECT_EQ(Set(HKEY_LOCAL_MACHINE, u"Root", REG_DWORD, Bytes({1})), ERROR_SUCCESS);

  // A kernel handle is not a key.
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  EXPECT_EQ(Get(reinterpret_cast<HKEY>(event), u"x").rc, ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(reinterpret_cast<HKEY>(event)), ERROR_INVALID_HANDLE);
  CloseHandle(event);

  // A handle from an earlier mount does not reach into the new one.
  HKEY old = Create(HKEY_CURRENT_USER, u"Settings");
  ce::UnmountRegistry();
  EXPECT_FALSE(ce::RegistryMounted());
  EXPECT_EQ(Get(old, u"x").rc, ERROR_INVALID_HANDLE);
  EXPECT_NE(Get(HKEY_LOCAL_MACHINE, u"Root").rc, ERROR_SUCCESS);
  ASSERT_FALSE(ce::MountRegistry(db_));
  EXPECT_EQ(Get(old, u"x").rc, ERROR_INVALID_HANDLE);
  EXPECT_EQ(Get(HKEY_LOCAL_MACHINE, u"Root").data, Bytes({1}));
  EXPECT_EQ(RegCloseKey(old), ERROR_SUCCESS);
}

TEST_F(RegistryTest, EnumerationIsOrderedAndChecksBufferSizes) {
  HKEY key = Create(HKEY_CURRENT_USER, u"Presets");
  for (LPCWSTR name : {u"beta", u"Alpha", u"GAMMA"}) RegCloseKey(Create(key, name));
  WCHAR name[16];
  std::vector<std::u16string> seen;
  DWORD index = 0;
  for (;; ++index) {
    DWORD count = 16;
    LONG rc = RegEnumKeyExW(key, index, name, &count, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(rc, ERROR_SUCCESS);
    EXPECT_EQ(count, std::char_traits<char16_t>::length(name));
    seen.emplace_back(name);
  }
  EXPECT_EQ(seen, (std::vector<std::u16string>{u"Alpha", u"beta", u"GAMMA"}));

  // "Alpha" needs 6 characters with its terminator; 5 is too few.
  std::fill(std::begin(name), std::end(name), u'#');
  DWORD count = 5;
  EXPECT_EQ(RegEnumKeyExW(key, 0, name, &count, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  EXPECT_EQ(name[0], u'#');
  count = 6;
  EXPECT_EQ(RegEnumKeyExW(key, 0, name, &count, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(count, 5u);
  EXPECT_EQ(RegEnumKeyExW(key, 0, nullptr, &count, nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_PARAMETER);

  // Values: the default value first, then by folded name.
  ASSERT_EQ(Set(key, u"zeta", REG_BINARY, Bytes({1, 2, 3})), ERROR_SUCCESS);
  ASSERT_EQ(Set(key, u"Eta", REG_DWORD, Bytes({4, 0, 0, 0})), ERROR_SUCCESS);
  ASSERT_EQ(Set(key, nullptr, REG_SZ, SzBytes(u"d")), ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  BYTE data[8];
  count = 16;
  EXPECT_EQ(RegEnumValueW(key, 0, name, &count, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(size, 4u);
  count = 16;
  size = sizeof data;
  EXPECT_EQ(RegEnumValueW(key, 1, name, &count, nullptr, &type, data, &size), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(name), u"Eta");
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(size, 4u);

  // Data that does not fit: ERROR_MORE_DATA, the size, and neither the name
  // nor the data written.
  std::fill(std::begin(name), std::end(name), u'#');
  std::memset(data, 0xCC, sizeof data);
  count = 16;
  size = 2;
  EXPECT_EQ(RegEnumValueW(key, 2, name, &count, nullptr, &type, data, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(name[0], u'#');
  EXPECT_EQ(data[0], 0xCC);
  count = 16;
  EXPECT_EQ(RegEnumValueW(key, 3, name, &count, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
  RegCloseKey(key);
}

TEST_F(RegistryTest, ReadersOnAnotherThreadAlwaysSeeWholeValues) {
  HKEY key = Create(HKEY_LOCAL_MACHINE, u"Shared");
  ASSERT_EQ(Set(key, u"Block", REG_BINARY, std::vector<BYTE>(64, 0)), ERROR_SUCCESS);
  std::atomic<bool> done{false};
  std::atomic<int> bad{0};
  std::thread reader([&] {
    while (!done) {
      auto read = Get(key, u"Block");
      bool whole = read.rc == ERROR_SUCCESS && read.data.size() == 64 &&
                   std::all_of(read.data.begin(), read.data.end(), [&](BYTE b) { return b == read.data[0]; });
      if (!whole) ++bad;
    }
  });
  for (int i = 1; i <= 100; ++i) {
    ASSERT_EQ(Set(key, u"Block", REG_BINARY, std::vector<BYTE>(64, static_cast<BYTE>(i))), ERROR_SUCCESS);
  }
  done = true;
  reader.join();
  EXPECT_EQ(bad, 0);
  EXPECT_EQ(Get(key, u"Block").data, std::vector<BYTE>(64, 100));
  RegCloseKey(key);
}

}  // namespace
