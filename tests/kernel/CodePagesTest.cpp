// Windows-1252 and UTF-8 through MultiByteToWideChar/WideCharToMultiByte,
// and the UTF-8/UTF-16 helpers the rest of the platform converts with.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "platform/kernel/Utf.h"
#include "windows.h"

namespace {

constexpr WCHAR kGuard = 0xBEEF;

DWORD Error(DWORD code) { return code; }

std::u16string ToWide(UINT codePage, std::string_view bytes, DWORD flags = 0) {
  int size = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::u16string out(static_cast<std::size_t>(size), u'\0');
  if (size > 0) {
    EXPECT_EQ(MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), out.data(), size), size);
  }
  return out;
}

std::string ToBytes(UINT codePage, std::u16string_view text, BOOL* usedDefault = nullptr, LPCSTR defaultChar = nullptr) {
  int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, defaultChar,
                                 usedDefault);
  std::string out(static_cast<std::size_t>(size), '\0');
  if (size > 0) {
    EXPECT_EQ(WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                                  defaultChar, usedDefault),
              size);
  }
  return out;
}

TEST(CodePagesTest, Windows1252MapsEveryByteAndBack) {
  const std::array<char16_t, 32> high = {
      u'€', 0x81, u'‚', u'ƒ', u'„', u'…', u'†', u'‡', u'ˆ', u'‰', u'Š', u'‹', u'Œ', 0x8D, u'Ž', 0x8F,
      0x90, u'‘', u'’', u'“', u'”', u'•', u'–', u'—', u'˜', u'™', u'š', u'›', u'œ', 0x9D, u'ž', u'Ÿ'};
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  for (UINT page : {UINT{CP_ACP}, UINT{CP_OEMCP}, 1252u}) {
    std::u16string wide = ToWide(page, all);
    ASSERT_EQ(wide.size(), 255u);
    for (int b = 1; b < 256; ++b) {
      char16_t expected = (b >= 0x80 && b < 0xA0) ? high[b - 0x80] : static_cast<char16_t>(b);
      EXPECT_EQ(wide[b - 1], expected) << "byte " << b;
    }
    BOOL usedDefault = TRUE;
    EXPECT_EQ(ToBytes(page, wide, &usedDefault), all);
    EXPECT_FALSE(usedDefault);
  }
}

TEST(CodePagesTest, Utf8IncludingCharactersBeyondTheBasicPlane) {
  const std::string utf8 = "A\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E";  // A é € 𝄞
  const std::u16string expected = {u'A', 0xE9, 0x20AC, 0xD834, 0xDD1E};
  EXPECT_EQ(ToWide(CP_UTF8, utf8), expected);
  EXPECT_EQ(ToBytes(CP_UTF8, expected), utf8);

  // -1: up to and including the terminator, which is counted.
  WCHAR out[8];
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0), 6);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, out, 8), 6);
  EXPECT_EQ(std::u16string(out), expected);
  char bytes[16];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, expected.c_str(), -1, bytes, 16, nullptr, nullptr), 11);
  EXPECT_EQ(std::string(bytes), utf8);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "", -1, out, 8), 1);
  EXPECT_EQ(out[0], 0);
}

TEST(CodePagesTest, IllFormedUtf8BecomesReplacementCharactersOrFails) {
  const std::u16string r(1, 0xFFFD);
  struct Case {
    std::string bytes;
    std::u16string wide;
  };
  const std::vector<Case> cases = {
      {"\xC3(", r + u"("},                       // a lead byte without its continuation
      {"\xC0\xAF", r + r},                       // overlong
      {"\xED\xA0\x80", r + r + r},               // an encoded surrogate
      {"\xF4\x90\x80\x80", r + r + r + r},       // beyond U+10FFFF
      {"ab\xE2\x82", u"ab" + r},                 // cut short at the end
      {"\x80x\xFF", r + u"x" + r},               // stray continuation, byte never used
      {"\xE2\x82\xAC\xE2\x82", u"\u20AC" + r},  // a good character, then a broken one
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToWide(CP_UTF8, c.bytes), c.wide) << c.bytes;
    WCHAR out[8];
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, c.bytes.data(), static_cast<int>(c.bytes.size()),
                                  out, 8),
              0);
    EXPECT_EQ(GetLastError(), Error(ERROR_NO_UNICODE_TRANSLATION));
  }
  EXPECT_EQ(ToWide(CP_UTF8, "plain", MB_ERR_INVALID_CHARS), u"plain");
}

TEST(CodePagesTest, CharactersWithoutAByteBecomeTheDefaultCharacter) {
  BOOL usedDefault = FALSE;
  EXPECT_EQ(ToBytes(CP_ACP, u"a\u0100\u20AC", &usedDefault), "a?\x80");
  EXPECT_TRUE(usedDefault);
  EXPECT_EQ(ToBytes(CP_ACP, u"\U0001D11E.", &usedDefault, "#"), "#.");  // a pair is one character
  EXPECT_TRUE(usedDefault);
  const std::u16string lone = {u'x', 0xDC00};
  EXPECT_EQ(ToBytes(CP_ACP, lone, &usedDefault), "x?");
  EXPECT_EQ(ToBytes(CP_UTF8, lone), "x\xEF\xBF\xBD");
  char out[8];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lone.data(), 2, out, 8, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), Error(ERROR_NO_UNICODE_TRANSLATION));
}

TEST(CodePagesTest, ATooSmallBufferIsNeverWrittenPast) {
  WCHAR wide[8];
  std::fill(std::begin(wide), std::end(wide), kGuard);
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "hello", -1, wide, 5), 0);  // needs 6 with the terminator
  EXPECT_EQ(GetLastError(), Error(ERROR_INSUFFICIENT_BUFFER));
  for (WCHAR c : wide) EXPECT_EQ(c, kGuard);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "hello", 5, wide, 5), 5);  // exactly fits
  EXPECT_EQ(std::u16string(wide, 5), u"hello");
  EXPECT_EQ(wide[5], kGuard);
  // A surrogate pair needs both units.
  std::fill(std::begin(wide), std::end(wide), kGuard);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xF0\x9D\x84\x9E", 4, wide, 1), 0);
  EXPECT_EQ(wide[0], kGuard);

  char bytes[8];
  std::fill(std::begin(bytes), std::end(bytes), '#');
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u20AC\u20AC", 2, bytes, 5, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), Error(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(std::string(bytes, 8), "########");
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"abc", -1, bytes, 4, nullptr, nullptr), 4);
  EXPECT_EQ(std::string(bytes, 5), std::string("abc\0#", 5));
}

TEST(CodePagesTest, BadArgumentsFailWithTheirOwnErrors) {
  WCHAR wide[4];
  char bytes[4];
  struct Call {
    UINT page;
    DWORD flags;
    LPCSTR src;
    int cb;
    LPWSTR dst;
    int cch;
    DWORD error;
  };
  for (const Call& c : {Call{CP_ACP, 0, nullptr, 3, wide, 4, ERROR_INVALID_PARAMETER},
                        Call{CP_ACP, 0, "abc", 0, wide, 4, ERROR_INVALID_PARAMETER},
                        Call{CP_ACP, 0, "abc", -2, wide, 4, ERROR_INVALID_PARAMETER},
                        Call{CP_ACP, 0, "abc", 3, nullptr, 4, ERROR_INVALID_PARAMETER},
                        Call{CP_ACP, 0, "abc", 3, wide, -1, ERROR_INVALID_PARAMETER},
                        Call{437, 0, "abc", 3, wide, 4, ERROR_INVALID_PARAMETER},
                        Call{CP_UTF8, MB_PRECOMPOSED, "abc", 3, wide, 4, ERROR_INVALID_FLAGS},
                        Call{CP_ACP, 0x1000, "abc", 3, wide, 4, ERROR_INVALID_FLAGS}}) {
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(c.page, c.flags, c.src, c.cb, c.dst, c.cch), 0);
    EXPECT_EQ(GetLastError(), c.error) << c.page << " " << c.flags << " " << c.cb << " " << c.cch;
  }
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, "abc", 3, wide, 4), 3);

  BOOL used = FALSE;
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"abc", 3, bytes, 4, nullptr, &used), 0);  // UTF-8 has no default
  EXPECT_EQ(GetLastError(), Error(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"abc", 3, nullptr, 4, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), Error(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, WC_ERR_INVALID_CHARS, u"abc", 3, bytes, 4, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), Error(ERROR_INVALID_FLAGS));
}

TEST(UtfTest, ConversionsBetweenHostAndDeviceText) {
  const std::u16string wide = {u'S', 0xFC, u'd', 0xD83D, 0xDCFB};  // Süd📻
  const std::string utf8 = "S\xC3\xBC" "d\xF0\x9F\x93\xBB";
  EXPECT_EQ(ce::ToUtf8(wide), utf8);
  EXPECT_EQ(ce::ToUtf16(utf8), wide);
  EXPECT_EQ(ce::ToUtf8Strict(wide), utf8);
  EXPECT_EQ(ce::ToUtf16Strict(utf8), wide);
  // Ill-formed input: lenient turns it into U+FFFD, strict refuses it.
  const std::u16string lone = {u'a', 0xD800};
  EXPECT_EQ(ce::ToUtf8(lone), "a\xEF\xBF\xBD");
  EXPECT_EQ(ce::ToUtf8Strict(lone), std::nullopt);
  EXPECT_EQ(ce::ToUtf16("a\xFF"), (std::u16string{u'a', 0xFFFD}));
  EXPECT_EQ(ce::ToUtf16Strict("a\xFF"), std::nullopt);
  EXPECT_EQ(ce::ToUtf8(std::u16string(u"x\0y", 3)), std::string("x\0y", 3));
}

TEST(UtfTest, NamesCompareWithoutRegardToCase) {
  EXPECT_TRUE(ce::EqualNoCase(u"InstallDir", u"INSTALLDIR"));
  EXPECT_TRUE(ce::EqualNoCase(u"ÄÖÜÉÞ", u"äöüéþ"));
  EXPECT_TRUE(ce::EqualNoCase(u"ŸŒŠŽ", u"ÿœšž"));
  EXPECT_TRUE(ce::EqualNoCase(u"ΣΟΦΊΑ", u"σοφία"));
  EXPECT_TRUE(ce::EqualNoCase(u"МОСКВА Ё", u"москва ё"));
  EXPECT_FALSE(ce::EqualNoCase(u"×", u"÷"));  // signs, not letters
  EXPECT_FALSE(ce::EqualNoCase(u"ab", u"abc"));
  EXPECT_LT(ce::CompareNoCase(u"abc", u"ABD"), 0);
  EXPECT_GT(ce::CompareNoCase(u"b", u"A"), 0);
  EXPECT_LT(ce::CompareNoCase(u"AB", u"abc"), 0);
}

}  // namespace
