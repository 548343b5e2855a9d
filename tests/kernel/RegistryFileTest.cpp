// The registry on disk: a damaged database is refused and left alone, and
// the .reg text format carries every value through export and import.
#include <algorithm>

#include "RegistryTestSupport.h"
#include "platform/kernel/Utf.h"

namespace {

using regtest::Bytes;
using regtest::Get;
using regtest::ReadBytes;
using regtest::Set;
using regtest::SzBytes;
using regtest::WriteBytes;
namespace fs = std::filesystem;

// ------------------------------------------------------------ the database

class RegistryDatabaseTest : public ::testing::Test {
 protected:
  void TearDown() override { ce::UnmountRegistry(); }

  // A registry with enough in it to span many database pages.
  fs::path MakeRegistry() {
    fs::path db = dir_.path() / "registry.db";
    EXPECT_FALSE(ce::MountRegistry(db));
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Veltrane", 0, nullptr, 0, 0, nullptr, &key, nullptr);
    for (int i = 0; i < 40; ++i) {
      std::string digits = std::to_string(i);
      std::u16string name = u"Value" + std::u16string(digits.begin(), digits.end());
      Set(key, name.c_str(), REG_BINARY, std::vector<BYTE>(1000, static_cast<BYTE>(i)));
    }
    RegCloseKey(key);
    ce::UnmountRegistry();  // the last connection folds the log into the file
    EXPECT_FALSE(fs::exists(db.string() + "-wal"));
    return db;
  }

  // Mounting must fail with a message naming the file, and leave it as it was.
  std::string ExpectRefused(const fs::path& db, std::string_view reason) {
    std::string before = ReadBytes(db);
    auto error = ce::MountRegistry(db);
    EXPECT_TRUE(error);
    if (!error) return {};
    EXPECT_NE(error->find(db.string()), std::string::npos) << *error;
    EXPECT_NE(error->find(reason), std::string::npos) << *error;
    EXPECT_FALSE(ce::RegistryMounted());
    EXPECT_EQ(ReadBytes(db), before);
    return *error;
  }

  testsupport::ScratchFolder dir_;
};

TEST_F(RegistryDatabaseTest, GarbageOrDamagedFilesAreRefusedAndLeftAlone) {
  fs::path garbage = dir_.path() / "garbage.db";
  std::string noise(5000, '\0');
  for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 7919) % 251);
  WriteBytes(garbage, noise);
  std::string message = ExpectRefused(garbage, "not a database");
  // It tells the person what to do.
  EXPECT_NE(message.find("move the file aside"), std::string::npos) << message;
  EXPECT_NE(message.find("ondrel --import-registry"), std::string::npos) << message;

  // A real registry whose pages after the first were overwritten.
  fs::path db = MakeRegistry();
  std::string bytes = ReadBytes(db);
  ASSERT_GT(bytes.size(), 20u * 4096);
  for (std::size_t i = 4096; i < bytes.size(); ++i) bytes[i] = static_cast<char>(0xA5 ^ (i & 0xFF));
  WriteBytes(db, bytes);
  ExpectRefused(db, "cannot be used");
}

TEST_F(RegistryDatabaseTest, ForeignOrNewerDatabasesAreRefused) {
  fs::path db = MakeRegistry();
  std::string original = ReadBytes(db);

  // Another program's SQLite database (its application id differs).
  std::string foreign = original;
  foreign[68] = 'X';
  WriteBytes(db, foreign);
  ExpectRefused(db, "not a registry database");

  // A layout this handheld does not know.
  std::string newer = original;
  newer[63] = 9;
  WriteBytes(db, newer);
  ExpectRefused(db, "layout version is 9");

  // Restored, it mounts again with its contents.
  WriteBytes(db, original);
  ASSERT_FALSE(ce::MountRegistry(db));
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Veltrane", 0, 0, &key), ERROR_SUCCESS);
  EXPECT_EQ(Get(key, u"VALUE2").data, std::vector<BYTE>(1000, 2));
  RegCloseKey(key);

  // A file that cannot be opened at all.
  fs::path nowhere = dir_.path() / "missing-folder" / "registry.db";
  auto error = ce::MountRegistry(nowhere);
  ASSERT_TRUE(error);
  EXPECT_NE(error->find(nowhere.string()), std::string::npos) << *error;
  EXPECT_NE(error->find("folder exists"), std::string::npos) << *error;
  EXPECT_FALSE(fs::exists(nowhere));
}

// ------------------------------------------------------------ .reg files

struct Entry {
  HKEY root;
  std::u16string key;
  std::u16string name;
  DWORD type;
  std::vector<BYTE> data;
};

std::vector<BYTE> Utf16Bytes(std::u16string_view units) {
  std::vector<BYTE> out;
  for (char16_t c : units) {
    out.push_back(static_cast<BYTE>(c & 0xFF));
    out.push_back(static_cast<BYTE>(c >> 8));
  }
  return out;
}

// One of every kind of value the format must carry.
std::vector<Entry> EveryKindOfValue() {
  std::vector<BYTE> big(300);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<BYTE>(i * 3);
  const std::u16string app = u"SOFTWARE\\Veltrane";
  return {
      {HKEY_LOCAL_MACHINE, app, u"InstallDir", REG_SZ, SzBytes(u"\\Program Files\\Veltrane")},
      {HKEY_LOCAL_MACHINE, app, u"Say \"hi\" \\ there", REG_SZ, SzBytes(u"\"quoted\" \\ text\\")},
      {HKEY_LOCAL_MACHINE, app, u"Unicode", REG_SZ, SzBytes(u"Fréquence Громкость \U0001F4FB")},
      {HKEY_LOCAL_MACHINE, app, u"", REG_SZ, SzBytes(u"default")},
      {HKEY_LOCAL_MACHINE, app, u"Frequency", REG_DWORD, Bytes({0x2a, 0, 0, 0})},
      {HKEY_LOCAL_MACHINE, app, u"Step", REG_DWORD, Bytes({7})},
      {HKEY_LOCAL_MACHINE, app, u"Bare", REG_SZ, Bytes({'h', 0, 'i', 0})},
      {HKEY_LOCAL_MACHINE, app, u"EmptySz", REG_SZ, {}},
      {HKEY_LOCAL_MACHINE, app, u"Lines", REG_SZ, Utf16Bytes(std::u16string(u"a\r\nb\0", 5))},
      {HKEY_LOCAL_MACHINE, app, u"Inner", REG_SZ, Utf16Bytes(std::u16string(u"a\0b\0", 4))},
      {HKEY_LOCAL_MACHINE, app, u"Lone", REG_SZ, Bytes({0x00, 0xD8, 0, 0})},
      {HKEY_LOCAL_MACHINE, app, u"OddLength", REG_SZ, Bytes({'x', 0, 0})},
      {HKEY_LOCAL_MACHINE, app, u"Big", REG_BINARY, big},
      {HKEY_LOCAL_MACHINE, app, u"Nothing", REG_BINARY, {}},
      {HKEY_LOCAL_MACHINE, app, u"Multi", REG_MULTI_SZ, Utf16Bytes(std::u16string(u"a\0b\0\0", 5))},
      {HKEY_LOCAL_MACHINE, app, u"Expand", REG_EXPAND_SZ, SzBytes(u"%WINDIR%")},
      {HKEY_LOCAL_MACHINE, app, u"Odd", 0x12345, Bytes({1, 2})},
      {HKEY_LOCAL_MACHINE, app, u"Qword", REG_QWORD, Bytes({1, 2, 3, 4, 5, 6, 7, 8})},
      {HKEY_LOCAL_MACHINE, app, u"Sz as dword", REG_DWORD, SzBytes(u"abc")},
      {HKEY_LOCAL_MACHINE, u"", u"AtTheRoot", REG_DWORD, Bytes({1, 0, 0, 0})},
      {HKEY_CURRENT_USER, u"Settings\\Ondrel", u"Volume", REG_DWORD, Bytes({0xff, 0xff, 0xff, 0xff})},
  };
}

class RegFileTest : public regtest::MountedRegistry {
 protected:
  std::string Export() {
    fs::path file = dir_.path() / ("export" + std::to_string(exports_++) + ".reg");
    auto error = ce::ExportRegistryFile(file);
    EXPECT_FALSE(error) << *error;
    return ReadBytes(file);
  }

  std::optional<std::string> Import(std::string_view bytes) {
    WriteBytes(regFile_, bytes);
    return ce::ImportRegistryFile(regFile_);
  }

  void Fill(const std::vector<Entry>& entries) {
    for (const Entry& entry : entries) {
      HKEY key = Create(entry.root, entry.key.c_str());
      ASSERT_EQ(Set(key, entry.name.c_str(), entry.type, entry.data), ERROR_SUCCESS);
      RegCloseKey(key);
    }
    RegCloseKey(Create(HKEY_CURRENT_USER, u"Empty\\Deeper"));
  }

  void ExpectHolds(const std::vector<Entry>& entries) {
    for (const Entry& entry : entries) {
      SCOPED_TRACE(ce::ToUtf8Strict(entry.name).value_or("?"));
      HKEY key = nullptr;
      ASSERT_EQ(RegOpenKeyExW(entry.root, entry.key.c_str(), 0, 0, &key), ERROR_SUCCESS);
      auto read = Get(key, entry.name.c_str());
      EXPECT_EQ(read.rc, ERROR_SUCCESS);
      EXPECT_EQ(read.type, entry.type);
      EXPECT_EQ(read.data, entry.data);
      RegCloseKey(key);
    }
  }

  fs::path regFile_ = dir_.path() / "input.reg";
  int exports_ = 0;
};

TEST_F(RegFileTest, ExportImportExportKeepsEveryValueAndEveryByte) {
  auto entries = EveryKindOfValue();
  Fill(entries);
  std::string first = Export();

  // The text a person reads: header, CRLF only, no byte order mark.
  EXPECT_TRUE(first.starts_with("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER]\r\n")) << first;
  for (std::size_t i = 0; i < first.size(); ++i) {
    if (first[i] == '\n') {
      ASSERT_EQ(first[i - 1], '\r') << "bare LF at byte " << i;
    }
  }
  for (std::string_view line : {
           "[HKEY_CURRENT_USER\\Empty\\Deeper]\r\n\r\n",
           "[HKEY_LOCAL_MACHINE]\r\n\"AtTheRoot\"=dword:00000001\r\n",
           "\"InstallDir\"=\"\\\\Program Files\\\\Veltrane\"\r\n",
           "\"Say \\\"hi\\\" \\\\ there\"=\"\\\"quoted\\\" \\\\ text\\\\\"\r\n",
           "\"Unicode\"=\"Fréquence Громкость \xF0\x9F\x93\xBB\"\r\n",
           "@=\"default\"\r\n",
           "\"Frequency\"=dword:0000002a\r\n",
           "\"Step\"=hex(4):07\r\n",
           "\"Bare\"=hex(1):68,00,69,00\r\n",
           "\"EmptySz\"=hex(1):\r\n",
           "\"Nothing\"=hex:\r\n",
           "\"Odd\"=hex(12345):01,02\r\n",
           "\"Volume\"=dword:ffffffff\r\n",
           "\"Big\"=hex:00,03,06,",
       }) {
    EXPECT_NE(first.find(line), std::string::npos) << "missing: " << line;
  }
  // Long hex lists are continued with a backslash, lines stay short.
  std::size_t start = 0;
  int continued = 0;
  while (start < first.size()) {
    std::size_t end = first.find("\r\n", start);
    EXPECT_LE(end - start, 80u) << first.substr(start, end - start);
    if (first[end - 1] == '\\') ++continued;
    start = end + 2;
  }
  EXPECT_GE(continued, 10);

  // Into a fresh registry: every value as it was, and the same text again.
  ce::UnmountRegistry();
  testsupport::ScratchFolder other;
  ASSERT_FALSE(ce::MountRegistry(other.path() / "registry.db"));
  ASSERT_FALSE(Import(first));
  ExpectHolds(entries);
  HKEY empty = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Empty\\Deeper", 0, 0, &empty), ERROR_SUCCESS);
  RegCloseKey(empty);
  EXPECT_EQ(Export(), first);

  // Importing over the same contents changes nothing.
  ASSERT_FALSE(Import(first));
  EXPECT_EQ(Export(), first);
}

// The deepest keys with the longest names, beside shallow ones: each key
// line carries its whole path, and the file reads back into the same keys.
TEST_F(RegFileTest, KeysAtTheDepthAndNameLimitsGoThroughWhole) {
  const std::u16string deep = u"Deep\\" + regtest::DeepPath(2, 16);
  const std::vector<Entry> entries = {
      {HKEY_CURRENT_USER, deep, u"Deepest", REG_DWORD, Bytes({16, 0, 0, 0})},
      {HKEY_CURRENT_USER, deep.substr(0, deep.rfind(u'\\')) + u"\\Beside", u"Fifteen", REG_DWORD, Bytes({15, 0, 0, 0})},
      {HKEY_CURRENT_USER, u"Deep\\Zed", u"Two", REG_DWORD, Bytes({2, 0, 0, 0})},
      {HKEY_LOCAL_MACHINE, deep, u"Other root", REG_DWORD, Bytes({1, 0, 0, 0})},
  };
  Fill(entries);
  const std::string first = Export();
  const std::string deepLine = "[HKEY_CURRENT_USER\\" + *ce::ToUtf8Strict(deep) + "]\r\n\"Deepest\"=dword:00000010\r\n";
  EXPECT_NE(first.find(deepLine), std::string::npos);
  EXPECT_NE(first.find("[HKEY_CURRENT_USER\\Deep\\Zed]\r\n\"Two\"=dword:00000002\r\n"), std::string::npos);
  EXPECT_NE(first.find("[HKEY_LOCAL_MACHINE\\" + *ce::ToUtf8Strict(deep) + "]\r\n\"Other root\""), std::string::npos);

  ce::UnmountRegistry();
  testsupport::ScratchFolder other;
  ASSERT_FALSE(ce::MountRegistry(other.path() / "registry.db"));
  auto error = Import(first);
  ASSERT_FALSE(error) << *error;
  ExpectHolds(entries);
  EXPECT_EQ(Export(), first);
}

TEST_F(RegFileTest, ImportReadsEncodingsCommentsContinuationsAndDeletions) {
  HKEY old = Create(HKEY_LOCAL_MACHINE, u"Old\\Sub");
  ASSERT_EQ(Set(old, u"x", REG_DWORD, Bytes({1, 0, 0, 0})), ERROR_SUCCESS);
  HKEY keep = Create(HKEY_LOCAL_MACHINE, u"Keep");
  ASSERT_EQ(Set(keep, u"Gone", REG_DWORD, Bytes({1, 0, 0, 0})), ERROR_SUCCESS);
  ASSERT_EQ(Set(keep, u"Stays", REG_DWORD, Bytes({2, 0, 0, 0})), ERROR_SUCCESS);

  const std::u16string text =
      u"Windows Registry Editor Version 5.00\n"
      u"\n"
      u"; settings written by hand\n"
      u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Fréquence]\n"
      u"\"Name\"=\"Громкость\"\n"
      u"  \"Spaced\" = DWORD:2A   \n"
      u"\"Long\"=hex:01,02,\\\n"
      u"   03,04,\\\n"
      u"   05\n"
      u"@=hex(7):61,00,00,00,00,00\n"
      u"\n"
      u"[-hkey_local_machine\\OLD]\n"
      u"[HKEY_LOCAL_MACHINE\\Keep]\n"
      u"\"Gone\"=-\n";

  auto utf8 = *ce::ToUtf8Strict(text);
  std::string crlf;
  for (char c : utf8) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  std::string utf16 = "\xFF\xFE";
  for (char16_t c : text) {
    if (c == u'\n') utf16 += std::string("\r\0", 2);
    utf16 += static_cast<char>(c & 0xFF);
    utf16 += static_cast<char>(c >> 8);
  }

  std::string previous;
  for (const std::string& file : {utf8, "\xEF\xBB\xBF" + crlf, utf16}) {
    auto error = Import(file);
    ASSERT_FALSE(error) << *error;
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"software\\FRÉQUENCE", 0, 0, &key), ERROR_SUCCESS);
    EXPECT_EQ(Get(key, u"Name").data, SzBytes(u"Громкость"));
    EXPECT_EQ(Get(key, u"Spaced").data, Bytes({0x2a, 0, 0, 0}));
    EXPECT_EQ(Get(key, u"Long").data, Bytes({1, 2, 3, 4, 5}));
    EXPECT_EQ(Get(key, nullptr).type, static_cast<DWORD>(REG_MULTI_SZ));
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Old", 0, 0, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Get(keep, u"Gone").rc, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Get(keep, u"Stays").data, Bytes({2, 0, 0, 0}));
    // Every encoding gives the same registry.
    std::string now = Export();
    if (!previous.empty()) {
      EXPECT_EQ(now, previous);
    }
    previous = now;
  }
  EXPECT_EQ(Get(old, u"x").rc, ERROR_KEY_DELETED);
  RegCloseKey(old);
  RegCloseKey(keep);
}

TEST_F(RegFileTest, AMalformedLineIsNamedAndNothingIsImported) {
  HKEY keep = Create(HKEY_LOCAL_MACHINE, u"Keep");
  ASSERT_EQ(Set(keep, u"Value", REG_DWORD, Bytes({1, 0, 0, 0})), ERROR_SUCCESS);
  RegCloseKey(keep);
  const std::string before = Export();

  // Good changes come first in each file; none of them may be applied.
  const std::string header = "Windows Registry Editor Version 5.00\r\n\r\n";
  const std::string good = "[HKEY_LOCAL_MACHINE\\New]\r\n\"ok\"=dword:1\r\n[-HKEY_LOCAL_MACHINE\\Keep]\r\n";
  const std::string key = "[HKEY_LOCAL_MACHINE\\New]\r\n";
  std::string seventeen;
  for (int level = 0; level < 17; ++level) seventeen += "\\L" + std::to_string(level);
  struct Case {
    std::string file;
    int line;
    std::string_view says;
  };
  const Case cases[] = {
      {"REGEDIT4\r\n" + good, 1, "first line must be"},
      {"", 1, "first line must be"},
      {header + "\"a\"=\"b\"\r\n", 3, "must follow a [key] line"},
      {header + good + key + "\"a\"=dword:xyz\r\n", 7, "dword: must be followed by 1 to 8 hex digits"},
      {header + good + key + "\"a\"=dword:123456789\r\n", 7, "dword:"},
      {header + good + key + "\"a\"=hex:01,zz\r\n", 7, "'zz' is not a hex byte"},
      {header + good + key + "\"a\"=hex:01,,02\r\n", 7, "'' is not a hex byte"},
      {header + good + key + "\"a\"=hex(zz):01\r\n", 7, "hex( must be followed by a type"},
      {header + good + key + "\"a\"=word:1\r\n", 7, "unknown value data 'word:1'"},
      {header + good + key + "\"a\"=\"unclosed\r\n", 7, "quoted string is not closed"},
      {header + good + key + "\"a\\n\"=\"x\"\r\n", 7, "must be doubled"},
      {header + good + key + "\"a\"=\"b\" ; note\r\n", 7, "unexpected text after the closing quote"},
      {header + good + key + "\"a\" \"b\"\r\n", 7, "expected '='"},
      {header + good + key + "\"a\"=\"\xFF\"\r\n", 7, "not valid UTF-8"},
      {header + good + key + "\"a\"=hex:01,\\\r\n", 7, "ends inside a hex value"},
      {header + good + "[HKEY_CLASSES_ROOT\\X]\r\n", 6, "unknown root key 'HKEY_CLASSES_ROOT'"},
      {header + good + "[HKEY_LOCAL_MACHINE\\A\\\\B]\r\n", 6, "a key name may not be empty"},
      {header + good + "[HKEY_LOCAL_MACHINE\\A\r\n", 6, "must end with ']'"},
      {header + good + "[HKEY_LOCAL_MACHINE\\" + std::string(256, 'n') + "]\r\n", 6, "longer than 255"},
      {header + good + "[HKEY_LOCAL_MACHINE" + seventeen + "]\r\n", 6, "17 levels below its root"},
      {header + good + "[-HKEY_CURRENT_USER" + seventeen + "]\r\n", 6, "keys nest at most 16 levels"},
      {header + good + "[-HKEY_LOCAL_MACHINE]\r\n", 6, "a root key cannot be deleted"},
      {header + good + "[-HKEY_LOCAL_MACHINE\\Keep]\r\n\"a\"=\"b\"\r\n", 7, "cannot follow a [-key] line"},
      {header + good + "just some words\r\n", 6, "expected a [key] line"},
      {"\xFE\xFF\0W", 1, "big-endian"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    auto error = Import(c.file);
    ASSERT_TRUE(error);
    EXPECT_NE(error->find(regFile_.string()), std::string::npos) << *error;
    EXPECT_NE(error->find("line " + std::to_string(c.line) + ":"), std::string::npos) << *error;
    EXPECT_NE(error->find(c.says), std::string::npos) << *error;
    EXPECT_NE(error->find("; nothing was imported"), std::string::npos) << *error;
    ASSERT_EQ(Export(), before);
  }

  // A file that is not there.
  auto error = ce::ImportRegistryFile(dir_.path() / "absent.reg");
  ASSERT_TRUE(error);
  EXPECT_NE(error->find("absent.reg"), std::string::npos);
  EXPECT_EQ(Export(), before);
}

}  // namespace
