// Message boxes. Headless, a message box is "shown" by writing
// `caption: text` as one line (UTF-8) to standard error, and it is
// answered at once with its default button (IDOK for MB_OK). When the
// window front end shows the screen, the host sets the on-screen
// presenter below and the box is drawn and waits for the user. Every
// message box also goes to the run's log, shown on screen or not.
//
// A NULL caption is the platform's default caption, "Error"; an empty
// caption leaves just the text. A NULL text is an empty one.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "windef.h"

namespace ce {

// Shows a message box and returns the button the user chose (IDOK, ...).
// Runs on the thread that called MessageBoxW, which waits for it.
using MessageBoxPresenter =
    std::function<int(HWND owner, std::u16string_view text, std::u16string_view caption, UINT type)>;

// The screen front end sets its presenter; an empty one returns to
// answering headless.
void SetMessageBoxPresenter(MessageBoxPresenter presenter);

// The line a message box leaves in the log (and on standard error).
std::string MessageBoxLine(std::u16string_view text, std::u16string_view caption);

// The buttons of a message box type, left to right; the one a user who
// just confirms chooses; a button's label.
std::span<const int> MessageBoxButtons(UINT type);
int DefaultButton(UINT type);
const char16_t* MessageBoxButtonText(int id);

// The presenter of the window front end: draws the box centred on the
// screen (caption bar, wrapped text, its buttons) and runs a modal loop on
// the calling thread until a button is tapped or Return chooses the
// default one. The pen belongs to the box meanwhile.
int ShowMessageBoxOnScreen(HWND owner, std::u16string_view text, std::u16string_view caption, UINT type);

}  // namespace ce
