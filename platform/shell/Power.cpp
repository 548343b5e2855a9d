#include "platform/shell/Power.h"

#include <mutex>

#include "hardware/clock/Clock.h"
#include "platform/kernel/Devices.h"
#include "windows.h"

namespace ce {
namespace {

std::mutex g_mutex;
IdleTimerState g_state;

}  // namespace

IdleTimerState IdleTimer() {
  std::lock_guard lock(g_mutex);
  return g_state;
}

}  // namespace ce

extern "C" {

void WINAPI SystemIdleTimerReset(void) {
  std::uint64_t now = ce::Attached::Clock().NowMs();
  std::lock_guard lock(ce::g_mutex);
  ++ce::g_state.resets;
  ce::g_state.lastResetMs = now;
}

}  // extern "C"
