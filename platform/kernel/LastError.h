#pragma once

#include "windef.h"
#include "winerror.h"

namespace ce {
// The calling thread's last error, as GetLastError reports it.
void SetThreadError(DWORD error);
DWORD ThreadError();
}  // namespace ce
