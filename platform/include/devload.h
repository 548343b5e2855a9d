// Stream-interface device drivers as the device manager loads them: a
// library exporting <PREFIX>_Init ... <PREFIX>_PowerDown. Device and open
// contexts are pointer-sized.
#pragma once

#include "windef.h"

typedef DWORD_PTR (*PFN_DEVICE_INIT)(LPCWSTR pActiveKey);
typedef BOOL (*PFN_DEVICE_DEINIT)(DWORD_PTR hDeviceContext);
typedef DWORD_PTR (*PFN_DEVICE_OPEN)(DWORD_PTR hDeviceContext, DWORD AccessCode, DWORD ShareMode);
typedef BOOL (*PFN_DEVICE_CLOSE)(DWORD_PTR hOpenContext);
typedef DWORD (*PFN_DEVICE_READ)(DWORD_PTR hOpenContext, LPVOID pBuffer, DWORD Count);
typedef DWORD (*PFN_DEVICE_WRITE)(DWORD_PTR hOpenContext, LPCVOID pBuffer, DWORD Count);
typedef DWORD (*PFN_DEVICE_SEEK)(DWORD_PTR hOpenContext, LONG Amount, DWORD Type);
typedef BOOL (*PFN_DEVICE_IOCONTROL)(DWORD_PTR hOpenContext, DWORD dwCode, PBYTE pBufIn, DWORD dwLenIn,
                                     PBYTE pBufOut, DWORD dwLenOut, PDWORD pdwActualOut);
typedef void (*PFN_DEVICE_POWER)(DWORD_PTR hDeviceContext);

// The active key of a loaded device, under HKEY_LOCAL_MACHINE.
#define DEVLOAD_ACTIVE_KEY TEXT("Drivers\\Active")
#define DEVLOAD_DEVKEY_VALNAME TEXT("Key")
#define DEVLOAD_CLIENTINFO_VALNAME TEXT("ClientInfo")
#define DEVLOAD_DEVNAME_VALNAME TEXT("Name")
#define DEVLOAD_DLLNAME_VALNAME TEXT("Dll")
#define DEVLOAD_PREFIX_VALNAME TEXT("Prefix")
