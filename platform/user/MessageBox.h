// Message boxes. Until a screen shows them, a message box is "shown" by
// writing `caption: text` as one line (UTF-8) to standard error, and it is
// answered at once with its default button (IDOK for MB_OK). Every message
// box also goes to the run's log, shown on screen or not.
//
// A NULL caption is the platform's default caption, "Error"; an empty
// caption leaves just the text. A NULL text is an empty one.
#pragma once

#include <functional>
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

}  // namespace ce
