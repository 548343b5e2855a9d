// The platform's main header: everything a program or driver includes.
#pragma once

#ifdef RC_INVOKED
// A resource script needs the numbers only.
#include "winuserconst.h"
#else
#include "windef.h"
#include "winerror.h"
#include "winbase.h"
#include "winreg.h"
#include "winuser.h"
#include "wingdi.h"
#include "winrsrc.h"
#include "mmsystem.h"
#endif
