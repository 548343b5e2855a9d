// A module that is no program: it exports a function, but no WinMain.
#include "platform/kernel/RunLog.h"
#include "windows.h"

namespace {

struct Witness {
  Witness() { ce::LogLine("no entry: construct"); }
  ~Witness() { ce::LogLine("no entry: destroy"); }
};

Witness witness;

}  // namespace

extern "C" MODULEAPI int NotAProgram(void) { return 7; }
