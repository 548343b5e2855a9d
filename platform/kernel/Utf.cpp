#include "platform/kernel/Utf.h"

namespace ce {
namespace {

constexpr bool InRange(unsigned char c, unsigned char lo, unsigned char hi) { return c >= lo && c <= hi; }

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// Even code points upper case, the next odd one its lower case (or the
// other way round when oddUpper).
char16_t FoldPair(char16_t c, bool oddUpper) {
  bool isUpper = ((c & 1) != 0) == oddUpper;
  return isUpper ? static_cast<char16_t>(c + 1) : c;
}

}  // namespace

DecodedChar NextUtf8(std::string_view text, std::size_t& pos) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  if (lead < 0x80) {
    ++pos;
    return {lead, true};
  }
  int length;
  unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
  char32_t code;
  if (InRange(lead, 0xC2, 0xDF)) {
    length = 2;
    code = lead & 0x1F;
  } else if (InRange(lead, 0xE0, 0xEF)) {
    length = 3;
    code = lead & 0x0F;
    if (lead == 0xE0) lo = 0xA0;  // overlong below
    if (lead == 0xED) hi = 0x9F;  // surrogates above
  } else if (InRange(lead, 0xF0, 0xF4)) {
    length = 4;
    code = lead & 0x07;
    if (lead == 0xF0) lo = 0x90;  // overlong below
    if (lead == 0xF4) hi = 0x8F;  // beyond U+10FFFF above
  } else {
    ++pos;  // a stray continuation byte, an overlong lead or no lead at all
    return {kReplacementChar, false};
  }
  std::size_t i = pos + 1;
  for (int n = 1; n < length; ++n, ++i) {
    bool ok = i < text.size() && InRange(byte(i), n == 1 ? lo : 0x80, n == 1 ? hi : 0xBF);
    if (!ok) {
      pos = i;  // the offending byte starts the next character
      return {kReplacementChar, false};
    }
    code = (code << 6) | (byte(i) & 0x3F);
  }
  pos = i;
  return {code, true};
}

DecodedChar NextUtf16(std::u16string_view text, std::size_t& pos) {
  const char16_t unit = text[pos++];
  if (unit < 0xD800 || unit > 0xDFFF) return {unit, true};
  if (unit <= 0xDBFF && pos < text.size() && text[pos] >= 0xDC00 && text[pos] <= 0xDFFF) {
    char32_t code = 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (char32_t{text[pos]} - 0xDC00);
    ++pos;
    return {code, true};
  }
  return {kReplacementChar, false};
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code > 0x10FFFF || IsSurrogate(code)) code = kReplacementChar;
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

void AppendUtf16(std::u16string& out, char32_t code) {
  if (code > 0x10FFFF || IsSurrogate(code)) code = kReplacementChar;
  if (code < 0x10000) {
    out += static_cast<char16_t>(code);
  } else {
    code -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (code >> 10));
    out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
  }
}

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) AppendUtf8(out, NextUtf16(text, pos).code);
  return out;
}

std::u16string ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) AppendUtf16(out, NextUtf8(text, pos).code);
  return out;
}

std::optional<std::string> ToUtf8Strict(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    DecodedChar c = NextUtf16(text, pos);
    if (!c.valid) return std::nullopt;
    AppendUtf8(out, c.code);
  }
  return out;
}

std::optional<std::u16string> ToUtf16Strict(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    DecodedChar c = NextUtf8(text, pos);
    if (!c.valid) return std::nullopt;
    AppendUtf16(out, c.code);
  }
  return out;
}

char16_t FoldCase(char16_t c) {
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 0x20) : c;
  if (c < 0x100) return (c >= 0xC0 && c <= 0xDE && c != 0xD7) ? static_cast<char16_t>(c + 0x20) : c;
  if (c < 0x180) {
    // Latin Extended-A: mostly pairs; the dotted and dotless i, kra, the
    // n preceded by apostrophe and the long s have no partner here.
    if (c == 0x178) return 0xFF;
    if (c <= 0x12F || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return FoldPair(c, false);
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return FoldPair(c, true);
    return c;
  }
  if (c >= 0x370 && c < 0x400) {  // Greek
    if ((c >= 0x391 && c <= 0x3A1) || (c >= 0x3A3 && c <= 0x3AB)) return static_cast<char16_t>(c + 0x20);
    if (c == 0x386) return 0x3AC;
    if (c >= 0x388 && c <= 0x38A) return static_cast<char16_t>(c + 0x25);
    if (c == 0x38C) return 0x3CC;
    if (c == 0x38E || c == 0x38F) return static_cast<char16_t>(c + 0x3F);
    if (c == 0x3C2) return 0x3C3;  // final sigma is a sigma
    return c;
  }
  if (c >= 0x400 && c < 0x530) {  // Cyrillic
    if (c <= 0x40F) return static_cast<char16_t>(c + 0x50);
    if (c <= 0x42F) return static_cast<char16_t>(c + 0x20);
    if (c == 0x4C0) return 0x4CF;
    if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || c >= 0x4D0) return FoldPair(c, false);
    if (c >= 0x4C1 && c <= 0x4CE) return FoldPair(c, true);
    return c;
  }
  return c;
}

std::u16string FoldName(std::u16string_view name) {
  std::u16string folded(name);
  for (char16_t& c : folded) c = FoldCase(c);
  return folded;
}

int CompareNoCase(std::u16string_view a, std::u16string_view b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    char16_t fa = FoldCase(a[i]), fb = FoldCase(b[i]);
    if (fa != fb) return fa < fb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace ce
