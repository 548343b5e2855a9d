// The main window's timers (all set on the main window without a
// callback, so they arrive as WM_TIMER with these identifiers).
#pragma once

enum WindowTimer : unsigned {
  TIMER_HOLD = 1,          // 1000 ms after a pen-down, acts once
  TIMER_REPEAT = 2,        // every 100 ms after the hold tick
  TIMER_TUNER_POLL = 3,    // 100 ms: is the tuner card there?
  TIMER_KEEP_AWAKE = 4,    // 10000 ms: keeps the handheld from sleeping
  TIMER_SEEK = 5,          // 100 ms while a seek goes on
  TIMER_STEREO = 6,        // 2000 ms: the stereo indicator follows the tuner
  TIMER_RDS_TEXT = 7,      // the RDS text window's animation and scrolling
  TIMER_RDS_PRESENCE = 8,  // 1000 ms: RDS data present or not
};
