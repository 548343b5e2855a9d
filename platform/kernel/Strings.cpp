// Bounded UTF-16 string functions and the small lstr* helpers. A
// destination is a span of its declared size: nothing is written past it,
// and whatever fits is kept, terminated, when the result is cut short.
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "platform/kernel/Utf.h"
#include "strsafe.h"
#include "winbase.h"

namespace ce {
namespace {

bool ValidSize(std::size_t cch) { return cch > 0 && cch <= STRSAFE_MAX_CCH; }

// Length of the text in the first cchMax characters, if it ends there.
std::optional<std::size_t> BoundedLength(const WCHAR* text, std::size_t cchMax) {
  for (std::size_t i = 0; i < cchMax; ++i) {
    if (text[i] == 0) return i;
  }
  return std::nullopt;
}

// Copies at most maxCopy characters of source (less if it ends sooner)
// into destination and terminates it; reads no character of source
// beyond the ones it may copy.
HRESULT CopyInto(std::span<WCHAR> destination, const WCHAR* source, std::size_t maxCopy) {
  static constexpr WCHAR kEmpty[] = u"";
  if (!source) source = kEmpty;  // a missing source is an empty one
  const std::size_t room = destination.size() - 1;
  std::size_t i = 0;
  for (; i < room && i < maxCopy && source[i] != 0; ++i) destination[i] = source[i];
  destination[i] = 0;
  const bool cutShort = i < maxCopy && source[i] != 0;
  return cutShort ? STRSAFE_E_INSUFFICIENT_BUFFER : S_OK;
}

// limit: the most characters of src to take (the N functions).
HRESULT Copy(LPWSTR dest, std::size_t cchDest, LPCWSTR src, std::optional<std::size_t> limit) {
  if (!dest || !ValidSize(cchDest)) return STRSAFE_E_INVALID_PARAMETER;
  if (limit > std::size_t{STRSAFE_MAX_CCH}) {
    dest[0] = 0;
    return STRSAFE_E_INVALID_PARAMETER;
  }
  return CopyInto(std::span(dest, cchDest), src, limit.value_or(SIZE_MAX));
}

HRESULT Append(LPWSTR dest, std::size_t cchDest, LPCWSTR src, std::optional<std::size_t> limit) {
  if (!dest || !ValidSize(cchDest) || limit > std::size_t{STRSAFE_MAX_CCH}) return STRSAFE_E_INVALID_PARAMETER;
  // A destination that is not terminated within its size is left alone.
  auto length = BoundedLength(dest, cchDest);
  if (!length) return STRSAFE_E_INVALID_PARAMETER;
  return CopyInto(std::span(dest, cchDest).subspan(*length), src, limit.value_or(SIZE_MAX));
}

}  // namespace
}  // namespace ce

extern "C" {

HRESULT WINAPI StringCchLengthW(LPCWSTR psz, size_t cchMax, size_t* pcchLength) {
  std::optional<std::size_t> length;
  if (psz && ce::ValidSize(cchMax)) length = ce::BoundedLength(psz, cchMax);
  if (pcchLength) *pcchLength = length.value_or(0);
  return length ? S_OK : STRSAFE_E_INVALID_PARAMETER;
}

HRESULT WINAPI StringCchCopyW(LPWSTR pszDest, size_t cchDest, LPCWSTR pszSrc) {
  return ce::Copy(pszDest, cchDest, pszSrc, std::nullopt);
}

HRESULT WINAPI StringCchCopyNW(LPWSTR pszDest, size_t cchDest, LPCWSTR pszSrc, size_t cchToCopy) {
  return ce::Copy(pszDest, cchDest, pszSrc, cchToCopy);
}

HRESULT WINAPI StringCchCatW(LPWSTR pszDest, size_t cchDest, LPCWSTR pszSrc) {
  return ce::Append(pszDest, cchDest, pszSrc, std::nullopt);
}

HRESULT WINAPI StringCchCatNW(LPWSTR pszDest, size_t cchDest, LPCWSTR pszSrc, size_t cchToAppend) {
  return ce::Append(pszDest, cchDest, pszSrc, cchToAppend);
}

int WINAPI lstrlenW(LPCWSTR lpString) {
  if (!lpString) return 0;
  std::size_t length = std::u16string_view(lpString).size();
  return length > INT32_MAX ? INT32_MAX : static_cast<int>(length);
}

int WINAPI lstrcmpiW(LPCWSTR lpString1, LPCWSTR lpString2) {
  // A missing string sorts before every string, the empty one too.
  if (!lpString1 || !lpString2) return (lpString1 ? 1 : 0) - (lpString2 ? 1 : 0);
  return ce::CompareNoCase(lpString1, lpString2);
}

}  // extern "C"
