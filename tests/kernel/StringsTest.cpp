// The bounded string functions never write past the destination's size:
// every buffer here is longer than the size passed, and the part beyond
// must keep its guard characters.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

#include "strsafe.h"
#include "windows.h"

namespace {

constexpr WCHAR kGuard = 0xBEEF;

struct Buffer {
  Buffer() { chars.fill(kGuard); }
  explicit Buffer(std::u16string_view start) : Buffer() {
    std::copy(start.begin(), start.end(), chars.begin());
    chars[start.size()] = 0;
  }
  std::u16string Text() const { return std::u16string(chars.data()); }
  // True when nothing from index `from` on was touched.
  bool GuardedFrom(std::size_t from) const {
    return std::all_of(chars.begin() + static_cast<std::ptrdiff_t>(from), chars.end(),
                       [](WCHAR c) { return c == kGuard; });
  }
  std::array<WCHAR, 16> chars;
};

TEST(StringsTest, CopyCutsShortAndTerminatesWithinTheDestination) {
  Buffer b;
  EXPECT_EQ(StringCchCopyW(b.chars.data(), 5, u"hello world"), STRSAFE_E_INSUFFICIENT_BUFFER);
  EXPECT_EQ(b.Text(), u"hell");
  EXPECT_TRUE(b.GuardedFrom(5));

  Buffer exact;
  EXPECT_EQ(StringCchCopyW(exact.chars.data(), 6, u"hello"), S_OK);
  EXPECT_EQ(exact.Text(), u"hello");
  EXPECT_TRUE(exact.GuardedFrom(6));

  Buffer one;
  EXPECT_EQ(StringCchCopyW(one.chars.data(), 1, u"x"), STRSAFE_E_INSUFFICIENT_BUFFER);
  EXPECT_EQ(one.chars[0], 0);
  EXPECT_TRUE(one.GuardedFrom(1));
  EXPECT_EQ(StringCchCopyW(one.chars.data(), 1, u""), S_OK);

  // Sizes that cannot be right leave the destination alone.
  Buffer untouched;
  EXPECT_EQ(StringCchCopyW(untouched.chars.data(), 0, u"x"), STRSAFE_E_INVALID_PARAMETER);
  EXPECT_EQ(StringCchCopyW(untouched.chars.data(), size_t{STRSAFE_MAX_CCH} + 1, u"x"), STRSAFE_E_INVALID_PARAMETER);
  EXPECT_TRUE(untouched.GuardedFrom(0));
  EXPECT_EQ(StringCchCopyW(nullptr, 4, u"x"), STRSAFE_E_INVALID_PARAMETER);
  EXPECT_EQ(StringCchCopyW(untouched.chars.data(), 4, nullptr), S_OK);  // no source: empty
  EXPECT_EQ(untouched.chars[0], 0);
}

TEST(StringsTest, CopyNTakesAtMostNCharactersAndReadsNoFurther) {
  // Not terminated: reading past the four characters would be a fault.
  const std::array<WCHAR, 4> unterminated = {u'a', u'b', u'c', u'd'};
  Buffer b;
  EXPECT_EQ(StringCchCopyNW(b.chars.data(), 8, unterminated.data(), unterminated.size()), S_OK);
  EXPECT_EQ(b.Text(), u"abcd");
  EXPECT_TRUE(b.GuardedFrom(5));
  EXPECT_EQ(StringCchCopyNW(b.chars.data(), 8, u"abcdef", 2), S_OK);
  EXPECT_EQ(b.Text(), u"ab");
  EXPECT_EQ(StringCchCopyNW(b.chars.data(), 8, u"xy", 5), S_OK);  // the source ends first
  EXPECT_EQ(b.Text(), u"xy");
  Buffer small;
  EXPECT_EQ(StringCchCopyNW(small.chars.data(), 3, unterminated.data(), 4), STRSAFE_E_INSUFFICIENT_BUFFER);
  EXPECT_EQ(small.Text(), u"ab");
  EXPECT_TRUE(small.GuardedFrom(3));
  EXPECT_EQ(StringCchCopyNW(small.chars.data(), 3, u"x", size_t{STRSAFE_MAX_CCH} + 1), STRSAFE_E_INVALID_PARAMETER);
  EXPECT_EQ(small.chars[0], 0);
}

TEST(StringsTest, CatAppendsWhatFitsAndRefusesAnUnterminatedDestination) {
  Buffer b(u"Radio");
  EXPECT_EQ(StringCchCatW(b.chars.data(), 10, u" FM"), S_OK);
  EXPECT_EQ(b.Text(), u"Radio FM");
  EXPECT_EQ(StringCchCatW(b.chars.data(), 10, u" 95.0"), STRSAFE_E_INSUFFICIENT_BUFFER);
  EXPECT_EQ(b.Text(), u"Radio FM ");
  EXPECT_TRUE(b.GuardedFrom(10));
  EXPECT_EQ(StringCchCatW(b.chars.data(), 10, u""), S_OK);  // full but nothing to add

  Buffer n(u"ab");
  EXPECT_EQ(StringCchCatNW(n.chars.data(), 8, u"cdefgh", 3), S_OK);
  EXPECT_EQ(n.Text(), u"abcde");
  EXPECT_EQ(StringCchCatNW(n.chars.data(), 7, u"xyz", 3), STRSAFE_E_INSUFFICIENT_BUFFER);
  EXPECT_EQ(n.Text(), u"abcdex");
  EXPECT_TRUE(n.GuardedFrom(7));

  Buffer full;  // no terminator within the size given
  std::fill_n(full.chars.begin(), 4, u'z');
  EXPECT_EQ(StringCchCatW(full.chars.data(), 4, u"x"), STRSAFE_E_INVALID_PARAMETER);
  EXPECT_EQ(StringCchCatNW(full.chars.data(), 4, u"x", 1), STRSAFE_E_INVALID_PARAMETER);
  EXPECT_EQ(std::u16string(full.chars.data(), 4), u"zzzz");
  EXPECT_TRUE(full.GuardedFrom(4));
  EXPECT_EQ(StringCchCatW(full.chars.data(), 0, u"x"), STRSAFE_E_INVALID_PARAMETER);
}

TEST(StringsTest, LengthNeedsATerminatorWithinTheLimit) {
  size_t length = 99;
  EXPECT_EQ(StringCchLengthW(u"hello", 6, &length), S_OK);
  EXPECT_EQ(length, 5u);
  EXPECT_EQ(StringCchLengthW(u"hello", 5, &length), STRSAFE_E_INVALID_PARAMETER);
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(StringCchLengthW(nullptr, 5, &length), STRSAFE_E_INVALID_PARAMETER);
  EXPECT_EQ(StringCchLengthW(u"", 0, &length), STRSAFE_E_INVALID_PARAMETER);
  EXPECT_EQ(StringCchLengthW(u"", STRSAFE_MAX_CCH, nullptr), S_OK);
  EXPECT_EQ(StringCchLengthW(u"x", size_t{STRSAFE_MAX_CCH} + 1, &length), STRSAFE_E_INVALID_PARAMETER);
}

TEST(StringsTest, LstrHelpers) {
  EXPECT_EQ(lstrlenW(nullptr), 0);
  EXPECT_EQ(lstrlenW(u""), 0);
  EXPECT_EQ(lstrlenW(u"Ondrel"), 6);
  EXPECT_EQ(lstrcmpiW(u"Skin.BMP", u"sKIN.bmp"), 0);
  EXPECT_EQ(lstrcmpiW(u"Ärger", u"äRGER"), 0);
  EXPECT_LT(lstrcmpiW(u"abc", u"ABD"), 0);
  EXPECT_GT(lstrcmpiW(u"abcd", u"ABC"), 0);
  EXPECT_EQ(lstrcmpiW(nullptr, nullptr), 0);
  EXPECT_LT(lstrcmpiW(nullptr, u""), 0);
  EXPECT_GT(lstrcmpiW(u"", nullptr), 0);
}

}  // namespace
