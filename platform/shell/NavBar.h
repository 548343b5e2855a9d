// The navigation bar: the top 26 rows of the screen, above every window,
// showing the title of the foreground window and the time. It redraws
// itself when a message loop goes idle and what it shows has changed.
#pragma once

namespace ce {

inline constexpr int kNavigationBarHeight = 26;

// Puts the bar on the screen (and keeps windows off its rows) or takes it
// away again.
void ShowNavigationBar();
void HideNavigationBar();

}  // namespace ce
