// The Ondrel program module. Its program-wide objects are constructed in
// this order when the platform loads the module, before WinMain runs, and
// destroyed in reverse when it unloads: the screen's objects (skin
// pictures, settings, widgets, sliders, radio device, preset bank), the
// radio coordinator, the main window.
#include "MainWindow.h"

namespace {

struct Program {
  Screen screen;
  RadioCoordinator coordinator{screen};
  MainWindow mainWindow{screen, coordinator};
};

Program program;

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand) {
  return program.mainWindow.Run(instance, showCommand);
}
