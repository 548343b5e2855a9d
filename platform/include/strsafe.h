// Bounded UTF-16 string functions. Each takes the destination's size in
// characters, never writes past it, and always leaves the destination
// terminated when its size is not zero; a result that had to be cut short
// reports STRSAFE_E_INSUFFICIENT_BUFFER.
#pragma once

#include "windef.h"

typedef LONG HRESULT;
#define S_OK ((HRESULT)0)
#define STRSAFE_E_INSUFFICIENT_BUFFER ((HRESULT)0x8007007AL)
#define STRSAFE_E_INVALID_PARAMETER ((HRESULT)0x80070057L)
#define STRSAFE_MAX_CCH 2147483647
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)

CE_BEGIN_DECLS

WINBASEAPI HRESULT WINAPI StringCchLengthW(LPCWSTR psz, size_t cchMax, size_t* pcchLength);
WINBASEAPI HRESULT WINAPI StringCchCopyW(LPWSTR pszDest, size_t cchDest, LPCWSTR pszSrc);
WINBASEAPI HRESULT WINAPI StringCchCopyNW(LPWSTR pszDest, size_t cchDest, LPCWSTR pszSrc, size_t cchToCopy);
WINBASEAPI HRESULT WINAPI StringCchCatW(LPWSTR pszDest, size_t cchDest, LPCWSTR pszSrc);
WINBASEAPI HRESULT WINAPI StringCchCatNW(LPWSTR pszDest, size_t cchDest, LPCWSTR pszSrc, size_t cchToAppend);

CE_END_DECLS
