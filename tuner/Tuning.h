// Tuning procedures: a tune that first chooses the injection side, channel
// steps, and seeks with the chip's own search followed by the program's
// acceptance test of where the chip stopped. Each runs to completion,
// several hundred milliseconds of pauses, on the calling thread.
#pragma once

#include "TunerState.h"

// TuneAndVerify results.
#define VERIFY_ACCEPT 0     // the chip stopped on an acceptable station
#define VERIFY_NOT_MOVED 1  // the frequency read back is the start frequency
#define VERIFY_REJECT 2     // the chip moved, but the stop failed the test

// seekContinue values.
#define SEEK_STOP 0
#define SEEK_CONTINUE_UP 1
#define SEEK_CONTINUE_DOWN 2

#define TUNER_SETTLE_MS 100   // for the chip to search, lock or measure
#define SEEK_FINAL_PAUSE_MS 50
#define STRONG_LEVEL 8        // a stop this strong needs no further test
#define IF_COUNTER_LOW 54     // IF counter window of a stop right on a station
#define IF_COUNTER_HIGH 59
#define LEVEL_SPREAD_MAX 2    // two reads of a real station agree this closely
#define PROBE_OFFSET 2        // the second injection probe, in channels
#define HIGH_SIDE_MARGIN 4    // high side must beat low side by more than this

// The acceptance test of where a search stopped, measured twice there:
// firstLevel as the search left it, status after a plain tune to the stop;
// moved is how many channels the search went forward. A strong stop is a
// station; a weak one must also sit on a carrier with the pilot tone, and
// both levels agree.
bool StopIsStation(const TunerStatus& status, int firstLevel, int moved);
// The same test on one status read where the tuner is tuned, for a
// channel no search stopped on (a seek never stops where it starts).
bool StationHere();

int TuneAndVerify(WORD start, bool up);
WORD SeekUp(WORD start);
WORD SeekDown(WORD start);
WORD Seek(int direction);
WORD Step(int direction);
void SetFrequency(WORD frequency);
void SelectInjection(WORD frequency);
