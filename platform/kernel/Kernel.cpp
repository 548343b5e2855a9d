#include "platform/kernel/Kernel.h"

#include <atomic>
#include <mutex>

namespace ce {
namespace {

std::atomic<hw::Clock*> g_clock{nullptr};
std::atomic<hw::Panel*> g_panel{nullptr};
std::mutex g_rootMutex;
std::filesystem::path g_root;

hw::Clock& DefaultClock() {
  static hw::Clock clock(hw::Clock::Mode::Real);
  return clock;
}

hw::Panel& DefaultPanel() {
  static hw::Panel panel;
  return panel;
}

}  // namespace

hw::Clock& SystemClock() {
  hw::Clock* clock = g_clock.load();
  return clock ? *clock : DefaultClock();
}

void SetSystemClock(hw::Clock* clock) { g_clock.store(clock); }

hw::Panel& SystemPanel() {
  hw::Panel* panel = g_panel.load();
  return panel ? *panel : DefaultPanel();
}

void SetSystemPanel(hw::Panel* panel) { g_panel.store(panel); }

std::filesystem::path DeviceRoot() {
  std::lock_guard lock(g_rootMutex);
  return g_root;
}

void SetDeviceRoot(const std::filesystem::path& root) {
  std::lock_guard lock(g_rootMutex);
  g_root = root;
}

}  // namespace ce
