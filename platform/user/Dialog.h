// Dialogs: windows of the class "Dialog" made from a template, whose
// window procedure is the platform's: it offers each message to the
// program's dialog procedure first and does the default handling when
// that returns FALSE. Dialog units are turned into pixels with base units
// from the template's font: the average width of the letters and the
// height of a line.
#pragma once

#include <memory>

#include "windows.h"

namespace ce {

// Pixels per 4 horizontal and per 8 vertical dialog units.
struct DialogBaseUnits {
  int x = 0;
  int y = 0;
  RECT ToPixels(const RECT& units) const;
};

// The base units of the system font at a point size (0: the system's 8
// points): the average advance of "A".."Z" and "a".."z", rounded, and the
// height of a line.
DialogBaseUnits BaseUnitsFor(WORD pointSize);

// What the platform keeps for one dialog while it runs.
struct DialogState {
  DLGPROC proc = nullptr;
  DialogBaseUnits units;
  bool ended = false;
  INT_PTR result = 0;
};

// The state of a dialog window; nullptr for any other window.
std::shared_ptr<DialogState> DialogOf(HWND window);

// The class's window procedure takes the dialog's state from the
// creation data of its WM_CREATE (a DialogState*, shared ownership kept
// by the dialog until it is destroyed).
inline constexpr const char16_t* kDialogClassName = u"Dialog";

}  // namespace ce
