#include "platform/kernel/LastError.h"

#include "winbase.h"

namespace ce {
namespace {
thread_local DWORD t_lastError = ERROR_SUCCESS;
}

void SetThreadError(DWORD error) { t_lastError = error; }
DWORD ThreadError() { return t_lastError; }

}  // namespace ce

extern "C" {

DWORD WINAPI GetLastError(void) { return ce::ThreadError(); }
void WINAPI SetLastError(DWORD dwErrCode) { ce::SetThreadError(dwErrCode); }

}
