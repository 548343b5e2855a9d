// Critical sections, events, waits and time. Waits and sleeps run on the
// system clock, so in virtual time they cost no real time.
#include <condition_variable>
#include <mutex>

#include "hardware/clock/Clock.h"
#include "platform/kernel/Devices.h"
#include "platform/kernel/KernelObject.h"
#include "winbase.h"

namespace ce {
namespace {

class Event : public KernelObject {
 public:
  static constexpr Kind kKind = Kind::Event;
  Event(bool manualReset, bool signalled) : KernelObject(kKind), manualReset_(manualReset), signalled_(signalled) {}

  void Set() {
    {
      std::lock_guard lock(mutex_);
      signalled_ = true;
    }
    cv_.notify_all();
  }

  void Reset() {
    std::lock_guard lock(mutex_);
    signalled_ = false;
  }

  // True when the event was (or became) signalled before the timeout. An
  // auto-reset event releases one waiter and resets itself.
  bool Wait(DWORD milliseconds) {
    hw::Clock& clock = Attached::Clock();
    std::optional<hw::Clock::Micros> deadline;
    if (milliseconds != INFINITE) deadline = clock.NowUs() + std::uint64_t{milliseconds} * 1000;
    std::unique_lock lock(mutex_);
    bool ok = clock.WaitUntil(lock, cv_, [this] { return signalled_; }, deadline);
    if (ok && !manualReset_) signalled_ = false;
    return ok;
  }

 private:
  const bool manualReset_;
  std::mutex mutex_;
  std::condition_variable cv_;
  bool signalled_;
};

std::recursive_mutex* MutexOf(LPCRITICAL_SECTION section) {
  return section ? static_cast<std::recursive_mutex*>(section->impl) : nullptr;
}

}  // namespace
}  // namespace ce

extern "C" {

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  if (!lpCriticalSection) return;
  *lpCriticalSection = {};
  lpCriticalSection->impl = new std::recursive_mutex();
}

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  if (!lpCriticalSection) return;
  delete ce::MutexOf(lpCriticalSection);
  lpCriticalSection->impl = nullptr;
}

void WINAPI EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  if (auto* mutex = ce::MutexOf(lpCriticalSection)) mutex->lock();
}

void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  if (auto* mutex = ce::MutexOf(lpCriticalSection)) mutex->unlock();
}

BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  auto* mutex = ce::MutexOf(lpCriticalSection);
  return mutex && mutex->try_lock() ? TRUE : FALSE;
}

HANDLE WINAPI CreateEventW(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCWSTR lpName) {
  if (lpName) {
    // Named events are shared between processes on the device; nothing
    // here uses them.
    ce::SetThreadError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  ce::SetThreadError(ERROR_SUCCESS);
  return ce::AddKernelHandle(std::make_shared<ce::Event>(bManualReset != FALSE, bInitialState != FALSE));
}

BOOL WINAPI SetEvent(HANDLE hEvent) {
  auto event = ce::KernelObjectOf<ce::Event>(hEvent);
  if (!event) return FALSE;
  event->Set();
  return TRUE;
}

BOOL WINAPI ResetEvent(HANDLE hEvent) {
  auto event = ce::KernelObjectOf<ce::Event>(hEvent);
  if (!event) return FALSE;
  event->Reset();
  return TRUE;
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  auto event = ce::KernelObjectOf<ce::Event>(hHandle);
  if (!event) return WAIT_FAILED;
  return event->Wait(dwMilliseconds) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

void WINAPI Sleep(DWORD dwMilliseconds) { ce::Attached::Clock().SleepMs(dwMilliseconds); }

DWORD WINAPI GetTickCount(void) { return static_cast<DWORD>(ce::Attached::Clock().NowMs()); }

}
