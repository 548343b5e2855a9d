// The platform's main header: everything a program or driver includes.
#pragma once

#include "windef.h"
#include "winerror.h"
#include "winbase.h"
#include "winreg.h"
#include "winuser.h"
#include "wingdi.h"
#include "winrsrc.h"
#include "mmsystem.h"
