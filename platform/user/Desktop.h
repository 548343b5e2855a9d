// What the host and the front ends see of the window manager: the windows
// on the screen, the program's main window, and a message pump for when no
// program runs. The pen and keys it reads are the attached ones
// (kernel/Devices.h).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "hardware/input/Input.h"
#include "windef.h"

namespace ce {

struct WindowInfo {
  HWND handle;
  std::u16string className;
  std::u16string title;  // as the window was created
  std::u16string text;   // its window text now
  bool visible;          // it and all its ancestors are visible
  RECT rect;             // screen coordinates
  bool child;
};

// Every window of this process: top-level windows front first, each
// followed by its children.
std::vector<WindowInfo> ListWindows();

// The oldest top-level window still there: the program's main window.
HWND ProgramMainWindow();

// Destroys every window and timer the calling thread made, as the
// platform does when a program ends without destroying its windows.
void DestroyThreadWindows();

// Called on the window's thread when another program brings one of this
// process's windows to the front (the window front end raises itself).
void SetRaiseHandler(std::function<void()> handler);

// Called whenever a message loop of this process has nothing to do and
// is about to wait. Returns an id for RemoveIdleHook.
int AddIdleHook(std::function<void()> hook);
void RemoveIdleHook(int id);

// Wakes every waiting message loop (to look at its idle hooks again).
void WakeMessageLoops();

// Screen areas that no window draws on or is found under (the
// navigation bar's strip).
void SetScreenCovers(std::vector<RECT> covers);
// Who gets the pen events that land on a screen cover (nullptr: nobody).
// Called on the thread whose message loop read the event.
void SetScreenCoverPenHandler(std::function<void(const hw::InputEvent&)> handler);

// Runs this thread's messages until done() holds, letting the clock move
// as GetMessageW does; WM_QUIT is dropped.
void PumpMessagesUntil(const std::function<bool()>& done);

}  // namespace ce
