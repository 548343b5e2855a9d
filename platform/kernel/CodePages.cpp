// Code page conversions. The handheld's ANSI and OEM code page is
// Windows-1252; UTF-8 is the other one it knows. Conversions run into a
// string first, so a destination that turns out too small is never
// written at all.
#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "platform/kernel/LastError.h"
#include "platform/kernel/Utf.h"
#include "winbase.h"

namespace ce {
namespace {

enum class CodePage { Windows1252, Utf8 };

std::optional<CodePage> CodePageOf(UINT codePage) {
  switch (codePage) {
    case CP_ACP:
    case CP_OEMCP:
    case CP_THREAD_ACP:
    case 1252:
      return CodePage::Windows1252;
    case CP_UTF8:
      return CodePage::Utf8;
    default:
      return std::nullopt;
  }
}

// Bytes 0x80..0x9F of Windows-1252; all other bytes are their own code
// point. The five bytes the code page leaves unassigned map to the C1
// control characters of the same value, so every byte survives a round
// trip.
constexpr std::array<char16_t, 32> k1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98
};

char16_t From1252(unsigned char byte) { return (byte >= 0x80 && byte < 0xA0) ? k1252High[byte - 0x80] : byte; }

std::optional<char> To1252(char32_t code) {
  if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<char>(code);
  auto it = std::find(k1252High.begin(), k1252High.end(), code);
  if (it == k1252High.end()) return std::nullopt;
  return static_cast<char>(0x80 + (it - k1252High.begin()));
}

struct Decoded {
  std::u16string text;
  bool invalid = false;  // an ill-formed sequence became U+FFFD
};

Decoded Decode(CodePage page, std::string_view bytes) {
  Decoded out;
  out.text.reserve(bytes.size());
  if (page == CodePage::Windows1252) {
    for (char byte : bytes) out.text += From1252(static_cast<unsigned char>(byte));
    return out;
  }
  for (std::size_t pos = 0; pos < bytes.size();) {
    DecodedChar c = NextUtf8(bytes, pos);
    out.invalid |= !c.valid;
    AppendUtf16(out.text, c.code);
  }
  return out;
}

struct Encoded {
  std::string bytes;
  bool invalid = false;      // UTF-8: a lone surrogate became U+FFFD
  bool usedDefault = false;  // 1252: a character had no byte
};

Encoded Encode(CodePage page, std::u16string_view text, char defaultChar) {
  Encoded out;
  out.bytes.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    DecodedChar c = NextUtf16(text, pos);
    if (page == CodePage::Utf8) {
      out.invalid |= !c.valid;
      AppendUtf8(out.bytes, c.code);
      continue;
    }
    std::optional<char> byte = c.valid ? To1252(c.code) : std::nullopt;
    out.usedDefault |= !byte;
    out.bytes += byte.value_or(defaultChar);
  }
  return out;
}

int Fail(DWORD error) {
  SetThreadError(error);
  return 0;
}

// Hands a converted text to the caller: its size when the caller asks for
// it (capacity 0), else the text, or nothing at all when it does not fit.
template <class Char>
int Deliver(std::basic_string_view<Char> text, Char* destination, int capacity) {
  if (text.size() > static_cast<std::size_t>(INT32_MAX)) return Fail(ERROR_INSUFFICIENT_BUFFER);
  const int needed = static_cast<int>(text.size());
  if (capacity == 0) return needed;
  if (needed > capacity) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::copy(text.begin(), text.end(), destination);
  return needed;
}

}  // namespace
}  // namespace ce

extern "C" {

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar) {
  if (!lpMultiByteStr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 ||
      (cchWideChar > 0 && !lpWideCharStr) || static_cast<const void*>(lpMultiByteStr) == lpWideCharStr) {
    return ce::Fail(ERROR_INVALID_PARAMETER);
  }
  auto page = ce::CodePageOf(CodePage);
  if (!page) return ce::Fail(ERROR_INVALID_PARAMETER);
  const DWORD allowed = *page == ce::CodePage::Utf8
                            ? MB_ERR_INVALID_CHARS
                            : (MB_PRECOMPOSED | MB_COMPOSITE | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS);
  if ((dwFlags & ~allowed) != 0 || (dwFlags & MB_PRECOMPOSED && dwFlags & MB_COMPOSITE)) {
    return ce::Fail(ERROR_INVALID_FLAGS);
  }
  // -1: the text ends at its terminator, which is converted too.
  const std::size_t length = cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : std::size_t(cbMultiByte);
  ce::Decoded decoded = ce::Decode(*page, std::string_view(lpMultiByteStr, length));
  if (decoded.invalid && (dwFlags & MB_ERR_INVALID_CHARS)) return ce::Fail(ERROR_NO_UNICODE_TRANSLATION);
  return ce::Deliver<WCHAR>(decoded.text, lpWideCharStr, cchWideChar);
}

int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar, LPBOOL lpUsedDefaultChar) {
  if (!lpWideCharStr || cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0 ||
      (cbMultiByte > 0 && !lpMultiByteStr) || static_cast<const void*>(lpWideCharStr) == lpMultiByteStr) {
    return ce::Fail(ERROR_INVALID_PARAMETER);
  }
  auto page = ce::CodePageOf(CodePage);
  if (!page) return ce::Fail(ERROR_INVALID_PARAMETER);
  if (*page == ce::CodePage::Utf8) {
    // UTF-8 can encode every character: there is no default character.
    if ((dwFlags & ~WC_ERR_INVALID_CHARS) != 0) return ce::Fail(ERROR_INVALID_FLAGS);
    if (lpDefaultChar || lpUsedDefaultChar) return ce::Fail(ERROR_INVALID_PARAMETER);
  } else if ((dwFlags & ~(WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR | WC_COMPOSITECHECK | WC_NO_BEST_FIT_CHARS)) != 0) {
    return ce::Fail(ERROR_INVALID_FLAGS);
  }
  const std::size_t length = cchWideChar == -1 ? std::u16string_view(lpWideCharStr).size() + 1
                                               : std::size_t(cchWideChar);
  const char defaultChar = lpDefaultChar ? *lpDefaultChar : '?';
  ce::Encoded encoded = ce::Encode(*page, std::u16string_view(lpWideCharStr, length), defaultChar);
  if (encoded.invalid && (dwFlags & WC_ERR_INVALID_CHARS)) return ce::Fail(ERROR_NO_UNICODE_TRANSLATION);
  int result = ce::Deliver<char>(encoded.bytes, lpMultiByteStr, cbMultiByte);
  if (lpUsedDefaultChar) *lpUsedDefaultChar = encoded.usedDefault ? TRUE : FALSE;
  return result;
}

}  // extern "C"
